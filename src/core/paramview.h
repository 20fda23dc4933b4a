#pragma once
// What a view needs to know of every configuration parameter without a window: the unit a
// value is stored in, which of the operator's preferred units shows it, the limits a value
// must keep, and the order in which a record's parameters are listed (the order of the
// configuration file). The analog parameters take their names, captions and registers from
// the parameter table; the switch record, which has no registers, has a small table here.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/paramtable.h"
#include "core/records.h"
#include "core/units.h"

namespace dtool {

struct TPreferences;

// Which preferred unit shows a value. None: the value is shown in its storage unit
// (seconds, %RH, counts, factors).
enum class TUnitKind : std::uint8_t {
  None,
  Pressure,     // differential pressure, stored in Pa
  Velocity,     // air velocity, stored in m/s
  AtmPressure,  // atmospheric pressure, stored in hPa
  HoseLength,   // stored in m
  AnalogSignal, // analog output offset, stored on the mA scale (unit 14), shown in mA or V
};

// The parameter record an instrument class keeps its configuration in.
enum class TRecordKind : std::uint8_t {
  Switch,  // TSwitchParams: class 0
  Class1,  // TClass1Params: class 1
  Class23, // TClass23Params: classes 2 and 3
};

// The record of a class; empty for class 4 (no instrument).
std::optional<TRecordKind> RecordKindOfClass(int instClass);

// How a value is written and read as text.
enum class TValueType : std::uint8_t {
  Real,    // f64
  Single,  // f32, written widened to a real
  Integer, // int32 or, in the switch record, a byte count
  Flag,    // byte flag, written as the integer 0 or 1
  Boolean, // byte boolean, written as "1" or "0"
  Unit,    // byte holding a display unit, written as the unit's text
};

// How a value is held in its record.
enum class TStorage : std::uint8_t { F64, F32, I32, U8 };

// Where a limit comes from.
enum class TLimitSource : std::uint8_t {
  None,          // no limit
  Register,      // what the instrument's register holds after conversion (parameter table)
  ProgramList,   // the choices the program offers and its settings file keeps
  SwitchRecord,  // the switch record's own field ranges
  SwitchLibrary, // the bounds the switch link library reports (GetFConst, GetIConst)
  EditRange,     // the range the main window's edit keeps a typed value in
};

// The switch link library's bounds that apply to a switch field.
enum class TSwitchLimitId : std::uint8_t {
  None,
  HoseLength,
  AtmPress,
  Gain,
  Hysteresis,
  Threshold,
  Delay
};

// An inclusive range and where it comes from. Magnitude: the range limits the magnitude of
// a signed value (the switch thresholds, whose sign is the alarm direction).
struct TLimits {
  double Min = 0;
  double Max = 0;
  TLimitSource Source = TLimitSource::None;
  bool Magnitude = false;
};

// Storage unit, unit kind and the program's own limits of a row of the parameter table.
struct TParamView {
  TParamId Id;
  TUnit StorageUnit;
  TUnitKind Kind;
  TLimits Fixed; // Source None, or ProgramList for the values chosen from a list
};
const TParamView& ParamViewOf(TParamId id);

// The range the main window's edit keeps a typed value in (source EditRange): the constant n
// 1..2 and the static models' alarm delays 0..3000 s; Source None for the other rows. A view
// offers it for entry; a configuration is not held to it, since an instrument's register may
// hold values outside it.
TLimits ParamEditRange(TParamId id);

// The range of the register of an analog row, in the stored value's unit: the register's
// range divided by the scale factor. Only for rows of Insttype Word, Signed and Byte.
TLimits RegisterLimits(const TParamRow& row);

// The register counts a stored value goes out as (value times factor, rounded half to even),
// when they fit the register; empty when they do not. This is the instrument's precision:
// values that give the same counts are the same to the instrument.
std::optional<std::int32_t> RegisterCounts(const TParamRow& row, double value);

// One parameter of a record, as the views and the configuration file list it.
struct TConfigField {
  const char* Name;    // the settings field; the key in the configuration file
  const char* Caption; // the parameter table's caption; for the switch the main window's label
  TRecordKind Record;
  std::uint16_t Offset; // of the value in its record
  TValueType Type;
  TStorage Storage;
  TUnit StorageUnit;
  TUnitKind Kind;
  std::optional<TParamId> Row; // the register row of an analog parameter (Velocity_C: lower half)
  TLimits Fixed;               // limits beside the register's: program lists, switch record
  TLimits Edit;                // the main window's edit range (ParamEditRange)
  TSwitchLimitId Library;      // the switch library's bound, if any
};

// The parameters of a record in the order of the configuration file (and of the transfer
// log): 19 for class 1, 31 for classes 2 and 3, 11 for the switch.
std::span<const TConfigField> ConfigFields(TRecordKind kind);

// The three parameter records, as the settings object holds them.
struct TParamRecords {
  TClass1Params Class1{};
  TClass23Params Class23{};
  TSwitchParams Switch{};
};

// A field's stored value as a real: f32 widened, integers and bytes as their numbers, a unit
// as its identifier.
double FieldValue(const TConfigField& field, const TParamRecords& records);
// Stores a value that fits the field's storage (checked by the caller).
void SetFieldValue(const TConfigField& field, TParamRecords& records, double value);

// The operator's units for each unit kind.
struct TViewUnits {
  TUnit Press = unit::Pa;
  TUnit Velocity = unit::m_s;
  TUnit Atm = unit::hPa;
  TUnit Hose = unit::m;
  TUnit AnalogSignal = unit::mA; // 13 "mA" or 12 "V"
  static TViewUnits Of(const TPreferences& prefs, TUnit analogSignal = unit::mA);
  bool operator==(const TViewUnits&) const = default;
};

// The unit a field is shown in, and a stored value converted into it.
TUnit ShownUnit(const TConfigField& field, const TViewUnits& units);
double ShownValue(const TConfigField& field, double stored, const TViewUnits& units);

// The switch link library's bounds, in the storage units of TSwitchParams, as GetFConst and
// GetIConst (maxDly) report them.
struct TSwitchLimits {
  double HoseMin = 0, HoseMax = 0;
  double AtmMin = 0, AtmMax = 0;
  double GainMin = 0, GainMax = 0;
  double HysMin = 0, HysMax = 0;
  double ThreMin = 0, ThreMax = 0; // threshold magnitude
  std::int32_t MaxDelay = 0;       // largest alarm delay, in sampling intervals
  TLimits Of(TSwitchLimitId id) const;
};

// One parameter whose stored values differ.
struct TParamDiff {
  const TConfigField* Field;
  double A; // stored value in a, as FieldValue gives it
  double B;
};

// The parameters of the class's record whose values differ between a and b, in the order of
// ConfigFields. Analog values are compared as the registers the instrument gets (so 0.3 m and
// 0.30000000001 m are equal), flags by being set, the switch's reals in single precision and
// its counts exactly. Class 4 has no record: nothing differs. Every parameter of the record
// is compared; a caller that talks to a class-1 instrument with Cap_level 0, which has no
// velocity registers, leaves Velocity_C, Velocity_n, An_velocity_from and An_velocity_to out.
std::vector<TParamDiff> DiffConfig(int instClass, const TParamRecords& a, const TParamRecords& b);

} // namespace dtool
