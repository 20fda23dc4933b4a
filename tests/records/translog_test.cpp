#include "records/translog.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/settingsowner.h"
#include "tools/intset.h"

namespace dtool {
namespace {

namespace fs = std::filesystem;

class Owner : public ISettingsOwner {
public:
  TPreferences& Prefs() override { return prefs; }
  TPreferences prefs{1, 1, 16, 0, 8, 0.0, 15.0, 0, 0, {}, 1};
};

std::vector<std::string> Lines(const fs::path& p) {
  std::ifstream in(p);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
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

class TransferLog : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("dtool-translog-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    saved = std::setlocale(LC_ALL, nullptr);
    commaLocale = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    sett.SetDefaults(false, false);
  }
  void TearDown() override {
    std::setlocale(LC_ALL, saved.c_str());
    fs::remove_all(dir);
  }
  TLogSource Source(std::string type, std::string serial, std::string range) {
    return TLogSource{owner.prefs, sett, std::move(type), std::move(serial), std::move(range)};
  }
  fs::path dir;
  std::string saved;
  bool commaLocale = false;
  Owner owner;
  TSettings sett{&owner};
};

TEST_F(TransferLog, TransmitterUnderADecimalCommaLocale) {
  sett.InstInfo.InstType = 10;
  sett.InstInfo.SW_Main_uC.Set("2.05");
  sett.InstInfo.SW_Sensor_uC.Set("1.3");
  sett.Class1.Cap_level = 3;
  sett.Class1.An_from = -1.125;
  sett.Class1.Gain_Sens = 1.5e-5;
  owner.prefs.AtmUnit = unit::inchHg;
  const fs::path log = dir / "InstLog.txt";
  ASSERT_TRUE(WriteLogFile(log.string(), "ReadLog", At(2026, 12, 3, 14, 5, 9),
                           Source("DravonDat", "1234567", "-100 .. 100 Pa")));
  const std::vector<std::string> expected = {
      "[Main_Info]",
      "App_Name=DravonTool - Win",
      "Version=V4.11",
      "Host_Cap_Level=3",
      "Trans_Date=03.12.26 14:05:09",
      "Trans_ID=ReadLog",
      "Unit_diff_press=Pa",
      "Unit_velocity=m/s",
      "Unit_atmos_press=inchHg",
      "Unit_hose_length=m",
      "[Instrument]",
      "Type=DravonDat",
      "Display=0",
      "SerialNr=1234567",
      "SensorRange=-100 .. 100 Pa",
      "SW_Main_uC=V2.05",
      "SW_Sensor_uC=V1.3",
      "Cap_level=3",
      "[Instrument_Settings]",
      "Hose_length=0.3",
      "Atm_Press=966",
      "Humidity=50",
      "Gain_Sens=1.5E-5",
      "Disp_unit=Pa",
      "Disp_contr=7",
      "An_from=-1.125",
      "An_to=20",
      "An_velocity_from=0",
      "An_velocity_to=1",
      "An_4_20=1",
      "An_offset=0",
      "An_gain=1",
      "Speed=5",
      "Moving_Average=1",
      "Velocity_C=0.612500011920929",
      "Velocity_n=2",
      "Velocity_to_RS232=0",
      "Velocity_to_AnOut=0",
  };
  EXPECT_EQ(Lines(log), expected);
  if (commaLocale) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%g", 1.5);
    EXPECT_STREQ(buf, "1,5") << "the locale's conventions are back after the call";
    EXPECT_EQ(FormatSettings().DecimalSeparator, ',');
  }
}

TEST_F(TransferLog, StaticModelWithAlarmsAtMidnight) {
  sett.InstInfo.InstType = 4;
  sett.InstInfo.SW_Main_uC.Set("1.10");
  sett.Class23.Filter_level = 12;
  sett.Class23.AL1.DelayPress = 20.3451;
  const fs::path log = dir / "InstLog.txt";
  ASSERT_TRUE(WriteLogFile(log.string(), "WriteLog", At(2026, 1, 31, 0, 0, 0),
                           Source("Dravon-STVS", "", "")));
  const std::vector<std::string> expected = {
      "[Main_Info]",
      "App_Name=DravonTool - Win",
      "Version=V4.11",
      "Host_Cap_Level=3",
      "Trans_Date=31.01.26",
      "Trans_ID=WriteLog",
      "Unit_diff_press=Pa",
      "Unit_velocity=m/s",
      "Unit_atmos_press=hPa",
      "Unit_hose_length=m",
      "[Instrument]",
      "Type=Dravon-STVS",
      "Display=1",
      "SerialNr=",
      "SensorRange=",
      "SW_Main_uC=V1.10",
      "SW_Sensor_uC=V",
      "Cap_level=0",
      "[Instrument_Settings]",
      "Gain_Sens=1",
      "Disp_unit=Pa",
      "Disp_contr=7",
      "An_from=0",
      "An_to=20",
      "An_velocity_from=0",
      "An_velocity_to=1",
      "An_4_20=1",
      "An_offset=0",
      "An_gain=1",
      "Filter_level=12",
      "Velocity_C=0.612500011920929",
      "Velocity_n=2",
      "Velocity_to_RS232=0",
      "Velocity_to_AnOut=0",
      "AL1_PressOver=0",
      "AL1_VelocityOver=0",
      "AL1_ThresPress=-300",
      "AL1_ThresVelocity=-30",
      "AL1_HysPress=1",
      "AL1_HysVelocity=1",
      "AL1_DelayPress=20.3451",
      "AL1_DelayVelocity=0",
      "AL2_PressOver=1",
      "AL2_VelocityOver=1",
      "AL2_ThresPress=300",
      "AL2_ThresVelocity=30",
      "AL2_HysPress=1",
      "AL2_HysVelocity=1",
      "AL2_DelayPress=0",
      "AL2_DelayVelocity=0",
  };
  EXPECT_EQ(Lines(log), expected);
}

TEST_F(TransferLog, NoInstrumentSectionWithoutAType) {
  const std::string text = LogFileText("ReadLog", At(2026, 1, 1, 1, 0, 0), Source("", "", ""));
  EXPECT_EQ(text.find("[Instrument]"), std::string::npos);
  EXPECT_NE(text.find("[Instrument_Settings]\nHose_length=0.3\n"), std::string::npos);
}

TEST_F(TransferLog, SecondWriteReplacesTheFirst) {
  sett.InstInfo.InstType = 11;
  const fs::path log = dir / "InstLog.txt";
  ASSERT_TRUE(WriteLogFile(log.string(), "ReadLog", At(2026, 1, 1, 1, 0, 0), Source("a", "", "")));
  ASSERT_TRUE(WriteLogFile(log.string(), "WriteLog", At(2026, 1, 1, 2, 0, 0), Source("a", "", "")));
  const auto lines = Lines(log);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "[Main_Info]"), 1);
  EXPECT_EQ(lines[5], "Trans_ID=WriteLog");
  EXPECT_FALSE(fs::exists(dir / "InstLog.txt.tmp"));
}

TEST_F(TransferLog, FailureLeavesNoFile) {
  // A folder stands where the temporary file would go: the write fails, and the old log
  // is gone rather than left describing an earlier transfer.
  const fs::path log = dir / "InstLog.txt";
  { std::ofstream(log) << "[Main_Info]\nTrans_ID=Old\n"; }
  fs::create_directory(dir / "InstLog.txt.tmp");
  EXPECT_FALSE(WriteLogFile(log.string(), "ReadLog", At(2026, 1, 1, 1, 0, 0), Source("", "", "")));
  EXPECT_FALSE(fs::exists(log));
  EXPECT_FALSE(WriteLogFile((dir / "no-such-folder" / "x.txt").string(), "ReadLog",
                            At(2026, 1, 1, 1, 0, 0), Source("", "", "")));
  EXPECT_FALSE(WriteLogFile("", "ReadLog", At(2026, 1, 1, 1, 0, 0), Source("", "", "")));
}

} // namespace
} // namespace dtool
