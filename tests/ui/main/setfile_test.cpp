#include "ui/main/setfile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/settingsowner.h"
#include "support/scriptedport.h"
#include "tools/progtools.h"

namespace dtool {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

template <typename Rec> Bytes BytesOf(const Rec& rec) {
  const auto* p = reinterpret_cast<const unsigned char*>(&rec);
  return {p, p + sizeof rec};
}

Bytes ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// The main window as the settings file sees it: its preferences and the calls it receives.
class FakeMainWindow : public ISettingsOwner {
public:
  TPreferences& Prefs() override { return prefs; }
  void SetVmode(bool on) override {
    calls.push_back(std::string("SetVmode(") + (on ? "true" : "false") + ")");
    // What the real one does: it works on the records of the current instrument type.
    typeSeenBySetVmode.push_back(sett ? sett->InstType() : -1);
  }
  void SetHelpContextForType() override { calls.push_back("SetHelpContextForType"); }
  void WriteSetToField_() override { calls.push_back("WriteSetToField_"); }

  TPreferences prefs{};
  const TSettings* sett = nullptr;
  std::vector<std::string> calls;
  std::vector<int> typeSeenBySetVmode;
};

// A settings file as a previous run leaves it: every byte set, reserved ones included, with
// values the program can use.
Bytes LivedImage() {
  Bytes image(SetFileSize);
  std::mt19937 random(568);
  for (auto& b : image)
    b = static_cast<unsigned char>(random());
  auto put = [&](std::size_t at, auto value) { std::memcpy(&image[at], &value, sizeof value); };
  using setfile::Class1At, setfile::Class23At, setfile::InstInfoAt, setfile::SwitchAt;
  put(0, std::int32_t{3});          // ComPort
  put(4, std::uint8_t{unit::psi});  // PressUnit
  put(5, std::uint8_t{unit::km_h}); // VelocityUnit
  put(6, std::uint8_t{unit::mmHg}); // AtmUnit
  put(7, std::uint8_t{unit::inch}); // HoseUnit
  put(24, std::uint8_t{1});         // HelpLanguage
  put(25, std::uint8_t{10});        // LastInstType
  put(Class1At + 40, std::uint8_t{unit::knots});
  put(Class1At + 41, std::uint8_t{unit::inchH2O});
  put(Class1At + 42, std::uint8_t{unit::knots});
  put(Class1At + 104, std::int32_t{9});   // Speed
  put(Class1At + 108, std::int32_t{20});  // Moving_Average
  put(InstInfoAt + 16, std::uint8_t{10}); // InstType
  put(InstInfoAt + 17, std::uint8_t{7});  // SerialNr
  put(InstInfoAt + 38, std::uint8_t{5});  // SW_Main_uC
  put(InstInfoAt + 59, std::uint8_t{0});  // SW_Sensor_uC
  put(InstInfoAt + 96, std::uint8_t{20}); // SwitchMainVersion
  put(SwitchAt + 32, std::uint8_t{1});    // AlInt
  put(Class23At + 16, std::uint8_t{unit::mbar});
  put(Class23At + 17, std::uint8_t{unit::mbar});
  put(Class23At + 18, std::uint8_t{unit::m_s});
  put(Class23At + 80, std::int32_t{0}); // Filter_level
  return image;
}

class SetFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("dtool-setfile-") + info->test_suite_name() + "-" + info->name();
    for (char& c : name)
      if (c == '/')
        c = '-';
    dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    file = dir / "DToolPc.SET";
    window.sett = &sett;
  }
  void TearDown() override {
#ifndef _WIN32
    chmod(dir.c_str(), 0755);
#endif
    fs::remove_all(dir);
  }

  // The records a failed load must leave: the defaults of every record.
  void ExpectAllDefaults() {
    FakeMainWindow refWindow;
    SetDefaultPrefs(refWindow);
    TSettings ref(&refWindow);
    ref.ResetInstInfo();
    ref.SetDefaults(false, false);
    EXPECT_EQ(BytesOf(window.prefs), BytesOf(refWindow.prefs));
    EXPECT_EQ(BytesOf(sett.Class1), BytesOf(ref.Class1));
    EXPECT_EQ(BytesOf(sett.InstInfo), BytesOf(ref.InstInfo));
    EXPECT_EQ(BytesOf(sett.Switch), BytesOf(ref.Switch));
    EXPECT_EQ(BytesOf(sett.Class23), BytesOf(ref.Class23));
    EXPECT_EQ(window.prefs.ComPort, 1);
    EXPECT_EQ(window.prefs.HelpLanguage, 0);
    EXPECT_EQ(sett.InstType(), 0);
  }

  fs::path dir;
  fs::path file;
  test::ScriptedPort port;
  test::ThrowingTerminator terminator; // a fatal stop would fail the test with its text
  FakeMainWindow window;
  TSettings sett{&window};
};

TEST_F(SetFileTest, DefaultPrefsFillAllBytesThenSwitchVelocityOffAndSetTheHelpContext) {
  std::memset(&window.prefs, 0xAB, sizeof window.prefs);
  SetDefaultPrefs(window);
  // ComPort 1; Pa, m/s, hPa, m; altitude 0.0, temperature 15.0; English; type 0; filter 1.
  Bytes expected(32, 0);
  expected[0] = 1;
  expected[4] = unit::Pa;
  expected[5] = unit::m_s;
  expected[6] = unit::hPa;
  expected[7] = unit::m;
  const double temperature = 15.0;
  std::memcpy(&expected[16], &temperature, sizeof temperature);
  expected[28] = 1;
  EXPECT_EQ(BytesOf(window.prefs), expected);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"SetVmode(false)", "SetHelpContextForType"}));
}

// A file written at the close of one run and read at the start of the next gives back every
// byte, and the fields land in their records.
TEST_F(SetFileTest, RoundTripKeepsEveryByte) {
  const Bytes lived = LivedImage();
  WriteBytes(file, lived);

  EXPECT_TRUE(LoadSetFile(window, sett, file.string()));
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(window.calls, std::vector<std::string>{"SetHelpContextForType"});
  EXPECT_EQ(window.prefs.ComPort, 3);
  EXPECT_EQ(window.prefs.HelpLanguage, 1);
  EXPECT_EQ(sett.InstType(), 10);
  EXPECT_EQ(sett.InstInfo.SerialNr.Len, 7);
  EXPECT_EQ(sett.Class1.Speed, 9);
  EXPECT_EQ(sett.Switch.AlInt, 1);
  EXPECT_EQ(sett.Class23.DispPressUnit, unit::mbar);

  // The next run starts from zero and reads what this one writes.
  const fs::path next = dir / "next.SET";
  EXPECT_TRUE(SaveSetFile(window, sett, next.string()));
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(ReadBytes(next), lived);
  EXPECT_FALSE(fs::exists(next.string() + ".tmp"));

  FakeMainWindow nextWindow;
  TSettings nextSett(&nextWindow);
  EXPECT_TRUE(LoadSetFile(nextWindow, nextSett, next.string()));
  EXPECT_EQ(BytesOf(nextWindow.prefs), BytesOf(window.prefs));
  EXPECT_EQ(BytesOf(nextSett.Class1), BytesOf(sett.Class1));
  EXPECT_EQ(BytesOf(nextSett.InstInfo), BytesOf(sett.InstInfo));
  EXPECT_EQ(BytesOf(nextSett.Switch), BytesOf(sett.Switch));
  EXPECT_EQ(BytesOf(nextSett.Class23), BytesOf(sett.Class23));

  // Saving over an existing file replaces it.
  window.prefs.ComPort = 5;
  EXPECT_TRUE(SaveSetFile(window, sett, next.string()));
  EXPECT_EQ(ReadBytes(next)[0], 5);
}

TEST_F(SetFileTest, TheFileLiesBesideTheProgram) {
  SetProgramFile((dir / "DToolPc.exe").string());
  SetDefaultPrefs(window);
  sett.SetDefaults(false, false);
  EXPECT_TRUE(SaveSetFile(window, sett));
  EXPECT_TRUE(fs::exists(dir / "DToolPc.SET"));
  EXPECT_TRUE(LoadSetFile(window, sett));
  SetProgramFile("");
}

// A file the program cannot take, and what makes it so.
struct BadFile {
  std::string name;
  std::function<void(const fs::path& file)> make;
};
void PrintTo(const BadFile& c, std::ostream* os) {
  *os << c.name;
}

// The lived image with bytes replaced at a file offset.
template <typename T> std::function<void(const fs::path&)> Patched(std::size_t at, T value) {
  return [=](const fs::path& file) {
    Bytes image = LivedImage();
    std::memcpy(&image[at], &value, sizeof value);
    WriteBytes(file, image);
  };
}

// The read message for a file that stood there and was set aside.
std::string KeptAsMessage(const fs::path& file) {
  return std::string(SetFileReadError) + "The unusable file was kept as \"" + file.string() +
         ".bad\".";
}

class SetFileBadTest : public SetFileTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(SetFileBadTest, GivesTheMessageOnceAndAllDefaults) {
  GetParam().make(file);
  const bool stands = fs::exists(fs::symlink_status(file)) && !fs::is_directory(file);
  const Bytes original = stands ? ReadBytes(file) : Bytes{};
  EXPECT_FALSE(LoadSetFile(window, sett, file.string()));
  EXPECT_EQ(port.messages,
            (std::vector<test::ScriptedPort::Message>{
                {"Error", stands ? KeptAsMessage(file) : std::string(SetFileReadError)}}));
  ExpectAllDefaults();
  // Defaults without refreshing the controls; the velocity switch never sees the file's type.
  EXPECT_EQ(window.calls, (std::vector<std::string>{"SetVmode(false)", "SetHelpContextForType",
                                                    "SetHelpContextForType"}));
  EXPECT_EQ(window.typeSeenBySetVmode, std::vector<int>{0});
  if (!stands)
    return;

  // The operator's file is kept beside the one written at close.
  port.Clear();
  EXPECT_TRUE(SaveSetFile(window, sett, file.string()));
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(ReadBytes(file).size(), SetFileSize);
  EXPECT_EQ(ReadBytes(file.string() + ".bad"), original);
}

// The lived image with a real field made NaN or infinite.
std::vector<BadFile> NonFiniteFields() {
  struct Field {
    const char* name;
    std::size_t at;
    bool single;
  };
  using setfile::Class1At, setfile::Class23At, setfile::InstInfoAt, setfile::SwitchAt;
  const std::size_t al1 = Class23At + offsetof(TClass23Params, AL1);
  const std::size_t al2 = Class23At + offsetof(TClass23Params, AL2);
#define DTOOL_REAL(rec, at, field)                                                                 \
  { #rec "_" #field, (at) + offsetof(rec, field), false }
  static const Field fields[] = {
      DTOOL_REAL(TPreferences, 0, Altitude),
      DTOOL_REAL(TPreferences, 0, Temperature),
      DTOOL_REAL(TClass1Params, Class1At, Hose_length),
      DTOOL_REAL(TClass1Params, Class1At, Atm_Press),
      DTOOL_REAL(TClass1Params, Class1At, Humidity),
      DTOOL_REAL(TClass1Params, Class1At, Gain_Sens),
      DTOOL_REAL(TClass1Params, Class1At, An_from),
      DTOOL_REAL(TClass1Params, Class1At, An_to),
      DTOOL_REAL(TClass1Params, Class1At, An_velocity_from),
      DTOOL_REAL(TClass1Params, Class1At, An_velocity_to),
      DTOOL_REAL(TClass1Params, Class1At, An_offset),
      DTOOL_REAL(TClass1Params, Class1At, An_gain),
      {"TClass1Params_Velocity_C", Class1At + offsetof(TClass1Params, Velocity_C), true},
      DTOOL_REAL(TClass1Params, Class1At, Velocity_n),
      DTOOL_REAL(TInstInfo, InstInfoAt, RangeMax),
      DTOOL_REAL(TInstInfo, InstInfoAt, RangeMin),
      DTOOL_REAL(TSwitchParams, SwitchAt, Hose_length),
      DTOOL_REAL(TSwitchParams, SwitchAt, Atm_Press),
      DTOOL_REAL(TSwitchParams, SwitchAt, Humidity),
      DTOOL_REAL(TSwitchParams, SwitchAt, Gain_Sens),
      DTOOL_REAL(TSwitchParams, SwitchAt, Al1Hys),
      DTOOL_REAL(TSwitchParams, SwitchAt, Al2Hys),
      DTOOL_REAL(TSwitchParams, SwitchAt, Al1Thre),
      DTOOL_REAL(TSwitchParams, SwitchAt, Al2Thre),
      DTOOL_REAL(TClass23Params, Class23At, Gain_Sens),
      DTOOL_REAL(TClass23Params, Class23At, An_from),
      DTOOL_REAL(TClass23Params, Class23At, An_to),
      DTOOL_REAL(TClass23Params, Class23At, An_velocity_from),
      DTOOL_REAL(TClass23Params, Class23At, An_velocity_to),
      DTOOL_REAL(TClass23Params, Class23At, An_offset),
      DTOOL_REAL(TClass23Params, Class23At, An_gain),
      {"TClass23Params_Velocity_C", Class23At + offsetof(TClass23Params, Velocity_C), true},
      DTOOL_REAL(TClass23Params, Class23At, Velocity_n),
      DTOOL_REAL(TAlarmGroup, al1, ThresPress),
      DTOOL_REAL(TAlarmGroup, al1, ThresVelocity),
      DTOOL_REAL(TAlarmGroup, al1, HysPress),
      DTOOL_REAL(TAlarmGroup, al1, HysVelocity),
      DTOOL_REAL(TAlarmGroup, al1, DelayPress),
      DTOOL_REAL(TAlarmGroup, al1, DelayVelocity),
      DTOOL_REAL(TAlarmGroup, al2, ThresPress),
      DTOOL_REAL(TAlarmGroup, al2, ThresVelocity),
      DTOOL_REAL(TAlarmGroup, al2, HysPress),
      DTOOL_REAL(TAlarmGroup, al2, HysVelocity),
      DTOOL_REAL(TAlarmGroup, al2, DelayPress),
      DTOOL_REAL(TAlarmGroup, al2, DelayVelocity),
  };
#undef DTOOL_REAL
  std::vector<BadFile> cases;
  const std::pair<const char*, double> values[] = {
      {"NaN", std::numeric_limits<double>::quiet_NaN()},
      {"Inf", std::numeric_limits<double>::infinity()},
      {"MinusInf", -std::numeric_limits<double>::infinity()}};
  for (const Field& f : fields)
    for (const auto& [valueName, v] : values) {
      // Alarm group 2 has the same field names as group 1.
      const bool second = f.at >= al2 && f.at < al2 + sizeof(TAlarmGroup);
      cases.push_back({(second ? "AL2_" : "") + std::string(f.name) + "_" + valueName,
                       f.single ? Patched(f.at, static_cast<float>(v)) : Patched(f.at, v)});
    }
  return cases;
}

using setfile::Class1At, setfile::Class23At, setfile::InstInfoAt, setfile::SwitchAt;
INSTANTIATE_TEST_SUITE_P(
    Files, SetFileBadTest,
    ::testing::Values(
        BadFile{"Missing", [](const fs::path&) {}},
        BadFile{"Empty", [](const fs::path& f) { WriteBytes(f, {}); }},
        BadFile{"OneByteShort",
                [](const fs::path& f) {
                  Bytes image = LivedImage();
                  image.pop_back();
                  WriteBytes(f, image);
                }},
        BadFile{"Folder", [](const fs::path& f) { fs::create_directory(f); }},
        BadFile{"ComPort0", Patched(0, std::int32_t{0})},
        BadFile{"ComPort9", Patched(0, std::int32_t{9})},
        BadFile{"PressUnitHpa", Patched(4, std::uint8_t{unit::hPa})},
        BadFile{"VelocityUnitPa", Patched(5, std::uint8_t{unit::Pa})},
        BadFile{"AtmUnitPa", Patched(6, std::uint8_t{unit::Pa})},
        BadFile{"HoseUnitSeconds", Patched(7, std::uint8_t{unit::s})},
        BadFile{"HelpLanguage2", Patched(24, std::uint8_t{2})},
        BadFile{"LastInstType12", Patched(25, std::uint8_t{12})},
        BadFile{"InstType12", Patched(InstInfoAt + 16, std::uint8_t{12})},
        BadFile{"SerialNrLength21", Patched(InstInfoAt + 17, std::uint8_t{21})},
        BadFile{"SwMainLength255", Patched(InstInfoAt + 38, std::uint8_t{255})},
        BadFile{"SwSensorLength21", Patched(InstInfoAt + 59, std::uint8_t{21})},
        BadFile{"SwitchMainVersionLength21", Patched(InstInfoAt + 96, std::uint8_t{21})},
        BadFile{"Class1DispUnitNone", Patched(Class1At + 40, std::uint8_t{unit::None})},
        BadFile{"Class1DispPressUnitVelocity", Patched(Class1At + 41, std::uint8_t{unit::m_s})},
        BadFile{"Class1DispVelocityUnitPressure", Patched(Class1At + 42, std::uint8_t{unit::Pa})},
        BadFile{"Speed0", Patched(Class1At + 104, std::int32_t{0})},
        BadFile{"Speed10", Patched(Class1At + 104, std::int32_t{10})},
        BadFile{"MovingAverage0", Patched(Class1At + 108, std::int32_t{0})},
        BadFile{"MovingAverage21", Patched(Class1At + 108, std::int32_t{21})},
        BadFile{"Class23DispUnitHpa", Patched(Class23At + 16, std::uint8_t{unit::hPa})},
        BadFile{"Class23DispPressUnit0", Patched(Class23At + 17, std::uint8_t{0})},
        BadFile{"Class23DispVelocityUnit20", Patched(Class23At + 18, std::uint8_t{20})},
        BadFile{"FilterLevelMinus1", Patched(Class23At + 80, std::int32_t{-1})},
        BadFile{"FilterLevel21", Patched(Class23At + 80, std::int32_t{21})},
        BadFile{"AlInt0", Patched(SwitchAt + 32, std::uint8_t{0})},
        BadFile{"AlInt10", Patched(SwitchAt + 32, std::uint8_t{10})}),
    [](const auto& info) { return info.param.name; });

// Every real field of the file must be finite, like the switch's.
INSTANTIATE_TEST_SUITE_P(NonFinite, SetFileBadTest, ::testing::ValuesIn(NonFiniteFields()),
                         [](const auto& info) { return info.param.name; });

// The last values inside each range are taken.
TEST_F(SetFileTest, EdgesOfTheRangesAreTaken) {
  Bytes image = LivedImage();
  auto put = [&](std::size_t at, auto value) { std::memcpy(&image[at], &value, sizeof value); };
  put(0, std::int32_t{8});
  put(4, std::uint8_t{unit::Pa});
  put(5, std::uint8_t{unit::knots});
  put(6, std::uint8_t{unit::inchHg});
  put(7, std::uint8_t{unit::m});
  put(25, std::uint8_t{11});
  put(InstInfoAt + 16, std::uint8_t{11});
  put(InstInfoAt + 17, std::uint8_t{20});
  put(Class1At + 40, std::uint8_t{unit::m_s});
  put(Class1At + 104, std::int32_t{1});
  put(Class1At + 108, std::int32_t{1});
  put(Class23At + 80, std::int32_t{20});
  put(SwitchAt + 32, std::uint8_t{9});
  WriteBytes(file, image);
  EXPECT_TRUE(LoadSetFile(window, sett, file.string()));
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(window.prefs.ComPort, 8);
  EXPECT_EQ(sett.InstInfo.SerialNr.Get().size(), 20u);
}

// A failed save reports once and leaves the previous file as it was.
struct SaveBlocker {
  const char* name;
  // Makes the save of the file fail; returns false where it cannot on this system.
  std::function<bool(const fs::path& dir, fs::path& file)> block;
};
void PrintTo(const SaveBlocker& c, std::ostream* os) {
  *os << c.name;
}

class SetFileSaveTest : public SetFileTest, public ::testing::WithParamInterface<SaveBlocker> {};

TEST_P(SetFileSaveTest, ReportsOnceAndKeepsThePreviousFile) {
  WriteBytes(file, LivedImage());
  const Bytes previous = ReadBytes(file);
  ASSERT_EQ(previous.size(), SetFileSize);
  if (!GetParam().block(dir, file))
    GTEST_SKIP() << "cannot make this failure here";
  const Bytes before = fs::is_regular_file(file) ? ReadBytes(file) : Bytes{};

  window.prefs.ComPort = 7;
  EXPECT_FALSE(SaveSetFile(window, sett, file.string()));
  EXPECT_EQ(port.messages,
            (std::vector<test::ScriptedPort::Message>{{"Error", SetFileWriteError}}));
  if (fs::is_regular_file(file)) {
    EXPECT_EQ(ReadBytes(file), before);
  }
  if (!fs::is_directory(file.string() + ".tmp")) {
    EXPECT_FALSE(fs::exists(file.string() + ".tmp")) << "no temporary file is left";
  }
}

INSTANTIATE_TEST_SUITE_P(Blockers, SetFileSaveTest,
                         ::testing::Values(
                             // The temporary file cannot be created.
                             SaveBlocker{"TemporaryNameTaken",
                                         [](const fs::path&, fs::path& file) {
                                           fs::create_directory(file.string() + ".tmp");
                                           return true;
                                         }},
                             // The temporary is written but cannot replace the target.
                             SaveBlocker{"TargetIsAFolder",
                                         [](const fs::path& dir, fs::path& file) {
                                           file = dir / "Folder.SET";
                                           fs::create_directories(file / "content");
                                           return true;
                                         }},
#ifndef _WIN32
                             // A folder without write permission.
                             SaveBlocker{"UnwritableFolder",
                                         [](const fs::path& dir, fs::path& file) {
                                           chmod(dir.c_str(), 0555);
                                           if (access(dir.c_str(), W_OK) != 0)
                                             return true;
                                           // Root writes anywhere; sysfs takes no new files even
                                           // from root.
                                           chmod(dir.c_str(), 0755);
                                           file = "/sys/DToolPc.SET";
                                           return fs::is_directory("/sys") &&
                                                  !std::ofstream(file).is_open();
                                         }},
#endif
                             SaveBlocker{"MissingFolder",
                                         [](const fs::path& dir, fs::path& file) {
                                           file = dir / "absent" / "DToolPc.SET";
                                           return true;
                                         }}),
                         [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32
// Runs the call, which must not wait on the pipe; when it still runs after ten seconds, the
// test fails and the pipe is opened and closed at both ends, which lets the call go on: a
// reader finds nothing, a writer finds nobody reading.
template <typename F> auto WithinTenSeconds(F call, const fs::path& pipe) {
  auto done = std::async(std::launch::async, call);
  if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
    return done.get();
  ADD_FAILURE() << "the call waits on the pipe";
  std::signal(SIGPIPE, SIG_IGN);
  const int fd = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
  if (fd >= 0)
    ::close(fd);
  return done.get();
}

// A pipe in place of the settings file is not read and does not hold up the start; it is set
// aside like any file the program cannot use.
TEST_F(SetFileTest, APipeIsNotReadAndDoesNotHoldUpTheStart) {
  ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
  const bool taken =
      WithinTenSeconds([&] { return LoadSetFile(window, sett, file.string()); }, file);
  EXPECT_FALSE(taken);
  EXPECT_EQ(port.Texts(), std::vector<std::string>{KeptAsMessage(file)});
  ExpectAllDefaults();
  EXPECT_TRUE(fs::is_fifo(file.string() + ".bad"));
}

// A file the program may not read is kept, not replaced by the defaults at close. Root reads
// any file, but not the first page of its own memory.
TEST_F(SetFileTest, AnUnreadableFileIsKept) {
  WriteBytes(file, LivedImage());
  chmod(file.c_str(), 0);
  Bytes original = LivedImage();
  if (access(file.c_str(), R_OK) == 0) {
    fs::remove(file);
    fs::create_symlink("/proc/self/mem", file);
    original.clear();
  }
  EXPECT_FALSE(LoadSetFile(window, sett, file.string()));
  EXPECT_EQ(port.Texts(), std::vector<std::string>{KeptAsMessage(file)});
  ExpectAllDefaults();
  EXPECT_TRUE(SaveSetFile(window, sett, file.string()));
  const fs::path aside = file.string() + ".bad";
  if (original.empty()) {
    EXPECT_EQ(fs::read_symlink(aside), "/proc/self/mem");
  } else {
    chmod(aside.c_str(), 0644);
    EXPECT_EQ(ReadBytes(aside), original);
  }
}

// A file left aside by an earlier run stays; the next one gets the next name.
TEST_F(SetFileTest, FilesSetAsideBeforeAreKept) {
  WriteBytes(file.string() + ".bad", {1});
  WriteBytes(file.string() + ".bad2", {2});
  WriteBytes(file, {3});
  EXPECT_FALSE(LoadSetFile(window, sett, file.string()));
  EXPECT_EQ(port.Texts(), std::vector<std::string>{std::string(SetFileReadError) +
                                                   "The unusable file was kept as \"" +
                                                   file.string() + ".bad3\"."});
  EXPECT_EQ(ReadBytes(file.string() + ".bad"), Bytes{1});
  EXPECT_EQ(ReadBytes(file.string() + ".bad2"), Bytes{2});
  EXPECT_EQ(ReadBytes(file.string() + ".bad3"), Bytes{3});
}

// Where the unusable file cannot be set aside, it is not replaced either: the close reports
// that it could not write. Root may rename in any folder, but not its own memory.
TEST_F(SetFileTest, AFileThatCannotBeSetAsideIsNotReplaced) {
  WriteBytes(file, {3});
  chmod(dir.c_str(), 0555);
  if (access(dir.c_str(), W_OK) == 0) {
    chmod(dir.c_str(), 0755);
    file = "/proc/self/mem";
  }
  EXPECT_FALSE(LoadSetFile(window, sett, file.string()));
  EXPECT_EQ(port.Texts(),
            std::vector<std::string>{std::string(SetFileReadError) + "The file \"" + file.string() +
                                     "\" could not be set aside and is not "
                                     "replaced."});
  port.Clear();
  EXPECT_FALSE(SaveSetFile(window, sett, file.string()));
  EXPECT_EQ(port.Texts(), std::vector<std::string>{SetFileWriteError});
  if (file != "/proc/self/mem") {
    EXPECT_EQ(ReadBytes(file), Bytes{3});
  }
}

// What an interrupted save may leave at DToolPc.SET.tmp is never read, and the next save
// neither waits on it nor writes through it.
struct LeftTemporary {
  const char* name;
  std::function<void(const fs::path& temp, const fs::path& dir)> make;
};
void PrintTo(const LeftTemporary& c, std::ostream* os) {
  *os << c.name;
}

class SetFileLeftTemporaryTest : public SetFileTest,
                                 public ::testing::WithParamInterface<LeftTemporary> {};

TEST_P(SetFileLeftTemporaryTest, IsNeverReadAndGoesAtTheNextSave) {
  const fs::path temp = file.string() + ".tmp";
  const fs::path other = dir / "other.txt";
  WriteBytes(other, {7, 7, 7});
  GetParam().make(temp, dir);

  EXPECT_FALSE(LoadSetFile(window, sett, file.string()));
  EXPECT_EQ(port.Texts(), std::vector<std::string>{SetFileReadError}) << "the file is missing";
  ExpectAllDefaults();

  window.prefs.ComPort = 6;
  port.Clear();
  EXPECT_TRUE(WithinTenSeconds([&] { return SaveSetFile(window, sett, file.string()); }, temp));
  EXPECT_TRUE(port.messages.empty());
  EXPECT_FALSE(fs::is_symlink(file));
  ASSERT_EQ(ReadBytes(file).size(), SetFileSize);
  EXPECT_EQ(ReadBytes(file)[0], 6);
  EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));
  EXPECT_EQ(ReadBytes(other), (Bytes{7, 7, 7})) << "nothing was written through the temporary";
}

INSTANTIATE_TEST_SUITE_P(
    Leftovers, SetFileLeftTemporaryTest,
    ::testing::Values(
        LeftTemporary{"GoodImage",
                      [](const fs::path& t, const fs::path&) { WriteBytes(t, LivedImage()); }},
        LeftTemporary{"ReadOnlyTornImage",
                      [](const fs::path& t, const fs::path&) {
                        Bytes torn = LivedImage();
                        torn.resize(100);
                        WriteBytes(t, torn);
                        chmod(t.c_str(), 0444);
                      }},
        LeftTemporary{"LinkToAnotherFile",
                      [](const fs::path& t, const fs::path& dir) {
                        fs::create_symlink(dir / "other.txt", t);
                      }},
        LeftTemporary{"Pipe", [](const fs::path& t, const fs::path&) { mkfifo(t.c_str(), 0644); }}),
    [](const auto& info) { return std::string(info.param.name); });
#endif

} // namespace
} // namespace dtool
