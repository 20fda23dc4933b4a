#include "core/paramtable.h"

#include <cstring>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings.h"
#include "support/scriptedport.h"

namespace dtool {
namespace {

// One row of the transfer order as the instruments define it, with the byte offset of the
// field in its record. Written out here, independently of the production table.
struct Expected {
  const char* field;
  std::uint16_t captionId;
  const char* caption;
  int insttype;
  int partype;
  double factor;
  double increment;
  std::uint8_t oo, cc, bb;
  std::size_t offset;
};

// clang-format off
const Expected class1[] = {
  {"Velocity_to_AnOut", 65159, "Controlflag AnOut velocity", 6, 6, 1, 0, 0xA3, 0x09, 0x03, 113},
  {"Hose_length", 65176, "Std. Hose length", 0, 4, 1000, 0.05, 0xA2, 0x00, 0, 8},
  {"Atm_Press", 65177, "Atm. pressure", 0, 4, 1, 0, 0xA2, 0x01, 0, 16},
  {"Humidity", 65178, "Humidity", 0, 4, 1, 0, 0xA2, 0x02, 0, 24},
  {"Gain_Sens", 65179, "Gain Sensor", 0, 4, 10000, 0.0002, 0xA2, 0x03, 0, 32},
  {"Disp_contr", 65152, "Display Contrast", 0, 3, 1, 0, 0xA1, 0x11, 0, 44},
  {"An_from", 65180, "Analog Output From", 1, 4, 100, 0, 0xA3, 0x00, 0, 48},
  {"An_to", 65181, "Analog Output To", 1, 4, 100, 0, 0xA3, 0x01, 0, 56},
  {"An_4_20", 65157, "Analog Output Signal", 6, 6, 1, 0, 0xA3, 0x09, 0x01, 80},
  {"An_offset", 65182, "Analog Signal Offset", 1, 4, 10000, 0, 0xA3, 0x05, 0, 88},
  {"An_gain", 65183, "Analog Signal Gain", 0, 4, 10000, 0, 0xA3, 0x04, 0, 96},
  {"Disp_unit", 65153, "Display Unit", 0, 5, 1, 0, 0xA1, 0x10, 0, 40},
  {"Speed", 65154, "Measurement Interval", 0, 3, 1, 0, 0xA2, 0x04, 0, 104},
  {"Moving_Average", 65155, "Filter (moving average) Readings", 0, 3, 1, 0, 0xA1, 0x0F, 0, 108},
  {"Velocity_to_RS232", 65158, "Controlflag RS-232 velocity", 6, 6, 1, 0, 0xA1, 0x12, 0x02, 112},
  {"Velocity_C lower", 65160, "Constant C for velocity calculation", 2, 2, 1, 0, 0xA2, 0x05, 0, 116},
  {"Velocity_C upper", 65160, "Constant C for velocity calculation", 2, 2, 1, 0, 0xA2, 0x06, 0, 118},
  {"Velocity_n", 65161, "Constant n for velocity calculation", 0, 4, 10000, 0, 0xA2, 0x07, 0, 120},
  {"An_velocity_from", 65180, "Analog Output From", 1, 4, 1000, 0, 0xA3, 0x0A, 0, 64},
  {"An_velocity_to", 65181, "Analog Output To", 1, 4, 1000, 0, 0xA3, 0x0B, 0, 72},
};

const Expected class23[] = {
  {"Gain_Sens", 65179, "Gain Sensor", 0, 4, 10000, 0.0002, 0xA2, 0x04, 0, 8},
  {"Disp_unit", 65153, "Display Unit", 0, 5, 1, 0, 0xA1, 0x10, 0, 16},
  {"Disp_contr", 65152, "Display Contrast", 0, 3, 1, 0, 0xA1, 0x11, 0, 20},
  {"An_from", 65180, "Analog Output From", 1, 4, 100, 0, 0xA3, 0x00, 0, 24},
  {"An_to", 65181, "Analog Output To", 1, 4, 100, 0, 0xA3, 0x01, 0, 32},
  {"An_velocity_from", 65180, "Analog Output From", 1, 4, 1000, 0, 0xA3, 0x0A, 0, 40},
  {"An_velocity_to", 65181, "Analog Output To", 1, 4, 1000, 0, 0xA3, 0x0B, 0, 48},
  {"An_4_20", 65157, "Analog Output Signal", 6, 6, 1, 0, 0xA3, 0x09, 0x01, 56},
  {"An_offset", 65182, "Analog Signal Offset", 1, 4, 10000, 0, 0xA3, 0x05, 0, 64},
  {"An_gain", 65183, "Analog Signal Gain", 0, 4, 10000, 0, 0xA3, 0x04, 0, 72},
  {"Filter_level", 65156, "Lowpass - Filter level", 0, 3, 1, 0, 0xA1, 0x0F, 0, 80},
  {"Velocity_to_RS232", 65158, "Controlflag RS-232 velocity", 6, 6, 1, 0, 0xA1, 0x12, 0x02, 84},
  {"Velocity_to_AnOut", 65159, "Controlflag AnOut velocity", 6, 6, 1, 0, 0xA3, 0x09, 0x03, 85},
  {"Velocity_C lower", 65160, "Constant C for velocity calculation", 2, 2, 1, 0, 0xA2, 0x05, 0, 88},
  {"Velocity_C upper", 65160, "Constant C for velocity calculation", 2, 2, 1, 0, 0xA2, 0x06, 0, 90},
  {"Velocity_n", 65161, "Constant n for velocity calculation", 0, 4, 10000, 0, 0xA2, 0x07, 0, 96},
  {"AL1_PressOver", 65162, "ALARM over the threshold (pressure)", 7, 8, 1, 0, 0xA3, 0xA2, 0, 104},
  {"AL1_VelocityOver", 65163, "ALARM over the threshold (velocity)", 7, 8, 1, 0, 0xA3, 0xAA, 0, 105},
  {"AL1_ThresPress", 65164, "ALARM threshold (pressure)", 1, 4, 100, 0, 0xA3, 0x0E, 0, 112},
  {"AL1_ThresVelocity", 65165, "ALARM threshold (velocity)", 1, 4, 1000, 0, 0xA3, 0xA6, 0, 120},
  {"AL1_HysPress", 65166, "ALARM hysteresis (pressure)", 1, 4, 100, 0, 0xA3, 0x0C, 0, 128},
  {"AL1_HysVelocity", 65167, "ALARM hysteresis (velocity)", 1, 4, 1000, 0, 0xA3, 0xA4, 0, 136},
  {"AL1_DelayPress", 65136, "ALARM delay (pressure)", 0, 4, 20.3451, 0, 0xA3, 0xA0, 0, 144},
  {"AL1_DelayVelocity", 65137, "ALARM delay (velocity)", 0, 4, 20.3451, 0, 0xA3, 0xA8, 0, 152},
  {"AL2_PressOver", 65162, "ALARM over the threshold (pressure)", 7, 8, 1, 0, 0xA3, 0xA3, 0, 160},
  {"AL2_VelocityOver", 65163, "ALARM over the threshold (velocity)", 7, 8, 1, 0, 0xA3, 0xAB, 0, 161},
  {"AL2_ThresPress", 65164, "ALARM threshold (pressure)", 1, 4, 100, 0, 0xA3, 0x0F, 0, 168},
  {"AL2_ThresVelocity", 65165, "ALARM threshold (velocity)", 1, 4, 1000, 0, 0xA3, 0xA7, 0, 176},
  {"AL2_HysPress", 65166, "ALARM hysteresis (pressure)", 1, 4, 100, 0, 0xA3, 0x0D, 0, 184},
  {"AL2_HysVelocity", 65167, "ALARM hysteresis (velocity)", 1, 4, 1000, 0, 0xA3, 0xA5, 0, 192},
  {"AL2_DelayPress", 65136, "ALARM delay (pressure)", 0, 4, 20.3451, 0, 0xA3, 0xA1, 0, 200},
  {"AL2_DelayVelocity", 65137, "ALARM delay (velocity)", 0, 4, 20.3451, 0, 0xA3, 0xA9, 0, 208},
};
// clang-format on

std::size_t FieldBytes(int partype) {
  switch (partype) {
  case 2:
    return 2;
  case 3:
    return 4;
  case 4:
    return 8;
  default:
    return 1;
  }
}

template <typename Rec> std::vector<std::uint8_t> Bytes(const Rec& rec) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&rec);
  return {p, p + sizeof rec};
}

// The offsets at which two byte images differ.
std::vector<std::size_t> Changed(const std::vector<std::uint8_t>& a,
                                 const std::vector<std::uint8_t>& b) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i])
      at.push_back(i);
  return at;
}

// Writes a value into the field that the designation names, through the public operations:
// the flag byte for flag parameters, otherwise the conversion of an instrument answer.
void Touch(TSettings& set, const TParam& p, int partype) {
  if (partype == 6) {
    set.ParamFlag(p) = 0x5A;
    return;
  }
  TransRec answer{0, 0, 0x0005};
  EXPECT_EQ(set.ConvInst(answer, p, false), TConvResult::Done);
}

class ParamTableTest : public ::testing::TestWithParam<bool> {};

// Walks a transfer order and checks every position against the expected table: the
// attributes, the read and write codes, and that the designation reaches exactly the
// field at the expected offset, in the working record or in the original-data copy.
template <typename Rec, std::size_t N>
void CheckOrder(const Expected (&expected)[N], std::optional<TParam> (*paramAt)(int, bool),
                bool original, Rec TSettings::*working, Rec TSettings::*copy) {
  TSettings set(nullptr);
  for (int pos = 0; pos < static_cast<int>(N); ++pos) {
    const Expected& e = expected[pos];
    SCOPED_TRACE(e.field);
    const std::optional<TParam> p = paramAt(pos, original);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->Store(), original ? TParamStore::Original : TParamStore::Working);

    EXPECT_EQ(std::get<int>(GetParameterInfo(*p, 0)), e.insttype);
    EXPECT_EQ(std::get<int>(GetParameterInfo(*p, 1)), e.partype);
    EXPECT_EQ(std::get<double>(GetParameterInfo(*p, 2)), e.factor);
    EXPECT_EQ(std::get<std::string>(GetParameterInfo(*p, 3)), e.caption);
    EXPECT_EQ(std::get<double>(GetParameterInfo(*p, 4)), e.increment);
    EXPECT_EQ(ParamRowOf(*p).CaptionId, e.captionId);

    TransRec read{0, 0, 0x1234};
    set.GenOoCc(read, *p, false);
    EXPECT_EQ(read.OO, e.oo);
    EXPECT_EQ(read.CC, e.cc);
    EXPECT_EQ(read.BBAA, e.bb ? e.bb << 8 : 0x1234) << "flag preset, else left unchanged";
    TransRec write{0, 0, 0};
    set.GenOoCc(write, *p, true);
    EXPECT_EQ(write.OO, e.oo + 0x10);
    EXPECT_EQ(write.CC, e.cc);

    std::memset(&(set.*working), 0xAB, sizeof(Rec));
    std::memset(&(set.*copy), 0xAB, sizeof(Rec));
    const auto workingBefore = Bytes(set.*working);
    const auto copyBefore = Bytes(set.*copy);
    Touch(set, *p, e.partype);
    const auto touched =
        Changed(original ? copyBefore : workingBefore, Bytes(original ? set.*copy : set.*working));
    ASSERT_FALSE(touched.empty());
    EXPECT_GE(touched.front(), e.offset);
    EXPECT_LT(touched.back(), e.offset + FieldBytes(e.partype));
    EXPECT_EQ(Bytes(original ? set.*working : set.*copy), original ? workingBefore : copyBefore)
        << "the other record stays as it was";
  }
  EXPECT_FALSE(paramAt(static_cast<int>(N), original).has_value()) << "ends the transfer walk";
  EXPECT_FALSE(paramAt(-1, original).has_value());
}

TEST_P(ParamTableTest, Class1TransferOrder) {
  test::ThrowingTerminator fatal;
  CheckOrder(class1, &Class1ParamAt, GetParam(), &TSettings::Class1, &TSettings::OrigClass1);
}

TEST_P(ParamTableTest, Class23TransferOrder) {
  test::ThrowingTerminator fatal;
  CheckOrder(class23, &Class23ParamAt, GetParam(), &TSettings::Class23, &TSettings::OrigClass23);
}

INSTANTIATE_TEST_SUITE_P(WorkingAndOriginal, ParamTableTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Original" : "Working"; });

TEST(ParamTable, WorkingAndOriginalAreDistinctDesignationsOfOneRow) {
  const auto working = Class23ParamAt(13, false);
  const auto copy = Class23ParamAt(13, true);
  const auto upper = Class23ParamAt(14, false);
  EXPECT_NE(*working, *copy);
  EXPECT_NE(*working, *upper);
  EXPECT_EQ(&ParamRowOf(*working), &ParamRowOf(*copy));
  EXPECT_NE(&ParamRowOf(*working), &ParamRowOf(*upper));
}

TEST(ParamTable, RangeFieldsOfTheIdentity) {
  TSettings set(nullptr);
  for (TParamId id : {TParamId::RangeMax, TParamId::RangeMin}) {
    const TParam p = TParam::Working(id);
    EXPECT_EQ(std::get<int>(GetParameterInfo(p, 0)), 1);
    EXPECT_EQ(std::get<int>(GetParameterInfo(p, 1)), 4);
    EXPECT_EQ(std::get<double>(GetParameterInfo(p, 2)), 1.0);
    EXPECT_EQ(std::get<std::string>(GetParameterInfo(p, 3)), "");
    EXPECT_EQ(std::get<double>(GetParameterInfo(p, 4)), 0.0);
  }
  TransRec answer{0xA1, 0x00, 0xFC18}; // -1000, signed
  set.ConvInst(answer, TParam::Working(TParamId::RangeMin), false);
  answer.BBAA = 1000;
  set.ConvInst(answer, TParam::Working(TParamId::RangeMax), false);
  EXPECT_EQ(set.InstInfo.RangeMin, -1000.0);
  EXPECT_EQ(set.InstInfo.RangeMax, 1000.0);
}

TEST(ParamTable, DefectsStopTheProgram) {
  test::ScriptedPort port;
  test::ThrowingTerminator fatal;
  TSettings set(nullptr);
  TransRec rec{};
  const auto stops = [](auto call, const char* text) {
    try {
      call();
      ADD_FAILURE() << "no fatal stop for " << text;
    } catch (const FatalError& e) {
      EXPECT_STREQ(e.what(), text);
    }
  };
  const TParam unknown = TParam::Working(static_cast<TParamId>(ParamRowCount));
  const TParam hose = TParam::Working(TParamId::C1_Hose_length);
  stops([&] { GetParameterInfo(unknown, 0); }, "TSettings.GetParameterInfo: Wrong parameter! ");
  stops([&] { GetParameterInfo(TParam::Original(TParamId::RangeMax), 0); },
        "TSettings.GetParameterInfo: Wrong parameter! ");
  stops([&] { GetParameterInfo(hose, 5); }, "TSettings.GetParameterInfo: Wrong infokind! ");
  stops([&] { GetParameterInfo(hose, -1); }, "TSettings.GetParameterInfo: Wrong infokind! ");
  stops([&] { set.GenOoCc(rec, TParam::Working(TParamId::RangeMax), false); },
        "procedure TSettings.GenOoCc: Wrong parameter! ");
  stops([&] { set.GenOoCc(rec, unknown, true); }, "procedure TSettings.GenOoCc: Wrong parameter! ");
  stops([&] { set.ConvInst(rec, TParam::Working(TParamId::C1_An_4_20), true); },
        "TSettings.ConvInst: Partype unknown! ");
  stops([&] { set.ConvInst(rec, TParam::Working(TParamId::C23_Velocity_to_AnOut), false); },
        "TSettings.ConvInst: Insttype unknown! #1");
  stops([&] { set.ParamFlag(hose); }, "TSettings.ParamFlag: No flag parameter! ");
}

// The wizards' scratch values share the attributes of the parameter they designate and
// keep their values to themselves.
TEST(ParamTable, WizardScratchValues) {
  TSettings set(nullptr);
  set.SetDefaults(false, false);
  const auto class1Before = Bytes(set.Class1);
  const auto class23Before = Bytes(set.Class23);

  THoseCalcValues hose;
  TGainValues gain;
  TOutTestValues out;
  struct Case {
    TParam scratch;
    TParamId designates;
  };
  const Case cases[] = {
      {hose.HoseLenParam(), TParamId::C1_Hose_length},
      {hose.VelocityCParam(false), TParamId::C1_Velocity_C_Lo},
      {hose.VelocityCParam(true), TParamId::C1_Velocity_C_Hi},
      {gain.SensGainParam(), TParamId::C23_Gain_Sens},
      {out.TestPressFromParam(), TParamId::C23_An_from},
      {out.TestPressToParam(), TParamId::C1_An_to},
      {out.TestVelocityFromParam(), TParamId::C23_An_velocity_from},
      {out.TestVelocityToParam(), TParamId::C1_An_velocity_to},
      {out.TestVelocityFlagParam(), TParamId::C23_Velocity_to_AnOut},
  };
  for (const Case& c : cases) {
    const TParam field = TParam::Working(c.designates);
    SCOPED_TRACE(ParamRowOf(field).Field);
    EXPECT_NE(c.scratch, field);
    for (int kind = 0; kind <= 4; ++kind)
      EXPECT_EQ(GetParameterInfo(c.scratch, kind), GetParameterInfo(field, kind)) << kind;
  }

  TransRec answer{0, 0, 1500};
  set.ConvInst(answer, hose.HoseLenParam(), false);
  EXPECT_EQ(hose.HoseLen, 1.5);
  answer.BBAA = 0xCCCD;
  set.ConvInst(answer, hose.VelocityCParam(false), false);
  answer.BBAA = 0x3F1C;
  set.ConvInst(answer, hose.VelocityCParam(true), false);
  EXPECT_EQ(hose.VelocityC, 0.6125f);
  answer.BBAA = 0xFF38; // -200 counts
  set.ConvInst(answer, out.TestPressFromParam(), false);
  EXPECT_EQ(out.TestPressFrom, -2.0);
  set.ParamFlag(out.TestVelocityFlagParam()) = 1;
  EXPECT_EQ(out.TestVelocityFlag, 1);
  EXPECT_EQ(Bytes(set.Class1), class1Before);
  EXPECT_EQ(Bytes(set.Class23), class23Before);
}

// The gain wizard's value goes to the gain register of the current class.
TEST(ParamTable, GainScratchFollowsTheCurrentClass) {
  TSettings set(nullptr);
  TGainValues gain;
  struct Case {
    std::uint8_t type;
    std::uint8_t cc;
  };
  for (const Case c : {Case{0, 0x03}, Case{9, 0x03}, Case{10, 0x03}, Case{11, 0x03}, Case{1, 0x04},
                       Case{4, 0x04}, Case{5, 0x04}, Case{8, 0x04}}) {
    set.InstInfo.InstType = c.type;
    TransRec rec{};
    set.GenOoCc(rec, gain.SensGainParam(), true);
    EXPECT_EQ(rec.OO, 0xB2) << int(c.type);
    EXPECT_EQ(rec.CC, c.cc) << int(c.type);
  }
}

} // namespace
} // namespace dtool
