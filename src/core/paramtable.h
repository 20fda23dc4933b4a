#pragma once
// The parameter table of the analog-family instruments: for every configuration parameter
// its caption, its value type in the instrument and in the tool, scale factor, increment,
// register and place in the transfer order. The table is constant data.
//
// A parameter is designated by a TParam: the row of the table plus the storage that holds
// the value (the working record, the original-data copy, or a wizard's scratch value). All
// designations of one parameter share its row; the two halves of Velocity_C are two rows.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "core/records.h"

namespace dtool {

// Value type in the instrument (info kind 0).
namespace insttype {
inline constexpr int Word = 0;   // unsigned 16-bit word, 0..65535
inline constexpr int Signed = 1; // signed 16-bit word, -32768..32767
inline constexpr int Half = 2;   // one 16-bit half of a 32-bit float, copied unchanged
inline constexpr int Flag = 6;   // bit 0 of BBAA, with a selector in BB
inline constexpr int Byte = 7;   // unsigned byte, 0..255
} // namespace insttype

// Field type in the tool (info kind 1).
namespace partype {
inline constexpr int Half = 2;     // one 16-bit half of an f32 field
inline constexpr int Int32 = 3;    // int32
inline constexpr int F64 = 4;      // f64
inline constexpr int DispUnit = 5; // byte holding a TUnit display unit
inline constexpr int Flag = 6;     // byte flag
inline constexpr int Bool = 8;     // byte boolean
} // namespace partype

// Info kinds of GetParameterInfo.
namespace infokind {
inline constexpr int Insttype = 0, Partype = 1, Factor = 2, Caption = 3, Increment = 4;
}

// The rows of the table: class 1 in transfer order, classes 2 and 3 in transfer order, and
// the two range fields of the identity.
enum class TParamId : std::uint8_t {
  // clang-format off
  C1_Velocity_to_AnOut, C1_Hose_length, C1_Atm_Press, C1_Humidity, C1_Gain_Sens,
  C1_Disp_contr, C1_An_from, C1_An_to, C1_An_4_20, C1_An_offset, C1_An_gain, C1_Disp_unit,
  C1_Speed, C1_Moving_Average, C1_Velocity_to_RS232, C1_Velocity_C_Lo, C1_Velocity_C_Hi,
  C1_Velocity_n, C1_An_velocity_from, C1_An_velocity_to,

  C23_Gain_Sens, C23_Disp_unit, C23_Disp_contr, C23_An_from, C23_An_to, C23_An_velocity_from,
  C23_An_velocity_to, C23_An_4_20, C23_An_offset, C23_An_gain, C23_Filter_level,
  C23_Velocity_to_RS232, C23_Velocity_to_AnOut, C23_Velocity_C_Lo, C23_Velocity_C_Hi,
  C23_Velocity_n, C23_AL1_PressOver, C23_AL1_VelocityOver, C23_AL1_ThresPress,
  C23_AL1_ThresVelocity, C23_AL1_HysPress, C23_AL1_HysVelocity, C23_AL1_DelayPress,
  C23_AL1_DelayVelocity, C23_AL2_PressOver, C23_AL2_VelocityOver, C23_AL2_ThresPress,
  C23_AL2_ThresVelocity, C23_AL2_HysPress, C23_AL2_HysVelocity, C23_AL2_DelayPress,
  C23_AL2_DelayVelocity,

  RangeMax, RangeMin,
  // clang-format on
};

inline constexpr int Class1ParamCount = 20;
inline constexpr int Class23ParamCount = 32;
inline constexpr int ParamRowCount = Class1ParamCount + Class23ParamCount + 2;

// The record that holds a parameter's working value.
enum class TParamRecord : std::uint8_t { Class1, Class23, InstInfo };

// One row of the table.
struct TParamRow {
  TParamId Id;
  const char* Field;       // name of the settings field
  std::uint16_t CaptionId; // resource identifier of the caption; 0 for none
  const char* Caption;
  int Insttype;
  int Partype;
  double Factor; // instrument counts per unit of the stored value
  double Increment;
  std::uint8_t OO; // read code; the write code adds 0x10
  std::uint8_t CC;
  std::uint8_t BB; // selector of a flag parameter, else 0
  TParamRecord Record;
  std::uint16_t Offset; // byte offset of the value in its record
  int Position;         // place in the transfer order of its class; -1 for none
};

// Where a designation keeps its value.
enum class TParamStore : std::uint8_t {
  Working,              // the field of TClass1Params, TClass23Params or TInstInfo
  Original,             // the same field of OrigClass1 or OrigClass23
  Wizard,               // a wizard's scratch value
  WizardOfCurrentClass, // a wizard's scratch value whose register follows the current class
};

// A parameter designation. Working and original designations are made here; a wizard's
// scratch designation only by the scratch structs below, so that its storage always has
// the row's field type.
class TParam {
public:
  static constexpr TParam Working(TParamId id) { return TParam(id, TParamStore::Working); }
  static constexpr TParam Original(TParamId id) { return TParam(id, TParamStore::Original); }

  constexpr TParamId Id() const { return id_; }
  constexpr TParamStore Store() const { return store_; }
  // The scratch value of a wizard designation, else nullptr.
  std::uint8_t* ScratchValue() const { return scratch_; }

  bool operator==(const TParam&) const = default;

private:
  constexpr TParam(TParamId id, TParamStore store, std::uint8_t* scratch = nullptr)
      : id_(id), store_(store), scratch_(scratch) {}
  static TParam FromScratch(TParamId id, TParamStore store, void* value) {
    return TParam(id, store, static_cast<std::uint8_t*>(value));
  }

  friend struct THoseCalcValues;
  friend struct TGainValues;
  friend struct TOutTestValues;

  TParamId id_;
  TParamStore store_;
  std::uint8_t* scratch_;
};

// Scratch values of the hose length and velocity constant wizard.
struct THoseCalcValues {
  double HoseLen = 0;  // m; designates Hose_length of class 1
  float VelocityC = 0; // designates Velocity_C: its lower half, and its upper half
  TParam HoseLenParam();
  TParam VelocityCParam(bool upperHalf);
};

// Scratch value of the gain wizard: Gain_Sens of the current class.
struct TGainValues {
  double SensGain = 0;
  TParam SensGainParam();
};

// Scratch values of the analog output test: the output range and the velocity flag as read.
struct TOutTestValues {
  double TestPressFrom = 0;          // Pa; An_from
  double TestPressTo = 0;            // Pa; An_to
  double TestVelocityFrom = 0;       // m/s; An_velocity_from
  double TestVelocityTo = 0;         // m/s; An_velocity_to
  std::uint8_t TestVelocityFlag = 0; // Velocity_to_AnOut
  TParam TestPressFromParam();
  TParam TestPressToParam();
  TParam TestVelocityFromParam();
  TParam TestVelocityToParam();
  TParam TestVelocityFlagParam();
};

// The tables, one array per class in transfer order, and the identity's two range rows.
extern const std::array<TParamRow, Class1ParamCount> Class1ParamTable;
extern const std::array<TParamRow, Class23ParamCount> Class23ParamTable;
extern const std::array<TParamRow, 2> InstInfoParamTable;

// Whether some row has the designation.
bool IsKnownParam(const TParam& param);

// The row of a designation. A designation that no row has (an id outside the table, an
// original copy of the identity, a scratch designation without storage) is a defect of the
// program and stops it.
const TParamRow& ParamRowOf(const TParam& param);

// One attribute: info kind 0 Insttype and 1 Partype (int), 2 factor and 4 increment
// (double), 3 caption (string; empty for RangeMax and RangeMin). Another kind stops the
// program.
using TParamInfo = std::variant<int, double, std::string>;
TParamInfo GetParameterInfo(const TParam& param, int infoKind);
// Typed forms of GetParameterInfo.
std::string ParamCaption(const TParam& param);
double ParamFactor(const TParam& param);
double ParamIncrement(const TParam& param);

// The transfer order: the designation at a position of the class-1 or class-2/3 table, in the
// original-data copy or the working record; nothing beyond the last position.
std::optional<TParam> Class1ParamAt(int position, bool original);
std::optional<TParam> Class23ParamAt(int position, bool original);

} // namespace dtool
