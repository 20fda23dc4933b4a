#include "core/insttypes.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/settingsowner.h"

namespace dtool {
namespace {

TEST(InstTypes, PropertiesOfEveryType) {
  struct Expected {
    int type;
    const char* name;
    int cls;
    bool analog;
    bool display;
    TInstOutputs outputs;
  };
  using enum TInstOutputs;
  const Expected table[] = {
      {0, "", 4, false, false, None},
      {1, "Dravon-STD", 2, true, false, AnalogOutput},
      {2, "Dravon-STV", 2, true, true, AnalogOutput},
      {3, "Dravon-STS", 2, true, false, AlarmRelays},
      {4, "Dravon-STVS", 2, true, true, AlarmRelays},
      {5, "Dravon-STD Z", 3, true, false, AnalogOutput},
      {6, "Dravon-STV Z", 3, true, true, AnalogOutput},
      {7, "Dravon-STS Z", 3, true, false, AlarmRelays},
      {8, "Dravon-STVS Z", 3, true, true, AlarmRelays},
      {9, "DravonSwitch", 0, false, false, AlarmRelays},
      {10, "DravonDat", 1, true, false, AnalogOutput},
      {11, "DravonVision", 1, true, true, AnalogOutput},
      {12, "", 4, false, false, None},
      {255, "", 4, false, false, None},
      {-1, "", 4, false, false, None},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(e.type);
    EXPECT_EQ(InstTypeName(e.type), e.name);
    EXPECT_EQ(ClassOfType(e.type), e.cls);
    EXPECT_EQ(IsAnalogFamily(e.type), e.analog);
    EXPECT_EQ(InstTypeProps(e.type).Display, e.display);
    EXPECT_EQ(InstTypeProps(e.type).Outputs, e.outputs);
  }
  // The resource identifiers of types 3/4 and 7/8 run against the type codes.
  EXPECT_EQ(InstTypeProps(3).NameId, 65127);
  EXPECT_EQ(InstTypeProps(4).NameId, 65126);
  EXPECT_EQ(InstTypeProps(7).NameId, 65131);
  EXPECT_EQ(InstTypeProps(8).NameId, 65130);
}

TEST(InstTypes, AnalogInstrumentCodes) {
  struct Case {
    std::int32_t it;
    std::uint16_t identifyBbaa;
    int type;
  };
  const Case cases[] = {
      {0, 0, 0},      {1, 0, 10},     {2, 0x0003, 11}, {3, 0x0002, 1},
      {3, 0x0004, 3}, {4, 0x0000, 4}, {4, 0x0002, 2},  {4, 0x0101, 2},
      {5, 0x0003, 5}, {5, 0xFF00, 7}, {6, 0x0001, 6},  {6, 0x00FC, 8},
  };
  for (const Case& c : cases) {
    const auto type = InstTypeOfCode(c.it, c.identifyBbaa);
    ASSERT_TRUE(type.has_value()) << c.it;
    EXPECT_EQ(*type, c.type) << "IT " << c.it << " bbaa " << c.identifyBbaa;
  }
  // Codes the instrument must not give are a failure for the caller to report.
  for (std::int32_t it : {7, 8, 255, -1})
    EXPECT_FALSE(InstTypeOfCode(it, 0).has_value()) << it;
  for (std::int32_t it = -1; it <= 7; ++it)
    EXPECT_EQ(CodeNeedsIdentify(it), it >= 3 && it <= 6) << it;
}

// Records the owner calls with the type each one saw.
class RecordingOwner : public ISettingsOwner {
public:
  TPreferences& Prefs() override { return prefs; }
  void WriteSetToField_() override { Note("WriteSetToField_"); }
  void RefreshButtons() override { Note("RefreshButtons"); }
  void ShowInstIdentity() override { Note("ShowInstIdentity"); }
  void ReopenLink() override { Note("ReopenLink"); }
  void SetHelpContextForType() override { Note("SetHelpContextForType"); }

  void Note(const char* call) {
    calls.push_back(std::string(call) + " " + std::to_string(set->InstType()));
  }
  TPreferences prefs{};
  TSettings* set = nullptr;
  std::vector<std::string> calls;
};

template <typename Rec> std::vector<std::uint8_t> Bytes(const Rec& rec) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&rec);
  return {p, p + sizeof rec};
}

// After the read of a type-1 instrument, setting type 5 clears the identity, keeps every
// parameter record, and lets the owner show, refresh, reopen and follow in that order.
TEST(SetInstType, KeepsTheRecordsAndClearsTheIdentity) {
  RecordingOwner owner;
  TSettings set(&owner);
  owner.set = &set;
  set.SetDefaults(false, false);
  set.InstInfo.InstType = 1;
  set.InstInfo.SerialNr.Set("1234567");
  set.InstInfo.SW_Main_uC.Set("01.05");
  set.InstInfo.RangeMax = 500;
  set.InstInfo.RangeMin = -500;
  set.InstInfo.AnOutCurrent = 0;
  set.Class23.Gain_Sens = 1.2345;
  set.Class23.AL1.ThresPress = -120;
  set.Class23.Velocity_to_RS232 = 1;
  set.Class1.Hose_length = 2.5;
  const auto class1 = Bytes(set.Class1);
  const auto class23 = Bytes(set.Class23);
  const auto swtch = Bytes(set.Switch);

  set.SetInstType(5);

  EXPECT_EQ(set.InstType(), 5);
  EXPECT_EQ(set.GetInstClass(), ClassStaticZ);
  EXPECT_EQ(set.InstTypeName(), "Dravon-STD Z");
  EXPECT_EQ(set.InstInfo.TypeWithoutInfo, 1);
  EXPECT_EQ(set.InstInfo.SerialNr.Get(), "");
  EXPECT_EQ(set.InstInfo.SW_Main_uC.Get(), "");
  EXPECT_EQ(set.InstInfo.RangeMax, 0.0);
  EXPECT_EQ(set.InstInfo.RangeMin, 0.0);
  EXPECT_EQ(set.InstInfo.AnOutCurrent, 1);
  EXPECT_EQ(owner.prefs.LastInstType, 5);
  EXPECT_EQ(Bytes(set.Class1), class1);
  EXPECT_EQ(Bytes(set.Class23), class23);
  EXPECT_EQ(Bytes(set.Switch), swtch);
  EXPECT_TRUE(set.GetVelocityMode()) << "the class-2/3 record still holds the read values";
  EXPECT_EQ(owner.calls, (std::vector<std::string>{"ShowInstIdentity 5", "WriteSetToField_ 5",
                                                   "RefreshButtons 5", "ReopenLink 5",
                                                   "SetHelpContextForType 5"}));

  // Over to a transmitter and back: each class shows what it last held.
  set.SetInstType(10);
  EXPECT_EQ(set.Class1.Hose_length, 2.5);
  EXPECT_FALSE(set.GetVelocityMode());
  set.SetInstType(1);
  EXPECT_EQ(Bytes(set.Class23), class23);
  EXPECT_EQ(owner.prefs.LastInstType, 1);
}

TEST(SetInstType, NoInstrument) {
  RecordingOwner owner;
  TSettings set(&owner);
  owner.set = &set;
  set.SetInstType(9);
  set.SetInstType(0);
  EXPECT_EQ(set.InstType(), 0);
  EXPECT_EQ(set.GetInstClass(), ClassNone);
  EXPECT_EQ(set.InstTypeName(), "");
  EXPECT_EQ(set.InstInfo.TypeWithoutInfo, 1);
  EXPECT_EQ(owner.prefs.LastInstType, 0);
  EXPECT_EQ(owner.calls.back(), "SetHelpContextForType 0");
}

} // namespace
} // namespace dtool
