// The bench never takes the program down: bench and state files it cannot use, its log beside
// the bench file, exceptions in its thread, callbacks and closing, unloading.
#include "benchharness.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace dtool::test {
namespace {

namespace fs = std::filesystem;

class RobustBench : public BenchTest {
protected:
  // Sets the bench up from the file, the state in the fixture's folder; the messages.
  std::string LoadFile(const std::string& file) {
    bench.Load(file.c_str(), folder.Path().string().c_str());
    bench.SetManualClock(1);
    return Messages();
  }
  // The family code of what answers on COM1, 0 for nothing.
  std::int32_t InstrumentOnCom1() {
    EXPECT_EQ(an->OpenCom(1), 0);
    std::int32_t code = -1;
    EXPECT_EQ(an->GetInstType(1, &code), 0);
    EXPECT_EQ(an->CloseCom(1), 0);
    return code;
  }
  // Unloads every library, so that DBench and its bench go, and loads them again.
  void Reload() {
    an.Unload();
    sw.Unload();
    benchLib.Close();
    TLinkLoadError err;
    ASSERT_TRUE(an.Load(LinkDir(), err)) << err.Text();
    ASSERT_TRUE(sw.Load(LinkDir(), err)) << err.Text();
    ASSERT_TRUE(benchLib.Open(BenchLibraryPath(), err)) << err.Text();
    ASSERT_TRUE(bench.Resolve(benchLib, err)) << err.Text();
  }
};

constexpr std::size_t SizeLimit = 1024 * 1024;

// A bench file of exactly size bytes: one instrument, then comment lines.
std::string BenchFileOfSize(std::size_t size) {
  std::string text = "[COM1]\nInstrument = DravonDat\n";
  while (text.size() < size)
    text += std::string(std::min<std::size_t>(size - text.size(), 80) - 1, ';') + "\n";
  return text;
}

// What is not a bench file is refused with its message, without waiting on it or reading it
// without end; the bench then has no instruments.
TEST_F(RobustBench, WhatIsNoBenchFileIsRefusedWithItsMessage) {
  const std::string dir = (folder.Path() / "bench.ini").string();
  fs::create_directory(dir);
  const std::string large = folder.Write("large.ini", BenchFileOfSize(SizeLimit + 1));
  struct Case {
    std::string file;
    const char* why;
  };
  std::vector<Case> cases = {
      {dir, "it is not a regular file"},
      {large, "it is larger than 1048576 bytes"},
      {(folder.Path() / "missing.ini").string(), "it does not exist"},
  };
#ifndef _WIN32
  cases.push_back({"/dev/zero", "it is not a regular file"});
  const std::string pipe = (folder.Path() / "pipe.ini").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  cases.push_back({pipe, "it is not a regular file"});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(LoadFile(c.file), "Bench file \"" + c.file + "\" cannot be read (" + c.why +
                                    "): the bench has no instruments connected.\n");
    EXPECT_EQ(InstrumentOnCom1(), 0);
  }
  // The largest file the bench reads.
  EXPECT_EQ(LoadFile(folder.Write("limit.ini", BenchFileOfSize(SizeLimit))), "");
  EXPECT_EQ(InstrumentOnCom1(), 1);
}

// A file of many keys is read in time proportional to its size, not to the square of it:
// the largest file with a key on every line gives its messages at once.
TEST_F(RobustBench, ALargeFileOfManyKeysIsReadWithItsMessages) {
  std::string text = "[COM1]\n";
  int keys = 0;
  for (; text.size() + 16 <= SizeLimit; ++keys)
    text += "Key" + std::to_string(1000000 + keys) + " = 1\n";
  const std::string file = folder.Write("many.ini", text);
  const std::string messages = LoadFile(file);
  EXPECT_NE(messages.find("Bench file \"" + file + "\", line 2, key \"Key1000000\": unknown key\n"),
            std::string::npos);
  EXPECT_NE(messages.find("Bench file \"" + file + "\": " + std::to_string(keys - 20) +
                          " more problems\n"),
            std::string::npos)
      << messages.substr(0, 2000);
}

TEST_F(RobustBench, AByteOrderMarkIsAccepted) {
  EXPECT_EQ(UseBench("\xEF\xBB\xBF[COM1]\nInstrument = DravonDat\n"), 0) << Messages();
  EXPECT_EQ(InstrumentOnCom1(), 1);
  // Only at the start of the file.
  EXPECT_EQ(UseBench("[COM1]\n\xEF\xBB\xBFInstrument = DravonDat\n"), 2) << Messages();
}

// The mistakes go to DBench.log beside the bench file as well, for where the error stream is
// not seen; a bench without mistakes leaves no log.
TEST_F(RobustBench, MistakesAreLoggedBesideTheBenchFile) {
  fs::create_directory(folder.Path() / "benches");
  const std::string file = folder.Write("benches/bench.ini", "[COM1]\nInstrument = Dravon\n");
  const std::string log = (folder.Path() / "benches" / "DBench.log").string();
  const std::string messages = LoadFile(file);
  EXPECT_EQ(messages, "Bench file \"" + file +
                          "\", line 2, key \"Instrument\": \"Dravon\" is no instrument type (1 "
                          "to 11, a type name, or none)\n"
                          "Bench file \"" +
                          file + "\" is not used: the bench has no instruments connected.\n");
  EXPECT_EQ(folder.Read("benches/DBench.log"), messages);
  EXPECT_FALSE(fs::exists(folder.Path() / "DBench.log")) << "not beside the state";

  // Later mistakes are added.
  EXPECT_EQ(bench.SetFault(1, "FaultNoSignal = maybe"), 4);
  EXPECT_EQ(folder.Read("benches/DBench.log"), Messages());
  EXPECT_NE(Messages().find("BenchSetFault COM1, line 1, key \"FaultNoSignal\""),
            std::string::npos);

  // The log of an earlier set-up goes with the next one.
  folder.Write("benches/bench.ini", "[COM1]\nInstrument = DravonDat\n");
  EXPECT_EQ(LoadFile(file), "");
  EXPECT_FALSE(fs::exists(log));
}

// A state file the bench cannot read is reported and left as it is: the instruments start as
// from the factory and store nothing. The built-in bench logs beside its state.
TEST_F(RobustBench, AStateFileThatCannotBeReadIsLeftAlone) {
  const std::string huge = std::string(SizeLimit + 1, ';');
  folder.Write("DBenchState.ini", huge);
  bench.Load(nullptr, folder.Path().string().c_str());
  bench.SetManualClock(1);
  const std::string state = (folder.Path() / "DBenchState.ini").string();
  EXPECT_EQ(Messages(), "State file \"" + state +
                            "\" cannot be read (it is larger than 1048576 bytes): the "
                            "instruments start as from the factory and store nothing.\n");
  EXPECT_EQ(folder.Read("DBench.log"), Messages());
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xB10C).CC, 0);
  EXPECT_EQ(folder.Read("DBenchState.ini"), huge);
}

// ---- The bench's thread ----

std::atomic<int> recordCalls{0};
std::atomic<bool> inCallback{false};
std::atomic<int> callbackSleepMs{0};
std::atomic<int> throwOnCall{-1}; // the call that throws

void DTOOL_LINKCALL TestRecEventProc(std::int32_t) {
  inCallback = true;
  const int call = ++recordCalls;
  std::this_thread::sleep_for(std::chrono::milliseconds(callbackSleepMs.load()));
  inCallback = false;
  if (call == throwOnCall)
    throw std::runtime_error("a record callback failed");
}

// Waits up to five seconds for the condition.
template <typename F> bool WaitFor(F condition) {
  for (int i = 0; i < 500 && !condition(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return condition();
}

class BenchThread : public RobustBench {
protected:
  void SetUp() override {
    RobustBench::SetUp();
    recordCalls = 0;
    inCallback = false;
    callbackSleepMs = 0;
    throwOnCall = -1;
  }
};

// No record callback runs once CloseCom has returned, not even one begun before.
TEST_F(BenchThread, NoRecordCallbackAfterCloseComHasReturned) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n[COM2]\nInstrument = DravonSwitch\n"), 0);
  for (int port : {1, 2}) {
    SCOPED_TRACE(port);
    auto& open = port == 1 ? an->OpenCom : sw->OpenComOnly;
    auto& setProc = port == 1 ? an->SetRecEventProc : sw->SetRecEventProc;
    auto& close = port == 1 ? an->CloseCom : sw->CloseCom;
    recordCalls = 0;
    callbackSleepMs = 300;
    ASSERT_EQ(open(port), 0);
    ASSERT_EQ(setProc(port, TestRecEventProc), 0);
    Advance(3000);
    ASSERT_TRUE(WaitFor([] { return inCallback.load(); })) << "no record came";
    ASSERT_EQ(close(port), 0);
    EXPECT_FALSE(inCallback) << "the callback still ran after CloseCom returned";
    const int calls = recordCalls;
    Advance(3000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(recordCalls, calls);
  }
}

// Taking the callback away waits the same way.
TEST_F(BenchThread, NoRecordCallbackAfterItWasTakenAway) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n"), 0);
  callbackSleepMs = 300;
  ASSERT_EQ(an->OpenCom(1), 0);
  ASSERT_EQ(an->SetRecEventProc(1, TestRecEventProc), 0);
  Advance(3000);
  ASSERT_TRUE(WaitFor([] { return inCallback.load(); })) << "no record came";
  ASSERT_EQ(an->SetRecEventProc(1, nullptr), 0);
  EXPECT_FALSE(inCallback);
}

// An exception in the bench's thread, here from the program's callback, is caught and
// reported, and the records go on.
TEST_F(BenchThread, AnExceptionInTheThreadIsCaughtAndReported) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n"), 0);
  throwOnCall = 1;
  ASSERT_EQ(an->OpenCom(1), 0);
  ASSERT_EQ(an->SetRecEventProc(1, TestRecEventProc), 0);
  Advance(3000);
  ASSERT_TRUE(WaitFor([this] { return !Messages().empty(); }));
  EXPECT_EQ(Messages(),
            "The bench's thread caught an exception and goes on: a record callback failed\n");
  EXPECT_EQ(folder.Read("DBench.log"), Messages());
  Advance(3000);
  EXPECT_TRUE(WaitFor([] { return recordCalls >= 2; })) << "records go on";
  ASSERT_EQ(an->CloseCom(1), 0);
}

#ifdef __linux__
int ThreadsOfTheProcess() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/task"))
    ++n;
  return n;
}

// Unloading the libraries ends the bench's thread: it is joined, so nothing of the bench runs
// or calls back afterwards, even with a port left open.
TEST_F(BenchThread, UnloadingTheLibrariesJoinsTheThread) {
  const int withoutBench = ThreadsOfTheProcess();
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n"), 0);
  ASSERT_EQ(an->OpenCom(1), 0);
  ASSERT_EQ(an->SetRecEventProc(1, TestRecEventProc), 0);
  Advance(3000);
  ASSERT_TRUE(WaitFor([] { return recordCalls > 0; }));
  EXPECT_EQ(ThreadsOfTheProcess(), withoutBench + 1);
  callbackSleepMs = 200;
  Advance(3000);
  ASSERT_TRUE(WaitFor([] { return inCallback.load(); }));

  Reload();
  EXPECT_FALSE(inCallback) << "unloading waited for the callback";
  // The thread's task goes a moment after the join has seen it end.
  EXPECT_TRUE(WaitFor([&] { return ThreadsOfTheProcess() == withoutBench; }))
      << "the bench's thread has ended";
  const int calls = recordCalls;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(recordCalls, calls);
}

// The thread runs while a port is open: closing the last one ends it, so that unloading the
// libraries afterwards has no thread to end; opening a port again starts it again.
TEST_F(BenchThread, ClosingTheLastPortEndsTheThread) {
  const int withoutBench = ThreadsOfTheProcess();
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n[COM2]\nInstrument = DravonSwitch\n"), 0);
  ASSERT_EQ(an->OpenCom(1), 0);
  ASSERT_EQ(sw->OpenComOnly(2), 0);
  EXPECT_EQ(ThreadsOfTheProcess(), withoutBench + 1);
  ASSERT_EQ(an->CloseCom(1), 0);
  EXPECT_EQ(ThreadsOfTheProcess(), withoutBench + 1) << "a port is still open";
  ASSERT_EQ(sw->CloseCom(2), 0);
  EXPECT_TRUE(WaitFor([&] { return ThreadsOfTheProcess() == withoutBench; }));

  ASSERT_EQ(an->OpenCom(1), 0);
  ASSERT_EQ(an->SetRecEventProc(1, TestRecEventProc), 0);
  Advance(3000);
  EXPECT_TRUE(WaitFor([] { return recordCalls > 0; })) << "records after reopening";
  ASSERT_EQ(an->CloseCom(1), 0);
}
#endif

} // namespace
} // namespace dtool::test
