#include "bench/benchsetup.h"

#include "bench/inifile.h"
#include "link/analoglink.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace dtool::bench {

namespace {

constexpr const char* TypeNames[] = {"",
                                     "Dravon-STD",
                                     "Dravon-STV",
                                     "Dravon-STS",
                                     "Dravon-STVS",
                                     "Dravon-STD Z",
                                     "Dravon-STV Z",
                                     "Dravon-STS Z",
                                     "Dravon-STVS Z",
                                     "DravonSwitch",
                                     "DravonDat",
                                     "DravonVision"};

// Functions of the two libraries that talk to the instrument on a port.
constexpr const char* PortFunctions[] = {
    "OpenCom",        "CloseCom",        "SetRecEventProc", "SetErrEventProc", "GetInstType",
    "TransCmd",       "GetRecEventKind", "GetPressInst",    "GetVelocityInst", "GetLastError",
    "ClrErrors",      "IsComXOpen",      "OpenComOnly",     "SetMovAverFilt",  "IsDSwitchConn",
    "GetInfos",       "ReReadConfig",    "GetConf",         "SetConf",         "IsProtected",
    "SetProtectCode", "ZeroAdj",         "GetPressPar"};

// Keys that make up the factory settings of an instrument.
constexpr const char* FactoryKeys[] = {"Instrument", "Serial",         "RangeMax", "RangeMin",
                                       "CapLevel",   "ProtectionCode", "A109",     "A116"};

// "A109": four hexadecimal digits.
bool ReadCommand(const std::string& text, std::uint16_t& oocc) {
  std::int64_t v = 0;
  if (text.size() != 4 || !ReadInt("0x" + text, v, 0, 0xFFFF))
    return false;
  oocc = static_cast<std::uint16_t>(v);
  return true;
}

const char* KnownFunction(const std::string& text) {
  for (const char* f : PortFunctions)
    if (SameText(text, f))
      return f;
  return nullptr;
}

// Splits "item:value@after" into its parts; value and after stay empty without them.
void SplitFault(const std::string& item, std::string& head, std::string& value,
                std::string& after) {
  const std::size_t at = item.find('@');
  after = at == std::string::npos ? std::string() : Trim(item.substr(at + 1));
  const std::string pair = item.substr(0, at);
  const std::size_t colon = pair.find(':');
  head = Trim(pair.substr(0, colon));
  value = colon == std::string::npos ? std::string() : Trim(pair.substr(colon + 1));
}

// Keys of the faults of the line and the readings, which belong to the port.
constexpr const char* LineFaultKeys[] = {"FaultLinkError", "FaultAnswer",   "FaultUnknown",
                                         "FaultNoSignal",  "FaultOverflow", "FaultUnderflow",
                                         "FaultNoConfig"};
// Further keys of the port itself.
constexpr const char* PortKeys[] = {"Available", "LatencyMs"};

bool IsOneOf(const std::string& key, const auto& names) {
  for (const char* n : names)
    if (SameText(key, n))
      return true;
  return false;
}

// Which keys a section may have: a port section of the bench file all of them.
enum class TKeys { All, LineFaults, Instrument };

class TSectionReader {
public:
  TSectionReader(const TIniSection& section, int portIndex, std::vector<TIniProblem>& problems,
                 TKeys keys = TKeys::All)
      : section_(section), port_(portIndex), problems_(problems), keys_(keys) {}

  TPortSetup Read();

private:
  void Problem(const TIniEntry& e, const std::string& text) {
    problems_.push_back({e.Line, e.Key, text});
  }
  bool Int(const TIniEntry& e, std::int64_t min, std::int64_t max, std::int64_t& v) {
    if (ReadInt(e.Value, v, min, max))
      return true;
    Problem(e, "\"" + e.Value + "\" is not a whole number from " + std::to_string(min) + " to " +
                   std::to_string(max));
    return false;
  }
  bool Real(const TIniEntry& e, double min, double max, double& v) {
    if (ReadReal(e.Value, v) && v >= min && v <= max)
      return true;
    Problem(e,
            "\"" + e.Value + "\" is not a number from " + RealText(min) + " to " + RealText(max));
    return false;
  }
  bool Bool(const TIniEntry& e, bool& v) {
    if (ReadBool(e.Value, v))
      return true;
    Problem(e, "\"" + e.Value + "\" is not yes or no");
    return false;
  }
  bool ReadType(const TIniEntry& e, int& type);
  void ReadFirmware(const TIniEntry& e, bool main);
  void ReadFaultList(const TIniEntry& e, bool answer);
  void ReadUnknownList(const TIniEntry& e);
  bool ReadAfter(const TIniEntry& e, const std::string& item, const std::string& text,
                 std::int64_t& after);
  void ReadErrorEvent(const TIniEntry& e);
  bool Allowed(const TIniEntry& e);
  void Apply(const TIniEntry& e);

  const TIniSection& section_;
  int port_;
  std::vector<TIniProblem>& problems_;
  TKeys keys_;
  TPortSetup s_;
  std::optional<double> referenceVelocity_;
  double nozzleC_ = FactoryNozzleC, nozzleN_ = FactoryNozzleN;
};

bool TSectionReader::Allowed(const TIniEntry& e) {
  switch (keys_) {
  case TKeys::All:
    return true;
  case TKeys::LineFaults:
    if (IsOneOf(e.Key, LineFaultKeys))
      return true;
    Problem(e, "only the faults of the line and the readings can be switched here");
    return false;
  case TKeys::Instrument:
    if (!IsOneOf(e.Key, LineFaultKeys) && !IsOneOf(e.Key, PortKeys))
      return true;
    Problem(e, "belongs to the port, not to the instrument plugged in");
    return false;
  }
  return false;
}

bool TSectionReader::ReadType(const TIniEntry& e, int& type) {
  if (SameText(e.Value, "none")) {
    type = 0;
    return true;
  }
  for (int t = 1; t <= 11; ++t)
    if (SameText(e.Value, TypeNames[t])) {
      type = t;
      return true;
    }
  std::int64_t v = 0;
  if (ReadInt(e.Value, v, 0, 11)) {
    type = static_cast<int>(v);
    return true;
  }
  Problem(e, "\"" + e.Value + "\" is no instrument type (1 to 11, a type name, or none)");
  return false;
}

void TSectionReader::ReadFirmware(const TIniEntry& e, bool main) {
  if (s_.IsSwitch()) {
    // The switch reports its versions times 10: "2.1" is 21.
    double v = 0;
    if (Real(e, 0, 999, v))
      (main ? s_.SwMainVersion : s_.SwSecondVersion) =
          static_cast<std::int32_t>(std::lround(v * 10));
    return;
  }
  // "01.12": major and minor number of the controller.
  const std::size_t dot = e.Value.find('.');
  std::int64_t major = 0, minor = 0;
  if (dot == std::string::npos || !ReadInt(e.Value.substr(0, dot), major, 0, 255) ||
      !ReadInt(e.Value.substr(dot + 1), minor, 0, 255)) {
    Problem(e, "\"" + e.Value + "\" is not a version of the form 01.12");
    return;
  }
  (main ? s_.MainMajor : s_.SensorMajor) = static_cast<std::uint8_t>(major);
  (main ? s_.MainMinor : s_.SensorMinor) = static_cast<std::uint8_t>(minor);
}

// "@3": the fault lets three uses pass.
bool TSectionReader::ReadAfter(const TIniEntry& e, const std::string& item, const std::string& text,
                               std::int64_t& after) {
  after = 0;
  if (item.find('@') == std::string::npos || ReadInt(text, after, 0, 0x7FFFFFFF))
    return true;
  Problem(e, "\"" + item + "\" needs the number of uses before the fault after @, as in B206@2");
  return false;
}

void TSectionReader::ReadFaultList(const TIniEntry& e, bool answer) {
  for (const std::string& item : SplitList(e.Value)) {
    std::string head, value, afterText;
    SplitFault(item, head, value, afterText);
    std::int64_t status = answer ? -1 : 3, after = 0;
    if (!value.empty() && !ReadInt(value, status, 1, answer ? 255 : 32767)) {
      Problem(e, "\"" + value + "\" is no status for " + head);
      continue;
    }
    if (!ReadAfter(e, item, afterText, after))
      continue;
    const TFaultAt fault{static_cast<std::int32_t>(status), after};
    std::uint16_t cmd = 0;
    if (ReadCommand(head, cmd)) {
      if (answer) {
        if (status < 0) {
          Problem(e, "\"" + item + "\" needs the answer status, as in A303:25");
          continue;
        }
        s_.Faults.Answer[cmd] = fault;
      } else {
        s_.Faults.LinkErrorCmd[cmd] = fault;
      }
    } else if (const char* fn = KnownFunction(head); fn != nullptr && !answer) {
      s_.Faults.LinkErrorFn[fn] = fault;
    } else {
      Problem(e, "\"" + head + "\" is neither a command such as A109" +
                     std::string(answer ? "" : " nor a link library function"));
    }
  }
}

void TSectionReader::ReadUnknownList(const TIniEntry& e) {
  for (const std::string& item : SplitList(e.Value)) {
    std::string head, value, afterText;
    SplitFault(item, head, value, afterText);
    std::uint16_t cmd = 0;
    std::int64_t after = 0;
    if (!value.empty() || !ReadCommand(head, cmd)) {
      Problem(e, "\"" + item + "\" is not a command such as A115");
      continue;
    }
    if (ReadAfter(e, item, afterText, after))
      s_.Faults.Unknown[cmd] = TFaultAt{AnStatusUnknownCommand, after};
  }
}

void TSectionReader::ReadErrorEvent(const TIniEntry& e) {
  const std::size_t at = e.Value.find('@');
  std::int64_t nr = 0, after = s_.Faults.ErrorEventAfterMs;
  if (!ReadInt(e.Value.substr(0, at), nr, 0, 0xFFFF) ||
      (at != std::string::npos && !ReadInt(e.Value.substr(at + 1), after, 0, 86400000))) {
    Problem(e,
            "\"" + e.Value + "\" is not an error number with an optional time, as in 0x0123@5000");
    return;
  }
  s_.Faults.ErrorEventNr = static_cast<std::int32_t>(nr);
  s_.Faults.ErrorEventAfterMs = after;
}

void TSectionReader::Apply(const TIniEntry& e) {
  std::int64_t i = 0;
  double r = 0;
  bool b = false;
  const std::string& k = e.Key;
  auto is = [&k](const char* name) { return SameText(k, name); };
  if (!Allowed(e))
    return;
  if (is("Instrument")) {
    // read first, see Read
  } else if (is("Available")) {
    if (Bool(e, b))
      s_.Available = b;
  } else if (is("Serial")) {
    if (SameText(e.Value, "none"))
      s_.SerialNr = 0xFFFFFFFF;
    else if (Int(e, 0, s_.IsSwitch() ? 0x7FFFFFFF : 0xFFFFFFFE, i))
      s_.SerialNr = static_cast<std::uint32_t>(i);
  } else if (is("RangeMax")) {
    if (Int(e, 1, 32767, i))
      s_.RangeMax = static_cast<std::int32_t>(i);
  } else if (is("RangeMin")) {
    if (Int(e, -32768, 0, i))
      s_.RangeMin = static_cast<std::int32_t>(i);
  } else if (is("Firmware")) {
    ReadFirmware(e, true);
  } else if (is("SensorFirmware") || is("SecondFirmware")) {
    ReadFirmware(e, false);
  } else if (is("ComponentVersion")) {
    if (Int(e, 0, 99, i))
      s_.SwCompVersion = static_cast<std::int32_t>(i);
  } else if (is("CapLevel")) {
    if (Int(e, 0, 0xFFFF, i))
      s_.CapLevel = static_cast<int>(i);
  } else if (is("HostLevel")) {
    if (Int(e, 0, 0xFFFF, i))
      s_.HostLevel = static_cast<int>(i);
  } else if (is("Output")) {
    if (SameText(e.Value, "current") || SameText(e.Value, "voltage"))
      s_.CurrentOutput = SameText(e.Value, "current");
    else
      Problem(e, "\"" + e.Value + "\" is neither current nor voltage");
  } else if (is("ProtectionCode")) {
    if (Int(e, 0, 65535, i))
      s_.ProtCode = static_cast<std::uint16_t>(i);
  } else if (is("StartupMs")) {
    if (Int(e, 0, 3600000, i))
      s_.StartupMs = i;
  } else if (is("ZeroBusyMs")) {
    if (Int(e, 0, 3600000, i))
      s_.ZeroBusyMs = i;
  } else if (is("LatencyMs")) {
    if (Int(e, 0, 10000, i))
      s_.LatencyMs = i;
  } else if (is("A109")) {
    if (Int(e, 0, 0xFFFF, i))
      s_.A109 = static_cast<std::uint16_t>(i);
  } else if (is("A116")) {
    if (Int(e, 0, 255, i))
      s_.A116 = static_cast<std::uint16_t>(i);
  } else if (is("OutputGain")) {
    if (Real(e, 0.5, 2.0, r))
      s_.OutputGain = r;
  } else if (is("OutputOffset")) {
    if (Real(e, -2.0, 2.0, r))
      s_.OutputOffset = r;
  } else if (is("Pressure")) {
    if (Real(e, -100000, 100000, r))
      s_.Source.Pressure = r;
  } else if (is("PressureWave")) {
    if (Real(e, 0, 100000, r))
      s_.Source.Wave = r;
  } else if (is("PressurePeriod")) {
    if (Real(e, 0.1, 86400, r))
      s_.Source.PeriodS = r;
  } else if (is("PressureNoise")) {
    if (Real(e, 0, 100000, r))
      s_.Source.Noise = r;
  } else if (is("SensorOffset")) {
    if (Real(e, -MaxSensorOffset, MaxSensorOffset, r))
      s_.Source.SensorOffset = r;
  } else if (is("GainError")) {
    if (Real(e, 0.5, 2.0, r))
      s_.Source.GainError = r;
  } else if (is("ReferenceVelocity")) {
    if (Real(e, -100, 100, r))
      referenceVelocity_ = r;
  } else if (is("NozzleC")) {
    if (Real(e, 0.001, 1000, r))
      nozzleC_ = r;
  } else if (is("NozzleN")) {
    if (Real(e, 0.5, 4.0, r))
      nozzleN_ = r;
  } else if (is("HoseLength")) {
    if (Real(e, 0, 100, r))
      s_.Source.HoseLength = r;
  } else if (is("AtmPressure")) {
    if (Real(e, 300, 1200, r))
      s_.Source.AtmPress = r;
  } else if (is("Humidity")) {
    if (Real(e, 0, 100, r))
      s_.Source.Humidity = r;
  } else if (is("FaultLinkError")) {
    ReadFaultList(e, false);
  } else if (is("FaultAnswer")) {
    ReadFaultList(e, true);
  } else if (is("FaultUnknown")) {
    ReadUnknownList(e);
  } else if (is("FaultNoSignal")) {
    Bool(e, s_.Faults.NoSignal);
  } else if (is("FaultOverflow")) {
    Bool(e, s_.Faults.Overflow);
  } else if (is("FaultUnderflow")) {
    Bool(e, s_.Faults.Underflow);
  } else if (is("FaultNoConfig")) {
    Bool(e, s_.Faults.NoConfig);
  } else if (is("FaultNewer")) {
    Bool(e, s_.Faults.Newer);
  } else if (is("FaultErrorEvent")) {
    ReadErrorEvent(e);
  } else {
    Problem(e, "unknown key");
  }
}

TPortSetup TSectionReader::Read() {
  if (const TIniEntry* e = section_.Find("Instrument"))
    ReadType(*e, s_.Type);
  // Settings that depend on the kind of instrument.
  if (s_.IsSwitch()) {
    s_.RangeMax = 500;
    s_.RangeMin = 0;
    s_.CapLevel = 0;
  }
  if (s_.Connected())
    s_.SerialNr = static_cast<std::uint32_t>(1000000 + (port_ + 1) * 1000 + s_.Type);
  const bool rangeMinGiven = section_.Find("RangeMin") != nullptr;
  for (const TIniEntry& e : section_.Entries)
    Apply(e);
  if (!rangeMinGiven && !s_.IsSwitch())
    s_.RangeMin = -s_.RangeMax;
  if (referenceVelocity_) {
    // The air moves through the nozzle: the pressure at the ports follows from its constants.
    const double v = *referenceVelocity_;
    s_.Source.Pressure = std::copysign(nozzleC_ * std::pow(std::fabs(v), nozzleN_), v);
    if (const TIniEntry* e = section_.Find("Pressure"))
      Problem(*e, "the pressure at the ports follows from ReferenceVelocity; give one of them");
  }
  if (s_.Faults.Newer && !s_.IsSwitch()) {
    // An instrument newer than the tool requires a higher capability level.
    s_.CapLevel = std::max(s_.CapLevel, 1);
    s_.HostLevel = std::max(s_.HostLevel, 4);
  }
  for (const char* key : FactoryKeys)
    s_.FactoryStamp += std::string(key) + "=" + section_.Get(key) + ";";
  return s_;
}

} // namespace

const char* TypeName(int type) {
  return type >= 0 && type <= 11 ? TypeNames[type] : "";
}

int TypeClass(int type) {
  if (type >= 1 && type <= 4)
    return 2;
  if (type >= 5 && type <= 8)
    return 3;
  if (type == 10 || type == 11)
    return 1;
  if (type == TypeSwitch)
    return 0;
  return 4;
}

bool TypeHasDisplay(int type) {
  return type == 2 || type == 4 || type == 6 || type == 8 || type == 11;
}

bool TypeHasAnalogOutput(int type) {
  return type == 1 || type == 2 || type == 5 || type == 6 || type == 10 || type == 11;
}

void TFaults::SetLineFaults(const TFaults& other) {
  LinkErrorCmd = other.LinkErrorCmd;
  LinkErrorFn = other.LinkErrorFn;
  Answer = other.Answer;
  Unknown = other.Unknown;
  NoSignal = other.NoSignal;
  Overflow = other.Overflow;
  Underflow = other.Underflow;
  NoConfig = other.NoConfig;
}

namespace {

std::string FaultItem(const std::string& head, const TFaultAt& f, bool withValue) {
  std::string item = head;
  if (withValue)
    item += ":" + std::to_string(f.Value);
  if (f.After > 0)
    item += "@" + std::to_string(f.After);
  return item;
}

std::string CommandList(const std::map<std::uint16_t, TFaultAt>& faults, bool withValue) {
  std::string list;
  for (const auto& [cmd, f] : faults)
    list += (list.empty() ? "" : ", ") + FaultItem(HexText(cmd, 4), f, withValue);
  return list;
}

} // namespace

std::string TFaults::LineFaultsText() const {
  std::vector<std::string> keys;
  std::string links = CommandList(LinkErrorCmd, true);
  for (const auto& [fn, f] : LinkErrorFn)
    links += (links.empty() ? "" : ", ") + FaultItem(fn, f, true);
  if (!links.empty())
    keys.push_back("FaultLinkError = " + links);
  if (!Answer.empty())
    keys.push_back("FaultAnswer = " + CommandList(Answer, true));
  if (!Unknown.empty())
    keys.push_back("FaultUnknown = " + CommandList(Unknown, false));
  for (const auto& [on, key] : {std::pair{NoSignal, "FaultNoSignal"},
                                {Overflow, "FaultOverflow"},
                                {Underflow, "FaultUnderflow"},
                                {NoConfig, "FaultNoConfig"}})
    if (on)
      keys.push_back(std::string(key) + " = yes");
  std::string text;
  for (const std::string& k : keys)
    text += (text.empty() ? "" : "; ") + k;
  return text;
}

TBenchSetup ParseBenchSetup(const std::string& text, const std::string& file,
                            std::vector<std::string>& messages) {
  std::vector<TIniProblem> problems;
  const TIniDoc doc = ParseIni(text, problems);
  TBenchSetup setup;
  setup.File = file;
  for (const TIniSection& section : doc.Sections) {
    if (SameText(section.Name, "Bench")) {
      for (const TIniEntry& e : section.Entries)
        if (SameText(e.Key, "Description"))
          setup.Description = e.Value;
        else
          problems.push_back({e.Line, e.Key, "unknown key in [Bench]"});
      continue;
    }
    std::int64_t port = 0;
    if (section.Name.size() < 4 || !SameText(section.Name.substr(0, 3), "COM") ||
        !ReadInt(section.Name.substr(3), port, 1, PortCount)) {
      problems.push_back(
          {section.Line, section.Name, "unknown section; use [Bench] or [COM1] to [COM8]"});
      continue;
    }
    setup.Ports[static_cast<std::size_t>(port - 1)] =
        TSectionReader(section, static_cast<int>(port - 1), problems).Read();
  }
  const std::string name = file.empty() ? std::string("(built-in bench)") : file;
  // A file that is no bench file at all gives a few messages, not one per line.
  constexpr std::size_t MaxMessages = 20;
  for (std::size_t i = 0; i < problems.size() && i < MaxMessages; ++i)
    messages.push_back(ProblemMessage(name, problems[i]));
  if (problems.size() > MaxMessages)
    messages.push_back("Bench file \"" + name +
                       "\": " + std::to_string(problems.size() - MaxMessages) + " more problems");
  if (!problems.empty()) {
    messages.push_back("Bench file \"" + name +
                       "\" is not used: the bench has no instruments connected.");
    TBenchSetup empty;
    empty.File = file;
    return empty;
  }
  return setup;
}

namespace {

// Reads text given to a control function as the body of the section of the port; problems
// become messages that start with source.
bool ReadControlText(const std::string& text, int portIndex, const std::string& source, TKeys keys,
                     TPortSetup& setup, std::vector<std::string>& messages) {
  std::vector<TIniProblem> problems;
  // The port's section line comes first: the lines of the text keep their numbers.
  const std::string name = "COM" + std::to_string(portIndex + 1);
  const TIniDoc doc = ParseIni("[" + name + "]\n" + text, problems);
  TPortSetup read;
  for (const TIniSection& section : doc.Sections) {
    if (section.Line != 1) {
      problems.push_back({section.Line, section.Name, "no sections here, only keys"});
      continue;
    }
    read = TSectionReader(section, portIndex, problems, keys).Read();
  }
  constexpr std::size_t MaxMessages = 20;
  for (std::size_t i = 0; i < problems.size() && i < MaxMessages; ++i)
    messages.push_back(source + ", line " + std::to_string(std::max(problems[i].Line - 1, 0)) +
                       ", key \"" + Printable(problems[i].Key, 40) +
                       "\": " + Printable(problems[i].Text, 200));
  if (problems.size() > MaxMessages)
    messages.push_back(source + ": " + std::to_string(problems.size() - MaxMessages) +
                       " more problems");
  if (!problems.empty())
    return false;
  setup = read;
  return true;
}

} // namespace

bool ParseLineFaults(const std::string& text, const std::string& source, TFaults& faults,
                     std::vector<std::string>& messages) {
  TPortSetup setup;
  if (!ReadControlText(text, 0, source, TKeys::LineFaults, setup, messages))
    return false;
  faults.SetLineFaults(setup.Faults);
  return true;
}

bool ParseInstrument(const std::string& text, int portIndex, const std::string& source,
                     TPortSetup& setup, std::vector<std::string>& messages) {
  return ReadControlText(text, portIndex, source, TKeys::Instrument, setup, messages);
}

const char* DefaultBenchText() {
  return R"(; The built-in bench: one instrument of each class on COM1 to COM4.
[Bench]
Description = Built-in bench

[COM1]
Instrument = DravonDat
Serial = 1001010
RangeMax = 250
Firmware = 01.12
SensorFirmware = 01.3
CapLevel = 2
Output = current
StartupMs = 1500
Pressure = 42
PressureWave = 3
PressurePeriod = 20
PressureNoise = 0.05
SensorOffset = 0.6

[COM2]
Instrument = Dravon-STV
Serial = 2002002
RangeMax = 100
Firmware = 02.05
Output = voltage
StartupMs = 1500
Pressure = -12.5
PressureWave = 1.5
PressurePeriod = 30
PressureNoise = 0.02
SensorOffset = -0.3

[COM3]
Instrument = Dravon-STVS Z
Serial = 3003008
RangeMax = 50
Firmware = 02.07
StartupMs = 1500
ZeroBusyMs = 3000
Pressure = 18.2
PressureWave = 0.8
PressurePeriod = 15
PressureNoise = 0.01
SensorOffset = 0.25

[COM4]
Instrument = DravonSwitch
Serial = 4004009
RangeMax = 500
Firmware = 2.1
SecondFirmware = 1.0
ComponentVersion = 3
StartupMs = 1500
Pressure = 120
PressureWave = 10
PressurePeriod = 40
PressureNoise = 0.3
SensorOffset = 1.2

; Nothing connected on COM5; COM6 to COM8 do not exist on this computer.
[COM5]
Instrument = none

[COM6]
Available = no

[COM7]
Available = no

[COM8]
Available = no
)";
}

} // namespace dtool::bench
