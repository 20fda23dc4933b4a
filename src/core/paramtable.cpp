#include "core/paramtable.h"

#include "tools/fatal.h"

namespace dtool {

namespace {

// Where a field lives: its record and its byte offset there.
#define C1(f) TParamRecord::Class1, offsetof(TClass1Params, f)
#define C1_AT(f, plus) TParamRecord::Class1, offsetof(TClass1Params, f) + (plus)
#define C23(f) TParamRecord::Class23, offsetof(TClass23Params, f)
#define C23_AT(f, plus) TParamRecord::Class23, offsetof(TClass23Params, f) + (plus)
#define AL1(f) TParamRecord::Class23, offsetof(TClass23Params, AL1) + offsetof(TAlarmGroup, f)
#define AL2(f) TParamRecord::Class23, offsetof(TClass23Params, AL2) + offsetof(TAlarmGroup, f)
#define INFO(f) TParamRecord::InstInfo, offsetof(TInstInfo, f)

using enum TParamId;

// The delay registers count periods of 1/20.3451 s.
constexpr double DelayFactor = 20.3451;

} // namespace

// clang-format off
constexpr std::array<TParamRow, Class1ParamCount> Class1ParamTable{{
  {C1_Velocity_to_AnOut, "Velocity_to_AnOut", 65159, "Controlflag AnOut velocity",
   6, 6, 1, 0, 0xA3, 0x09, 0x03, C1(Velocity_to_AnOut), 0},
  {C1_Hose_length, "Hose_length", 65176, "Std. Hose length",
   0, 4, 1000, 0.05, 0xA2, 0x00, 0, C1(Hose_length), 1},
  {C1_Atm_Press, "Atm_Press", 65177, "Atm. pressure",
   0, 4, 1, 0, 0xA2, 0x01, 0, C1(Atm_Press), 2},
  {C1_Humidity, "Humidity", 65178, "Humidity",
   0, 4, 1, 0, 0xA2, 0x02, 0, C1(Humidity), 3},
  {C1_Gain_Sens, "Gain_Sens", 65179, "Gain Sensor",
   0, 4, 10000, 0.0002, 0xA2, 0x03, 0, C1(Gain_Sens), 4},
  {C1_Disp_contr, "Disp_contr", 65152, "Display Contrast",
   0, 3, 1, 0, 0xA1, 0x11, 0, C1(Disp_contr), 5},
  {C1_An_from, "An_from", 65180, "Analog Output From",
   1, 4, 100, 0, 0xA3, 0x00, 0, C1(An_from), 6},
  {C1_An_to, "An_to", 65181, "Analog Output To",
   1, 4, 100, 0, 0xA3, 0x01, 0, C1(An_to), 7},
  {C1_An_4_20, "An_4_20", 65157, "Analog Output Signal",
   6, 6, 1, 0, 0xA3, 0x09, 0x01, C1(An_4_20), 8},
  {C1_An_offset, "An_offset", 65182, "Analog Signal Offset",
   1, 4, 10000, 0, 0xA3, 0x05, 0, C1(An_offset), 9},
  {C1_An_gain, "An_gain", 65183, "Analog Signal Gain",
   0, 4, 10000, 0, 0xA3, 0x04, 0, C1(An_gain), 10},
  {C1_Disp_unit, "Disp_unit", 65153, "Display Unit",
   0, 5, 1, 0, 0xA1, 0x10, 0, C1(Disp_unit), 11},
  {C1_Speed, "Speed", 65154, "Measurement Interval",
   0, 3, 1, 0, 0xA2, 0x04, 0, C1(Speed), 12},
  {C1_Moving_Average, "Moving_Average", 65155, "Filter (moving average) Readings",
   0, 3, 1, 0, 0xA1, 0x0F, 0, C1(Moving_Average), 13},
  {C1_Velocity_to_RS232, "Velocity_to_RS232", 65158, "Controlflag RS-232 velocity",
   6, 6, 1, 0, 0xA1, 0x12, 0x02, C1(Velocity_to_RS232), 14},
  {C1_Velocity_C_Lo, "Velocity_C", 65160, "Constant C for velocity calculation",
   2, 2, 1, 0, 0xA2, 0x05, 0, C1(Velocity_C), 15},
  {C1_Velocity_C_Hi, "Velocity_C", 65160, "Constant C for velocity calculation",
   2, 2, 1, 0, 0xA2, 0x06, 0, C1_AT(Velocity_C, 2), 16},
  {C1_Velocity_n, "Velocity_n", 65161, "Constant n for velocity calculation",
   0, 4, 10000, 0, 0xA2, 0x07, 0, C1(Velocity_n), 17},
  {C1_An_velocity_from, "An_velocity_from", 65180, "Analog Output From",
   1, 4, 1000, 0, 0xA3, 0x0A, 0, C1(An_velocity_from), 18},
  {C1_An_velocity_to, "An_velocity_to", 65181, "Analog Output To",
   1, 4, 1000, 0, 0xA3, 0x0B, 0, C1(An_velocity_to), 19},
}};

constexpr std::array<TParamRow, Class23ParamCount> Class23ParamTable{{
  {C23_Gain_Sens, "Gain_Sens", 65179, "Gain Sensor",
   0, 4, 10000, 0.0002, 0xA2, 0x04, 0, C23(Gain_Sens), 0},
  {C23_Disp_unit, "Disp_unit", 65153, "Display Unit",
   0, 5, 1, 0, 0xA1, 0x10, 0, C23(Disp_unit), 1},
  {C23_Disp_contr, "Disp_contr", 65152, "Display Contrast",
   0, 3, 1, 0, 0xA1, 0x11, 0, C23(Disp_contr), 2},
  {C23_An_from, "An_from", 65180, "Analog Output From",
   1, 4, 100, 0, 0xA3, 0x00, 0, C23(An_from), 3},
  {C23_An_to, "An_to", 65181, "Analog Output To",
   1, 4, 100, 0, 0xA3, 0x01, 0, C23(An_to), 4},
  {C23_An_velocity_from, "An_velocity_from", 65180, "Analog Output From",
   1, 4, 1000, 0, 0xA3, 0x0A, 0, C23(An_velocity_from), 5},
  {C23_An_velocity_to, "An_velocity_to", 65181, "Analog Output To",
   1, 4, 1000, 0, 0xA3, 0x0B, 0, C23(An_velocity_to), 6},
  {C23_An_4_20, "An_4_20", 65157, "Analog Output Signal",
   6, 6, 1, 0, 0xA3, 0x09, 0x01, C23(An_4_20), 7},
  {C23_An_offset, "An_offset", 65182, "Analog Signal Offset",
   1, 4, 10000, 0, 0xA3, 0x05, 0, C23(An_offset), 8},
  {C23_An_gain, "An_gain", 65183, "Analog Signal Gain",
   0, 4, 10000, 0, 0xA3, 0x04, 0, C23(An_gain), 9},
  {C23_Filter_level, "Filter_level", 65156, "Lowpass - Filter level",
   0, 3, 1, 0, 0xA1, 0x0F, 0, C23(Filter_level), 10},
  {C23_Velocity_to_RS232, "Velocity_to_RS232", 65158, "Controlflag RS-232 velocity",
   6, 6, 1, 0, 0xA1, 0x12, 0x02, C23(Velocity_to_RS232), 11},
  {C23_Velocity_to_AnOut, "Velocity_to_AnOut", 65159, "Controlflag AnOut velocity",
   6, 6, 1, 0, 0xA3, 0x09, 0x03, C23(Velocity_to_AnOut), 12},
  {C23_Velocity_C_Lo, "Velocity_C", 65160, "Constant C for velocity calculation",
   2, 2, 1, 0, 0xA2, 0x05, 0, C23(Velocity_C), 13},
  {C23_Velocity_C_Hi, "Velocity_C", 65160, "Constant C for velocity calculation",
   2, 2, 1, 0, 0xA2, 0x06, 0, C23_AT(Velocity_C, 2), 14},
  {C23_Velocity_n, "Velocity_n", 65161, "Constant n for velocity calculation",
   0, 4, 10000, 0, 0xA2, 0x07, 0, C23(Velocity_n), 15},
  {C23_AL1_PressOver, "AL1_PressOver", 65162, "ALARM over the threshold (pressure)",
   7, 8, 1, 0, 0xA3, 0xA2, 0, AL1(PressOver), 16},
  {C23_AL1_VelocityOver, "AL1_VelocityOver", 65163, "ALARM over the threshold (velocity)",
   7, 8, 1, 0, 0xA3, 0xAA, 0, AL1(VelocityOver), 17},
  {C23_AL1_ThresPress, "AL1_ThresPress", 65164, "ALARM threshold (pressure)",
   1, 4, 100, 0, 0xA3, 0x0E, 0, AL1(ThresPress), 18},
  {C23_AL1_ThresVelocity, "AL1_ThresVelocity", 65165, "ALARM threshold (velocity)",
   1, 4, 1000, 0, 0xA3, 0xA6, 0, AL1(ThresVelocity), 19},
  {C23_AL1_HysPress, "AL1_HysPress", 65166, "ALARM hysteresis (pressure)",
   1, 4, 100, 0, 0xA3, 0x0C, 0, AL1(HysPress), 20},
  {C23_AL1_HysVelocity, "AL1_HysVelocity", 65167, "ALARM hysteresis (velocity)",
   1, 4, 1000, 0, 0xA3, 0xA4, 0, AL1(HysVelocity), 21},
  {C23_AL1_DelayPress, "AL1_DelayPress", 65136, "ALARM delay (pressure)",
   0, 4, DelayFactor, 0, 0xA3, 0xA0, 0, AL1(DelayPress), 22},
  {C23_AL1_DelayVelocity, "AL1_DelayVelocity", 65137, "ALARM delay (velocity)",
   0, 4, DelayFactor, 0, 0xA3, 0xA8, 0, AL1(DelayVelocity), 23},
  {C23_AL2_PressOver, "AL2_PressOver", 65162, "ALARM over the threshold (pressure)",
   7, 8, 1, 0, 0xA3, 0xA3, 0, AL2(PressOver), 24},
  {C23_AL2_VelocityOver, "AL2_VelocityOver", 65163, "ALARM over the threshold (velocity)",
   7, 8, 1, 0, 0xA3, 0xAB, 0, AL2(VelocityOver), 25},
  {C23_AL2_ThresPress, "AL2_ThresPress", 65164, "ALARM threshold (pressure)",
   1, 4, 100, 0, 0xA3, 0x0F, 0, AL2(ThresPress), 26},
  {C23_AL2_ThresVelocity, "AL2_ThresVelocity", 65165, "ALARM threshold (velocity)",
   1, 4, 1000, 0, 0xA3, 0xA7, 0, AL2(ThresVelocity), 27},
  {C23_AL2_HysPress, "AL2_HysPress", 65166, "ALARM hysteresis (pressure)",
   1, 4, 100, 0, 0xA3, 0x0D, 0, AL2(HysPress), 28},
  {C23_AL2_HysVelocity, "AL2_HysVelocity", 65167, "ALARM hysteresis (velocity)",
   1, 4, 1000, 0, 0xA3, 0xA5, 0, AL2(HysVelocity), 29},
  {C23_AL2_DelayPress, "AL2_DelayPress", 65136, "ALARM delay (pressure)",
   0, 4, DelayFactor, 0, 0xA3, 0xA1, 0, AL2(DelayPress), 30},
  {C23_AL2_DelayVelocity, "AL2_DelayVelocity", 65137, "ALARM delay (velocity)",
   0, 4, DelayFactor, 0, 0xA3, 0xA9, 0, AL2(DelayVelocity), 31},
}};

// Known to GetParameterInfo and ConvInst only: the identity read sends its own requests.
constexpr std::array<TParamRow, 2> InstInfoParamTable{{
  {RangeMax, "RangeMax", 0, "", 1, 4, 1, 0, 0, 0, 0, INFO(RangeMax), -1},
  {RangeMin, "RangeMin", 0, "", 1, 4, 1, 0, 0, 0, 0, INFO(RangeMin), -1},
}};
// clang-format on

#undef C1
#undef C1_AT
#undef C23
#undef C23_AT
#undef AL1
#undef AL2
#undef INFO

namespace {

constexpr std::size_t FieldSize(int partype) {
  switch (partype) {
  case partype::Half:
    return 2;
  case partype::Int32:
    return 4;
  case partype::F64:
    return 8;
  default:
    return 1;
  }
}

constexpr std::size_t RecordSize(TParamRecord record) {
  switch (record) {
  case TParamRecord::Class1:
    return sizeof(TClass1Params);
  case TParamRecord::Class23:
    return sizeof(TClass23Params);
  default:
    return sizeof(TInstInfo);
  }
}

// Every row sits at its id's place, in its position, and inside its record.
template <std::size_t N>
constexpr bool WellFormed(const std::array<TParamRow, N>& table, int firstId, bool positioned) {
  for (std::size_t i = 0; i < N; ++i) {
    const TParamRow& r = table[i];
    if (static_cast<int>(r.Id) != firstId + static_cast<int>(i))
      return false;
    if (r.Position != (positioned ? static_cast<int>(i) : -1))
      return false;
    if (r.Offset + FieldSize(r.Partype) > RecordSize(r.Record))
      return false;
    if ((r.Insttype == insttype::Half) != (r.Partype == partype::Half))
      return false;
    if ((r.Insttype == insttype::Flag) != (r.BB != 0))
      return false;
  }
  return true;
}
static_assert(WellFormed(Class1ParamTable, 0, true));
static_assert(WellFormed(Class23ParamTable, Class1ParamCount, true));
static_assert(WellFormed(InstInfoParamTable, Class1ParamCount + Class23ParamCount, false));
static_assert(ParamRowCount == static_cast<int>(RangeMin) + 1);

constexpr const TParamRow& RowOfId(TParamId id) {
  const int i = static_cast<int>(id);
  if (i < Class1ParamCount)
    return Class1ParamTable[static_cast<std::size_t>(i)];
  if (i < Class1ParamCount + Class23ParamCount)
    return Class23ParamTable[static_cast<std::size_t>(i - Class1ParamCount)];
  return InstInfoParamTable[static_cast<std::size_t>(i - Class1ParamCount - Class23ParamCount)];
}

// A scratch designation for a value of type T: its type must be the row's field type (the
// float of Velocity_C serves both halves).
template <TParamId id, typename T> constexpr bool ScratchFits() {
  constexpr const TParamRow& r = RowOfId(id);
  if (r.Partype == partype::Half)
    return sizeof(T) == sizeof(float);
  return sizeof(T) == FieldSize(r.Partype);
}

} // namespace

bool IsKnownParam(const TParam& param) {
  if (static_cast<int>(param.Id()) >= ParamRowCount)
    return false;
  switch (param.Store()) {
  case TParamStore::Working:
    return true;
  case TParamStore::Original:
    return RowOfId(param.Id()).Record != TParamRecord::InstInfo;
  case TParamStore::Wizard:
  case TParamStore::WizardOfCurrentClass:
    return param.ScratchValue() != nullptr;
  }
  return false;
}

const TParamRow& ParamRowOf(const TParam& param) {
  if (!IsKnownParam(param))
    FatalStop("TSettings.GetParameterInfo: Wrong parameter! ");
  return RowOfId(param.Id());
}

TParamInfo GetParameterInfo(const TParam& param, int infoKind) {
  const TParamRow& row = ParamRowOf(param);
  switch (infoKind) {
  case infokind::Insttype:
    return row.Insttype;
  case infokind::Partype:
    return row.Partype;
  case infokind::Factor:
    return row.Factor;
  case infokind::Caption:
    return std::string(row.Caption);
  case infokind::Increment:
    return row.Increment;
  default:
    FatalStop("TSettings.GetParameterInfo: Wrong infokind! ");
  }
}

std::string ParamCaption(const TParam& param) {
  return std::get<std::string>(GetParameterInfo(param, infokind::Caption));
}
double ParamFactor(const TParam& param) {
  return std::get<double>(GetParameterInfo(param, infokind::Factor));
}
double ParamIncrement(const TParam& param) {
  return std::get<double>(GetParameterInfo(param, infokind::Increment));
}

namespace {
template <std::size_t N>
std::optional<TParam> ParamAt(const std::array<TParamRow, N>& table, int position, bool original) {
  if (position < 0 || position >= static_cast<int>(N))
    return std::nullopt;
  const TParamId id = table[static_cast<std::size_t>(position)].Id;
  return original ? TParam::Original(id) : TParam::Working(id);
}
} // namespace

std::optional<TParam> Class1ParamAt(int position, bool original) {
  return ParamAt(Class1ParamTable, position, original);
}
std::optional<TParam> Class23ParamAt(int position, bool original) {
  return ParamAt(Class23ParamTable, position, original);
}

// The scratch designations. The class-1 rows serve them: where both tables have the
// parameter, the two rows differ only in position (and the gain in its register, which
// GenOoCc takes from the current class).
static_assert(ScratchFits<C1_Hose_length, decltype(THoseCalcValues::HoseLen)>());
static_assert(ScratchFits<C1_Velocity_C_Lo, decltype(THoseCalcValues::VelocityC)>());
static_assert(ScratchFits<C1_Gain_Sens, decltype(TGainValues::SensGain)>());
static_assert(ScratchFits<C1_An_from, decltype(TOutTestValues::TestPressFrom)>());
static_assert(ScratchFits<C1_An_to, decltype(TOutTestValues::TestPressTo)>());
static_assert(ScratchFits<C1_An_velocity_from, decltype(TOutTestValues::TestVelocityFrom)>());
static_assert(ScratchFits<C1_An_velocity_to, decltype(TOutTestValues::TestVelocityTo)>());
static_assert(ScratchFits<C1_Velocity_to_AnOut, decltype(TOutTestValues::TestVelocityFlag)>());

TParam THoseCalcValues::HoseLenParam() {
  return TParam::FromScratch(C1_Hose_length, TParamStore::Wizard, &HoseLen);
}
TParam THoseCalcValues::VelocityCParam(bool upperHalf) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(&VelocityC);
  return upperHalf ? TParam::FromScratch(C1_Velocity_C_Hi, TParamStore::Wizard, bytes + 2)
                   : TParam::FromScratch(C1_Velocity_C_Lo, TParamStore::Wizard, bytes);
}
TParam TGainValues::SensGainParam() {
  return TParam::FromScratch(C1_Gain_Sens, TParamStore::WizardOfCurrentClass, &SensGain);
}
TParam TOutTestValues::TestPressFromParam() {
  return TParam::FromScratch(C1_An_from, TParamStore::Wizard, &TestPressFrom);
}
TParam TOutTestValues::TestPressToParam() {
  return TParam::FromScratch(C1_An_to, TParamStore::Wizard, &TestPressTo);
}
TParam TOutTestValues::TestVelocityFromParam() {
  return TParam::FromScratch(C1_An_velocity_from, TParamStore::Wizard, &TestVelocityFrom);
}
TParam TOutTestValues::TestVelocityToParam() {
  return TParam::FromScratch(C1_An_velocity_to, TParamStore::Wizard, &TestVelocityTo);
}
TParam TOutTestValues::TestVelocityFlagParam() {
  return TParam::FromScratch(C1_Velocity_to_AnOut, TParamStore::Wizard, &TestVelocityFlag);
}

} // namespace dtool
