#pragma once
// The configuration registers of the analog-family instruments, as their firmware keeps
// them: one map for the transmitters, one for the static models. Each register has its
// read code, its kind, its permissible values and its factory value.
#include <cstdint>

namespace dtool::bench {

enum class TRegKind : std::uint8_t {
  Word,       // unsigned 16 bits
  SignedWord, // signed 16 bits
  Byte,       // 0..255
  Flags,      // flag bits chosen by a selector in BB, the value in bit 0 of AA
  FloatHalf,  // one half of a 32-bit float, taken as it comes
};

// Where the permissible values come from.
enum class TRegLimit : std::uint8_t {
  Fixed,      // Min..Max
  PressRange, // the sensor range, in hundredths of a pascal
  PressHys,   // 0 up to the upper end of the sensor range, in hundredths of a pascal
};

namespace regattr {
inline constexpr std::uint8_t Velocity = 1;   // only with capability level 1 or more
inline constexpr std::uint8_t Open = 2;       // written without the protection code
inline constexpr std::uint8_t FactoryPct = 4; // the factory value is a percentage of the range
inline constexpr std::uint8_t FromSetup = 8;  // the factory value comes from the bench file
} // namespace regattr

struct TRegister {
  std::uint16_t Read; // read code OOCC; the write code adds 0x1000
  TRegKind Kind;
  std::int32_t Min, Max; // Flags: the selectors known, as bits (bit n for selector n)
  TRegLimit Limit;
  std::int32_t Factory;
  std::uint8_t Attr;
};

// Register numbers the instrument logic refers to.
namespace reg {
inline constexpr std::uint16_t HoseLength = 0xA200, AtmPress = 0xA201, Humidity = 0xA202,
                               GainTransmitter = 0xA203, GainStatic = 0xA204,
                               Speed = 0xA204, // transmitters: measurement interval
    VelocityCLow = 0xA205, VelocityCHigh = 0xA206, VelocityN = 0xA207,
                               FilterLevel = 0xA10F, // static models; transmitters: moving average
    DispUnit = 0xA110, DispContrast = 0xA111, SerialFlags = 0xA112, Control = 0xA109,
                               OutputRate = 0xA116, AnFrom = 0xA300, AnTo = 0xA301, AnGain = 0xA304,
                               AnOffset = 0xA305, OutputFlags = 0xA309, AnVelocityFrom = 0xA30A,
                               AnVelocityTo = 0xA30B;
// Selectors of the flag registers.
inline constexpr int SelLiveZero = 1, SelSerialVelocity = 2, SelOutputVelocity = 3;
} // namespace reg

// The register map of an instrument class (1 transmitters, 2 and 3 static models).
const TRegister* RegisterMap(int instClass, int& count);
const TRegister* FindRegister(int instClass, std::uint16_t readCode);

} // namespace dtool::bench
