#pragma once
// Instrument types and classes: type names, the class of each type, the fixed properties
// of each type, and the analog link's instrument code.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace dtool {

// Instrument classes.
inline constexpr int ClassSwitch = 0;      // type 9
inline constexpr int ClassTransmitter = 1; // types 10, 11
inline constexpr int ClassStatic = 2;      // types 1..4
inline constexpr int ClassStaticZ = 3;     // types 5..8
inline constexpr int ClassNone = 4;        // type 0 and anything else

inline constexpr std::uint8_t MaxInstType = 11;

// The tool's own capability level: an instrument that requires more is not served, and the
// transfer log records it as Host_Cap_Level.
inline constexpr std::uint32_t HostCapLevel = 3;

// Types 1..4 give class 2, 5..8 class 3, 10 and 11 class 1, 9 class 0, every other value 4.
constexpr int ClassOfType(int type) {
  if (type >= 1 && type <= 4)
    return ClassStatic;
  if (type >= 5 && type <= 8)
    return ClassStaticZ;
  if (type == 10 || type == 11)
    return ClassTransmitter;
  if (type == 9)
    return ClassSwitch;
  return ClassNone;
}

// The link library through which an instrument type is reached.
enum class TLinkFamily : std::uint8_t { Switch, Analog };

// What the instrument drives besides its serial output.
enum class TInstOutputs : std::uint8_t { None, AnalogOutput, AlarmRelays };

// Fixed properties of one instrument type.
struct TInstTypeProps {
  std::uint16_t NameId; // resource identifier of the name; 0 for no instrument
  const char* Name;
  TLinkFamily Link;
  bool Display; // the instrument has a display
  TInstOutputs Outputs;
};

// clang-format off
inline constexpr std::array<TInstTypeProps, MaxInstType + 1> InstTypeTable{{
    {0,     "",              TLinkFamily::Switch, false, TInstOutputs::None},
    {65124, "Dravon-STD",    TLinkFamily::Analog, false, TInstOutputs::AnalogOutput},
    {65125, "Dravon-STV",    TLinkFamily::Analog, true,  TInstOutputs::AnalogOutput},
    {65127, "Dravon-STS",    TLinkFamily::Analog, false, TInstOutputs::AlarmRelays},
    {65126, "Dravon-STVS",   TLinkFamily::Analog, true,  TInstOutputs::AlarmRelays},
    {65128, "Dravon-STD Z",  TLinkFamily::Analog, false, TInstOutputs::AnalogOutput},
    {65129, "Dravon-STV Z",  TLinkFamily::Analog, true,  TInstOutputs::AnalogOutput},
    {65131, "Dravon-STS Z",  TLinkFamily::Analog, false, TInstOutputs::AlarmRelays},
    {65130, "Dravon-STVS Z", TLinkFamily::Analog, true,  TInstOutputs::AlarmRelays},
    {65123, "DravonSwitch",  TLinkFamily::Switch, false, TInstOutputs::AlarmRelays},
    {65121, "DravonDat",     TLinkFamily::Analog, false, TInstOutputs::AnalogOutput},
    {65122, "DravonVision",  TLinkFamily::Analog, true,  TInstOutputs::AnalogOutput},
}};
// clang-format on

// The properties of a type; a value outside 0..11 has those of type 0 (no instrument).
constexpr const TInstTypeProps& InstTypeProps(int type) {
  return (type >= 0 && type <= MaxInstType) ? InstTypeTable[static_cast<std::size_t>(type)]
                                            : InstTypeTable[0];
}

// The name of a type; empty for type 0 and for values outside 1..11.
inline std::string InstTypeName(int type) {
  return InstTypeProps(type).Name;
}

// Types 1..8, 10 and 11 are reached through the analog link; 9, 0 and the rest through the
// switch link.
constexpr bool IsAnalogFamily(int type) {
  return InstTypeProps(type).Link == TLinkFamily::Analog;
}

// The analog link's instrument codes 3..6 need the identify command F001 to tell the type.
constexpr bool CodeNeedsIdentify(std::int32_t it) {
  return it >= 3 && it <= 6;
}

// The type of an analog instrument from the link's instrument code IT and, for codes 3..6,
// the answer word of F001 (bits 0 and 1 of AA). An unknown code comes from the instrument,
// not from the program: the result is empty and the caller reports the failure.
constexpr std::optional<std::uint8_t> InstTypeOfCode(std::int32_t it, std::uint16_t identifyBbaa) {
  const bool withBits = (identifyBbaa & 0x03) != 0;
  switch (it) {
  case 0:
    return 0;
  case 1:
    return 10;
  case 2:
    return 11;
  case 3:
    return withBits ? 1 : 3;
  case 4:
    return withBits ? 2 : 4;
  case 5:
    return withBits ? 5 : 7;
  case 6:
    return withBits ? 6 : 8;
  default:
    return std::nullopt;
  }
}

} // namespace dtool
