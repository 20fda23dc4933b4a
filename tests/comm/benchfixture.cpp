#include "benchfixture.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>

#include "link/linkloader.h"
#include "tools/progtools.h"

namespace dtool::test {

namespace {

TBenchControl& Control() {
  return TBenchControl::Get();
}

} // namespace

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
  Control().Load("", folder_.string()); // closes every port and stops the callbacks
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

void BenchTest::StartBench(const std::string& benchText, std::int32_t port, std::uint8_t type) {
  const std::filesystem::path file = folder_ / "DBench.ini";
  std::filesystem::remove(folder_ / "DBenchState.ini"); // every set-up starts from the factory
  std::ofstream(file) << "[Bench]\nDescription = comm test\n" << benchText;
  const std::int32_t problems = Control().Load(file.string(), folder_.string());
  ASSERT_EQ(problems, 0) << Control().Messages();
  Control().SetManualClock(true);
  Control().SetTrace("");
  std::filesystem::remove(tracePath_);
  Control().SetTrace(tracePath_.string());
  traceSkip_ = 0;
  owner_.prefs.ComPort = port;
  sett_.InstInfo.InstType = type;
  TLinkLoadError err;
  link_ = TInstLink::Load(sett_, owner_, GetProgPfad(), err);
  ASSERT_TRUE(link_) << err.Text();
}

std::vector<TTraceLine> BenchTest::Trace() const {
  std::vector<TTraceLine> lines = ReadBenchTrace(tracePath_.string());
  lines.erase(lines.begin(),
              lines.begin() + static_cast<std::ptrdiff_t>(std::min(traceSkip_, lines.size())));
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
  Control().Advance(ms);
}

void BenchTest::RaiseBenchError(std::int32_t port, std::int32_t errNr) {
  Control().RaiseError(port, errNr);
}

void BenchTest::BenchOutput(std::int32_t port, double& signal, std::int32_t& mode) {
  Control().GetOutput(port, signal, mode);
}

TransRec BenchTest::Ask(std::uint16_t oocc, std::uint16_t bbaa) {
  TransRec rec = MakeTransRec(oocc, bbaa);
  EXPECT_EQ(link_->Analog().TransCmd(owner_.prefs.ComPort, &rec), 0);
  return rec;
}

} // namespace dtool::test
