#include "core/settings.h"

#include <cstring>

#include <gtest/gtest.h>

#include "core/settingsowner.h"

namespace dtool {
namespace {

// Reads a value of type T at a byte offset of a record image.
template <typename T, typename Rec> T At(const Rec& rec, size_t offset) {
  T v;
  std::memcpy(&v, reinterpret_cast<const unsigned char*>(&rec) + offset, sizeof v);
  return v;
}

template <typename Rec> std::vector<unsigned char> Bytes(const Rec& rec) {
  const auto* p = reinterpret_cast<const unsigned char*>(&rec);
  return {p, p + sizeof rec};
}

class FakeOwner : public ISettingsOwner {
public:
  TPreferences& Prefs() override { return prefs; }
  void WriteSetToField_() override { ++refreshes; }
  void ConfigReadCleared() override { ++configCleared; }
  TPreferences prefs{};
  int refreshes = 0;
  int configCleared = 0;
};

class SettingsTest : public ::testing::Test {
protected:
  FakeOwner owner;
  TSettings set{&owner};
};

TEST_F(SettingsTest, ConstructionClearsTheIdentity) {
  EXPECT_EQ(set.AnOffsetUnit(), unit::mA);
  EXPECT_FALSE(set.ConfigRead());
  EXPECT_EQ(set.InstType(), 0);
  EXPECT_EQ(At<uint8_t>(set.InstInfo, 80), 1); // AnOutCurrent
  EXPECT_EQ(set.GetInstClass(), ClassNone);
}

TEST_F(SettingsTest, Class1DefaultsAtTheirOffsets) {
  std::memset(&set.Class1, 0xAB, sizeof set.Class1);
  set.SetClass1Defaults();
  const auto& r = set.Class1;
  EXPECT_EQ(At<int32_t>(r, 0), 0);
  EXPECT_EQ(At<double>(r, 8), 0.3);
  EXPECT_EQ(At<double>(r, 16), 966);
  EXPECT_EQ(At<double>(r, 24), 50);
  EXPECT_EQ(At<double>(r, 32), 1.0);
  EXPECT_EQ(At<uint8_t>(r, 40), 1);
  EXPECT_EQ(At<uint8_t>(r, 41), 1);
  EXPECT_EQ(At<uint8_t>(r, 42), 16);
  EXPECT_EQ(At<int32_t>(r, 44), 7);
  EXPECT_EQ(At<double>(r, 48), 0);
  EXPECT_EQ(At<double>(r, 56), 20);
  EXPECT_EQ(At<double>(r, 64), 0);
  EXPECT_EQ(At<double>(r, 72), 1.0);
  EXPECT_EQ(At<uint8_t>(r, 80), 1);
  EXPECT_EQ(At<double>(r, 88), 0);
  EXPECT_EQ(At<double>(r, 96), 1.0);
  EXPECT_EQ(At<int32_t>(r, 104), 5);
  EXPECT_EQ(At<int32_t>(r, 108), 1);
  EXPECT_EQ(At<uint8_t>(r, 112), 0);
  EXPECT_EQ(At<uint8_t>(r, 113), 0);
  EXPECT_EQ(static_cast<double>(At<float>(r, 116)), 0.612500011920929);
  EXPECT_EQ(At<double>(r, 120), 2.0);
  for (size_t reserved : {4u, 5u, 6u, 7u, 43u, 81u, 87u, 114u, 115u})
    EXPECT_EQ(At<uint8_t>(r, reserved), 0) << reserved;
}

TEST_F(SettingsTest, Class23DefaultsAtTheirOffsets) {
  std::memset(&set.Class23, 0xAB, sizeof set.Class23);
  set.SetClass23Defaults();
  const auto& r = set.Class23;
  EXPECT_EQ(At<double>(r, 8), 1.0);
  EXPECT_EQ(At<uint8_t>(r, 16), 1);
  EXPECT_EQ(At<uint8_t>(r, 17), 1);
  EXPECT_EQ(At<uint8_t>(r, 18), 16);
  EXPECT_EQ(At<int32_t>(r, 20), 7);
  EXPECT_EQ(At<double>(r, 32), 20);
  EXPECT_EQ(At<double>(r, 48), 1.0);
  EXPECT_EQ(At<uint8_t>(r, 56), 1);
  EXPECT_EQ(At<double>(r, 72), 1.0);
  EXPECT_EQ(At<int32_t>(r, 80), 0);
  EXPECT_EQ(static_cast<double>(At<float>(r, 88)), 0.612500011920929);
  EXPECT_EQ(At<double>(r, 96), 2.0);
  // Alarm group 1 trips below -300 Pa and -30 m/s, group 2 above 300 Pa and 30 m/s.
  struct Group {
    size_t at;
    uint8_t over;
    double press, velocity;
  } groups[] = {{104, 0, -300.0, -30.0}, {160, 1, 300.0, 30.0}};
  for (const Group& g : groups) {
    EXPECT_EQ(At<uint8_t>(r, g.at + 0), g.over);
    EXPECT_EQ(At<uint8_t>(r, g.at + 1), g.over);
    EXPECT_EQ(At<double>(r, g.at + 8), g.press);
    EXPECT_EQ(At<double>(r, g.at + 16), g.velocity);
    EXPECT_EQ(At<double>(r, g.at + 24), 1.0);
    EXPECT_EQ(At<double>(r, g.at + 32), 1.0);
    EXPECT_EQ(At<double>(r, g.at + 40), 0);
    EXPECT_EQ(At<double>(r, g.at + 48), 0);
  }
  for (size_t reserved = 0; reserved < 8; ++reserved)
    EXPECT_EQ(At<uint8_t>(r, reserved), 0);
}

TEST_F(SettingsTest, SwitchDefaultsAtTheirOffsets) {
  std::memset(&set.Switch, 0xAB, sizeof set.Switch);
  SetSwitchDefaults(set.Switch);
  const auto& r = set.Switch;
  EXPECT_EQ(At<double>(r, 0), 0.3);
  EXPECT_EQ(At<double>(r, 8), 966.0);
  EXPECT_EQ(At<double>(r, 16), 50.0);
  EXPECT_EQ(At<double>(r, 24), 1.0);
  EXPECT_EQ(At<uint8_t>(r, 32), 5);
  EXPECT_EQ(At<uint8_t>(r, 33), 0);
  EXPECT_EQ(At<uint8_t>(r, 34), 0);
  EXPECT_EQ(At<double>(r, 40), 0);
  EXPECT_EQ(At<double>(r, 48), 0);
  EXPECT_EQ(At<double>(r, 56), 10.0);
  EXPECT_EQ(At<double>(r, 64), -5.0);
}

TEST_F(SettingsTest, DisplayUnitDefaultFollowsTheCurrentVelocityMode) {
  set.SetDefaults(false, false);
  set.InstInfo.InstType = 10;
  set.Class1.DispVelocityUnit = unit::knots;
  set.SetVelocityMode(true);
  // All records reset while a class-1 instrument is in velocity mode: the class-2/3 record
  // takes the class-1 velocity unit; class 1, reset last, ends with its pressure unit.
  set.SetDefaults(false, false);
  EXPECT_EQ(set.Class23.Disp_unit, unit::knots);
  EXPECT_EQ(set.Class1.Disp_unit, unit::Pa);

  set.InstInfo.InstType = 9;
  set.SetDefaults(false, false);
  EXPECT_EQ(set.Class23.Disp_unit, unit::Pa);
}

TEST_F(SettingsTest, SetDefaultsOnlyCurrentClass) {
  struct Case {
    uint8_t type;
    bool sw, c23, c1;
  } cases[] = {{0, false, false, false}, {9, true, false, false},  {3, false, true, false},
               {8, false, true, false},  {10, false, false, true}, {11, false, false, true}};
  for (const Case& c : cases) {
    std::memset(&set.Switch, 0x11, sizeof set.Switch);
    std::memset(&set.Class23, 0x11, sizeof set.Class23);
    std::memset(&set.Class1, 0x11, sizeof set.Class1);
    set.InstInfo.InstType = c.type;
    const auto sw = Bytes(set.Switch), c23 = Bytes(set.Class23), c1 = Bytes(set.Class1);
    owner.refreshes = 0;
    set.SetDefaults(true, true);
    EXPECT_EQ(Bytes(set.Switch) != sw, c.sw) << int(c.type);
    EXPECT_EQ(Bytes(set.Class23) != c23, c.c23) << int(c.type);
    EXPECT_EQ(Bytes(set.Class1) != c1, c.c1) << int(c.type);
    EXPECT_EQ(owner.refreshes, 1);
  }
}

TEST_F(SettingsTest, VelocityModePerClass) {
  set.SetDefaults(false, false);
  set.InstInfo.InstType = 9;
  const auto c1 = Bytes(set.Class1), c23 = Bytes(set.Class23), sw = Bytes(set.Switch);
  set.SetVelocityMode(true);
  EXPECT_FALSE(set.GetVelocityMode());
  EXPECT_EQ(Bytes(set.Class1), c1);
  EXPECT_EQ(Bytes(set.Class23), c23);
  EXPECT_EQ(Bytes(set.Switch), sw);

  set.InstInfo.InstType = 10;
  set.SetVelocityMode(true);
  EXPECT_TRUE(set.GetVelocityMode());
  EXPECT_EQ(At<uint8_t>(set.Class1, 112), 1);
  EXPECT_EQ(At<uint8_t>(set.Class1, 113), 1);
  EXPECT_EQ(Bytes(set.Class23), c23);

  set.InstInfo.InstType = 6;
  EXPECT_FALSE(set.GetVelocityMode());
  set.SetVelocityMode(true);
  EXPECT_EQ(At<uint8_t>(set.Class23, 84), 1);
  EXPECT_EQ(At<uint8_t>(set.Class23, 85), 1);
}

TEST_F(SettingsTest, FlagsTellTheOwner) {
  set.SetConfigRead(true);
  EXPECT_EQ(owner.configCleared, 0);
  set.SetConfigRead(false);
  EXPECT_EQ(owner.configCleared, 1);
  set.SetAnOffsetUnit(unit::V);
  EXPECT_EQ(set.AnOffsetUnit(), unit::V);
  EXPECT_EQ(owner.refreshes, 1);
}

TEST(ShortString, LengthIsClampedOnRead) {
  TShortString s{};
  s.Set("1234567");
  EXPECT_EQ(s.Get(), "1234567");
  s.Set("abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(s.Get(), "abcdefghijklmnopqrst");
  s.Len = 255;
  EXPECT_EQ(s.Get().size(), 20u);
  EXPECT_FALSE(s.Valid());
}

TEST(SetFileImage, RoundTripKeepsEveryByte) {
  TSetFileImage image;
  for (size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<uint8_t>(i * 7 + 3); // reserved bytes included
  const TSetFileRecords records = ParseSetFileImage(image);
  EXPECT_EQ(BuildSetFileImage(records), image);
  // Each record sits at its offset in the file.
  EXPECT_EQ(At<uint8_t>(records.Prefs, 0), image[0]);
  EXPECT_EQ(At<uint8_t>(records.Class1, 0), image[32]);
  EXPECT_EQ(At<uint8_t>(records.InstInfo, 0), image[160]);
  EXPECT_EQ(At<uint8_t>(records.Switch, 0), image[280]);
  EXPECT_EQ(At<uint8_t>(records.Class23, 215), image[567]);
}

TEST(SetFileImage, DefaultRecordsRoundTrip) {
  FakeOwner owner;
  TSettings set(&owner);
  set.SetDefaults(false, false);
  TSetFileRecords r{};
  r.Prefs.ComPort = 1;
  r.Prefs.Temperature = 15.0;
  r.Class1 = set.Class1;
  r.InstInfo = set.InstInfo;
  r.Switch = set.Switch;
  r.Class23 = set.Class23;
  const TSetFileImage image = BuildSetFileImage(r);
  EXPECT_EQ(At<double>(image, 32 + 8), 0.3);
  EXPECT_EQ(At<double>(image, 280 + 56), 10.0);
  const TSetFileRecords back = ParseSetFileImage(image);
  EXPECT_EQ(BuildSetFileImage(back), image);
  EXPECT_EQ(static_cast<double>(back.Class23.Velocity_C), 0.612500011920929);
}

} // namespace
} // namespace dtool
