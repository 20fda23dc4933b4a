#pragma once
// Units of measurement: texts, factors to the base unit, decimals, and the unit sets.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace dtool {

using TUnit = std::uint8_t;

namespace unit {
inline constexpr TUnit hPa = 0, Pa = 1, mbar = 2, mmHg = 3, mmH20 = 4, psi = 5, inchHg = 6,
                       inchH2O = 7, m = 8, inch = 9, s = 10, RH = 11, V = 12, mA = 13,
                       AnalogOffset = 14, degC = 15, m_s = 16, km_h = 17, feet_s = 18, knots = 19,
                       None = 20;
inline constexpr TUnit Last = 20;
} // namespace unit

// Unit sets: bit n stands for unit n.
using TUnitSet = std::uint32_t;
inline constexpr TUnitSet PressUnitSet = 254;
inline constexpr TUnitSet VelocityUnitSet = 0xF0000;
inline constexpr TUnitSet AtmUnitSet = 77;
inline constexpr TUnitSet HoseUnitSet = 768;

inline constexpr bool InUnitSet(TUnit u, TUnitSet set) {
  return u <= unit::Last && ((set >> u) & 1u);
}

// Info kind 0 gives the text; 1 the decimals of edit fields, 2 of atmospheric pressure
// fields, 3 of the live reading of classes 2 and 3.
std::variant<std::string, int> GetUnitInfo(TUnit unit, int infoKind);
std::string UnitText(TUnit unit);               // GetUnitInfo(unit, 0)
int UnitDecimals(TUnit unit, int infoKind = 1); // GetUnitInfo(unit, 1..3)

// The first unit, searching upwards from 0, whose text is exactly the given text.
TUnit GetUnit(const std::string& text);

// Converts a value in the unit to the base unit, or with fromBase a base value to the unit.
double ConfUnitToBase(TUnit unit, bool fromBase, double value);
// Converts a value from the source unit to the target unit.
double ConvertUnit(TUnit target, TUnit source, double value);

// The texts of the units of a set, in ascending unit order: what a unit radio group shows.
std::vector<std::string> UnitSetTexts(TUnitSet set);

} // namespace dtool
