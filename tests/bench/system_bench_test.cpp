// The bench as a whole: its ports shared by both libraries, the built-in bench, callbacks,
// persistence, injected faults, bad bench files and bad arguments, the trace.
#include "benchharness.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dtool::test {
namespace {

class SystemBench : public BenchTest {};

// ---- Ports ----

TEST_F(SystemBench, APortHeldByOneLibraryIsBusyForTheOther) {
  UseBuiltInBench();
  ASSERT_EQ(an->OpenCom(1), 0);
  EXPECT_EQ(sw->IsComXOpen(1), 0);
  EXPECT_EQ(sw->OpenComOnly(1), 1);
  EXPECT_EQ(an->OpenCom(1), 0) << "opening again is fine";
  EXPECT_EQ(sw->CloseCom(1), 0);
  TErrRec e{};
  EXPECT_EQ(an->GetLastError(1, &e), 0) << "the other library's close leaves the port open";

  EXPECT_EQ(an->CloseCom(1), 0);
  EXPECT_EQ(an->GetLastError(1, &e), 1);
  EXPECT_EQ(sw->OpenComOnly(1), 0);
  EXPECT_EQ(sw->IsComXOpen(1), 1);
  EXPECT_EQ(an->OpenCom(1), 1);
  std::int32_t isProtected = 0;
  EXPECT_EQ(sw->IsProtected(1, &isProtected), 2) << "open, but no switch on COM1";
  EXPECT_EQ(sw->CloseCom(1), 0);
  EXPECT_EQ(sw->IsProtected(1, &isProtected), 1);
}

TEST_F(SystemBench, BuiltInBenchHasOneInstrumentOfEachClass) {
  UseBuiltInBench();
  EXPECT_EQ(Messages(), "");
  const std::int32_t analogCodes[] = {1, 4, 6};
  for (std::int32_t port = 1; port <= 3; ++port) {
    ASSERT_EQ(an->OpenCom(port), 0);
    std::int32_t code = -1;
    EXPECT_EQ(an->GetInstType(port, &code), 0);
    EXPECT_EQ(code, analogCodes[port - 1]) << "COM" << port;
  }
  EXPECT_EQ(Ask(2, 0xF001).AA() & 3, 2) << "Dravon-STV with voltage output";
  EXPECT_EQ(Ask(3, 0xF001).AA() & 3, 0) << "Dravon-STVS Z with relays";
  std::int32_t connected = 0;
  ASSERT_EQ(sw->OpenComOnly(4), 0);
  EXPECT_EQ(sw->IsDSwitchConn(4, &connected), 0);
  EXPECT_EQ(connected, 1);
  ASSERT_EQ(sw->OpenComOnly(5), 0);
  EXPECT_EQ(sw->IsDSwitchConn(5, &connected), 0);
  EXPECT_EQ(connected, 0) << "nothing on COM5";
  for (std::int32_t port = 6; port <= 8; ++port) {
    EXPECT_EQ(an->OpenCom(port), 1) << "COM" << port << " does not exist";
    EXPECT_EQ(sw->OpenComOnly(port), 1);
  }
  EXPECT_EQ(an->CloseCom(9), 5);
  EXPECT_EQ(sw->CloseCom(9), 5);
}

TEST_F(SystemBench, BadArgumentsGetAStatusNotACrash) {
  UseBuiltInBench();
  ASSERT_EQ(an->OpenCom(1), 0);
  ASSERT_EQ(sw->OpenComOnly(4), 0);
  EXPECT_EQ(an->GetInstType(1, nullptr), 4);
  EXPECT_EQ(an->TransCmd(1, nullptr), 4);
  EXPECT_EQ(an->GetPressInst(1, nullptr), 4);
  EXPECT_EQ(an->GetVelocityInst(1, nullptr), 4);
  EXPECT_EQ(an->GetLastError(1, nullptr), 4);
  EXPECT_EQ(sw->IsDSwitchConn(4, nullptr), 4);
  EXPECT_EQ(sw->GetInfos(4, nullptr), 4);
  EXPECT_EQ(sw->GetConf(4, nullptr), 4);
  EXPECT_EQ(sw->IsProtected(4, nullptr), 4);
  EXPECT_EQ(sw->GetPressInst(4, nullptr), 4);
  EXPECT_EQ(sw->GetPressPar(4, nullptr, 0.3f, 966, 50, 1), 4);
  for (std::int32_t port : {0, -1, 9, 1000}) {
    TransRec rec = MakeTransRec(0xA100);
    float p = 0;
    EXPECT_EQ(an->OpenCom(port), 5);
    EXPECT_EQ(an->TransCmd(port, &rec), 5);
    EXPECT_EQ(an->GetRecEventKind(port), 5);
    EXPECT_EQ(sw->OpenComOnly(port), 5);
    EXPECT_EQ(sw->GetPressInst(port, &p), 5);
    EXPECT_EQ(sw->IsComXOpen(port), 0);
  }
  EXPECT_EQ(bench.SetPressure(9, 1), 5);
  EXPECT_NE(bench.GetOutput(1, nullptr, nullptr), 0);
  EXPECT_NE(bench.RaiseError(4, 1), 0) << "the switch reports no errors";
}

// ---- Callbacks ----

std::atomic<int> rawRecords{0};
std::mutex rawMutex;
std::thread::id rawThread;

void DTOOL_LINKCALL CountingRecEventProc(std::int32_t port) {
  {
    std::lock_guard<std::mutex> lock(rawMutex);
    rawThread = std::this_thread::get_id();
  }
  ++rawRecords;
  LinkRecEventProc(port);
}

TEST_F(SystemBench, CallbacksComeFromTheBenchThreadAndArriveOnTheDispatcher) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n[COM2]\nInstrument = DravonSwitch\n"), 0);
  TQueueDispatcher dispatcher;
  SetLinkDispatcher(&dispatcher);
  std::vector<std::thread::id> recordThreads;
  std::vector<std::int32_t> errorPorts;
  TErrRec seen{};
  SetLinkRecEventHandler(
      [&](std::int32_t) { recordThreads.push_back(std::this_thread::get_id()); });
  SetLinkErrEventHandler([&](std::int32_t port) {
    errorPorts.push_back(port);
    EXPECT_EQ(an->GetLastError(port, &seen), 0) << "the library may be called back";
    EXPECT_EQ(an->ClrErrors(port), 0);
  });
  rawRecords = 0;

  ASSERT_EQ(an->OpenCom(1), 0);
  ASSERT_EQ(an->SetRecEventProc(1, CountingRecEventProc), 0);
  ASSERT_EQ(an->SetErrEventProc(1, LinkErrEventProc), 0);
  Advance(750);
  for (int i = 0; i < 100 && recordThreads.empty(); ++i)
    dispatcher.WaitAndRun(std::chrono::milliseconds(50));
  ASSERT_FALSE(recordThreads.empty()) << "no record arrived within 5 s";
  EXPECT_EQ(recordThreads.front(), std::this_thread::get_id()) << "handled on the dispatcher";
  {
    std::lock_guard<std::mutex> lock(rawMutex);
    EXPECT_NE(rawThread, std::this_thread::get_id()) << "called from the bench's thread";
  }

  ASSERT_EQ(bench.RaiseError(1, 0x0123), 0);
  for (int i = 0; i < 100 && errorPorts.empty(); ++i)
    dispatcher.WaitAndRun(std::chrono::milliseconds(50));
  ASSERT_EQ(errorPorts.size(), 1u);
  EXPECT_EQ(errorPorts[0], 1);
  EXPECT_EQ(seen.Kind, ErrKindInstrument);
  EXPECT_EQ(seen.ErrNr, 0x0123);
  TErrRec after{};
  ASSERT_EQ(an->GetLastError(1, &after), 0);
  EXPECT_EQ(after.Kind, 0) << "cleared";

  // The switch library's records come the same way.
  ASSERT_EQ(sw->OpenComOnly(2), 0);
  ASSERT_EQ(sw->SetRecEventProc(2, LinkRecEventProc), 0);
  ASSERT_EQ(an->SetRecEventProc(1, nullptr), 0);
  dispatcher.RunPending();
  recordThreads.clear();
  Advance(750);
  for (int i = 0; i < 100 && recordThreads.empty(); ++i)
    dispatcher.WaitAndRun(std::chrono::milliseconds(50));
  EXPECT_FALSE(recordThreads.empty());
}

// ---- Error events ----

// The error callback as the program has it: suspended while it reports, the error read and
// cleared, then registered again; it can raise further errors while it reports.
const TAnalogLinkApi* errApi = nullptr;
FnBenchRaiseError* errRaise = nullptr;
std::mutex errMutex;
std::vector<std::uint16_t> errReported;
std::vector<std::uint16_t> errRaiseWhileReporting;

void DTOOL_LINKCALL ReportingErrEventProc(std::int32_t port) {
  errApi->SetErrEventProc(port, nullptr);
  TErrRec rec{};
  const bool read = errApi->GetLastError(port, &rec) == 0;
  std::vector<std::uint16_t> raise;
  {
    std::lock_guard<std::mutex> lock(errMutex);
    if (read)
      errReported.push_back(rec.ErrNr);
    raise.swap(errRaiseWhileReporting);
  }
  for (std::uint16_t nr : raise)
    errRaise(port, nr);
  if (read)
    errApi->ClrErrors(port);
  errApi->SetErrEventProc(port, ReportingErrEventProc);
}

TEST_F(SystemBench, ErrorsRaisedWhileOneIsReportedAreReportedAfterIt) {
  const struct {
    std::vector<std::uint16_t> before;     // raised before the first report
    std::vector<std::uint16_t> whileFirst; // raised while the first is reported
  } cases[] = {{{0x0101}, {0x0102}}, {{0x0201, 0x0202}, {}}, {{0x0301}, {0x0302, 0x0303}}};
  for (const auto& c : cases) {
    ASSERT_EQ(UseBench("[COM1]\nInstrument = Dravon-STD\n"), 0);
    errApi = an.operator->();
    errRaise = bench.RaiseError;
    std::vector<std::uint16_t> expected = c.before;
    expected.insert(expected.end(), c.whileFirst.begin(), c.whileFirst.end());
    SCOPED_TRACE("first error " + std::to_string(expected.front()));
    {
      std::lock_guard<std::mutex> lock(errMutex);
      errReported.clear();
      errRaiseWhileReporting = c.whileFirst;
    }
    ASSERT_EQ(an->OpenCom(1), 0);
    for (std::uint16_t nr : c.before)
      ASSERT_EQ(bench.RaiseError(1, nr), 0);
    ASSERT_EQ(an->SetErrEventProc(1, ReportingErrEventProc), 0);
    std::vector<std::uint16_t> reported;
    for (int i = 0; i < 250 && reported.size() < expected.size(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::lock_guard<std::mutex> lock(errMutex);
      reported = errReported;
    }
    EXPECT_EQ(reported, expected);
    TErrRec rest{};
    ASSERT_EQ(an->GetLastError(1, &rest), 0);
    EXPECT_EQ(rest.Kind, 0) << "all reported and cleared";
    ASSERT_EQ(an->SetErrEventProc(1, nullptr), 0);
  }
}

// ---- Persistence ----

const char* TwoInstruments = "[COM1]\nInstrument = DravonDat\nSerial = 1000001\n"
                             "[COM2]\nInstrument = DravonSwitch\nSerial = 1000002\n";

TEST_F(SystemBench, InstrumentsKeepWhatTheyStoredAcrossAReload) {
  ASSERT_EQ(UseBench(TwoInstruments), 0);
  OpenAnalog(1);
  Ask(1, 0xB200, 600);
  Ask(1, 0xB10A, 55);
  Ask(1, 0xB10C); // store
  Ask(1, 0xB201, 1000);
  OpenSwitch(2);
  TSwitchParams p{};
  ASSERT_EQ(sw->GetConf(2, &p), 0);
  p.Al1Thre = 77.5;
  ASSERT_EQ(sw->SetConf(2, p, 0), 0);
  ASSERT_EQ(sw->SetProtectCode(2, 0, 9), 0);
  EXPECT_NE(folder.Read("DBenchState.ini").find("[DravonDat 1000001]"), std::string::npos);

  ASSERT_EQ(UseBench(TwoInstruments), 0);
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 600) << "stored";
  EXPECT_EQ(Ask(1, 0xA201).BBAA, 966) << "written but not stored";
  EXPECT_EQ(Ask(1, 0xB10B, 55).CC, 0);
  OpenSwitch(2);
  TSwitchParams q{};
  ASSERT_EQ(sw->GetConf(2, &q), 0);
  EXPECT_EQ(q.Al1Thre, 77.5);
  std::int32_t isProtected = 0;
  ASSERT_EQ(sw->IsProtected(2, &isProtected), 0);
  EXPECT_EQ(isProtected, 1);

  // New factory settings in the bench file make a new instrument.
  ASSERT_EQ(UseBench(std::string(TwoInstruments) + "[COM3]\nInstrument = none\n"), 0);
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 600) << "other ports do not matter";
  const std::string changed = "[COM1]\nInstrument = DravonDat\nSerial = 1000001\nA109 = 3\n";
  ASSERT_EQ(UseBench(changed), 0);
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 300);
  EXPECT_EQ(Ask(1, 0xA109).BBAA, 3);
}

TEST_F(SystemBench, StoredStateIsKeptWithinTheInstrumentsLimits) {
  ASSERT_EQ(UseBench(TwoInstruments), 0);
  OpenAnalog(1);
  Ask(1, 0xB10C);
  std::string state = folder.Read("DBenchState.ini");
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"RA10F=0001", "RA10F=FFFF"},
                                 {"RA204=0005", "RA204=0000"},
                                 {"RA200=012C", "RA200=zz"},
                                 {"Zero=0\n", "Zero=1e300\n"}}) {
    const std::size_t at = state.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in\n" << state;
    state.replace(at, from.size(), to);
  }
  folder.Write("DBenchState.ini", state + "no key here\n");
  EXPECT_EQ(UseBench(TwoInstruments), 1) << Messages();
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xA10F).BBAA, 20);
  EXPECT_EQ(Ask(1, 0xA204).BBAA, 1);
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 300) << "an unreadable value keeps the factory value";
  float p = 0;
  EXPECT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 0, 1) << "a zero no calibration could have taken is not used";
}

TEST_F(SystemBench, PowerCycleForgetsWhatWasNotStored) {
  ASSERT_EQ(UseBench(TwoInstruments), 0);
  OpenAnalog(1);
  Ask(1, 0xB204, 7);
  Ask(1, 0xB10C);
  Ask(1, 0xB204, 2);
  ASSERT_EQ(bench.PowerCycle(1), 0);
  EXPECT_EQ(Ask(1, 0xA204).BBAA, 7);
}

// Sets an environment variable; empty removes it.
void SetEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  if (value.empty())
    ::unsetenv(name);
  else
    ::setenv(name, value.c_str(), 1);
#endif
}

// Unloads every library of the fixture: with them, DBench and its bench go.
void UnloadAll(TAnalogLink& an, TSwitchLink& sw, TLinkLibrary& benchLib) {
  an.Unload();
  sw.Unload();
  benchLib.Close();
}

TEST_F(SystemBench, BenchFileStateAndTraceFromTheEnvironmentAcrossUnloading) {
  const std::string file = folder.Write("env.ini", TwoInstruments);
  const std::string trace = (folder.Path() / "trace.txt").string();
  SetEnv("DTOOL_BENCH", file);
  SetEnv("DTOOL_BENCH_STATE", folder.Path().string());
  SetEnv("DTOOL_BENCH_TRACE", trace);
  struct Unset {
    ~Unset() {
      for (const char* name : {"DTOOL_BENCH", "DTOOL_BENCH_STATE", "DTOOL_BENCH_TRACE"})
        SetEnv(name, "");
    }
  } unset;

  auto reload = [this] {
    // The port is closed before the libraries go, as the program closes its port.
    if (an.Loaded()) {
      EXPECT_EQ(an->CloseCom(1), 0);
    }
    UnloadAll(an, sw, benchLib);
    TLinkLoadError err;
    ASSERT_TRUE(an.Load(LinkDir(), err)) << err.Text();
    ASSERT_TRUE(sw.Load(LinkDir(), err)) << err.Text();
    ASSERT_TRUE(benchLib.Open(BenchLibraryPath(), err));
    ASSERT_TRUE(bench.Resolve(benchLib, err));
    ASSERT_EQ(bench.ExchangeCount(), 0) << "a new bench, not the one of before";
  };
  reload();
  ASSERT_EQ(an->OpenCom(1), 0);
  std::int32_t code = 0;
  ASSERT_EQ(an->GetInstType(1, &code), 0);
  EXPECT_EQ(code, 1) << "the bench file of the environment";
  Ask(1, 0xB200, 1234);
  Ask(1, 0xB10C);
  Ask(1, 0xB201, 1000);

  reload();
  ASSERT_EQ(an->OpenCom(1), 0);
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 1234);
  EXPECT_EQ(Ask(1, 0xA201).BBAA, 966);
  const std::string lines = folder.Read("trace.txt");
  EXPECT_NE(lines.find("DDatDll\tCOM1\tTransCmd\tOO=B1 CC=0C BBAA=0000\too=B1 cc=00 bbaa=0000\t0"),
            std::string::npos)
      << lines;
  EXPECT_NE(lines.find("DDatDll\tCOM1\tTransCmd\tOO=A2 CC=00 BBAA=0000\too=A2 cc=00 bbaa=04D2\t0"),
            std::string::npos);

  // A bench file that cannot be used: the messages, and no instrument.
  folder.Write("env.ini", "[COM1]\nInstrument = DravonDat\nRangeMax = -5\n");
  reload();
  ASSERT_EQ(an->OpenCom(1), 0);
  ASSERT_EQ(an->GetInstType(1, &code), 0);
  EXPECT_EQ(code, 0);
  EXPECT_NE(Messages().find("line 3, key \"RangeMax\""), std::string::npos) << Messages();
}

// ---- Faults ----

TEST_F(SystemBench, InjectedLinkErrorsAnswersAndUnknownCommands) {
  ASSERT_EQ(
      UseBench("[COM1]\nInstrument = DravonDat\nFaultLinkError = A109:7, B10C, GetInstType:12\n"
               "FaultAnswer = A100:26, A303:25\nFaultUnknown = A115\n"
               "[COM2]\nInstrument = DravonSwitch\nFaultLinkError = GetConf:9, SetConf\n"),
      0)
      << Messages();
  OpenAnalog(1);
  std::int32_t status = 0, code = 0;
  const TransRec sent = Cmd(1, 0xA109, 0, status);
  EXPECT_EQ(status, 7);
  EXPECT_EQ(sent.OO, 0xA1) << "the request is left as it was";
  Cmd(1, 0xB10C, 0, status);
  EXPECT_EQ(status, 3);
  EXPECT_EQ(an->GetInstType(1, &code), 12);
  EXPECT_EQ(Ask(1, 0xA100).CC, 26);
  EXPECT_EQ(Ask(1, 0xA303).CC, 25);
  Cmd(1, 0xA115, 0, status);
  EXPECT_EQ(status, 8);
  EXPECT_EQ(Ask(1, 0xA114).CC, 0) << "other commands work";

  OpenSwitch(2);
  TSwitchParams p{};
  EXPECT_EQ(sw->GetConf(2, &p), 9);
  EXPECT_EQ(sw->SetConf(2, p, 0), 3);
  EXPECT_EQ(sw->ReReadConfig(2), 0);
}

TEST_F(SystemBench, InjectedReadingFaults) {
  const struct {
    const char* fault;
    std::int32_t analog;
    std::int32_t sw;
  } cases[] = {{"FaultNoSignal = yes", 3, 3},
               {"FaultOverflow = yes", 9, 9},
               {"FaultUnderflow = yes", 12, 9},
               {"FaultNoConfig = yes", 0, 11}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    ASSERT_EQ(UseBench(std::string("[COM1]\nInstrument = DravonVision\n") + c.fault +
                       "\n[COM2]\nInstrument = DravonSwitch\n" + c.fault + "\n"),
              0)
        << Messages();
    OpenAnalog(1);
    OpenSwitch(2);
    float p = 0;
    EXPECT_EQ(an->GetPressInst(1, &p), c.analog);
    EXPECT_EQ(an->GetVelocityInst(1, &p), c.analog);
    EXPECT_EQ(sw->GetPressInst(2, &p), c.sw);
    EXPECT_EQ(sw->GetPressPar(2, &p, 0.3f, 966, 50, 1), c.sw);
  }
}

TEST_F(SystemBench, InjectedNewerInstruments) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\nCapLevel = 0\nFaultNewer = yes\n"
                     "[COM2]\nInstrument = DravonSwitch\nFaultNewer = yes\n"),
            0);
  OpenAnalog(1);
  EXPECT_GE(Ask(1, 0xA115).BBAA, 1);
  EXPECT_GT(Ask(1, 0xA114).BBAA, 3) << "requires more than the tool's level 3";
  OpenSwitch(2);
  TSwitchParams p{};
  EXPECT_EQ(sw->ReReadConfig(2), -1);
  EXPECT_EQ(sw->GetConf(2, &p), -1);
  p.Hose_length = 0.5;
  p.Atm_Press = 966;
  p.Gain_Sens = 1;
  p.AlInt = 5;
  p.Al1Thre = 10;
  p.Al2Thre = 10;
  EXPECT_EQ(sw->SetConf(2, p, 0), 0);
  EXPECT_EQ(sw->GetConf(2, &p), 0) << "written by this tool now";
  EXPECT_EQ(p.Hose_length, 0.5);
}

TEST_F(SystemBench, InjectedInstrumentErrorRestartsTheInstrument) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = Dravon-STD\nStartupMs = 1000\n"
                     "FaultErrorEvent = 0x0ABC@5000\n"),
            0);
  ASSERT_EQ(an->OpenCom(1), 0);
  Advance(1000);
  EXPECT_EQ(Ask(1, 0xA100).CC, 0);
  Ask(1, 0xB204, 12000); // not stored
  Advance(4999);
  TErrRec e{};
  ASSERT_EQ(an->GetLastError(1, &e), 0);
  EXPECT_EQ(e.Kind, 0);
  Advance(1);
  ASSERT_EQ(an->GetLastError(1, &e), 0);
  EXPECT_EQ(e.Kind, 0xFF);
  EXPECT_EQ(e.ErrNr, 0x0ABC);
  EXPECT_EQ(Ask(1, 0xA100).CC, 14) << "starting up again";
  Advance(1000);
  EXPECT_EQ(Ask(1, 0xA204).BBAA, 10000) << "with what it had stored";
  ASSERT_EQ(an->ClrErrors(1), 0);
  Advance(60000);
  ASSERT_EQ(an->GetLastError(1, &e), 0);
  EXPECT_EQ(e.Kind, 0) << "the error comes once";
}

TEST_F(SystemBench, FaultsBeginAfterTheGivenNumberOfUses) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n"
                     "FaultLinkError = B206:3@2, GetPressInst:9@1\n"
                     "FaultAnswer = A303:25@1\nFaultUnknown = A115@2\n"),
            0)
      << Messages();
  OpenAnalog(1);
  const struct {
    std::uint16_t cmd;
    std::int32_t status; // link status
    std::uint8_t cc;     // answer, with status 0
  } uses[] = {{0xB206, 0, 0},  {0xA303, 0, 0},  {0xA115, 0, 0}, {0xB206, 0, 0},
              {0xA303, 0, 25}, {0xA115, 0, 0},  {0xB206, 3, 0}, {0xA115, 8, 0},
              {0xB206, 3, 0},  {0xA303, 0, 25}, {0xA100, 0, 0}};
  for (std::size_t i = 0; i < std::size(uses); ++i) {
    SCOPED_TRACE("exchange " + std::to_string(i + 1));
    std::int32_t status = -1;
    const TransRec answer = Cmd(1, uses[i].cmd, static_cast<std::uint16_t>(0x4000 + i), status);
    EXPECT_EQ(status, uses[i].status);
    if (status == 0) {
      EXPECT_EQ(answer.CC, uses[i].cc);
    }
  }
  float p = 0;
  EXPECT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_EQ(an->GetPressInst(1, &p), 9);
  EXPECT_EQ(Ask(1, 0xA206).BBAA, 0x4003) << "the writes that failed did not reach it";
}

TEST_F(SystemBench, FaultsSwitchedWhileThePortStaysOpen) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\nFaultUnknown = A115\n"
                     "[COM2]\nInstrument = DravonSwitch\n"),
            0);
  OpenAnalog(1);
  // The lower half of C is written, the upper half fails.
  ASSERT_EQ(bench.SetFault(1, "FaultLinkError = B206"), 0);
  std::int32_t status = -1;
  Cmd(1, 0xB205, 0x1234, status);
  EXPECT_EQ(status, 0);
  Cmd(1, 0xB206, 0x3F00, status);
  EXPECT_EQ(status, 3);
  Cmd(1, 0xA115, 0, status);
  EXPECT_EQ(status, 0) << "the bench file's faults are replaced";

  // A walk that fails part-way: counted from the call on.
  ASSERT_EQ(bench.SetFault(1, "FaultLinkError = B206@1\nFaultAnswer = B200:25@1 ; restore"), 0);
  Cmd(1, 0xB206, 0x3F00, status);
  EXPECT_EQ(status, 0);
  Cmd(1, 0xB206, 0x3F00, status);
  EXPECT_EQ(status, 3);
  EXPECT_EQ(Ask(1, 0xB200, 500).CC, 0);
  EXPECT_EQ(Ask(1, 0xB200, 600).CC, 25);

  // Readings, and the other library's functions.
  float p = 0;
  ASSERT_EQ(bench.SetFault(1, "FaultNoSignal = yes"), 0);
  EXPECT_EQ(an->GetPressInst(1, &p), 3);
  Cmd(1, 0xB206, 0x3F00, status);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(bench.SetFault(1, nullptr), 0);
  EXPECT_EQ(an->GetPressInst(1, &p), 0);
  OpenSwitch(2);
  TSwitchParams params{};
  ASSERT_EQ(bench.SetFault(2, "FaultLinkError = GetConf:9\nFaultNoConfig = yes"), 0);
  EXPECT_EQ(sw->GetConf(2, &params), 9);
  EXPECT_EQ(sw->GetPressInst(2, &p), 11);
  ASSERT_EQ(bench.SetFault(2, ""), 0);
  EXPECT_EQ(sw->GetConf(2, &params), 0);
  EXPECT_EQ(sw->GetPressInst(2, &p), 0);
}

TEST_F(SystemBench, FaultTextsTheBenchCannotUseChangeNothing) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\nFaultLinkError = A109\n"), 0);
  OpenAnalog(1);
  const struct {
    const char* text;
    const char* key; // named in the message, with line 1
  } cases[] = {
      {"FaultLinkError = B206@", "FaultLinkError"},
      {"FaultLinkError = B206@-1", "FaultLinkError"},
      {"FaultUnknown = A115:3", "FaultUnknown"},
      {"FaultNewer = yes", "FaultNewer"},
      {"FaultErrorEvent = 0x12@5", "FaultErrorEvent"},
      {"Pressure = 5", "Pressure"},
      {"FaultLink = B206", "FaultLink"},
      {"[COM2]", "COM2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(bench.SetFault(1, c.text), 4);
    EXPECT_NE(Messages().find("BenchSetFault COM1, line 1, key \"" + std::string(c.key) + "\""),
              std::string::npos)
        << Messages();
    std::int32_t status = 0;
    Cmd(1, 0xA109, 0, status);
    EXPECT_EQ(status, 3) << "the faults stay as they were";
  }
  EXPECT_EQ(bench.SetFault(9, ""), 5);
}

TEST_F(SystemBench, InstrumentsUnpluggedAndSwappedWhileThePortIsOpen) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\nSerial = 1001010\nLatencyMs = 0\n"
                     "FaultAnswer = A303:25\n"),
            0);
  OpenAnalog(1);
  Ask(1, 0xB200, 600); // working value, not stored

  ASSERT_EQ(bench.Plug(1, "Instrument = none"), 0);
  std::int32_t status = 0, code = -1;
  Cmd(1, 0xA107, 0, status);
  EXPECT_EQ(status, 2) << "nothing answers";
  EXPECT_EQ(an->GetInstType(1, &code), 0);
  EXPECT_EQ(code, 0);

  // Another transmitter: another serial number, starting up first; the port's faults stay.
  ASSERT_EQ(bench.Plug(1, "Instrument = DravonVision\nSerial = 7654321\nStartupMs = 500"), 0);
  EXPECT_EQ(Ask(1, 0xA100).CC, 14);
  Advance(500);
  EXPECT_EQ(Ask(1, 0xA107).BBAA, 7654321 & 0xFFFF);
  EXPECT_EQ(Ask(1, 0xA108).BBAA, 7654321 >> 16);
  ASSERT_EQ(an->GetInstType(1, &code), 0);
  EXPECT_EQ(code, 2);
  EXPECT_EQ(Ask(1, 0xA303).CC, 25);
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 300);
  Ask(1, 0xB201, 1000);
  Ask(1, 0xB10C);

  // The bench file's instrument again, as it was left.
  ASSERT_EQ(bench.Plug(1, nullptr), 0);
  EXPECT_EQ(Ask(1, 0xA107).BBAA, 1001010 & 0xFFFF);
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 600);
  EXPECT_EQ(Ask(1, 0xA201).BBAA, 966);
  ASSERT_EQ(bench.Plug(1, ""), 0) << "it is plugged in already";
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 600);

  // The other one again: what it stored, it has.
  ASSERT_EQ(bench.Plug(1, "Instrument = DravonVision\nSerial = 7654321"), 0);
  EXPECT_EQ(Ask(1, 0xA201).BBAA, 1000);

  // A switch on the analog library's port answers nothing; on the switch library's it does.
  ASSERT_EQ(bench.Plug(1, "Instrument = DravonSwitch\nSerial = 4242"), 0);
  Cmd(1, 0xA107, 0, status);
  EXPECT_EQ(status, 2);
  ASSERT_EQ(an->CloseCom(1), 0);
  OpenSwitch(1);
  TSwitchInfos infos{};
  ASSERT_EQ(sw->GetInfos(1, &infos), 0);
  EXPECT_EQ(infos.SerialNr, 4242);
  ASSERT_EQ(bench.Plug(1, "Instrument = DravonSwitch\nSerial = 4243"), 0);
  ASSERT_EQ(sw->GetInfos(1, &infos), 0);
  EXPECT_EQ(infos.SerialNr, 4243);
  ASSERT_EQ(bench.Plug(1, ""), 0);
  EXPECT_EQ(sw->GetInfos(1, &infos), 2);
}

TEST_F(SystemBench, PlugTextsTheBenchCannotUseChangeNothing) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n[COM2]\nAvailable = no\n"), 0);
  OpenAnalog(1);
  const struct {
    const char* text;
    const char* key;
  } cases[] = {{"Instrument = Dravon", "Instrument"},
               {"Instrument = 10\nAvailable = no", "Available"},
               {"Instrument = 10\nLatencyMs = 5", "LatencyMs"},
               {"Instrument = 10\nFaultNoSignal = yes", "FaultNoSignal"},
               {"Instrument = 10\nReferenceVelocity = 3\nPressure = 2", "Pressure"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(bench.Plug(1, c.text), 4);
    EXPECT_NE(Messages().find("BenchPlug COM1, line "), std::string::npos) << Messages();
    EXPECT_NE(Messages().find("key \"" + std::string(c.key) + "\""), std::string::npos);
    std::int32_t code = 0;
    ASSERT_EQ(an->GetInstType(1, &code), 0);
    EXPECT_EQ(code, 1) << "still the bench file's transmitter";
  }
  EXPECT_EQ(bench.Plug(2, "Instrument = 10"), 4) << "no such port on this computer";
  EXPECT_EQ(bench.Plug(0, ""), 5);
}

TEST_F(SystemBench, PortsThatCannotBeOpened) {
  ASSERT_EQ(UseBench("[COM1]\nAvailable = no\n[COM2]\nInstrument = DravonDat\n"
                     "FaultLinkError = OpenCom:1\n"),
            0);
  EXPECT_EQ(an->OpenCom(1), 1);
  EXPECT_EQ(sw->OpenComOnly(1), 1);
  EXPECT_EQ(an->OpenCom(2), 1);
  EXPECT_EQ(sw->OpenComOnly(2), 0) << "the fault is the analog library's";
}

// Only the calls that exchange data with the instrument take the port's latency; the port's
// housekeeping and the latest reading take none (the margin is wide: each would take 500 ms).
TEST_F(SystemBench, OnlyExchangesWithTheInstrumentTakeTheLatency) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\nLatencyMs = 500\n"
                     "[COM2]\nInstrument = DravonSwitch\nLatencyMs = 500\n"),
            0);
  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  ASSERT_EQ(an->OpenCom(1), 0);
  ASSERT_EQ(an->SetRecEventProc(1, LinkRecEventProc), 0);
  ASSERT_EQ(an->SetErrEventProc(1, LinkErrEventProc), 0);
  float p = 0;
  an->GetPressInst(1, &p);
  an->GetVelocityInst(1, &p);
  an->GetRecEventKind(1);
  TErrRec e{};
  an->GetLastError(1, &e);
  an->ClrErrors(1);
  ASSERT_EQ(sw->IsComXOpen(2), 0);
  ASSERT_EQ(sw->OpenComOnly(2), 0);
  ASSERT_EQ(sw->SetMovAverFilt(2, 1), 0);
  sw->GetPressInst(2, &p);
  sw->GetPressPar(2, &p, 0.3f, 966, 50, 1);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));

  start = Clock::now();
  Ask(1, 0xA100);
  std::int32_t code = 0;
  ASSERT_EQ(an->GetInstType(1, &code), 0);
  std::int32_t connected = 0;
  ASSERT_EQ(sw->IsDSwitchConn(2, &connected), 0);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1500));

  start = Clock::now();
  ASSERT_EQ(an->CloseCom(1), 0);
  ASSERT_EQ(sw->CloseCom(2), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
}

// ---- Bench files ----

TEST_F(SystemBench, MalformedBenchFileNamesFileLineAndKeyAndLeavesNoInstrument) {
  const struct {
    const char* text;
    int line;
    const char* key;
  } cases[] = {
      {"[COM1]\nInstrument = DravonDat\nRange = 250\n", 3, "Range"},
      {"[COM1]\nInstrument = DravonDat\nRangeMax = abc\n", 3, "RangeMax"},
      {"; bench\n[COM1]\nInstrument = Dravon\n", 3, "Instrument"},
      {"[COM9]\nInstrument = DravonDat\n", 1, "COM9"},
      {"Instrument = DravonDat\n", 1, "Instrument"},
      {"[COM1]\nInstrument DravonDat\n", 2, "Instrument DravonDat"},
      {"[COM1]\nInstrument = 1\nFaultAnswer = A303\n", 3, "FaultAnswer"},
      {"[COM1]\nInstrument = 1\nInstrument = 2\n", 3, "Instrument"},
      {"[COM1\nInstrument = 1\n", 1, "[COM1"},
      {"[COM2]\nInstrument = 9\nFirmware = 2.x\n", 3, "Firmware"},
      {"[COM1]\nInstrument = 1\nFaultErrorEvent = @5\n", 3, "FaultErrorEvent"},
      {"[COM1]\nInstrument = 1\nFaultLinkError = Open\n", 3, "FaultLinkError"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_GE(UseBench(c.text), 1);
    const std::string messages = Messages();
    const std::string where = (folder.Path() / "bench.ini").string() + "\", line " +
                              std::to_string(c.line) + ", key \"" + c.key + "\"";
    EXPECT_NE(messages.find(where), std::string::npos) << messages;
    for (std::int32_t port = 1; port <= 2; ++port) {
      ASSERT_EQ(an->OpenCom(port), 0);
      std::int32_t code = -1;
      EXPECT_EQ(an->GetInstType(port, &code), 0);
      EXPECT_EQ(code, 0);
    }
  }
}

TEST_F(SystemBench, UnreadableOrGarbledBenchFiles) {
  const std::string missing = (folder.Path() / "missing.ini").string();
  EXPECT_EQ(bench.Load(missing.c_str(), folder.Path().string().c_str()), 1);
  EXPECT_NE(Messages().find(missing), std::string::npos);
  std::string garbage(4096, '\0');
  for (std::size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<char>((i * 7919) % 256);
  EXPECT_GE(UseBench(garbage), 1);
  ASSERT_EQ(sw->OpenComOnly(1), 0);
  std::int32_t connected = -1;
  EXPECT_EQ(sw->IsDSwitchConn(1, &connected), 0);
  EXPECT_EQ(connected, 0);
}

// ---- Trace ----

TEST_F(SystemBench, TraceWritesEveryExchange) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n[COM2]\nInstrument = DravonSwitch\n"), 0);
  const std::string trace = (folder.Path() / "t.txt").string();
  ASSERT_EQ(bench.SetTrace(trace.c_str()), 0);
  const std::int32_t before = bench.ExchangeCount();
  ASSERT_EQ(an->OpenCom(1), 0);
  Ask(1, 0xA109);
  ASSERT_EQ(sw->OpenComOnly(2), 0);
  std::int32_t v = 0;
  ASSERT_EQ(sw->GetIConst(&v, 6), 0);
  ASSERT_EQ(bench.SetTrace(nullptr), 0);
  EXPECT_EQ(bench.ExchangeCount() - before, 4);
  const std::string lines = folder.Read("t.txt");
  for (const char* expected :
       {"\tDDatDll\tCOM1\tOpenCom\t\t\t0\n",
        "\tDDatDll\tCOM1\tTransCmd\tOO=A1 CC=09 BBAA=0000\too=A1 cc=00 bbaa=0004\t0\n",
        "\tDSwitch\tCOM2\tOpenComOnly\t\t\t0\n", "\tDSwitch\t-\tGetIConst\tid=6\t240\t0\n"})
    EXPECT_NE(lines.find(expected), std::string::npos) << expected << "\nin\n" << lines;
}

} // namespace
} // namespace dtool::test
