#include "core/conversion.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings.h"

namespace dtool {
namespace {

using enum TParamId;
constexpr TParam W(TParamId id) {
  return TParam::Working(id);
}

class ConversionTest : public ::testing::Test {
protected:
  ConversionTest() { set.SetDefaults(false, false); }
  TSettings set{nullptr};
};

// A settings value on its way to the instrument.
struct ToInstrument {
  const char* name;
  TParam param;
  std::function<void(TSettings&)> setValue;
  std::uint16_t bbaa;
  TConvResult result;
};

TEST_F(ConversionTest, ToInstrument) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const ToInstrument cases[] = {
      {"hose 0.3 m", W(C1_Hose_length), [](TSettings& s) { s.Class1.Hose_length = 0.3; }, 300,
       TConvResult::Done},
      {"hose 70 m", W(C1_Hose_length), [](TSettings& s) { s.Class1.Hose_length = 70; }, 65535,
       TConvResult::Limited},
      {"hose -1 m", W(C1_Hose_length), [](TSettings& s) { s.Class1.Hose_length = -1; }, 0,
       TConvResult::Limited},
      {"An_from -1.125 Pa: -112.5 to even", W(C1_An_from),
       [](TSettings& s) { s.Class1.An_from = -1.125; }, 0xFF90, TConvResult::Done},
      {"2.5 counts to even", W(C1_Atm_Press), [](TSettings& s) { s.Class1.Atm_Press = 2.5; }, 2,
       TConvResult::Done},
      {"3.5 counts to even", W(C1_Atm_Press), [](TSettings& s) { s.Class1.Atm_Press = 3.5; }, 4,
       TConvResult::Done},
      {"signed upper limit", W(C23_AL1_ThresPress),
       [](TSettings& s) { s.Class23.AL1.ThresPress = 400; }, 0x7FFF, TConvResult::Limited},
      {"signed lower limit", W(C23_AL1_ThresPress),
       [](TSettings& s) { s.Class23.AL1.ThresPress = -400; }, 0x8000, TConvResult::Limited},
      {"the largest velocity as read back: its own counts, not a correction",
       W(C1_An_velocity_to), [](TSettings& s) { s.Class1.An_velocity_to = 32767 / 1000.0; },
       0x7FFF, TConvResult::Done},
      {"half a count beyond the largest: limited", W(C1_An_velocity_to),
       [](TSettings& s) { s.Class1.An_velocity_to = 32.7676; }, 0x7FFF, TConvResult::Limited},
      {"not a number", W(C23_An_to), [nan](TSettings& s) { s.Class23.An_to = nan; }, 0x8000,
       TConvResult::Limited},
      {"delay 1 s", W(C23_AL1_DelayPress), [](TSettings& s) { s.Class23.AL1.DelayPress = 1; }, 20,
       TConvResult::Done},
      {"gain 1.0", W(C23_Gain_Sens), [](TSettings& s) { s.Class23.Gain_Sens = 1.0; }, 10000,
       TConvResult::Done},
      {"contrast", W(C1_Disp_contr), [](TSettings& s) { s.Class1.Disp_contr = 12; }, 12,
       TConvResult::Done},
      {"display km/h", W(C1_Disp_unit), [](TSettings& s) { s.Class1.Disp_unit = unit::km_h; }, 9,
       TConvResult::Done},
      {"Velocity_C lower half", W(C1_Velocity_C_Lo),
       [](TSettings& s) { s.Class1.Velocity_C = 0.6125f; }, 0xCCCD, TConvResult::Done},
      {"Velocity_C upper half", W(C23_Velocity_C_Hi),
       [](TSettings& s) { s.Class23.Velocity_C = 0.6125f; }, 0x3F1C, TConvResult::Done},
      {"alarm over set", W(C23_AL2_PressOver), [](TSettings& s) { s.Class23.AL2.PressOver = 1; }, 1,
       TConvResult::Done},
      {"alarm over byte 2 goes out as 1", W(C23_AL1_VelocityOver),
       [](TSettings& s) { s.Class23.AL1.VelocityOver = 2; }, 1, TConvResult::Done},
      {"alarm over clear", W(C23_AL2_PressOver), [](TSettings& s) { s.Class23.AL2.PressOver = 0; },
       0, TConvResult::Done},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.setValue(set);
    TransRec rec{0xA0, 0x00, 0xBEEF};
    EXPECT_EQ(set.ConvInst(rec, c.param, true), c.result);
    EXPECT_EQ(rec.BBAA, c.bbaa);
    EXPECT_EQ(rec.OO, 0xA0) << "ConvInst leaves the codes alone";
  }
}

// An instrument answer on its way into the settings.
struct FromInstrument {
  const char* name;
  TParam param;
  std::uint16_t bbaa;
  std::function<double(const TSettings&)> stored;
  double expected;
};

TEST_F(ConversionTest, FromInstrument) {
  const FromInstrument cases[] = {
      {"An_from reads signed", W(C1_An_from), 0xFFFF,
       [](const TSettings& s) { return s.Class1.An_from; }, -0.01},
      {"hose reads unsigned", W(C1_Hose_length), 0xFFFF,
       [](const TSettings& s) { return s.Class1.Hose_length; }, 65.535},
      {"largest delay", W(C23_AL2_DelayVelocity), 0xFFFF,
       [](const TSettings& s) { return s.Class23.AL2.DelayVelocity; }, 65535 / 20.3451},
      {"delay of 20 counts", W(C23_AL1_DelayPress), 20,
       [](const TSettings& s) { return s.Class23.AL1.DelayPress; }, 20 / 20.3451},
      {"velocity threshold", W(C23_AL2_ThresVelocity), 0x8000,
       [](const TSettings& s) { return s.Class23.AL2.ThresVelocity; }, -32.768},
      {"display code 9", W(C23_Disp_unit), 9,
       [](const TSettings& s) { return double(s.Class23.Disp_unit); }, unit::km_h},
      {"display code 1", W(C1_Disp_unit), 1,
       [](const TSettings& s) { return double(s.Class1.Disp_unit); }, unit::Pa},
      {"display code 11", W(C1_Disp_unit), 11,
       [](const TSettings& s) { return double(s.Class1.Disp_unit); }, unit::knots},
      {"alarm over byte kept as is", W(C23_AL2_PressOver), 0x0102,
       [](const TSettings& s) { return double(s.Class23.AL2.PressOver); }, 2},
      {"interval", W(C1_Speed), 7, [](const TSettings& s) { return double(s.Class1.Speed); }, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TransRec answer{0xA3, 0x00, c.bbaa};
    EXPECT_EQ(set.ConvInst(answer, c.param, false), TConvResult::Done);
    EXPECT_DOUBLE_EQ(c.stored(set), c.expected);
  }
}

TEST_F(ConversionTest, VelocityCHalvesRebuildTheFloat) {
  set.Class23.Velocity_C = 0;
  TransRec answer{0xA2, 0x00, 0xCCCD};
  set.ConvInst(answer, W(C23_Velocity_C_Lo), false);
  answer.BBAA = 0x3F1C;
  set.ConvInst(answer, W(C23_Velocity_C_Hi), false);
  EXPECT_EQ(set.Class23.Velocity_C, 0.6125f);
  EXPECT_EQ(static_cast<double>(set.Class23.Velocity_C), 0.612500011920929);
}

TEST_F(ConversionTest, DelayFactorBothWays) {
  set.Class23.AL2.DelayVelocity = 3000; // the largest delay the main window offers
  TransRec rec{};
  EXPECT_EQ(set.ConvInst(rec, W(C23_AL2_DelayVelocity), true), TConvResult::Done);
  EXPECT_EQ(rec.BBAA, 61035); // 61035.3 counts
  set.ConvInst(rec, W(C23_AL2_DelayVelocity), false);
  EXPECT_NEAR(set.Class23.AL2.DelayVelocity, 3000, 0.5 / 20.3451);
  set.Class23.AL2.DelayVelocity = 3300;
  EXPECT_EQ(set.ConvInst(rec, W(C23_AL2_DelayVelocity), true), TConvResult::Limited);
  EXPECT_EQ(rec.BBAA, 65535);
}

// Display-unit codes outside the table come from the instrument (or a damaged settings
// file): the conversion fails and changes nothing, it does not end the program.
TEST_F(ConversionTest, UnknownDisplayUnitCodesFail) {
  for (std::uint16_t code : {0, 12, 0x0101, 0xFFFF}) {
    set.Class1.Disp_unit = unit::mbar;
    TransRec answer{0xA1, 0x00, code};
    EXPECT_EQ(set.ConvInst(answer, W(C1_Disp_unit), false), TConvResult::Invalid) << code;
    EXPECT_EQ(set.Class1.Disp_unit, unit::mbar);
  }
  for (TUnit stored : {unit::hPa, unit::m, unit::mA, TUnit{200}}) {
    set.Class23.Disp_unit = stored;
    TransRec rec{0xB1, 0x10, 0x4242};
    EXPECT_EQ(set.ConvInst(rec, W(C23_Disp_unit), true), TConvResult::Invalid) << int(stored);
    EXPECT_EQ(rec.BBAA, 0x4242);
  }
}

TEST(DisplayUnitCodes, BothWays) {
  const std::pair<TUnit, int> table[] = {{unit::Pa, 1},      {unit::mbar, 2},  {unit::mmHg, 3},
                                         {unit::mmH20, 4},   {unit::psi, 5},   {unit::inchHg, 6},
                                         {unit::inchH2O, 7}, {unit::m_s, 8},   {unit::km_h, 9},
                                         {unit::feet_s, 10}, {unit::knots, 11}};
  for (const auto& [u, code] : table) {
    EXPECT_EQ(ConvInstDispUnit(u), code) << int(u);
    EXPECT_EQ(ConvInstDispUnitToTUnit(code), u) << code;
  }
  for (TUnit u : {unit::hPa, unit::m, unit::inch, unit::s, unit::RH, unit::V, unit::mA,
                  unit::AnalogOffset, unit::degC, unit::None, TUnit{255}})
    EXPECT_FALSE(ConvInstDispUnit(u).has_value()) << int(u);
  for (int code : {-1, 0, 12, 65535})
    EXPECT_FALSE(ConvInstDispUnitToTUnit(code).has_value()) << code;
}

TEST(TransRecord, ImageAndHelpers) {
  TransRec rec{0xA1, 0x09, 0x1234};
  unsigned char image[4];
  std::memcpy(image, &rec, sizeof image);
  EXPECT_EQ(image[0], 0xA1);
  EXPECT_EQ(image[1], 0x09);
  EXPECT_EQ(image[2], 0x34) << "AA first: little-endian";
  EXPECT_EQ(image[3], 0x12);
  EXPECT_EQ(rec.BB(), 0x12);
  EXPECT_EQ(rec.AA(), 0x34);
  EXPECT_EQ(FormatOoCc(rec), "A109");
  rec.SetBB(0x03);
  rec.SetAA(0x01);
  EXPECT_EQ(rec.BBAA, 0x0301);
  ClearTransRec(rec);
  std::memcpy(image, &rec, sizeof image);
  EXPECT_EQ(std::vector<unsigned char>(image, image + 4), std::vector<unsigned char>(4, 0));
}

TEST(FirmwareVersion, MinorDigits) {
  struct Case {
    std::uint16_t bbaa;
    const char* twoDigits;
    const char* oneDigit;
  };
  for (const Case& c : {Case{0x0105, "01.05", "01.5"}, Case{0x010C, "01.12", "01.12"},
                        Case{0x0C00, "12.00", "12.0"}, Case{0xFFFF, "255.255", "255.255"}}) {
    const TransRec rec{0xA1, 0x03, c.bbaa};
    EXPECT_EQ(FormatVersion(rec, true), c.twoDigits);
    EXPECT_EQ(FormatVersion(rec, false), c.oneDigit);
  }
}

} // namespace
} // namespace dtool
