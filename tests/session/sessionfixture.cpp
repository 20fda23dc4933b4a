#include "sessionfixture.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include "tools/progtools.h"

namespace dtool::test {

void PrintTo(const ScriptedPort::Message& m, std::ostream* os) {
  *os << m.kind << " \"" << m.text << "\"";
}

bool TFakeView::AskProtCode(std::int32_t& code, const std::string& caption,
                            const std::string& label) {
  prompts.push_back(caption + " / " + label);
  if (codes.empty()) {
    ADD_FAILURE() << "a code prompt nobody expected: " << caption;
    return false;
  }
  const std::optional<std::int32_t> next = codes.front();
  codes.pop_front();
  if (next)
    code = *next;
  return next.has_value();
}

int TFakeView::Count(const std::string& call) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

SessionTest::SessionTest() {
  static std::atomic<int> serial{0};
  folder_ =
      std::filesystem::temp_directory_path() /
      ("dtool-session-" + std::to_string(std::random_device{}()) + "-" + std::to_string(serial++));
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  tracePath_ = folder_ / "trace.txt";
  SetAppTitle(AppTitle);
  SetLinkDispatcher(&dispatcher);
}

SessionTest::~SessionTest() {
  session_.reset();
  SetLinkDispatcher(nullptr);
  TBenchControl& bench = TBenchControl::Get();
  bench.SetTrace("");
  bench.Load("", folder_.string()); // closes every port and stops the callbacks
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

std::string SessionTest::Instrument(int type, const std::string& extra) {
  return Com(1, "Instrument = " + std::to_string(type) +
                    "\nSerial = 1234567\nRangeMax = " + (type == 9 ? "500" : "200") + "\n" + extra);
}

void SessionTest::Start(const std::string& sections, std::uint8_t type, std::int32_t comPort) {
  session_.reset();
  TBenchControl& bench = TBenchControl::Get();
  bench.SetTrace("");
  const std::filesystem::path file = folder_ / "DBench.ini";
  std::filesystem::remove(folder_ / "DBenchState.ini");
  std::ofstream(file) << "[Bench]\nDescription = session test\n" << sections;
  const std::int32_t problems = bench.Load(file.string(), folder_.string());
  ASSERT_EQ(problems, 0) << bench.Messages();
  bench.SetManualClock(true);
  std::filesystem::remove(tracePath_);
  bench.SetTrace(tracePath_.string());
  traceSkip_ = 0;

  TSessionSetup setup;
  setup.LogFile = (folder_ / LogFileBaseName).string();
  setup.RecordUsable = checks;
  // The zero calibration's clock runs on the bench's time: each pause moves both.
  setup.Clock = {[this] { return now_; },
                 [this](int ms) {
                   now_ += static_cast<std::uint32_t>(ms);
                   TBenchControl::Get().Advance(ms);
                 }};
  session_ = std::make_unique<TSession>(view, std::move(setup));
  ASSERT_NE(session_->Link(), nullptr) << session_->LinkLoadError().Text();
  TPreferences& p = session_->Prefs();
  p = DefaultPreferences();
  p.ComPort = comPort;
  p.LastInstType = type;
  TSettings& s = session_->Settings();
  s.SetDefaults(false, false);
  s.InstInfo.InstType = type;
  if (type != 0) {
    s.InstInfo.SerialNr.Set("1001010");
    s.InstInfo.RangeMax = 250;
    s.InstInfo.RangeMin = -250;
  }
  session_->ReopenLink();
  port.Clear();
  view.calls.clear();
  ClearTrace();
}

void SessionTest::ReadOn(int type, const std::string& extra) {
  Start(Instrument(type, extra), static_cast<std::uint8_t>(type));
  EXPECT_EQ(S().Read(), TOutcome::Done) << (port.messages.empty() ? "" : port.Texts().front());
  port.Clear();
  view.calls.clear();
  ClearTrace();
}

std::vector<TBenchCall> SessionTest::Trace() const {
  std::vector<TBenchCall> calls = ReadBenchTrace(tracePath_.string());
  calls.erase(calls.begin(), calls.begin() + std::ptrdiff_t(std::min(traceSkip_, calls.size())));
  return calls;
}

void SessionTest::ClearTrace() {
  traceSkip_ += Trace().size();
}

std::vector<std::string> SessionTest::AnalogCommands() const {
  std::vector<std::string> commands;
  for (const TBenchCall& c : Trace())
    if (c.Function == "TransCmd" && c.Request.size() >= 11)
      commands.push_back(c.Request.substr(3, 2) + c.Request.substr(9, 2));
  return commands;
}

std::vector<std::string> SessionTest::Writes() const {
  std::vector<std::string> writes;
  for (const std::string& c : AnalogCommands())
    if (c[0] == 'B' && c != "B10B")
      writes.push_back(c);
  return writes;
}

std::vector<TBenchCall> SessionTest::CallsOf(const std::string& function) const {
  std::vector<TBenchCall> calls;
  for (const TBenchCall& c : Trace())
    if (c.Function == function)
      calls.push_back(c);
  return calls;
}

std::vector<std::string> SessionTest::Requests(const std::string& function) const {
  std::vector<std::string> requests;
  for (const TBenchCall& c : CallsOf(function))
    requests.push_back(c.Request.empty() ? c.Port : c.Port + " " + c.Request);
  return requests;
}

TransRec SessionTest::Ask(std::uint16_t oocc, std::uint16_t bbaa) {
  TransRec rec = MakeTransRec(oocc, bbaa);
  EXPECT_EQ(session_->Link()->Analog().TransCmd(session_->Prefs().ComPort, &rec), 0);
  return rec;
}

std::string SessionTest::ReadTextFile(const std::string& path) const {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace dtool::test
