// The bench's readers: the bench file (and the texts of BenchSetFault and BenchPlug, which take
// its keys) either gives a bench or messages naming the file, the line and the key, never both
// and never neither; the state file gives instruments that keep their configuration within
// their limits and read finite values.
#include "fuzz/fuzzcheck.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "bench/analoginst.h"
#include "bench/analogregs.h"
#include "bench/benchsetup.h"
#include "bench/inifile.h"
#include "bench/switchinst.h"

namespace dtool::fuzz {
namespace {

using namespace dtool::bench;

constexpr const char* FileName = "fuzz.ini";

int LineCount(std::string_view text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

bool Printable(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x7F;
  });
}

// A message "<source>, line <n>, key "<key>": <text>" with 1 <= n <= lines.
void RequireProblemMessage(const std::string& m, const std::string& source, int lines) {
  FUZZ_REQUIRE(m.rfind(source + ", line ", 0) == 0, m);
  std::size_t at = source.size() + 7;
  int line = 0;
  while (at < m.size() && m[at] >= '0' && m[at] <= '9' && line < 1000000)
    line = line * 10 + (m[at++] - '0');
  FUZZ_REQUIRE(line >= 1 && line <= lines, m);
  FUZZ_REQUIRE(m.compare(at, 7, ", key \"") == 0, m);
  FUZZ_REQUIRE(m.find("\": ", at + 7) != std::string::npos, m);
}

// The messages of a text that was not used: the problems, each naming its line and key, at
// most 20, then how many more there were.
void RequireProblems(const std::vector<std::string>& messages, std::size_t count,
                     const std::string& source, int lines) {
  FUZZ_REQUIRE(count >= 1 && count <= 21, std::to_string(count) + " problem messages");
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& m = messages[i];
    FUZZ_REQUIRE(Printable(m), "message with characters that cannot be shown: " + m);
    if (i == 20)
      FUZZ_REQUIRE(m.rfind(source + ": ", 0) == 0 && m.find(" more problems") != std::string::npos,
                   m);
    else
      RequireProblemMessage(m, source, lines);
  }
}

bool NoFaults(const TFaults& f) {
  return f.LinkErrorCmd.empty() && f.LinkErrorFn.empty() && f.Answer.empty() && f.Unknown.empty() &&
         !f.NoSignal && !f.Overflow && !f.Underflow && !f.NoConfig && !f.Newer &&
         f.ErrorEventNr == -1;
}

void RequireFinite(double v, const char* what) {
  FUZZ_REQUIRE(std::isfinite(v), what);
}

// A port set up from a text that had no problem holds values within the bench file's limits.
void RequireWithinLimits(const TPortSetup& s) {
  FUZZ_REQUIRE(s.Type >= 0 && s.Type <= 11, "Type");
  FUZZ_REQUIRE(s.RangeMax >= 1 && s.RangeMax <= 32767, "RangeMax");
  FUZZ_REQUIRE(s.RangeMin >= -32768 && s.RangeMin <= 0, "RangeMin");
  FUZZ_REQUIRE(s.LatencyMs >= 0 && s.LatencyMs <= 10000, "LatencyMs");
  FUZZ_REQUIRE(s.StartupMs >= 0 && s.StartupMs <= 3600000, "StartupMs");
  FUZZ_REQUIRE(s.ZeroBusyMs >= 0 && s.ZeroBusyMs <= 3600000, "ZeroBusyMs");
  const TPressureSource& p = s.Source;
  for (double v : {p.Pressure, p.Wave, p.PeriodS, p.Noise, p.SensorOffset, p.GainError,
                   p.HoseLength, p.AtmPress, p.Humidity, s.OutputGain, s.OutputOffset})
    RequireFinite(v, "a real value of the set-up");
  FUZZ_REQUIRE(p.PeriodS > 0 && p.GainError >= 0.5 && p.GainError <= 2, "period, gain error");
}

// Runs the instrument the set-up describes for a while: its readings, registers, output and
// display must be what the program can take.
void Exercise(const TPortSetup& s) {
  if (!s.Connected())
    return;
  const std::int64_t on = s.StartupMs + 3000;
  if (s.IsSwitch()) {
    TSwitchInstrument sw(s);
    sw.PowerUp(0);
    sw.Advance(on);
    float p = 0;
    if (sw.Pressure(on, p) == swreading::Valid)
      RequireFinite(p, "switch pressure");
    TSwitchParams conf{};
    if (sw.GetConf(conf) == 0)
      for (double v : {conf.Hose_length, conf.Atm_Press, conf.Humidity, conf.Gain_Sens, conf.Al1Hys,
                       conf.Al2Hys, conf.Al1Thre, conf.Al2Thre})
        RequireFinite(v, "switch configuration");
    sw.Infos();
    return;
  }
  TAnalogInstrument an(s);
  an.PowerUp(0);
  an.Advance(on);
  float v = 0;
  if (an.Pressure(on, v) == anreading::Valid)
    RequireFinite(v, "pressure");
  if (an.Velocity(on, v) == anreading::Valid)
    RequireFinite(v, "velocity");
  int count = 0;
  const TRegister* regs = RegisterMap(TypeClass(s.Type), count);
  for (int i = 0; i < count; ++i) {
    TransRec rec = MakeTransRec(regs[i].Read);
    an.Exchange(rec, on);
  }
  for (std::uint16_t command : {cmd::Identify, cmd::State, cmd::RangeMax, cmd::RangeMin,
                                cmd::MainFirmware, cmd::SensorFirmware, cmd::SerialLow,
                                cmd::SerialHigh, cmd::HostLevel, cmd::CapLevel, cmd::OutputKind}) {
    TransRec rec = MakeTransRec(command);
    an.Exchange(rec, on);
  }
  double signal = 0;
  TOutputMode mode{};
  if (an.Output(on, signal, mode))
    RequireFinite(signal, "output signal");
  std::string shown;
  int contrast = 0;
  an.Display(on, shown, contrast);
  std::string outputSignal;
  an.OutputState(on, outputSignal);
  an.DisplayState();
}

std::string SectionText(const TIniSection& section) {
  TIniDoc doc;
  doc.Sections.push_back(section);
  return FormatIni(doc);
}

} // namespace

void CheckBenchFile(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const int lines = LineCount(text) + 1; // the control texts get a section line in front

  std::vector<std::string> messages;
  const TBenchSetup setup = ParseBenchSetup(text, FileName, messages);
  const std::string source = std::string("Bench file \"") + FileName + "\"";
  if (messages.empty()) {
    for (const TPortSetup& s : setup.Ports) {
      RequireWithinLimits(s);
      Exercise(s);
    }
  } else {
    FUZZ_REQUIRE(messages.back() ==
                     source + " is not used: the bench has no instruments connected.",
                 messages.back());
    RequireProblems(messages, messages.size() - 1, source, lines);
    FUZZ_REQUIRE(setup.Description.empty(), "a description of a bench not used");
    for (const TPortSetup& s : setup.Ports)
      FUZZ_REQUIRE(!s.Connected() && s.Available && NoFaults(s.Faults) && s.LatencyMs == 0,
                   "a port of a bench not used is set up");
  }

  // The same text given to BenchSetFault: the faults of the line, or problems and no change.
  messages.clear();
  TFaults faults;
  faults.NoSignal = true; // to see that a refused text changes nothing
  const bool faultsTaken = ParseLineFaults(text, "BenchSetFault COM1", faults, messages);
  FUZZ_REQUIRE(faultsTaken == messages.empty(), "faults taken with problems, or refused without");
  if (!faultsTaken) {
    FUZZ_REQUIRE(faults.NoSignal && faults.LinkErrorCmd.empty(), "refused faults were changed");
    RequireProblems(messages, messages.size(), "BenchSetFault COM1", lines);
  }

  // And to BenchPlug: an instrument, or problems.
  messages.clear();
  TPortSetup plugged;
  plugged.Type = 1;
  const bool instrumentTaken = ParseInstrument(text, 2, "BenchPlug COM3", plugged, messages);
  FUZZ_REQUIRE(instrumentTaken == messages.empty(), "an instrument with problems, or refused");
  if (instrumentTaken) {
    RequireWithinLimits(plugged);
    Exercise(plugged);
  } else {
    FUZZ_REQUIRE(plugged.Type == 1, "a refused instrument was changed");
    RequireProblems(messages, messages.size(), "BenchPlug COM3", lines);
  }
}

// What an instrument keeps of a stored state it keeps again after storing it: its state saved,
// loaded into a new instrument and saved again gives the same text.
template <typename TInstrument>
void RequireStableState(const TInstrument& loaded, const TPortSetup& setup, const char* what) {
  TIniSection stored, again;
  loaded.Save(stored);
  TInstrument second(setup);
  second.Load(stored);
  second.Save(again);
  FUZZ_REQUIRE(SectionText(stored) == SectionText(again), what);
}

void CheckBenchState(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<TIniProblem> problems;
  const TIniDoc doc = ParseIni(text, problems);
  const int lines = LineCount(text);
  for (const TIniProblem& p : problems)
    FUZZ_REQUIRE(p.Line >= 1 && p.Line <= lines, "problem line " + std::to_string(p.Line));

  // Each stored section given to an instrument of each kind, as the bench does when its key
  // names one: what it keeps, it keeps again after storing, and it reads finite values.
  std::size_t sections = 0;
  for (const TIniSection& section : doc.Sections) {
    if (++sections > 4)
      break;
    for (int type : {10, 2, 8, 9}) {
      TPortSetup setup;
      setup.Type = type;
      if (type == TypeSwitch) {
        setup.RangeMin = 0;
        setup.RangeMax = 500;
        TSwitchInstrument first(setup);
        first.Load(section);
        RequireStableState<TSwitchInstrument>(first, setup, "switch state not stable");
        first.PowerUp(0);
        first.Advance(5000);
        float p = 0;
        if (first.Pressure(5000, p) == swreading::Valid)
          RequireFinite(p, "switch pressure from a stored state");
        continue;
      }
      TAnalogInstrument first(setup);
      first.Load(section);
      RequireStableState<TAnalogInstrument>(first, setup, "analog state not stable");
      first.PowerUp(0);
      first.Advance(5000);
      float v = 0;
      if (first.Pressure(5000, v) == anreading::Valid)
        RequireFinite(v, "pressure from a stored state");
      if (first.Velocity(5000, v) == anreading::Valid)
        RequireFinite(v, "velocity from a stored state");
      double signal = 0;
      TOutputMode mode{};
      if (first.Output(5000, signal, mode))
        RequireFinite(signal, "output signal from a stored state");
    }
  }
}

} // namespace dtool::fuzz
