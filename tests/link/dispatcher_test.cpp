// The dispatcher that brings the link libraries' callbacks to the user-interface thread.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "link/dispatcher.h"

namespace dtool::test {
namespace {

class LinkEvents : public ::testing::Test {
protected:
  void SetUp() override { SetLinkDispatcher(&dispatcher); }
  void TearDown() override {
    SetLinkDispatcher(nullptr);
    SetLinkRecEventHandler(nullptr);
    SetLinkErrEventHandler(nullptr);
  }
  TQueueDispatcher dispatcher;
};

TEST(QueueDispatcher, RunsPostedWorkInOrderOnTheCallingThread) {
  TQueueDispatcher d;
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  std::thread poster([&] {
    for (int i = 0; i < 3; ++i)
      d.Post([&, i] {
        order.push_back(i);
        threads.push_back(std::this_thread::get_id());
      });
  });
  poster.join();
  EXPECT_TRUE(order.empty()) << "nothing runs before RunPending";
  EXPECT_EQ(d.Pending(), 3u);
  EXPECT_EQ(d.RunPending(), 3u);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  for (auto id : threads)
    EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_EQ(d.RunPending(), 0u);
}

TEST(QueueDispatcher, WaitAndRunWakesOnWorkFromAnotherThread) {
  TQueueDispatcher d;
  EXPECT_EQ(d.WaitAndRun(std::chrono::milliseconds(1)), 0u);
  bool ran = false;
  std::thread poster([&] { d.Post([&] { ran = true; }); });
  std::size_t n = 0;
  for (int i = 0; i < 100 && n == 0; ++i)
    n = d.WaitAndRun(std::chrono::milliseconds(50));
  poster.join();
  EXPECT_EQ(n, 1u);
  EXPECT_TRUE(ran);
}

TEST_F(LinkEvents, CallbacksPostTheHandlerSetWhenTheWorkRuns) {
  std::vector<int> calls;
  SetLinkRecEventHandler([&](std::int32_t) { calls.push_back(1); });
  LinkRecEventProc(0);
  EXPECT_TRUE(calls.empty()) << "not on the library's thread";
  SetLinkRecEventHandler([&](std::int32_t) { calls.push_back(2); });
  dispatcher.RunPending();
  EXPECT_EQ(calls, std::vector<int>{2});

  LinkRecEventProc(0);
  SetLinkRecEventHandler(nullptr);
  EXPECT_EQ(dispatcher.RunPending(), 1u);
  EXPECT_EQ(calls, std::vector<int>{2}) << "a removed handler is not called";
}

TEST_F(LinkEvents, ErrorCallbackCarriesThePort) {
  std::vector<std::int32_t> ports;
  SetLinkErrEventHandler([&](std::int32_t port) { ports.push_back(port); });
  std::thread library([] { LinkErrEventProc(3); });
  library.join();
  dispatcher.RunPending();
  EXPECT_EQ(ports, std::vector<std::int32_t>{3});
}

TEST_F(LinkEvents, WithoutADispatcherCallbacksAreDropped) {
  int calls = 0;
  SetLinkRecEventHandler([&](std::int32_t) { ++calls; });
  SetLinkDispatcher(nullptr);
  LinkRecEventProc(0);
  EXPECT_EQ(dispatcher.Pending(), 0u);
  EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace dtool::test
