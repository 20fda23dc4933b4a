#include "benchfixture.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include "bench/benchcontrol.h"
#include "link/linkloader.h"
#include "tools/progtools.h"

namespace dtool::test {

namespace {

// The bench's control functions, from DBench beside the test program, loaded once.
struct TBenchControl {
  TLinkLibrary Lib;
  FnBenchLoad* Load = nullptr;
  FnBenchMessages* Messages = nullptr;
  FnBenchSetManualClock* SetManualClock = nullptr;
  FnBenchAdvanceTime* AdvanceTime = nullptr;
  FnBenchRaiseError* RaiseError = nullptr;
  FnBenchGetOutput* GetOutput = nullptr;
  FnBenchSetTrace* SetTrace = nullptr;

  TBenchControl() {
    TLinkLoadError err;
    const std::string path =
        LinkLibraryPath(GetProgPfad(), std::string(DTOOL_BENCH_LIBRARY) + LinkLibrarySuffix());
    if (!Lib.Open(path, err) || !Lib.Resolve("BenchLoad", Load, err) ||
        !Lib.Resolve("BenchMessages", Messages, err) ||
        !Lib.Resolve("BenchSetManualClock", SetManualClock, err) ||
        !Lib.Resolve("BenchAdvanceTime", AdvanceTime, err) ||
        !Lib.Resolve("BenchRaiseError", RaiseError, err) ||
        !Lib.Resolve("BenchGetOutput", GetOutput, err) ||
        !Lib.Resolve("BenchSetTrace", SetTrace, err))
      throw std::runtime_error(err.Text());
  }
};

TBenchControl& Control() {
  static TBenchControl control;
  return control;
}

std::vector<std::string> Split(const std::string& line, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(line);
  while (std::getline(in, part, sep))
    parts.push_back(part);
  return parts;
}

} // namespace

std::string Com(int port, const std::string& body) {
  return "[COM" + std::to_string(port) + "]\n" + body + "\n";
}

BenchTest::BenchTest() {
  static std::atomic<int> serial{0};
  folder_ =
      std::filesystem::temp_directory_path() /
      ("dtool-comm-" + std::to_string(std::random_device{}()) + "-" + std::to_string(serial++));
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  tracePath_ = folder_ / "trace.txt";
  owner_.prefs.ComPort = 1;
  owner_.prefs.MovAverFilt = 1;
  SetLinkDispatcher(&dispatcher_);
}

BenchTest::~BenchTest() {
  SetLinkDispatcher(nullptr);
  link_.reset();
  Control().SetTrace("");
  Control().Load("", folder_.string().c_str()); // closes every port and stops the callbacks
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

void BenchTest::StartBench(const std::string& benchText, std::int32_t port, std::uint8_t type) {
  const std::filesystem::path file = folder_ / "DBench.ini";
  std::filesystem::remove(folder_ / "DBenchState.ini"); // every set-up starts from the factory
  std::ofstream(file) << "[Bench]\nDescription = comm test\n" << benchText;
  const std::int32_t problems = Control().Load(file.string().c_str(), folder_.string().c_str());
  char messages[2000] = {};
  Control().Messages(messages, sizeof messages);
  ASSERT_EQ(problems, 0) << messages;
  Control().SetManualClock(1);
  Control().SetTrace("");
  std::filesystem::remove(tracePath_);
  ASSERT_EQ(Control().SetTrace(tracePath_.string().c_str()), 0);
  traceSkip_ = 0;
  owner_.prefs.ComPort = port;
  sett_.InstInfo.InstType = type;
  TLinkLoadError err;
  link_ = TInstLink::Load(sett_, owner_, GetProgPfad(), err);
  ASSERT_TRUE(link_) << err.Text();
}

std::vector<TTraceLine> BenchTest::Trace() const {
  std::vector<TTraceLine> lines;
  std::ifstream in(tracePath_);
  std::string line;
  std::size_t n = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#')
      continue;
    if (n++ < traceSkip_)
      continue;
    const auto f = Split(line, '\t');
    if (f.size() < 7)
      continue;
    lines.push_back({f[1], f[2], f[3], f[4], f[5], std::stoi(f[6])});
  }
  return lines;
}

void BenchTest::ClearTrace() {
  traceSkip_ += Trace().size();
}

std::vector<std::string> BenchTest::Calls(const std::string& library,
                                          const std::string& function) const {
  std::vector<std::string> calls;
  for (const TTraceLine& t : Trace())
    if (t.Library == library && t.Function == function)
      calls.push_back(t.Request.empty() ? t.Port : t.Port + " " + t.Request);
  return calls;
}

void BenchTest::AdvanceBench(std::int32_t ms) {
  ASSERT_EQ(Control().AdvanceTime(ms), 0);
}

void BenchTest::RaiseBenchError(std::int32_t port, std::int32_t errNr) {
  ASSERT_EQ(Control().RaiseError(port, errNr), 0);
}

void BenchTest::BenchOutput(std::int32_t port, double& signal, std::int32_t& mode) {
  ASSERT_EQ(Control().GetOutput(port, &signal, &mode), 0);
}

TransRec BenchTest::Ask(std::uint16_t oocc, std::uint16_t bbaa) {
  TransRec rec = MakeTransRec(oocc, bbaa);
  EXPECT_EQ(link_->Analog().TransCmd(owner_.prefs.ComPort, &rec), 0);
  return rec;
}

} // namespace dtool::test
