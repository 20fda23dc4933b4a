#include "benchform.h"

#include <QDir>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "bench/benchcontrol.h"
#include "link/analoglink.h"
#include "link/instlink.h"
#include "link/linkloader.h"
#include "tools/progtools.h"

namespace dtool::test {

struct TBenchControl::TImpl {
  TLinkLibrary Lib;
  FnBenchLoad* Load = nullptr;
  FnBenchMessages* Messages = nullptr;
  FnBenchSetManualClock* SetManualClock = nullptr;
  FnBenchAdvanceTime* AdvanceTime = nullptr;
  FnBenchSetPressure* SetPressure = nullptr;
  FnBenchRaiseError* RaiseError = nullptr;
  FnBenchSetTrace* SetTrace = nullptr;
  FnBenchExchangeCount* ExchangeCount = nullptr;
};

TBenchControl::TBenchControl() : impl_(new TImpl) {
  TLinkLoadError err;
  const std::string path =
      LinkLibraryPath(GetProgPfad(), std::string(DTOOL_BENCH_LIBRARY) + LinkLibrarySuffix());
  TImpl& b = *impl_;
  if (!b.Lib.Open(path, err) || !b.Lib.Resolve("BenchLoad", b.Load, err) ||
      !b.Lib.Resolve("BenchMessages", b.Messages, err) ||
      !b.Lib.Resolve("BenchSetManualClock", b.SetManualClock, err) ||
      !b.Lib.Resolve("BenchAdvanceTime", b.AdvanceTime, err) ||
      !b.Lib.Resolve("BenchSetPressure", b.SetPressure, err) ||
      !b.Lib.Resolve("BenchRaiseError", b.RaiseError, err) ||
      !b.Lib.Resolve("BenchSetTrace", b.SetTrace, err) ||
      !b.Lib.Resolve("BenchExchangeCount", b.ExchangeCount, err))
    throw std::runtime_error(err.Text());
}

TBenchControl& TBenchControl::Get() {
  static TBenchControl control;
  return control;
}

std::int32_t TBenchControl::Load(const std::string& file, const std::string& stateFolder) {
  return impl_->Load(file.c_str(), stateFolder.c_str());
}

std::string TBenchControl::Messages() {
  char text[4000] = {};
  impl_->Messages(text, sizeof text);
  return text;
}

void TBenchControl::SetManualClock(bool manual) {
  EXPECT_EQ(impl_->SetManualClock(manual ? 1 : 0), 0);
}

void TBenchControl::Advance(std::int32_t ms) {
  EXPECT_EQ(impl_->AdvanceTime(ms), 0);
}

void TBenchControl::SetPressure(std::int32_t port, double pa) {
  EXPECT_EQ(impl_->SetPressure(port, pa), 0);
}

void TBenchControl::RaiseError(std::int32_t port, std::int32_t errNr) {
  EXPECT_EQ(impl_->RaiseError(port, errNr), 0);
}

void TBenchControl::SetTrace(const std::string& path) {
  EXPECT_EQ(impl_->SetTrace(path.c_str()), 0);
}

std::int32_t TBenchControl::ExchangeCount() {
  return impl_->ExchangeCount();
}

std::string Com(int port, const std::string& body) {
  return "[COM" + std::to_string(port) + "]\n" + body + "\n";
}

void BenchFormTest::SetUp() {
  MainFormTest::SetUp();
  SetLinkDispatcher(&dispatcher);
  benchFile_ = QDir(dir.path()).filePath(QStringLiteral("DBench.ini")).toStdString();
  tracePath_ = QDir(dir.path()).filePath(QStringLiteral("trace.txt")).toStdString();
}

void BenchFormTest::TearDown() {
  form.reset();
  SetLinkDispatcher(nullptr);
  TBenchControl& bench = TBenchControl::Get();
  bench.SetTrace("");
  // Back to the bench of the test run, with nothing connected.
  const char* file = std::getenv("DTOOL_BENCH");
  const char* state = std::getenv("DTOOL_BENCH_STATE");
  bench.Load(file ? file : "", state ? state : "");
  MainFormTest::TearDown();
}

void BenchFormTest::StartBench(const std::string& sections) {
  std::remove(QDir(dir.path()).filePath(QStringLiteral("DBenchState.ini")).toLocal8Bit());
  std::ofstream(benchFile_) << "[Bench]\nDescription = main window test\n" << sections;
  ReloadBench();
}

void BenchFormTest::ReloadBench() {
  TBenchControl& bench = TBenchControl::Get();
  bench.SetTrace("");
  const std::int32_t problems = bench.Load(benchFile_, dir.path().toStdString());
  ASSERT_EQ(problems, 0) << bench.Messages();
  bench.SetManualClock(true);
  std::remove(tracePath_.c_str());
  bench.SetTrace(tracePath_);
  traceSkip_ = 0;
}

std::vector<TBenchCall> BenchFormTest::Trace() const {
  std::vector<TBenchCall> calls = ReadBenchTrace(tracePath_);
  calls.erase(calls.begin(), calls.begin() + std::ptrdiff_t(std::min(traceSkip_, calls.size())));
  return calls;
}

void BenchFormTest::ClearTrace() {
  traceSkip_ += Trace().size();
}

std::vector<std::string> BenchFormTest::AnalogCommands() const {
  std::vector<std::string> commands;
  for (const TBenchCall& c : Trace())
    if (c.Function == "TransCmd" && c.Request.size() >= 11)
      commands.push_back(c.Request.substr(3, 2) + c.Request.substr(9, 2));
  return commands;
}

std::vector<TBenchCall> BenchFormTest::CallsOf(const std::string& function) const {
  std::vector<TBenchCall> calls;
  for (const TBenchCall& c : Trace())
    if (c.Function == function)
      calls.push_back(c);
  return calls;
}

TransRec BenchFormTest::Ask(std::uint16_t oocc, std::uint16_t bbaa) {
  TransRec rec = MakeTransRec(oocc, bbaa);
  EXPECT_EQ(form->Link()->Analog().TransCmd(form->Prefs().ComPort, &rec), 0);
  return rec;
}

std::string BenchFormTest::LogFile() const {
  return form->LogFileName();
}

std::string BenchFormTest::ReadTextFile(const std::string& path) const {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace dtool::test
