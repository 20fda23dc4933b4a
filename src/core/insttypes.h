#pragma once
// Instrument types and classes.
#include <cstdint>

namespace dtool {

// Instrument classes.
inline constexpr int ClassSwitch = 0;      // type 9
inline constexpr int ClassTransmitter = 1; // types 10, 11
inline constexpr int ClassStatic = 2;      // types 1..4
inline constexpr int ClassStaticZ = 3;     // types 5..8
inline constexpr int ClassNone = 4;        // type 0 and anything else

inline constexpr std::uint8_t MaxInstType = 11;

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

} // namespace dtool
