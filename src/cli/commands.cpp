#include "cli/commands.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#include "cli/cliargs.h"
#include "cli/cliport.h"
#include "cli/json.h"
#include "cli/setfileprefs.h"
#include "core/insttypes.h"
#include "core/units.h"
#include "link/dispatcher.h"
#include "link/linkformat.h"
#include "records/configfile.h"
#include "records/realformat.h"
#include "session/session.h"
#include "tools/progtools.h"

namespace dtool::cli {

namespace {

using Clock = std::chrono::steady_clock;

// How often an instrument that is not ready yet is asked again.
constexpr auto PollPause = std::chrono::milliseconds(200);
// How long after its configuration was read the switch's "no data" is not shown, as in the
// main window.
constexpr auto SwitchNoDataQuiet = std::chrono::milliseconds(5000);
// How long live waits for a reading before it gives up.
constexpr auto LiveTimeout = std::chrono::seconds(10);

// ---- The view of the session ----

class TCliView : public ISessionView {
public:
  explicit TCliView(bool interactive) : interactive_(interactive) {}

  void LiveReadingDue() override { ++liveDue; }
  void SwitchConfigRead() override { switchConfigReadAt = Clock::now(); }

  bool AskProtCode(std::int32_t& code, const std::string& caption,
                   const std::string& label) override {
    ++codeAsked;
    // Without a terminal nobody can answer: the code must come with the command.
    if (!interactive_)
      return false;
    std::cerr << caption << " - " << label << ": " << std::flush;
    std::string line;
    if (!std::getline(std::cin, line))
      return false;
    std::int64_t v = 0;
    std::istringstream in(line);
    if (!(in >> v) || v < 1 || v > 65535)
      return false;
    code = static_cast<std::int32_t>(v);
    return true;
  }
  bool ShowPreferencesForPort() override { return false; }
  void ReportNewerInstrument() override {
    WarningBox("The connected instrument is equipped with an enhanced \rfunctionality which is "
               "not supported by this this DravonTool \rversion. Please find the recent version "
               "on our Homepage. ");
    ended = true;
  }
  void EndApplication() override { ended = true; }
  // A code given with the command stays for the whole command.
  bool OperatorAtView() override { return false; }
  std::string Caption() override { return GetAppTitle() + " " + AppVersion; }

  int liveDue = 0;
  int codeAsked = 0;
  // When the switch's configuration was read last: it reports no data for a few seconds.
  std::optional<Clock::time_point> switchConfigReadAt;
  bool ended = false;

private:
  bool interactive_;
};

std::string NeedCodeText() {
  return "The instrument needs its protection code: give --code or set " +
         std::string(CodeVariable) + ".";
}

// ---- Values as the file holds them ----

// A value as the configuration file writes it: reals in their storage unit, counts, flags
// and display units as they stand.
std::string FileText(const TConfigField& f, double stored) {
  switch (f.Type) {
  case TValueType::Real:
  case TValueType::Single:
    return FormatGeneralReal(stored);
  case TValueType::Integer:
    return std::to_string(static_cast<long long>(stored));
  case TValueType::Flag:
  case TValueType::Boolean:
    return stored != 0 ? "1" : "0";
  case TValueType::Unit:
    break;
  }
  const auto u = static_cast<TUnit>(stored);
  return u <= unit::Last ? UnitText(u) : std::to_string(u);
}

// The storage unit of a real, empty for the other values and for factors.
std::string StorageUnitText(const TConfigField& f) {
  if (f.Type != TValueType::Real && f.Type != TValueType::Single)
    return {};
  if (f.Kind == TUnitKind::AnalogSignal)
    return UnitText(unit::mA);
  return f.StorageUnit <= unit::Last ? UnitText(f.StorageUnit) : std::string();
}

// The value with its unit as the file holds it and, when the file names another unit for
// its kind, in that unit as well: "0.3 m (11.8110236220472 inch)".
std::string ValueText(const TConfigField& f, double stored, const TViewUnits& units) {
  std::string text = FileText(f, stored);
  const std::string storageUnit = StorageUnitText(f);
  if (storageUnit.empty())
    return text;
  text += " " + storageUnit;
  const TUnit shown = ShownUnit(f, units);
  const std::string shownUnit = shown <= unit::Last ? UnitText(shown) : std::string();
  if (!shownUnit.empty() && shownUnit != storageUnit)
    text += " (" + FormatGeneralReal(ShownValue(f, stored, units)) + " " + shownUnit + ")";
  return text;
}

bool IsVelocityField(const TConfigField& f) {
  const std::string name = f.Name;
  return name == "Velocity_C" || name == "Velocity_n" || name == "An_velocity_from" ||
         name == "An_velocity_to";
}

// The parameters that differ, without those a class-1 instrument without velocity registers
// does not have.
std::vector<TParamDiff> Differences(const TSettings& sett, const TParamRecords& a,
                                    const TParamRecords& b) {
  std::vector<TParamDiff> diffs = DiffConfig(sett.GetInstClass(), a, b);
  if (sett.GetInstClass() == ClassTransmitter && sett.Cap_level() < 1)
    std::erase_if(diffs, [](const TParamDiff& d) { return IsVelocityField(*d.Field); });
  return diffs;
}

// The file's values that a class-1 instrument without velocity registers cannot take, as a
// line; empty when there are none.
std::string NotApplicableLine(const TSettings& sett, const TParamRecords& instrument,
                              const TParamRecords& file) {
  if (sett.GetInstClass() != ClassTransmitter || sett.Cap_level() >= 1)
    return {};
  std::string names;
  for (const TParamDiff& d : DiffConfig(sett.GetInstClass(), instrument, file))
    if (IsVelocityField(*d.Field))
      names += std::string(names.empty() ? "" : ", ") + d.Field->Name;
  if (names.empty())
    return {};
  return "The instrument has no velocity registers (capability level 0): the file's " + names +
         " cannot go to it.";
}

TParamRecords RecordsOf(const TSettings& sett) {
  return TParamRecords{sett.Class1, sett.Class23, sett.Switch};
}

// ---- One run ----

class TRun {
public:
  TRun(const TCliArgs& args, const TCliEnvironment& env, std::ostream& out, TCliPort& port)
      : args_(args), env_(env), out_(out), port_(port), view_(env.Interactive) {}

  int Execute();

private:
  int Fail(int status, const std::string& line);
  int Finish(int status, TJsonObject json);
  int OutcomeStatus(TOutcome outcome) const;
  // A code prompt that could not be shown: tells why the operation stopped.
  void ExplainCodePrompt(TOutcome outcome);
  // Opens the port and waits, within --wait, for an instrument that answers and is ready.
  int Connect();
  // Connect and read the whole configuration.
  int ConnectAndRead();
  std::optional<TConfig> LoadFile(int& status);
  bool FitsInstrument(const TConfig& config);
  std::string DiffLine(const TParamDiff& d, const TViewUnits& units, const char* a,
                       const char* b) const;
  std::string DiffJson(const std::vector<TParamDiff>& diffs, const char* a, const char* b) const;

  int Info();
  int Read();
  int Write();
  int Diff();
  int Zero();
  int Live();
  int Report();

  const TCliArgs& args_;
  const TCliEnvironment& env_;
  std::ostream& out_;
  TCliPort& port_;
  TCliView view_;
  TQueueDispatcher dispatcher_;
  std::unique_ptr<TSession> session_;
  TPreferences prefs_ = DefaultPreferences();
  const char* name_ = "";
};

int TRun::Fail(int status, const std::string& line) {
  if (!line.empty())
    port_.ErrorBox(line, false);
  return Finish(status, TJsonObject());
}

// Ends the command: with --json the object gets the command, its result and every message.
int TRun::Finish(int status, TJsonObject json) {
  if (!args_.Json)
    return status;
  TJsonArray messages;
  for (const TCliPort::TMessage& m : port_.Messages())
    messages.Raw(TJsonObject().Str("kind", m.Kind).Str("text", m.Text).Text());
  TJsonObject all;
  all.Str("command", name_).Bool("ok", status == exitcode::Ok).Num("exit", status);
  std::string body = json.Text();
  if (body.size() > 2)
    all.Raw("result", body);
  all.Raw("messages", messages.Text());
  out_ << all.Text() << '\n';
  return status;
}

void TRun::ExplainCodePrompt(TOutcome outcome) {
  // Without a terminal the code prompt was not shown: say what was missing or wrong.
  if (outcome != TOutcome::Declined || view_.codeAsked == 0)
    return;
  if (args_.Code)
    port_.WarningBox(WrongProtCodeText);
  else
    port_.ErrorBox(NeedCodeText(), false);
}

int TRun::OutcomeStatus(TOutcome outcome) const {
  switch (outcome) {
  case TOutcome::Done:
    return exitcode::Ok;
  case TOutcome::WrongCode:
  case TOutcome::Locked:
    return exitcode::ProtCode;
  case TOutcome::Declined:
    // The only question without a fixed answer is the code prompt.
    return view_.codeAsked > 0 ? exitcode::ProtCode : exitcode::NoInstrument;
  default:
    return exitcode::NoInstrument;
  }
}

int TRun::Connect() {
  TSessionSetup setup;
  session_ = std::make_unique<TSession>(view_, std::move(setup));
  if (!session_->Link())
    return Fail(exitcode::NoInstrument, session_->LinkLoadError().Text());
  session_->Prefs() = prefs_;
  TSettings& sett = session_->Settings();
  sett.SetDefaults(false, false);
  sett.ResetInstInfo();
  TInstLink& link = *session_->Link();
  if (!link.OpenPort(prefs_.ComPort))
    return Fail(exitcode::NoInstrument,
                LinkFormat("COMPORT %d could not be opened! ", static_cast<int>(prefs_.ComPort)));
  const auto deadline =
      Clock::now() + std::chrono::milliseconds(std::llround(args_.WaitSeconds * 1000));
  for (;;) {
    std::int32_t status = 0;
    const std::uint8_t type = link.DetectAnyInst(status);
    if (status == linkstatus::PortNotOpen)
      return Fail(exitcode::NoInstrument,
                  LinkFormat("COMPORT %d could not be opened! ", static_cast<int>(prefs_.ComPort)));
    sett.SetInstType(type);
    bool ready = type != 0;
    if (ready && IsAnalogFamily(type))
      ready = link.GetInstState() == inststate::Operational;
    if (ready)
      return exitcode::Ok;
    if (Clock::now() >= deadline) {
      // The session's own check says why, in its words.
      if (type == 0)
        return Fail(exitcode::NoInstrument, "No known instrument connected!");
      link.InstrumentReady();
      return Fail(exitcode::NoInstrument, "");
    }
    std::this_thread::sleep_for(PollPause);
    dispatcher_.RunPending();
  }
}

int TRun::ConnectAndRead() {
  if (const int status = Connect(); status != exitcode::Ok)
    return status;
  const int declined = port_.Declined();
  const TOutcome outcome = session_->Read();
  if (outcome == TOutcome::Done)
    return exitcode::Ok;
  // A correction the instrument needs is never made without the operator: dtool answers No.
  if (port_.Declined() > declined)
    return Fail(OutcomeStatus(outcome),
                "Read data failed: dtool answers No to the question above; answer it with "
                "DToolPc.");
  return Fail(OutcomeStatus(outcome), "Read data failed: " + OutcomeText(outcome));
}

std::optional<TConfig> TRun::LoadFile(int& status) {
  TConfigRead read = ReadConfigFile(args_.File);
  if (!read.Config) {
    status = Fail(exitcode::BadFile, read.Error.Message());
    return std::nullopt;
  }
  status = exitcode::Ok;
  return std::move(read.Config);
}

bool TRun::FitsInstrument(const TConfig& config) {
  const TSettings& sett = session_->Settings();
  if (ConfigFitsType(config, sett.InstType()))
    return true;
  const std::string fileType = config.InstType != 0 ? InstTypeName(config.InstType)
                               : config.Record == TRecordKind::Switch ? "the switch"
                               : config.Record == TRecordKind::Class1 ? "a transmitter"
                                                                      : "a static model";
  Fail(exitcode::BadFile, args_.File + ": the file is a configuration of " + fileType +
                              " and cannot go to the connected " + sett.InstTypeName());
  return false;
}

std::string TRun::DiffLine(const TParamDiff& d, const TViewUnits& units, const char* a,
                           const char* b) const {
  return std::string(d.Field->Name) + ": " + a + " " + ValueText(*d.Field, d.A, units) + ", " + b +
         " " + ValueText(*d.Field, d.B, units);
}

std::string TRun::DiffJson(const std::vector<TParamDiff>& diffs, const char* a,
                           const char* b) const {
  TJsonArray list;
  for (const TParamDiff& d : diffs)
    list.Raw(TJsonObject()
                 .Str("key", d.Field->Name)
                 .Str(a, FileText(*d.Field, d.A))
                 .Str(b, FileText(*d.Field, d.B))
                 .Str("unit", StorageUnitText(*d.Field))
                 .Text());
  return list.Text();
}

// ---- Commands ----

int TRun::Info() {
  if (const int status = Connect(); status != exitcode::Ok)
    return status;
  TSession& s = *session_;
  TSettings& sett = s.Settings();
  if (IsAnalogFamily(sett.InstType()) && !s.Link()->InstrumentReady())
    return Fail(exitcode::NoInstrument, "");
  if (!s.Link()->ReadInstInfo(true, true))
    return Fail(exitcode::NoInstrument, "");
  bool isProtected = false;
  const TOutcome prot = s.ProtectionState(isProtected);
  if (prot != TOutcome::Done)
    return Fail(OutcomeStatus(prot), "");
  const TInstInfo& info = sett.InstInfo;
  const bool isSwitch = sett.InstType() == 9;
  const TConfigIdentity id = IdentityOf(info, sett.Cap_level());
  const std::string main = isSwitch ? info.SwitchMainVersion.Get() : id.SwMain;
  const std::string second = isSwitch ? std::to_string(info.SwitchCompVersion) : id.SwSensor;
  TJsonObject json;
  json.Num("port", prefs_.ComPort)
      .Num("type", sett.InstType())
      .Str("typeName", sett.InstTypeName())
      .Str("serial", id.SerialNr)
      .Num("rangeMin", info.RangeMin)
      .Num("rangeMax", info.RangeMax)
      .Str("firmwareMain", main)
      .Str(isSwitch ? "componentVersion" : "firmwareSensor", second)
      .Bool("protected", isProtected);
  if (!isSwitch)
    json.Num("capLevel", sett.Cap_level());
  if (!args_.Json) {
    out_ << "Port:             COM" << prefs_.ComPort << '\n'
         << "Type:             " << sett.InstTypeName() << " (" << int(sett.InstType()) << ")\n"
         << "Serial number:    " << id.SerialNr << '\n'
         << "Range:            " << id.SensorRange << '\n';
    if (isSwitch)
      out_ << "Version:          " << main << ", component " << second << '\n';
    else
      out_ << "Firmware:         V" << main << " / V" << second << '\n'
           << "Capability level: " << sett.Cap_level() << '\n';
    out_ << "Protection code:  " << (isProtected ? "set" : "none") << '\n';
  }
  return Finish(exitcode::Ok, json);
}

int TRun::Read() {
  if (const int status = ConnectAndRead(); status != exitcode::Ok)
    return status;
  TSession& s = *session_;
  const TSettings& sett = s.Settings();
  const TConfig config = ConfigOf(sett, prefs_, IdentityOf(sett.InstInfo, sett.Cap_level()),
                                  std::string(), LocalTimeNow());
  const std::string text = ConfigFileText(config);
  // What the instrument answered must make a file that reads back as it is.
  const TConfigRead check = ParseConfigText(text, "(instrument)");
  if (!check.Config)
    return Fail(exitcode::NoInstrument,
                "The instrument answered values the configuration file cannot hold: " +
                    check.Error.Message());
  TJsonObject json;
  json.Num("type", sett.InstType()).Str("typeName", sett.InstTypeName());
  if (!args_.Output.empty()) {
    if (!WriteConfigFile(args_.Output, config))
      return Fail(exitcode::NoInstrument,
                  LinkFormat("Unable to write file \"%s\"!", args_.Output.c_str()));
    json.Str("file", args_.Output);
  } else if (args_.Json) {
    json.Str("config", text);
  } else {
    out_ << text;
  }
  TJsonArray params;
  for (const TConfigField& f : ConfigFields(config.Record)) {
    const double v = FieldValue(f, config.Params);
    params.Raw(TJsonObject()
                   .Str("key", f.Name)
                   .Str("value", FileText(f, v))
                   .Str("unit", StorageUnitText(f))
                   .Text());
  }
  json.Raw("parameters", params.Text());
  return Finish(exitcode::Ok, json);
}

int TRun::Write() {
  int status = exitcode::Ok;
  const std::optional<TConfig> config = LoadFile(status);
  if (!config)
    return status;
  if (status = ConnectAndRead(); status != exitcode::Ok)
    return status;
  TSession& s = *session_;
  TSettings& sett = s.Settings();
  if (!FitsInstrument(*config))
    return exitcode::BadFile;
  const TParamRecords before = RecordsOf(sett);
  if (const std::string line = NotApplicableLine(sett, before, config->Params); !line.empty())
    port_.WarningBox(line);
  if (args_.Code)
    s.SetProtCode(*args_.Code);
  ApplyConfig(*config, sett);
  TWriteOptions options;
  options.AskOverwrite = false;
  options.ReportSuccess = false;
  // The instrument is read back below and what reached it named from that.
  options.ReportPartialWrite = false;
  const TOutcome outcome = s.Write(options);
  ExplainCodePrompt(outcome);

  // What the instrument holds now, whatever the write did.
  const TOutcome readBack = s.Read();
  if (readBack != TOutcome::Done) {
    if (outcome != TOutcome::Done)
      return Fail(OutcomeStatus(outcome),
                  "Write data failed (" + OutcomeText(outcome) +
                      ") and the instrument could not be read back: which parameters reached "
                      "it is unknown; they are not stored until a complete write.");
    return Fail(exitcode::NoInstrument, "Read back failed: " + OutcomeText(readBack));
  }
  const TParamRecords after = RecordsOf(sett);
  const std::vector<TParamDiff> changed = Differences(sett, before, after);
  const std::vector<TParamDiff> differ = Differences(sett, after, config->Params);
  const TViewUnits& units = config->Units;

  TJsonObject json;
  json.Num("type", sett.InstType())
      .Str("typeName", sett.InstTypeName())
      .Str("serial", sett.InstInfo.SerialNr.Get())
      .Raw("changed", DiffJson(changed, "from", "to"))
      .Raw("differences", DiffJson(differ, "instrument", "file"));
  const bool nothingTried = changed.empty() && OutcomeStatus(outcome) == exitcode::ProtCode;
  if (!args_.Json && !nothingTried) {
    for (const TParamDiff& d : changed) {
      out_ << d.Field->Name << ": " << ValueText(*d.Field, d.A, units) << " -> "
           << ValueText(*d.Field, d.B, units) << '\n';
    }
    if (changed.empty())
      out_ << "No parameter changed.\n";
  }
  if (nothingTried)
    return Finish(exitcode::ProtCode, json);
  if (outcome != TOutcome::Done) {
    std::string line = "Write data failed (" + OutcomeText(outcome) + "). ";
    if (changed.empty()) {
      line += "No parameter reached the instrument.";
    } else {
      line += "Reached the instrument, not stored until a complete write:";
      for (const TParamDiff& d : changed)
        line += std::string(" ") + d.Field->Name;
    }
    port_.ErrorBox(line, false);
    const int code = OutcomeStatus(outcome);
    return Finish(code == exitcode::NoInstrument && outcome == TOutcome::Failed ? exitcode::Refused
                                                                                : code,
                  json);
  }
  if (!differ.empty()) {
    for (const TParamDiff& d : differ)
      port_.ErrorBox("Verification: " + DiffLine(d, units, "instrument", "file"), false);
    return Finish(exitcode::Refused, json);
  }
  if (!args_.Json)
    out_ << "Transfer was successful!\n";
  return Finish(exitcode::Ok, json);
}

int TRun::Diff() {
  int status = exitcode::Ok;
  const std::optional<TConfig> config = LoadFile(status);
  if (!config)
    return status;
  if (status = ConnectAndRead(); status != exitcode::Ok)
    return status;
  const TSettings& sett = session_->Settings();
  if (!FitsInstrument(*config))
    return exitcode::BadFile;
  const std::vector<TParamDiff> differ = Differences(sett, RecordsOf(sett), config->Params);
  if (const std::string line = NotApplicableLine(sett, RecordsOf(sett), config->Params);
      !line.empty())
    port_.WarningBox(line);
  if (!args_.Json)
    for (const TParamDiff& d : differ)
      out_ << DiffLine(d, config->Units, "instrument", "file") << '\n';
  TJsonObject json;
  json.Num("type", sett.InstType())
      .Str("typeName", sett.InstTypeName())
      .Raw("differences", DiffJson(differ, "instrument", "file"));
  return Finish(differ.empty() ? exitcode::Ok : exitcode::Refused, json);
}

int TRun::Zero() {
  if (const int status = ConnectAndRead(); status != exitcode::Ok)
    return status;
  if (args_.Code)
    session_->SetProtCode(*args_.Code);
  // The command is the operator's yes to the calibration question.
  port_.SetAnswer(true);
  const TOutcome outcome = session_->CalibrateZero();
  port_.SetAnswer(false);
  ExplainCodePrompt(outcome);
  if (outcome != TOutcome::Done)
    return Fail(OutcomeStatus(outcome), ""); // the calibration has told why
  return Finish(exitcode::Ok, TJsonObject().Bool("calibrated", true));
}

int TRun::Live() {
  if (const int status = ConnectAndRead(); status != exitcode::Ok)
    return status;
  TSession& s = *session_;
  const TSettings& sett = s.Settings();
  const std::int32_t port = s.Link()->Port();
  const bool analog = IsAnalogFamily(sett.InstType());
  TJsonArray readings;
  std::int64_t taken = 0;
  view_.liveDue = 0;
  auto waitedSince = Clock::now();
  while (taken < args_.Count) {
    dispatcher_.WaitAndRun(std::chrono::milliseconds(500));
    if (view_.liveDue == 0) {
      if (Clock::now() - waitedSince > LiveTimeout)
        return Fail(exitcode::NoInstrument, "No reading from the instrument.");
      continue;
    }
    view_.liveDue = 0;
    waitedSince = Clock::now();
    float value = 0;
    std::int32_t code = 0;
    bool velocity = false;
    if (analog) {
      velocity = s.Link()->Analog().GetRecEventKind(port) == reckind::Velocity;
      code = velocity ? s.Link()->Analog().GetVelocityInst(port, &value)
                      : s.Link()->Analog().GetPressInst(port, &value);
    } else {
      code = s.Link()->Switch().GetPressInst(port, &value);
    }
    if (!analog && code == swreading::NoData && view_.switchConfigReadAt &&
        Clock::now() - *view_.switchConfigReadAt < SwitchNoDataQuiet)
      continue;
    std::string text;
    const TUnit stored = velocity ? unit::m_s : unit::Pa;
    const TUnit shown = velocity ? prefs_.VelocityUnit : prefs_.PressUnit;
    const double converted = ConvertUnit(shown, stored, value);
    if (code == 0) {
      const int type = sett.InstType();
      const int decimals = UnitDecimals(shown, type >= 1 && type <= 8 ? 3 : 1);
      std::ostringstream v;
      v.imbue(std::locale::classic());
      v.setf(std::ios::fixed);
      v.precision(decimals);
      v << converted;
      text = v.str() + " " + UnitText(shown);
    } else if (code == anreading::Overflow) {
      text = "Overflow";
    } else if (analog && code == anreading::Underflow) {
      text = "Underflow";
    } else if (!analog && code == swreading::NoConfig) {
      text = "No Config";
    } else {
      text = "No Signal";
    }
    const char* label = velocity ? "Velocity: " : "Pressure: ";
    if (!args_.Json)
      out_ << label << text << '\n' << std::flush;
    TJsonObject r;
    r.Str("kind", velocity ? "velocity" : "pressure").Num("code", code).Str("text", text);
    if (code == 0)
      r.Num("value", converted).Str("unit", UnitText(shown));
    readings.Raw(r.Text());
    ++taken;
  }
  return Finish(exitcode::Ok, TJsonObject().Raw("readings", readings.Text()));
}

int TRun::Report() {
  // The report's texts are those of the main window's controls: a build without the windows
  // has none.
  if (!env_.MakeReport)
    return Fail(exitcode::Usage, "this dtool was built without the settings report: save it "
                                 "as a PDF with DToolPc (File > Save as PDF...)");
  // The port and the instrument are checked here, where nothing waits for an operator.
  if (const int status = Connect(); status != exitcode::Ok)
    return status;
  const std::string logFile = session_->LogFile();
  session_.reset();
  TReportRequest request;
  request.Port = prefs_.ComPort;
  request.SetFile = env_.SetFile;
  request.LogFile = logFile;
  request.Output = args_.Output;
  const int status = env_.MakeReport(request);
  TJsonObject json;
  if (status == exitcode::Ok)
    json.Str("file", args_.Output);
  return Finish(status, json);
}

int TRun::Execute() {
  SetLinkDispatcher(&dispatcher_);
  // No settings file is a first run; a damaged one is told, as the main window tells it, and
  // its defaults are used.
  if (std::optional<TPreferences> p = ReadSetFilePrefs(env_.SetFile)) {
    prefs_ = *p;
  } else {
    std::error_code ec;
    if (std::filesystem::exists(env_.SetFile, ec))
      port_.ErrorBox("The configuration data could not be read! ", false);
  }
  if (args_.Port)
    prefs_.ComPort = *args_.Port;
  int status = exitcode::Ok;
  name_ = CommandName(args_.Command);
  switch (args_.Command) {
  case TCommand::Info:
    status = Info();
    break;
  case TCommand::Read:
    status = Read();
    break;
  case TCommand::Write:
    status = Write();
    break;
  case TCommand::Diff:
    status = Diff();
    break;
  case TCommand::Zero:
    status = Zero();
    break;
  case TCommand::Live:
    status = Live();
    break;
  case TCommand::Report:
    status = Report();
    break;
  }
  session_.reset();
  SetLinkDispatcher(nullptr);
  return status;
}

} // namespace

int RunCli(const TCliEnvironment& env, std::ostream& out) {
  SetAppTitle(AppTitle);
  TCliPort port;
  IOperatorPort* previous = SetOperatorPort(&port);
  const TParsedArgs parsed = ParseCliArgs(env.Args, env.CodeValue);
  int status = exitcode::Ok;
  if (!parsed.Args) {
    std::cerr << "dtool: " << parsed.Error << " (dtool --help shows the usage)\n";
    status = exitcode::Usage;
  } else if (parsed.Args->Help) {
    out << UsageText();
  } else if (parsed.Args->Version) {
    out << "dtool " << AppVersion << " (" << AppTitle << ")\n";
  } else {
    TRun run(*parsed.Args, env, out, port);
    status = run.Execute();
  }
  SetOperatorPort(previous);
  return status;
}

} // namespace dtool::cli
