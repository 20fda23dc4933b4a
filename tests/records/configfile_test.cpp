#include "records/configfile.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "core/insttypes.h"
#include "core/settings.h"
#include "core/settingsowner.h"
#include "records/realformat.h"
#include "records/translog.h"

namespace dtool {
namespace {

namespace fs = std::filesystem;

// A transmitter's file as the transfer log writes it, defaults but for the identity.
const std::string Transmitter = R"([Main_Info]
App_Name=DravonTool - Win
Version=V4.11
Host_Cap_Level=3
Trans_Date=03.12.26 14:05:09
Trans_ID=ReadLog
Unit_diff_press=Pa
Unit_velocity=m/s
Unit_atmos_press=hPa
Unit_hose_length=m
[Instrument]
Type=DravonDat
Display=0
SerialNr=1234567
SensorRange=-100 .. 100 Pa
SW_Main_uC=V2.05
SW_Sensor_uC=V1.3
Cap_level=1
[Instrument_Settings]
Hose_length=0.3
Atm_Press=966
Humidity=50
Gain_Sens=1
Disp_unit=Pa
Disp_contr=7
An_from=0
An_to=20
An_velocity_from=0
An_velocity_to=1
An_4_20=1
An_offset=0
An_gain=1
Speed=5
Moving_Average=1
Velocity_C=0.612500011920929
Velocity_n=2
Velocity_to_RS232=0
Velocity_to_AnOut=0
)";

// A switch's file: its record in record order, in storage units.
const std::string Switch = R"([Main_Info]
App_Name=DravonTool - Win
Version=V4.11
Host_Cap_Level=3
Trans_Date=03.12.26 14:05:09
Trans_ID=ReadLog
Unit_diff_press=mbar
Unit_velocity=m/s
Unit_atmos_press=hPa
Unit_hose_length=m
[Instrument]
Type=DravonSwitch
Display=0
SerialNr=7654321
SensorRange=0 .. 500 Pa
SW_Main_uC=V1.20
SW_Sensor_uC=V3
Cap_level=0
[Instrument_Settings]
Hose_length=2.5
Atm_Press=1013.25
Humidity=30
Gain_Sens=1.0125
AlInt=3
Al1Dly=8
Al2Dly=240
Al1Hys=1.5
Al2Hys=0
Al1Thre=150
Al2Thre=-0.5
)";

// Replaces the line `from` of text by `to`: more lines, or none when `to` is empty.
std::string Edit(std::string text, const std::string& from, const std::string& to) {
  const std::string line = from + "\n";
  std::size_t at = 0;
  if (text.compare(0, line.size(), line) != 0) {
    at = text.find("\n" + line);
    if (at == std::string::npos)
      throw std::runtime_error("no line " + from);
    ++at;
  }
  return text.replace(at, line.size(), to.empty() ? "" : to + "\n");
}

// The text with the line of the key of `line` ("Key=value") replaced by it.
std::string WithLine(std::string text, const std::string& line) {
  const std::string key = line.substr(0, line.find('='));
  const std::size_t at = text.find("\n" + key + "=") + 1;
  return text.replace(at, text.find('\n', at) - at, line);
}

std::tm At(int y, int mo, int d, int h, int mi, int s) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return t;
}

TEST(ConfigFile, TheSwitchSectionHoldsItsRecordInStorageUnits) {
  class Owner : public ISettingsOwner {
  public:
    TPreferences& Prefs() override { return prefs; }
    TPreferences prefs{1, unit::mbar, unit::m_s, unit::hPa, unit::m, 0.0, 15.0, 0, 9, {}, 1};
  } owner;
  TSettings sett(&owner);
  sett.SetDefaults(false, false);
  sett.InstInfo.InstType = 9;
  sett.InstInfo.SW_Main_uC.Set("1.20");
  sett.InstInfo.SW_Sensor_uC.Set("3");
  sett.Switch = TSwitchParams{2.5, 1013.25, 30, 1.0125, 3, 8, 240, {}, 1.5, 0, 150, -0.5};
  const TLogSource source{owner.prefs, sett, "DravonSwitch", "7654321", "0 .. 500 Pa"};
  EXPECT_EQ(LogFileText("ReadLog", At(2026, 12, 3, 14, 5, 9), source), Switch);

  const TConfigRead read = ParseConfigText(Switch, "switch.ini");
  ASSERT_TRUE(read.Config) << read.Error.Message();
  EXPECT_EQ(read.Config->InstType, 9);
  EXPECT_EQ(read.Config->Record, TRecordKind::Switch);
  EXPECT_EQ(std::memcmp(&read.Config->Params.Switch, &sett.Switch, sizeof(TSwitchParams)), 0);
  EXPECT_EQ(read.Config->Units.Press, unit::mbar);
  EXPECT_EQ(read.Config->Identity.SwMain, "1.20");
}

// Every parameter of the record at a value that differs from its default and that the file
// and the register carry.
TParamRecords Filled(TRecordKind kind, const TParamRecords& defaults) {
  TParamRecords r = defaults;
  int i = 0;
  for (const TConfigField& f : ConfigFields(kind)) {
    ++i;
    const double before = FieldValue(f, defaults);
    double v = 0;
    switch (f.Type) {
    case TValueType::Real:
      if (f.Row) {
        const TParamRow& row = ParamRowOf(TParam::Working(*f.Row));
        const double counts =
            (row.Insttype == insttype::Signed && i % 2 ? -1 : 1) * (1000 + 97 * i);
        // The file carries 15 significant digits: a delay of whole periods (1/20.3451 s)
        // is taken as the file writes it.
        const std::string text = FormatGeneralReal(counts / row.Factor);
        std::from_chars(text.data(), text.data() + text.size(), v);
      } else {
        v = (f.Library == TSwitchLimitId::Threshold ? -1 : 1) * (0.5 + 1.25 * i);
      }
      break;
    case TValueType::Single:
      v = 0.7071f;
      break;
    case TValueType::Integer:
      v = f.Fixed.Source != TLimitSource::None ? f.Fixed.Max - 1 : 12;
      break;
    case TValueType::Flag:
    case TValueType::Boolean:
      v = before != 0 ? 0 : 1;
      break;
    case TValueType::Unit:
      v = unit::km_h;
      break;
    }
    EXPECT_NE(v, before) << f.Name;
    SetFieldValue(f, r, v);
  }
  // The main window files a velocity display unit as the velocity mode's unit.
  r.Class1.DispVelocityUnit = r.Class1.Disp_unit;
  r.Class23.DispVelocityUnit = r.Class23.Disp_unit;
  return r;
}

TEST(ConfigFile, EveryTypeReadsBackAsWrittenAndWritesTheSameTextAgain) {
  struct Case {
    std::uint8_t type;
    TRecordKind record;
  };
  std::vector<Case> cases = {{0, TRecordKind::Class1}, {0, TRecordKind::Class23}};
  for (std::uint8_t t = 1; t <= MaxInstType; ++t)
    cases.push_back({t, *RecordKindOfClass(ClassOfType(t))});
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type));
    TSettings defaults(nullptr);
    defaults.InstInfo.InstType = c.type;
    defaults.SetClass1Defaults();
    defaults.SetClass23Defaults();
    TParamRecords records{defaults.Class1, defaults.Class23, {}};
    SetSwitchDefaults(records.Switch);

    TConfig config;
    config.InstType = c.type;
    config.Record = c.record;
    config.Units = TViewUnits{unit::mmHg, unit::knots, unit::inchHg, unit::inch};
    if (c.type != 0)
      config.Identity =
          TConfigIdentity{InstTypeName(c.type), "0012345", "-500 .. 500 Pa", "02.10", "1.4", 2};
    config.TransferId = "WriteLog";
    config.TransferTime = At(2027, 2, 28, 23, 59, 58);
    config.Params = Filled(c.record, records);
    config.Params.Class1.Cap_level = config.Identity.CapLevel;

    const std::string text = ConfigFileText(config);
    const TConfigRead read = ParseConfigText(text, "roundtrip.ini");
    ASSERT_TRUE(read.Config) << read.Error.Message() << "\n" << text;
    EXPECT_TRUE(*read.Config == config) << text;
    EXPECT_EQ(ConfigFileText(*read.Config), text);
  }
}

// Values read from an instrument are register counts divided by the scale factor; the delay
// factor 20.3451 gives more digits than the file keeps. Every register's extremes read back,
// and to the same counts.
TEST(ConfigFile, TheRegistersExtremesAsReadFromAnInstrumentReadBack) {
  for (std::uint8_t type : {std::uint8_t{10}, std::uint8_t{3}}) {
    const TRecordKind kind = *RecordKindOfClass(ClassOfType(type));
    for (bool top : {false, true}) {
      TSettings sett(nullptr);
      sett.InstInfo.InstType = type;
      sett.SetDefaults(false, false);
      TConfig config = ConfigOf(sett, TPreferences{1, 1, 16, 0, 8, 0, 15, 0, 0, {}, 1},
                                IdentityOf(sett.InstInfo, 0), "ReadLog", std::nullopt);
      for (const TConfigField& f : ConfigFields(kind))
        if (f.Type == TValueType::Real) {
          const TParamRow& row = ParamRowOf(TParam::Working(*f.Row));
          const TLimits range = RegisterLimits(row);
          SetFieldValue(f, config.Params, top ? range.Max : range.Min);
        }
      const TConfigRead read = ParseConfigText(ConfigFileText(config), "extremes.ini");
      ASSERT_TRUE(read.Config) << read.Error.Message();
      EXPECT_TRUE(DiffConfig(ClassOfType(type), config.Params, read.Config->Params).empty());
    }
  }
}

class DecimalComma : public ::testing::Test {
protected:
  void SetUp() override {
    saved = std::setlocale(LC_ALL, nullptr);
    savedGlobal = std::locale();
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
      GTEST_SKIP() << "no de_DE.UTF-8 locale";
    std::locale::global(std::locale("de_DE.UTF-8"));
    dir = fs::temp_directory_path() / ("dtool-config-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    std::locale::global(savedGlobal);
    std::setlocale(LC_ALL, saved.c_str());
    fs::remove_all(dir);
  }
  std::string saved;
  std::locale savedGlobal;
  fs::path dir;
};

TEST_F(DecimalComma, AFileWrittenUnderItReadsBack) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%g", 1.5);
  ASSERT_STREQ(buf, "1,5") << "the locale is in force";
  TConfigRead read = ParseConfigText(Transmitter, "cfg.ini");
  ASSERT_TRUE(read.Config);
  TConfig config = *read.Config;
  config.Params.Class1.An_from = -1.125;
  config.Params.Class1.Gain_Sens = 1.5e-4;
  config.Params.Class1.Atm_Press = 1013.25;
  config.Params.Class1.Disp_contr = 12345;
  const fs::path file = dir / "config.ini";
  ASSERT_TRUE(WriteConfigFile(file.string(), config));
  std::ifstream in(file);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("\nAn_from=-1.125\nAn_to=20\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nAtm_Press=1013.25\n"), std::string::npos);
  EXPECT_NE(text.find("\nDisp_contr=12345\n"), std::string::npos);
  read = ReadConfigFile(file.string());
  ASSERT_TRUE(read.Config) << read.Error.Message();
  EXPECT_TRUE(*read.Config == config);
  // A decimal comma is not a number in the file, whatever the locale.
  read = ParseConfigText(Edit(Transmitter, "Hose_length=0.3", "Hose_length=0,3"), "cfg.ini");
  EXPECT_FALSE(read.Config);
}

TEST(ConfigFile, ReadsBomCrlfBlanksCommentsAndAnyOrder) {
  const std::string messy = "\xEF\xBB\xBF; written by hand\r\n"
                            "[ Instrument_Settings ]\r\n"
                            "  Velocity_to_AnOut = 0\r\n"
                            "Velocity_to_RS232=0\r\n"
                            "Velocity_n =\t2\r\n"
                            "Velocity_C= 0.6125\r\n"
                            "# the filters\r\n"
                            "Moving_Average=+20\r\n"
                            "Speed=5\r\n"
                            "An_gain=1\r\n"
                            "An_offset=-0\r\n"
                            "An_4_20=1\r\n"
                            "An_velocity_to=1e1\r\n"
                            "An_velocity_from=0\r\n"
                            "An_to=2.5E+2\r\n"
                            "An_from=-.5\r\n"
                            "Disp_contr=7\r\n"
                            "Disp_unit=inchH2O\r\n"
                            "Gain_Sens=1.\r\n"
                            "Humidity=50\r\n"
                            "Atm_Press=966\r\n"
                            "Hose_length=0.3\r\n"
                            "\r\n"
                            "[Main_Info]\r\n"
                            "Unit_hose_length=inch\r\n"
                            "Unit_atmos_press=mbar\r\n"
                            "Unit_velocity=km/h\r\n"
                            "Unit_diff_press=psi\r\n";
  const TConfigRead read = ParseConfigText(messy, "hand.ini");
  ASSERT_TRUE(read.Config) << read.Error.Message();
  EXPECT_EQ(read.Config->InstType, 0);
  EXPECT_EQ(read.Config->Record, TRecordKind::Class1) << "the keys are a transmitter's";
  EXPECT_FALSE(read.Config->TransferTime);
  const TClass1Params& p = read.Config->Params.Class1;
  EXPECT_FALSE(std::signbit(p.An_offset)) << "a zero is stored as 0";
  EXPECT_EQ(p.DispPressUnit, unit::inchH2O);
  EXPECT_EQ(p.DispVelocityUnit, unit::m_s);
  EXPECT_EQ(ConfigFileText(*read.Config), R"([Main_Info]
App_Name=DravonTool - Win
Version=V4.11
Host_Cap_Level=3
Trans_ID=
Unit_diff_press=psi
Unit_velocity=km/h
Unit_atmos_press=mbar
Unit_hose_length=inch
[Instrument_Settings]
Hose_length=0.3
Atm_Press=966
Humidity=50
Gain_Sens=1
Disp_unit=inchH2O
Disp_contr=7
An_from=-0.5
An_to=250
An_velocity_from=0
An_velocity_to=10
An_4_20=1
An_offset=0
An_gain=1
Speed=5
Moving_Average=20
Velocity_C=0.612500011920929
Velocity_n=2
Velocity_to_RS232=0
Velocity_to_AnOut=0
)");
}

TEST(ConfigFile, RefusesEveryFaultWithFileLineAndKey) {
  struct Case {
    std::string text;
    std::string message;
  };
  const std::string& T = Transmitter;
  const std::string& S = Switch;
  const std::string mainInfo = T.substr(0, T.find("[Instrument]"));
  const std::string typeNames = "Dravon-STD, Dravon-STV, Dravon-STS, Dravon-STVS, Dravon-STD Z, "
                                "Dravon-STV Z, Dravon-STS Z, Dravon-STVS Z, DravonSwitch, "
                                "DravonDat, DravonVision";
  const Case cases[] = {
      // The lines and sections.
      {Edit(T, "[Instrument]", "[Instrumnet]"), "cfg.ini, line 11: unknown section [Instrumnet]"},
      {Edit(T, "[Main_Info]", "[main_info]"),
       "cfg.ini, line 1: unknown section [main_info]; the section is spelt [Main_Info]"},
      {T + "[Instrument]\n",
       "cfg.ini, line 39: section [Instrument] a second time (first on line 11)"},
      {Edit(T, "[Instrument_Settings]", "[Instrument_Settings"),
       "cfg.ini, line 19: a section name without its closing \"]\""},
      {"Note=1\n" + T, "cfg.ini, line 1, key \"Note\": before the first section"},
      {Edit(T, "Humidity=50", "Humidity 50"),
       "cfg.ini, line 22: neither a section, a key = value nor a comment"},
      {Edit(T, "Humidity=50", "=50"), "cfg.ini, line 22: a value without a key"},
      {Edit(T, "SerialNr=1234567", std::string("SerialNr=123\0", 13) + "4"),
       "cfg.ini, line 14: holds a control character"},
      {mainInfo, "cfg.ini: no section [Instrument_Settings]"},
      {std::string(MaxConfigFileSize + 1, '\n'), "cfg.ini: is larger than 1 MiB"},
      // The keys.
      {Edit(T, "Hose_length=0.3", "Hose_lenght=0.3"),
       "cfg.ini, line 20, key \"Hose_lenght\": unknown key"},
      {Edit(T, "Speed=5", "speed=5"),
       "cfg.ini, line 33, key \"speed\": unknown key; the key is spelt \"Speed\""},
      {Edit(T, "SerialNr=1234567", "Serial=1234567"),
       "cfg.ini, line 14, key \"Serial\": unknown key"},
      {T + "An_gain=1\n", "cfg.ini, line 39, key \"An_gain\": a second time (first on line 32)"},
      {Edit(T, "Velocity_n=2", ""),
       "cfg.ini, line 19, key \"Velocity_n\": missing from [Instrument_Settings]"},
      {Edit(T, "Unit_velocity=m/s", ""),
       "cfg.ini, line 1, key \"Unit_velocity\": missing from [Main_Info]"},
      {Edit(T, "Type=DravonDat", ""), "cfg.ini, line 11, key \"Type\": missing from [Instrument]"},
      // Values not of their kind.
      {Edit(T, "Hose_length=0.3", "Hose_length=0,3"),
       "cfg.ini, line 20, key \"Hose_length\": \"0,3\" is not a number"},
      {Edit(T, "An_to=20", "An_to="), "cfg.ini, line 27, key \"An_to\": no value"},
      {Edit(T, "An_gain=1", "An_gain=NAN"),
       "cfg.ini, line 32, key \"An_gain\": \"NAN\" is not a finite number"},
      {Edit(T, "Velocity_C=0.612500011920929", "Velocity_C=-inf"),
       "cfg.ini, line 35, key \"Velocity_C\": \"-inf\" is not a finite number"},
      {Edit(T, "Atm_Press=966", "Atm_Press=1E999"),
       "cfg.ini, line 21, key \"Atm_Press\": \"1E999\" is outside the range of a real"},
      {Edit(T, "Hose_length=0.3", "Hose_length=0.30000000000000004"),
       "cfg.ini, line 20, key \"Hose_length\": \"0.30000000000000004\" has more than 15 "
       "significant digits"},
      {Edit(T, "Speed=5", "Speed=5.5"),
       "cfg.ini, line 33, key \"Speed\": \"5.5\" is not an integer"},
      {Edit(T, "An_4_20=1", "An_4_20=2"), "cfg.ini, line 30, key \"An_4_20\": \"2\" is not 0 or 1"},
      {Edit(T, "Disp_unit=Pa", "Disp_unit=hPa"),
       "cfg.ini, line 24, key \"Disp_unit\": \"hPa\" is not a display unit (Pa, mbar, mmHg, "
       "mmH20, psi, inchHg, inchH2O, m/s, km/h, feet/s, knots)"},
      {Edit(T, "Unit_diff_press=Pa", "Unit_diff_press=mmH2O"),
       "cfg.ini, line 7, key \"Unit_diff_press\": \"mmH2O\" is not a unit of differential "
       "pressure (Pa, mbar, mmHg, mmH20, psi, inchHg, inchH2O)"},
      {Edit(T, "Unit_atmos_press=hPa", "Unit_atmos_press=Pa"),
       "cfg.ini, line 9, key \"Unit_atmos_press\": \"Pa\" is not a unit of atmospheric pressure "
       "(hPa, mbar, mmHg, inchHg)"},
      {Edit(T, "Trans_Date=03.12.26 14:05:09", "Trans_Date=29.02.26"),
       "cfg.ini, line 5, key \"Trans_Date\": \"29.02.26\" is no such date and time"},
      {Edit(T, "Trans_Date=03.12.26 14:05:09", "Trans_Date=2026-12-03"),
       "cfg.ini, line 5, key \"Trans_Date\": \"2026-12-03\" is not a date \"dd.MM.yy\" or "
       "\"dd.MM.yy HH:mm:ss\""},
      {Edit(T, "SW_Main_uC=V2.05", "SW_Main_uC=2.05"),
       "cfg.ini, line 16, key \"SW_Main_uC\": \"2.05\" does not begin with \"V\""},
      // Values outside their range, with the source of the range.
      {Edit(T, "An_gain=1", "An_gain=70000"),
       "cfg.ini, line 32, key \"An_gain\": 70000 is outside 0..6.5535 (the instrument's register)"},
      {Edit(T, "An_from=0", "An_from=-327.69"),
       "cfg.ini, line 26, key \"An_from\": -327.69 is outside -327.68..327.67 (the instrument's "
       "register)"},
      {Edit(T, "Disp_contr=7", "Disp_contr=-1"),
       "cfg.ini, line 25, key \"Disp_contr\": -1 is outside 0..65535 (the instrument's register)"},
      {Edit(T, "Speed=5", "Speed=12"),
       "cfg.ini, line 33, key \"Speed\": 12 is outside 1..9 (the program's list)"},
      {Edit(T, "Moving_Average=1", "Moving_Average=99999999999999999999999"),
       "cfg.ini, line 34, key \"Moving_Average\": 99999999999999999999999 is outside 1..20 (the "
       "program's list)"},
      {Edit(T, "Velocity_C=0.612500011920929", "Velocity_C=1E39"),
       "cfg.ini, line 35, key \"Velocity_C\": \"1E39\" is outside the range of single precision, "
       "-3.40282346638529E38..3.40282346638529E38"},
      {Edit(T, "Cap_level=1", "Cap_level=70000"), "cfg.ini, line 18, key \"Cap_level\": 70000 is "
                                                  "outside 0..65535 (the instrument's register)"},
      {Edit(T, "Host_Cap_Level=3", "Host_Cap_Level=4"),
       "cfg.ini, line 4, key \"Host_Cap_Level\": written by a program of capability level 4; this "
       "one has level 3"},
      {Edit(S, "AlInt=3", "AlInt=0"),
       "cfg.ini, line 24, key \"AlInt\": 0 is outside 1..9 (the switch record)"},
      {Edit(S, "Al2Dly=240", "Al2Dly=256"),
       "cfg.ini, line 26, key \"Al2Dly\": 256 is outside 0..255 (the switch record)"},
      // The type and the keys.
      {Edit(T, "Type=DravonDat", "Type=DravonData"),
       "cfg.ini, line 12, key \"Type\": \"DravonData\" is not an instrument type (" + typeNames +
           ")"},
      {Edit(T, "Display=0", "Display=1"),
       "cfg.ini, line 13, key \"Display\": a DravonDat has no display"},
      {Edit(T, "Type=DravonDat", "Type=Dravon-STD"),
       "cfg.ini, line 12, key \"Type\": a Dravon-STD is a static model, but the settings are those "
       "of a transmitter"},
      {Edit(S, "Type=DravonSwitch", "Type=DravonDat"),
       "cfg.ini, line 12, key \"Type\": a DravonDat is a transmitter, but the settings are those "
       "of "
       "a switch"},
      {T + "Filter_level=3\n",
       "cfg.ini, line 39, key \"Filter_level\": a setting of a static model, among the settings of "
       "a transmitter"},
      {mainInfo + "[Instrument_Settings]\nGain_Sens=1\nAlInt=2\nSpeed=3\n",
       "cfg.ini, line 14, key \"Speed\": a setting of a transmitter, among the settings of a "
       "switch"},
      {mainInfo + "[Instrument_Settings]\nGain_Sens=1\n",
       "cfg.ini, line 11: the settings could be those of a transmitter or a static model or a "
       "switch; name the instrument with Type in [Instrument]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const TConfigRead read = ParseConfigText(c.text, "cfg.ini");
    EXPECT_FALSE(read.Config) << "nothing of a refused file is returned";
    EXPECT_EQ(read.Error.Message(), c.message);
  }
}

TEST(ConfigFile, TakesWhatTheRegisterHoldsBeyondTheMainWindowsEditRanges) {
  const char* const values[] = {
      "Velocity_n=0.5",        // the edit keeps n in 1..2
      "An_velocity_to=32.767", // 32767 counts, though 32.767 times 1000 is a little more
      "An_from=327.674",       // rounds to 32767 counts
      "Hose_length=65.535",    // the largest word
      "An_offset=-3.2768",     // the lowest signed word
  };
  for (const char* v : values) {
    SCOPED_TRACE(v);
    const std::string text = WithLine(Transmitter, v);
    const TConfigRead read = ParseConfigText(text, "cfg.ini");
    EXPECT_TRUE(read.Config) << read.Error.Message();
  }
}

TEST(ConfigFile, TheSwitchLibrarysBoundsInSinglePrecision) {
  TSwitchLimits limits;
  limits.HoseMin = 0.1f;
  limits.HoseMax = 30.0f;
  limits.AtmMin = 600.0f;
  limits.AtmMax = 1100.0f;
  limits.GainMin = 0.5f;
  limits.GainMax = 1.5f;
  limits.HysMin = 0.0f;
  limits.HysMax = 50.0f;
  limits.ThreMin = 0.5f;
  limits.ThreMax = 500.0f;
  limits.MaxDelay = 240;
  const TConfigBounds bounds{limits};
  struct Case {
    std::string from, to;
    std::string message; // empty: accepted
  };
  const Case cases[] = {
      {"Hose_length=2.5", "Hose_length=0.1", ""},
      {"Al2Thre=-0.5", "Al2Thre=-500", ""},
      {"Hose_length=2.5", "Hose_length=40",
       "cfg.ini, line 20, key \"Hose_length\": 40 is outside 0.1..30 (the switch library)"},
      {"Hose_length=2.5", "Hose_length=0.0999999",
       "cfg.ini, line 20, key \"Hose_length\": 0.0999999 is outside 0.1..30 (the switch library)"},
      {"Al1Thre=150", "Al1Thre=-0.2",
       "cfg.ini, line 29, key \"Al1Thre\": -0.2 is outside 0.5..500 in magnitude (the switch "
       "library)"},
      {"Al1Dly=8", "Al1Dly=241",
       "cfg.ini, line 25, key \"Al1Dly\": 241 is outside 0..240 (the "
       "switch library)"},
      {"Humidity=30", "Humidity=130", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    const TConfigRead read = ParseConfigText(Edit(Switch, c.from, c.to), "cfg.ini", bounds);
    EXPECT_EQ(read.Config.has_value(), c.message.empty());
    if (!c.message.empty()) {
      EXPECT_EQ(read.Error.Message(), c.message);
    }
  }
  EXPECT_TRUE(ParseConfigText(Edit(Switch, "Hose_length=2.5", "Hose_length=40"), "cfg.ini").Config)
      << "without the library's bounds only the record's own ranges apply";
}

class ConfigFiles : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("dtool-configfiles-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(ConfigFiles, AFileThatCannotBeUsedIsNamed) {
  const std::string missing = (dir / "missing.ini").string();
  EXPECT_EQ(ReadConfigFile(missing).Error.Message(), missing + ": no such file");
  EXPECT_EQ(ReadConfigFile(dir.string()).Error.Message(), dir.string() + ": a folder, not a file");
  const fs::path big = dir / "big.ini";
  {
    std::ofstream out(big, std::ios::binary);
    out << Transmitter << std::string(MaxConfigFileSize, ';');
  }
  EXPECT_EQ(ReadConfigFile(big.string()).Error.Message(), big.string() + ": is larger than 1 MiB");
  const fs::path good = dir / "good.ini";
  { std::ofstream(good, std::ios::binary) << Transmitter; }
  const TConfigRead read = ReadConfigFile(good.string());
  ASSERT_TRUE(read.Config) << read.Error.Message();
  EXPECT_EQ(read.Config->Identity.SerialNr, "1234567");
}

TEST_F(ConfigFiles, WritingReplacesTheFileWhole) {
  const fs::path file = dir / "out.ini";
  { std::ofstream(file) << "old"; }
  const TConfig config = ParseConfigText(Switch, "s.ini").Config.value();
  ASSERT_TRUE(WriteConfigFile(file.string(), config));
  std::ifstream in(file);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), Switch);
  EXPECT_FALSE(fs::exists(dir / "out.ini.tmp"));
  EXPECT_FALSE(WriteConfigFile((dir / "no-such-folder" / "x.ini").string(), config));
}

TEST(ConfigFile, FitsTheTypesOfItsClass) {
  auto config = [](std::uint8_t type, TRecordKind record) {
    TConfig c;
    c.InstType = type;
    c.Record = record;
    return c;
  };
  const TConfig transmitter = config(10, TRecordKind::Class1);
  const TConfig staticZ = config(6, TRecordKind::Class23);
  const TConfig staticWithoutType = config(0, TRecordKind::Class23);
  const TConfig switchConfig = config(9, TRecordKind::Switch);
  struct Case {
    const TConfig* config;
    std::uint8_t type;
    bool fits;
  };
  const Case cases[] = {
      {&transmitter, 11, true},      {&transmitter, 1, false},       {&transmitter, 0, false},
      {&staticZ, 8, true},           {&staticZ, 4, false},           {&staticWithoutType, 4, true},
      {&staticWithoutType, 5, true}, {&staticWithoutType, 9, false}, {&switchConfig, 9, true},
      {&switchConfig, 10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.config->InstType) + " on " + std::to_string(c.type));
    EXPECT_EQ(ConfigFitsType(*c.config, c.type), c.fits);
  }
}

TEST(ConfigFile, ApplyingKeepsWhatTheFileDoesNotCarry) {
  TSettings sett(nullptr);
  sett.InstInfo.InstType = 11;
  sett.SetDefaults(false, false);
  sett.Class1.Cap_level = 3;
  sett.Class1.DispVelocityUnit = unit::knots;
  sett.Class23.Filter_level = 17;
  const TClass23Params class23 = sett.Class23;
  const TConfig config = ParseConfigText(Edit(Edit(Transmitter, "Disp_unit=Pa", "Disp_unit=mbar"),
                                              "Hose_length=0.3", "Hose_length=1.5"),
                                         "t.ini")
                             .Config.value();
  ApplyConfig(config, sett);
  EXPECT_EQ(sett.Class1.Hose_length, 1.5);
  EXPECT_EQ(sett.Class1.Disp_unit, unit::mbar);
  EXPECT_EQ(sett.Class1.DispPressUnit, unit::mbar);
  EXPECT_EQ(sett.Class1.DispVelocityUnit, unit::knots);
  EXPECT_EQ(sett.Class1.Cap_level, 3) << "the instrument's level, not the file's";
  EXPECT_EQ(std::memcmp(&sett.Class23, &class23, sizeof class23), 0);
  EXPECT_EQ(sett.InstInfo.InstType, 11);
}

TEST(ConfigFile, IdentityAsTheMainWindowShowsIt) {
  TInstInfo info{};
  info.InstType = 10;
  info.RangeMin = -100;
  info.RangeMax = 2500;
  info.SerialNr.Set("1234567");
  info.SW_Main_uC.Set("02.05");
  TConfigIdentity id = IdentityOf(info, 1);
  EXPECT_EQ(id, (TConfigIdentity{"DravonDat", "1234567", "-100 .. 2500 Pa", "02.05", "", 1}));
  info.TypeWithoutInfo = 1;
  id = IdentityOf(info, 1);
  EXPECT_EQ(id.SerialNr, "");
  EXPECT_EQ(id.SensorRange, "");
}

bool Holds(const std::string& text) {
  return ConfigParseHolds(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

TEST(ConfigParseHolds, ValuesTheWriterNormalisesStillRoundTrip) {
  const char* const values[] = {"Velocity_C=-1E-50", "Velocity_C=3.40282346638529E38",
                                "Velocity_C=-0",     "An_offset=-0",
                                "Gain_Sens=1.5e-4",  "Moving_Average=+007"};
  for (const char* v : values) {
    SCOPED_TRACE(v);
    const std::string text = WithLine(Transmitter, v);
    ASSERT_TRUE(ParseConfigText(text, "f.ini").Config) << text;
    EXPECT_TRUE(Holds(text));
  }
}

#ifdef DTOOL_CONFIG_SEEDS
// The seeds of the fuzz target: each holds, and so does every beginning of each.
TEST(ConfigParseHolds, OnTheSeedsAndEveryPrefix) {
  int seeds = 0;
  for (const auto& entry : fs::directory_iterator(DTOOL_CONFIG_SEEDS)) {
    if (entry.path().extension() != ".ini")
      continue;
    ++seeds;
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const bool valid = entry.path().filename().string().rfind("valid-", 0) == 0;
    const TConfigRead read = ParseConfigText(text, "seed.ini");
    EXPECT_EQ(read.Config.has_value(), valid) << read.Error.Message();
    for (std::size_t n = 0; n <= text.size(); ++n)
      if (!ConfigParseHolds(reinterpret_cast<const std::uint8_t*>(text.data()), n))
        ADD_FAILURE() << "the round trip fails on the first " << n << " bytes";
  }
  EXPECT_GE(seeds, 1);
}
#endif

} // namespace
} // namespace dtool
