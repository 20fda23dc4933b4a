#pragma once
// Conversion between the analog instruments' register values and the settings: display-unit
// codes and firmware versions. The conversions that need the settings' fields (GenOoCc,
// ConvInst) are members of TSettings.
#include <cstdint>
#include <optional>
#include <string>

#include "core/transrec.h"
#include "core/units.h"

namespace dtool {

// Result of TSettings::ConvInst.
enum class TConvResult : std::uint8_t {
  Done,    // converted
  Limited, // on the way to the instrument the value was limited to the register's range
  Invalid, // not convertible: a display-unit code or stored unit outside the table; the
           // field and the record are unchanged
};

// Operation codes: read a register of group 1, 2 or 3; the write code adds WriteCodeOffset.
inline constexpr std::uint8_t OpReadGroup1 = 0xA1, OpReadGroup2 = 0xA2, OpReadGroup3 = 0xA3;
inline constexpr std::uint8_t WriteCodeOffset = 0x10;

// The instrument code (1..11) of a display unit (1..7 pressure, 16..19 velocity); empty
// for any other unit.
std::optional<std::uint16_t> ConvInstDispUnit(TUnit unit);

// The display unit of an instrument code; empty for a code outside 1..11, which an
// instrument's answer can carry.
std::optional<TUnit> ConvInstDispUnitToTUnit(int code);

// The firmware version in a record's BBAA: BB with at least two digits, a full stop, AA with
// at least two digits (twoDigitMinor) or one.
std::string FormatVersion(const TransRec& rec, bool twoDigitMinor);

} // namespace dtool
