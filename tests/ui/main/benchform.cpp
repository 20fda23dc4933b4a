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
