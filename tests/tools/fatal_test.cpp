#include "tools/fatal.h"

#include <gtest/gtest.h>

#include "support/scriptedport.h"

namespace dtool {
namespace {

TEST(FatalStop, RunsTheHookThenShowsTheMessageThenTerminates) {
  test::ScriptedPort port;
  test::ThrowingTerminator terminator;
  std::vector<std::string> order;
  SetFatalHook([&] {
    order.push_back("hook");
    EXPECT_TRUE(port.messages.empty());
  });
  try {
    FatalStop("TSettings.GetParameterInfo: Wrong parameter! ");
    FAIL() << "FatalStop returned";
  } catch (const FatalError& e) {
    EXPECT_STREQ(e.what(), "TSettings.GetParameterInfo: Wrong parameter! ");
  }
  SetFatalHook(nullptr);
  EXPECT_EQ(order, std::vector<std::string>{"hook"});
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].kind, "Error");
  EXPECT_EQ(port.messages[0].text, "*** PROGRAM TERMINATED *** \r\rFatal Error:\r"
                                   "TSettings.GetParameterInfo: Wrong parameter! ");
}

TEST(FatalStop, EndsTheProcessWithoutATerminator) {
  EXPECT_EXIT(FatalStop("x"), ::testing::ExitedWithCode(EXIT_FAILURE), "PROGRAM TERMINATED");
}

} // namespace
} // namespace dtool
