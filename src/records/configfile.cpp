#include "records/configfile.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>
#include <vector>

#include "core/conversion.h"
#include "core/insttypes.h"
#include "core/settings.h"
#include "records/realformat.h"
#include "tools/intset.h"
#include "tools/progtools.h"

namespace dtool {

namespace {

constexpr const char* MainInfo = "Main_Info";
constexpr const char* Instrument = "Instrument";
constexpr const char* Settings = "Instrument_Settings";

// The reals of the file carry up to this many significant digits: every such value is read
// back as the double it was written from.
constexpr int MaxSignificantDigits = 15;

// ---- Writing ----

class IniWriter {
public:
  void Section(const char* name) { out_ << '[' << name << "]\n"; }
  void Text(const char* key, const std::string& value) { out_ << key << '=' << value << '\n'; }
  void Int(const char* key, long long value) { Text(key, std::to_string(value)); }
  void Unit(const char* key, TUnit value) {
    Text(key, value <= unit::Last ? UnitText(value) : std::to_string(value));
  }
  std::string Str() const { return out_.str(); }

private:
  std::ostringstream out_;
};

// The date and time conventions of the file, whatever the process's locale.
const TFormatSettings& FileConventions() {
  static const TFormatSettings fixed = [] {
    TFormatSettings fs;
    fs.DateSeparator = '.';
    fs.ShortDateFormat = "dd.MM.yy";
    fs.TimeSeparator = ':';
    fs.ShortTimeFormat = "HH:mm:ss";
    return fs;
  }();
  return fixed;
}

std::string DateTimeText(const std::tm& t) {
  std::string text = FormatDate(t, FileConventions());
  if (t.tm_hour != 0 || t.tm_min != 0 || t.tm_sec != 0)
    text += " " + FormatTime(t, FileConventions());
  return text;
}

std::string ValueText(const TConfigField& field, double value) {
  switch (field.Type) {
  case TValueType::Real:
  case TValueType::Single:
    return FormatGeneralReal(value);
  case TValueType::Integer:
    return std::to_string(static_cast<long long>(value));
  case TValueType::Flag:
  case TValueType::Boolean:
    return value != 0 ? "1" : "0";
  case TValueType::Unit:
    break;
  }
  const auto u = static_cast<TUnit>(value);
  return u <= unit::Last ? UnitText(u) : std::to_string(u);
}

// ---- Reading: lines ----

struct TEntry {
  std::string Key;
  std::string Value;
  int Line;
};

struct TSection {
  std::string Name;
  int Line = 0;
  std::vector<TEntry> Entries;
  std::map<std::string, int, std::less<>> KeyLines; // the line of each key, to find one twice
};

// A refused file: thrown inside the parser, turned into the result at its boundary.
struct TRefused {
  TConfigError Error;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

// A text from the file, quoted for a message and cut when long.
std::string Quoted(std::string_view s) {
  constexpr std::size_t Shown = 40;
  std::string out = "\"";
  out += s.substr(0, Shown);
  if (s.size() > Shown)
    out += "...";
  return out + "\"";
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

const char* const KnownSections[] = {MainInfo, Instrument, Settings};

class TLines {
public:
  explicit TLines(const std::string& file) : file_(file) {}

  [[noreturn]] void Fail(int line, std::string key, std::string text) const {
    throw TRefused{TConfigError{file_, line, std::move(key), std::move(text)}};
  }

  std::vector<TSection> Split(std::string_view text) {
    if (text.size() > MaxConfigFileSize)
      Fail(0, {}, "is larger than 1 MiB");
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
      text.remove_prefix(3);
    std::vector<TSection> sections;
    int lineNo = 0;
    while (!text.empty()) {
      ++lineNo;
      const std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
      Line(sections, lineNo, line);
    }
    return sections;
  }

private:
  void Line(std::vector<TSection>& sections, int lineNo, std::string_view raw) {
    for (char c : raw) {
      const auto u = static_cast<unsigned char>(c);
      if ((u < 0x20 && c != '\t') || u == 0x7F)
        Fail(lineNo, {}, "holds a control character");
    }
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#')
      return;
    if (line.front() == '[') {
      if (line.back() != ']')
        Fail(lineNo, {}, "a section name without its closing \"]\"");
      const std::string_view name = Trim(line.substr(1, line.size() - 2));
      const auto known = std::find_if(std::begin(KnownSections), std::end(KnownSections),
                                      [&](const char* s) { return name == s; });
      if (known == std::end(KnownSections)) {
        std::string text = "unknown section [" + std::string(name.substr(0, 40)) + "]";
        for (const char* s : KnownSections)
          if (SameIgnoringCase(name, s))
            text += "; the section is spelt [" + std::string(s) + "]";
        Fail(lineNo, {}, text);
      }
      for (const TSection& s : sections)
        if (s.Name == name)
          Fail(lineNo, {},
               "section [" + s.Name + "] a second time (first on line " + std::to_string(s.Line) +
                   ")");
      sections.push_back(TSection{std::string(name), lineNo, {}, {}});
      return;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
      Fail(lineNo, {}, "neither a section, a key = value nor a comment");
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    if (key.empty())
      Fail(lineNo, {}, "a value without a key");
    const std::string keyText(key.substr(0, 40));
    if (sections.empty())
      Fail(lineNo, keyText, "before the first section");
    TSection& section = sections.back();
    if (const auto seen = section.KeyLines.find(key); seen != section.KeyLines.end())
      Fail(lineNo, keyText, "a second time (first on line " + std::to_string(seen->second) + ")");
    section.KeyLines.emplace(key, lineNo);
    section.Entries.push_back(TEntry{std::string(key), std::string(value), lineNo});
  }

  const std::string& file_;
};

// ---- Reading: values ----

// The texts of the units of a set, for messages: "Pa, mbar, ...".
std::string UnitList(TUnitSet set) {
  std::string out;
  for (const std::string& t : UnitSetTexts(set))
    out += (out.empty() ? "" : ", ") + t;
  return out;
}

// A bound as a message shows it; the switch library's bounds are singles, shown as such.
std::string BoundText(double v, TLimitSource source) {
  if (source == TLimitSource::SwitchLibrary && std::fabs(v) <= FLT_MAX) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v));
    if (ec == std::errc())
      return std::string(buf, end);
  }
  return FormatGeneralReal(v);
}

std::string LimitText(const TLimits& l) {
  std::string text = BoundText(l.Min, l.Source) + ".." + BoundText(l.Max, l.Source);
  if (l.Magnitude)
    text += " in magnitude";
  switch (l.Source) {
  case TLimitSource::Register:
    return text + " (the instrument's register)";
  case TLimitSource::ProgramList:
    return text + " (the program's list)";
  case TLimitSource::SwitchRecord:
    return text + " (the switch record)";
  case TLimitSource::SwitchLibrary:
    return text + " (the switch library)";
  case TLimitSource::EditRange:
    return text + " (the main window's edit)";
  case TLimitSource::None:
    break;
  }
  return text;
}

std::string OutsideText(std::string_view text, const TLimits& l) {
  return std::string(text.substr(0, 40)) + " is outside " + LimitText(l);
}

// A value checked against a range; the error text, or nothing when it is inside.
std::optional<std::string> OutsideOf(std::string_view text, double value, const TLimits& l) {
  const double v = l.Magnitude ? std::fabs(value) : value;
  if (v >= l.Min && v <= l.Max)
    return std::nullopt;
  return OutsideText(text, l);
}

// A number read from the file, or why it is none.
struct TNumber {
  double Value = 0;
  std::string Error;
};

// A real as the file writes it: optional sign, digits with an optional decimal point, an
// optional exponent; "." only, no group separators; at most 15 significant digits.
TNumber ParseReal(std::string_view text) {
  TNumber n;
  std::string_view s = text;
  if (s.empty()) {
    n.Error = "no value";
    return n;
  }
  std::string_view body = s;
  if (body.front() == '+' || body.front() == '-')
    body.remove_prefix(1);
  auto lowered = std::string(body);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  if (lowered == "inf" || lowered == "infinity" || lowered == "nan") {
    n.Error = Quoted(text) + " is not a finite number";
    return n;
  }
  // Digits of the mantissa, and where the significant ones begin and end.
  std::size_t i = 0;
  int digits = 0, significant = 0, pendingZeros = 0;
  bool point = false, seenNonZero = false;
  for (; i < body.size(); ++i) {
    const char c = body[i];
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      ++digits;
      if (c == '0') {
        if (seenNonZero)
          ++pendingZeros;
      } else {
        significant += pendingZeros + 1;
        pendingZeros = 0;
        seenNonZero = true;
      }
    } else {
      break;
    }
  }
  if (digits > 0 && i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < body.size() && (body[j] == '+' || body[j] == '-'))
      ++j;
    const std::size_t expStart = j;
    while (j < body.size() && body[j] >= '0' && body[j] <= '9')
      ++j;
    if (j > expStart)
      i = j;
  }
  if (digits == 0 || i != body.size()) {
    n.Error = Quoted(text) + " is not a number";
    return n;
  }
  if (significant > MaxSignificantDigits) {
    n.Error = Quoted(text) + " has more than 15 significant digits";
    return n;
  }
  // from_chars takes no "+"; it reads "." and the exponent whatever the locale.
  const std::string_view forParse = s.front() == '+' ? s.substr(1) : s;
  const auto [end, ec] =
      std::from_chars(forParse.data(), forParse.data() + forParse.size(), n.Value);
  if (ec != std::errc() || end != forParse.data() + forParse.size() || !std::isfinite(n.Value)) {
    n.Error = Quoted(text) + " is outside the range of a real";
    return n;
  }
  // The file writes no negative zero: a zero is stored as 0.
  if (n.Value == 0)
    n.Value = 0;
  return n;
}

// An integer: optional sign and digits. A value beyond 64 bits is kept as a huge real, so that
// the range check names it.
TNumber ParseInteger(std::string_view text) {
  TNumber n;
  std::string_view s = text;
  if (s.empty()) {
    n.Error = "no value";
    return n;
  }
  bool negative = false;
  if (s.front() == '+' || s.front() == '-') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    n.Error = Quoted(text) + " is not an integer";
    return n;
  }
  std::uint64_t magnitude = 0;
  if (std::from_chars(s.data(), s.data() + s.size(), magnitude).ec != std::errc())
    n.Value = negative ? -1e300 : 1e300;
  else
    n.Value = negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
  return n;
}

bool ParseZeroOne(std::string_view text, double& value) {
  if (text != "0" && text != "1")
    return false;
  value = text == "1" ? 1 : 0;
  return true;
}

// One key of [Instrument_Settings]: the value it stores, or the error text.
TNumber SettingValue(const TConfigField& f, std::string_view text, const TConfigBounds& bounds) {
  TNumber n;
  const TParamRow* row = f.Row ? &ParamRowOf(TParam::Working(*f.Row)) : nullptr;
  switch (f.Type) {
  case TValueType::Flag:
  case TValueType::Boolean:
    if (!ParseZeroOne(text, n.Value))
      n.Error = Quoted(text) + " is not 0 or 1";
    return n;
  case TValueType::Unit: {
    const TUnitSet displayUnits = PressUnitSet | VelocityUnitSet;
    for (TUnit u = 0; u <= unit::Last; ++u)
      if (InUnitSet(u, displayUnits) && UnitText(u) == text && ConvInstDispUnit(u)) {
        n.Value = u;
        return n;
      }
    n.Error = Quoted(text) + " is not a display unit (" + UnitList(displayUnits) + ")";
    return n;
  }
  case TValueType::Single: {
    n = ParseReal(text);
    if (!n.Error.empty())
      return n;
    // The largest float, and half its step above it, which still rounds to it.
    const double maxSingle = FLT_MAX, roundsToMax = FLT_MAX + std::ldexp(1.0, 103);
    if (std::fabs(n.Value) >= roundsToMax)
      n.Error = Quoted(text) + " is outside the range of single precision, " +
                FormatGeneralReal(-maxSingle) + ".." + FormatGeneralReal(maxSingle);
    else if (std::fabs(n.Value) > maxSingle)
      n.Value = std::copysign(maxSingle, n.Value);
    // A value that rounds to a zero single is stored as 0, as the file writes it.
    else if (static_cast<float>(n.Value) == 0.0f)
      n.Value = 0;
    return n;
  }
  case TValueType::Real:
  case TValueType::Integer:
    break;
  }
  n = f.Type == TValueType::Real ? ParseReal(text) : ParseInteger(text);
  if (!n.Error.empty())
    return n;
  // The narrower fixed ranges first: they name the limit that matters.
  if (f.Fixed.Source != TLimitSource::None)
    if (auto outside = OutsideOf(text, n.Value, f.Fixed))
      n.Error = *outside;
  if (row && n.Error.empty() && !RegisterCounts(*row, n.Value))
    n.Error = OutsideText(text, RegisterLimits(*row));
  if (bounds.Switch && f.Library != TSwitchLimitId::None && n.Error.empty()) {
    // The switch library's bounds are singles: the value is compared as the single it
    // becomes. A value beyond the single range is outside any bound.
    const TLimits l = bounds.Switch->Of(f.Library);
    const double v = f.Type == TValueType::Real && std::fabs(n.Value) <= FLT_MAX
                         ? static_cast<double>(static_cast<float>(n.Value))
                         : n.Value;
    if (auto outside = OutsideOf(text, v, l))
      n.Error = *outside;
  }
  return n;
}

// The display unit goes where the main window files it: to the unit chosen for its kind.
void FileDisplayUnit(TRecordKind kind, TParamRecords& records) {
  auto file = [](auto& rec) {
    if (InUnitSet(rec.Disp_unit, PressUnitSet))
      rec.DispPressUnit = rec.Disp_unit;
    else
      rec.DispVelocityUnit = rec.Disp_unit;
  };
  if (kind == TRecordKind::Class1)
    file(records.Class1);
  else if (kind == TRecordKind::Class23)
    file(records.Class23);
}

// ---- Reading: sections ----

const char* KindText(TRecordKind kind) {
  switch (kind) {
  case TRecordKind::Switch:
    return "a switch";
  case TRecordKind::Class1:
    return "a transmitter";
  case TRecordKind::Class23:
    break;
  }
  return "a static model";
}

constexpr TRecordKind AllKinds[] = {TRecordKind::Class1, TRecordKind::Class23, TRecordKind::Switch};
using TKindSet = unsigned;
constexpr TKindSet Bit(TRecordKind k) {
  return 1u << static_cast<unsigned>(k);
}

std::string KindsText(TKindSet set) {
  std::string out;
  for (TRecordKind k : AllKinds)
    if (set & Bit(k))
      out += (out.empty() ? "" : " or ") + std::string(KindText(k));
  return out;
}

const TConfigField* FieldOf(TRecordKind kind, std::string_view key) {
  for (const TConfigField& f : ConfigFields(kind))
    if (key == f.Name)
      return &f;
  return nullptr;
}

class TParser {
public:
  TParser(const std::string& file, const TConfigBounds& bounds) : bounds_(bounds), lines_(file) {}

  TConfig Run(std::string_view text) {
    const std::vector<TSection> sections = lines_.Split(text);
    const TSection* main = Find(sections, MainInfo);
    const TSection* inst = Find(sections, Instrument);
    const TSection* settings = Find(sections, Settings);
    if (!main)
      Fail(0, {}, "no section [Main_Info]");
    if (!settings)
      Fail(0, {}, "no section [Instrument_Settings]");
    TConfig config;
    ReadMainInfo(*main, config);
    if (inst)
      ReadInstrument(*inst, config);
    ReadSettings(*settings, inst, config);
    return config;
  }

private:
  [[noreturn]] void Fail(int line, std::string key, std::string text) const {
    lines_.Fail(line, std::move(key), std::move(text));
  }

  static const TSection* Find(const std::vector<TSection>& sections, const char* name) {
    for (const TSection& s : sections)
      if (s.Name == name)
        return &s;
    return nullptr;
  }

  // Refuses a key that the section does not know, naming the spelling of a known one that
  // differs only in case.
  template <typename Names>
  [[noreturn]] void UnknownKey(const TEntry& e, const Names& names) const {
    std::string text = "unknown key";
    for (const auto& name : names)
      if (SameIgnoringCase(e.Key, name))
        text += std::string("; the key is spelt \"") + name + "\"";
    Fail(e.Line, e.Key.substr(0, 40), text);
  }

  const TEntry* Entry(const TSection& s, std::string_view key) const {
    for (const TEntry& e : s.Entries)
      if (e.Key == key)
        return &e;
    return nullptr;
  }

  const TEntry& Required(const TSection& s, const char* key) const {
    const TEntry* e = Entry(s, key);
    if (!e)
      Fail(s.Line, key, "missing from [" + s.Name + "]");
    return *e;
  }

  double Integer(const TEntry& e, const TLimits& limits) const {
    const TNumber n = ParseInteger(e.Value);
    if (!n.Error.empty())
      Fail(e.Line, e.Key, n.Error);
    if (auto outside = OutsideOf(e.Value, n.Value, limits))
      Fail(e.Line, e.Key, *outside);
    return n.Value;
  }

  TUnit UnitOfSet(const TEntry& e, TUnitSet set, const char* quantity) const {
    for (TUnit u = 0; u <= unit::Last; ++u)
      if (InUnitSet(u, set) && UnitText(u) == e.Value)
        return u;
    Fail(e.Line, e.Key,
         Quoted(e.Value) + " is not a unit of " + quantity + " (" + UnitList(set) + ")");
  }

  std::tm Date(const TEntry& e) const {
    // "dd.MM.yy", optionally followed by a blank and "HH:mm:ss".
    const std::string& v = e.Value;
    auto two = [&](std::size_t at, int& out) {
      if (at + 2 > v.size() || v[at] < '0' || v[at] > '9' || v[at + 1] < '0' || v[at + 1] > '9')
        return false;
      out = (v[at] - '0') * 10 + (v[at + 1] - '0');
      return true;
    };
    int d = 0, mo = 0, y = 0, h = 0, mi = 0, s = 0;
    bool ok = (v.size() == 8 || v.size() == 17) && two(0, d) && v[2] == '.' && two(3, mo) &&
              v[5] == '.' && two(6, y);
    if (ok && v.size() == 17)
      ok = v[8] == ' ' && two(9, h) && v[11] == ':' && two(12, mi) && v[14] == ':' && two(15, s);
    if (!ok)
      Fail(e.Line, e.Key, Quoted(v) + " is not a date \"dd.MM.yy\" or \"dd.MM.yy HH:mm:ss\"");
    const int year = 2000 + y;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (mo < 1 || mo > 12 || d < 1 || d > days[mo - 1] + (mo == 2 && leap ? 1 : 0) || h > 23 ||
        mi > 59 || s > 59)
      Fail(e.Line, e.Key, Quoted(v) + " is no such date and time");
    std::tm t{};
    t.tm_mday = d;
    t.tm_mon = mo - 1;
    t.tm_year = year - 1900;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return t;
  }

  void ReadMainInfo(const TSection& s, TConfig& c) const {
    static const char* const keys[] = {"App_Name",      "Version",          "Host_Cap_Level",
                                       "Trans_Date",    "Trans_ID",         "Unit_diff_press",
                                       "Unit_velocity", "Unit_atmos_press", "Unit_hose_length"};
    for (const TEntry& e : s.Entries) {
      if (std::find_if(std::begin(keys), std::end(keys),
                       [&](const char* k) { return e.Key == k; }) == std::end(keys))
        UnknownKey(e, keys);
      if (e.Key == "Host_Cap_Level") {
        // A file of a program of a higher level may mean more than this one knows.
        const TNumber n = ParseInteger(e.Value);
        if (!n.Error.empty())
          Fail(e.Line, e.Key, n.Error);
        if (n.Value > HostCapLevel)
          Fail(e.Line, e.Key,
               "written by a program of capability level " + e.Value + "; this one has level " +
                   std::to_string(HostCapLevel));
        if (n.Value < 0)
          Fail(e.Line, e.Key, Quoted(e.Value) + " is not a capability level");
      } else if (e.Key == "Trans_Date") {
        c.TransferTime = Date(e);
      } else if (e.Key == "Trans_ID") {
        c.TransferId = e.Value;
      }
    }
    c.Units.Press =
        UnitOfSet(Required(s, "Unit_diff_press"), PressUnitSet, "differential pressure");
    c.Units.Velocity = UnitOfSet(Required(s, "Unit_velocity"), VelocityUnitSet, "velocity");
    c.Units.Atm = UnitOfSet(Required(s, "Unit_atmos_press"), AtmUnitSet, "atmospheric pressure");
    c.Units.Hose = UnitOfSet(Required(s, "Unit_hose_length"), HoseUnitSet, "hose length");
  }

  void ReadInstrument(const TSection& s, TConfig& c) const {
    static const char* const keys[] = {"Type",       "Display",      "SerialNr", "SensorRange",
                                       "SW_Main_uC", "SW_Sensor_uC", "Cap_level"};
    for (const TEntry& e : s.Entries)
      if (std::find_if(std::begin(keys), std::end(keys),
                       [&](const char* k) { return e.Key == k; }) == std::end(keys))
        UnknownKey(e, keys);
    const TEntry& type = Required(s, "Type");
    for (std::uint8_t t = 1; t <= MaxInstType; ++t)
      if (type.Value == InstTypeName(t))
        c.InstType = t;
    if (c.InstType == 0) {
      std::string names;
      for (std::uint8_t t = 1; t <= MaxInstType; ++t)
        names += (t == 1 ? "" : ", ") + InstTypeName(t);
      Fail(type.Line, type.Key, Quoted(type.Value) + " is not an instrument type (" + names + ")");
    }
    c.Identity.TypeText = type.Value;
    for (const TEntry& e : s.Entries) {
      if (e.Key == "Display") {
        const bool display = InstTypeProps(c.InstType).Display;
        double v = 0;
        if (!ParseZeroOne(e.Value, v))
          Fail(e.Line, e.Key, Quoted(e.Value) + " is not 0 or 1");
        if ((v != 0) != display)
          Fail(e.Line, e.Key, "a " + type.Value + (display ? " has a display" : " has no display"));
      } else if (e.Key == "SerialNr") {
        c.Identity.SerialNr = e.Value;
      } else if (e.Key == "SensorRange") {
        c.Identity.SensorRange = e.Value;
      } else if (e.Key == "SW_Main_uC" || e.Key == "SW_Sensor_uC") {
        if (e.Value.empty() || e.Value.front() != 'V')
          Fail(e.Line, e.Key, Quoted(e.Value) + " does not begin with \"V\"");
        (e.Key == "SW_Main_uC" ? c.Identity.SwMain : c.Identity.SwSensor) = e.Value.substr(1);
      } else if (e.Key == "Cap_level") {
        // The instrument reports its level in a register.
        c.Identity.CapLevel =
            static_cast<std::int32_t>(Integer(e, TLimits{0, 65535, TLimitSource::Register, false}));
      }
    }
  }

  void ReadSettings(const TSection& s, const TSection* inst, TConfig& c) const {
    // The keys decide the record: each key narrows the records that have it.
    TKindSet candidates =
        Bit(TRecordKind::Class1) | Bit(TRecordKind::Class23) | Bit(TRecordKind::Switch);
    for (const TEntry& e : s.Entries) {
      TKindSet having = 0;
      for (TRecordKind k : AllKinds)
        if (FieldOf(k, e.Key))
          having |= Bit(k);
      if (having == 0) {
        std::vector<const char*> names;
        for (TRecordKind k : AllKinds)
          for (const TConfigField& f : ConfigFields(k))
            names.push_back(f.Name);
        UnknownKey(e, names);
      }
      if ((candidates & having) == 0)
        Fail(e.Line, e.Key,
             "a setting of " + KindsText(having) + ", among the settings of " +
                 KindsText(candidates));
      candidates &= having;
    }
    std::optional<TRecordKind> kind;
    if (c.InstType != 0) {
      kind = RecordKindOfClass(ClassOfType(c.InstType));
      if (!(candidates & Bit(*kind))) {
        const TEntry& type = Required(*inst, "Type");
        Fail(type.Line, type.Key,
             "a " + type.Value + " is " + KindText(*kind) + ", but the settings are those of " +
                 KindsText(candidates));
      }
    } else {
      for (TRecordKind k : AllKinds)
        if (candidates == Bit(k))
          kind = k;
      if (!kind)
        Fail(s.Line, {},
             "the settings could be those of " + KindsText(candidates) +
                 "; name the instrument with Type in [Instrument]");
    }
    c.Record = *kind;
    Defaults(c);
    for (const TEntry& e : s.Entries) {
      const TConfigField& f = *FieldOf(*kind, e.Key);
      const TNumber n = SettingValue(f, e.Value, bounds_);
      if (!n.Error.empty())
        Fail(e.Line, e.Key, n.Error);
      SetFieldValue(f, c.Params, n.Value);
    }
    for (const TConfigField& f : ConfigFields(*kind))
      Required(s, f.Name);
    FileDisplayUnit(c.Record, c.Params);
    c.Params.Class1.Cap_level = c.Identity.CapLevel;
  }

  // Every record at its defaults, for the type the file names.
  static void Defaults(TConfig& c) {
    TSettings scratch(nullptr);
    scratch.InstInfo.InstType = c.InstType;
    scratch.SetClass1Defaults();
    scratch.SetClass23Defaults();
    c.Params.Class1 = scratch.Class1;
    c.Params.Class23 = scratch.Class23;
    SetSwitchDefaults(c.Params.Switch);
  }

  const TConfigBounds& bounds_;
  TLines lines_;
};

template <typename Record> bool SameBytes(const Record& a, const Record& b) {
  return std::memcmp(&a, &b, sizeof(Record)) == 0;
}

bool SameTime(const std::optional<std::tm>& a, const std::optional<std::tm>& b) {
  if (!a || !b)
    return a.has_value() == b.has_value();
  return a->tm_year == b->tm_year && a->tm_mon == b->tm_mon && a->tm_mday == b->tm_mday &&
         a->tm_hour == b->tm_hour && a->tm_min == b->tm_min && a->tm_sec == b->tm_sec;
}

} // namespace

bool operator==(const TConfig& a, const TConfig& b) {
  if (a.InstType != b.InstType || a.Record != b.Record || !(a.Units == b.Units) ||
      !(a.Identity == b.Identity) || a.TransferId != b.TransferId ||
      !SameTime(a.TransferTime, b.TransferTime))
    return false;
  switch (a.Record) {
  case TRecordKind::Switch:
    return SameBytes(a.Params.Switch, b.Params.Switch);
  case TRecordKind::Class1:
    return SameBytes(a.Params.Class1, b.Params.Class1);
  case TRecordKind::Class23:
    break;
  }
  return SameBytes(a.Params.Class23, b.Params.Class23);
}

std::string TConfigError::Message() const {
  std::string text = File;
  if (Line > 0)
    text += ", line " + std::to_string(Line);
  if (!Key.empty())
    text += ", key \"" + Key + "\"";
  return text + ": " + Text;
}

TConfigRead ParseConfigText(std::string_view text, const std::string& fileName,
                            const TConfigBounds& bounds) {
  TConfigRead result;
  try {
    TParser parser(fileName, bounds);
    result.Config = parser.Run(text);
  } catch (const TRefused& refused) {
    result.Error = refused.Error;
  }
  return result;
}

TConfigRead ReadConfigFile(const std::string& path, const TConfigBounds& bounds) {
  namespace fs = std::filesystem;
  auto refused = [&](std::string text) {
    TConfigRead r;
    r.Error = TConfigError{path, 0, {}, std::move(text)};
    return r;
  };
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found)
    return refused("no such file");
  if (status.type() == fs::file_type::directory)
    return refused("a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return refused("cannot be opened");
  // One byte more than the limit tells an oversized file without trusting its size.
  std::string text(MaxConfigFileSize + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad())
    return refused("cannot be read");
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > MaxConfigFileSize)
    return refused("is larger than 1 MiB");
  return ParseConfigText(text, path, bounds);
}

std::string ConfigFileText(const TConfig& config) {
  IniWriter ini;
  ini.Section(MainInfo);
  ini.Text("App_Name", GetAppTitle());
  ini.Text("Version", AppVersion);
  ini.Int("Host_Cap_Level", HostCapLevel);
  if (config.TransferTime)
    ini.Text("Trans_Date", DateTimeText(*config.TransferTime));
  ini.Text("Trans_ID", config.TransferId);
  ini.Unit("Unit_diff_press", config.Units.Press);
  ini.Unit("Unit_velocity", config.Units.Velocity);
  ini.Unit("Unit_atmos_press", config.Units.Atm);
  ini.Unit("Unit_hose_length", config.Units.Hose);

  if (config.InstType != 0) {
    const TConfigIdentity& id = config.Identity;
    ini.Section(Instrument);
    ini.Text("Type", id.TypeText);
    ini.Int("Display", InstTypeProps(config.InstType).Display ? 1 : 0);
    ini.Text("SerialNr", id.SerialNr);
    ini.Text("SensorRange", id.SensorRange);
    ini.Text("SW_Main_uC", "V" + id.SwMain);
    ini.Text("SW_Sensor_uC", "V" + id.SwSensor);
    ini.Int("Cap_level", id.CapLevel);
  }

  ini.Section(Settings);
  for (const TConfigField& f : ConfigFields(config.Record))
    ini.Text(f.Name, ValueText(f, FieldValue(f, config.Params)));
  return ini.Str();
}

bool WriteConfigFile(const std::string& path, const TConfig& config) {
  namespace fs = std::filesystem;
  if (path.empty())
    return false;
  const std::string text = ConfigFileText(config);
  fs::path temp(path);
  temp += ".tmp";
  std::error_code ec;
  {
    // Text mode: lines end as the platform's text files do; the reader takes either.
    std::ofstream out(temp, std::ios::out | std::ios::trunc);
    if (!out)
      return false;
    out << text;
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

TConfigIdentity IdentityOf(const TInstInfo& info, std::int32_t capLevel) {
  TConfigIdentity id;
  id.TypeText = InstTypeName(info.InstType);
  if (info.InstType != 0 && info.TypeWithoutInfo == 0) {
    id.SerialNr = info.SerialNr.Get();
    auto whole = [](double v) {
      char buf[64];
      const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 0);
      return ec == std::errc() ? std::string(buf, end) : std::string();
    };
    id.SensorRange = whole(info.RangeMin) + " .. " + whole(info.RangeMax) + " Pa";
  }
  id.SwMain = info.SW_Main_uC.Get();
  id.SwSensor = info.SW_Sensor_uC.Get();
  id.CapLevel = capLevel;
  return id;
}

TConfig ConfigOf(const TSettings& sett, const TPreferences& prefs, TConfigIdentity identity,
                 std::string transferId, const std::optional<std::tm>& time) {
  TConfig c;
  c.InstType = sett.InstType();
  // No instrument: the class-1 record, as the transfer log has always written it.
  c.Record = RecordKindOfClass(sett.GetInstClass()).value_or(TRecordKind::Class1);
  c.Units = TViewUnits::Of(prefs);
  c.Identity = std::move(identity);
  c.TransferId = std::move(transferId);
  c.TransferTime = time;
  c.Params = TParamRecords{sett.Class1, sett.Class23, sett.Switch};
  return c;
}

bool ConfigFitsType(const TConfig& config, std::uint8_t instType) {
  const std::optional<TRecordKind> kind = RecordKindOfClass(ClassOfType(instType));
  if (!kind || *kind != config.Record)
    return false;
  return config.InstType == 0 || ClassOfType(config.InstType) == ClassOfType(instType);
}

void ApplyConfig(const TConfig& config, TSettings& sett) {
  TParamRecords records{sett.Class1, sett.Class23, sett.Switch};
  for (const TConfigField& f : ConfigFields(config.Record))
    SetFieldValue(f, records, FieldValue(f, config.Params));
  FileDisplayUnit(config.Record, records);
  switch (config.Record) {
  case TRecordKind::Switch:
    sett.Switch = records.Switch;
    break;
  case TRecordKind::Class1:
    sett.Class1 = records.Class1;
    break;
  case TRecordKind::Class23:
    sett.Class23 = records.Class23;
    break;
  }
}

bool ConfigParseHolds(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TConfigRead first = ParseConfigText(bytes, "fuzz.ini");
  if (!first.Config)
    return !first.Error.Message().empty();
  const std::string text = ConfigFileText(*first.Config);
  const TConfigRead second = ParseConfigText(text, "fuzz.ini");
  return second.Config && *second.Config == *first.Config && ConfigFileText(*second.Config) == text;
}

} // namespace dtool
