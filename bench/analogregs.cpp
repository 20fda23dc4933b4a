#include "bench/analogregs.h"

#include <iterator>

namespace dtool::bench {

namespace {

using K = TRegKind;
using L = TRegLimit;
constexpr std::uint8_t V = regattr::Velocity, O = regattr::Open, P = regattr::FactoryPct,
                       S = regattr::FromSetup;
constexpr std::int32_t LiveZeroAndOutputVelocity =
    (1 << reg::SelLiveZero) | (1 << reg::SelOutputVelocity);
constexpr std::int32_t SerialVelocity = 1 << reg::SelSerialVelocity;
// Flag registers keep selector n in bit n: the factory has the live zero on.
constexpr std::int32_t LiveZero = 1 << reg::SelLiveZero;

// clang-format off
constexpr TRegister TransmitterRegs[] = {
  // read    kind           min     max     limit          factory attr
  {0xA200, K::Word,         100,  30000, L::Fixed,          300, 0},  // hose length, mm
  {0xA201, K::Word,         600,   1100, L::Fixed,          966, 0},  // atmospheric pressure, hPa
  {0xA202, K::Word,           0,    100, L::Fixed,           50, 0},  // humidity, %RH
  {0xA203, K::Word,        5000,  15000, L::Fixed,        10000, 0},  // sensor gain, 1/10000
  {0xA204, K::Word,           1,      9, L::Fixed,            5, 0},  // interval, 0.15 s
  {0xA10F, K::Word,           1,     20, L::Fixed,            1, 0},  // moving average, readings
  {0xA110, K::Word,           1,     11, L::Fixed,            1, 0},  // display unit code
  {0xA111, K::Word,           0,     15, L::Fixed,            7, O},  // display contrast
  {0xA112, K::Flags, SerialVelocity, 0, L::Fixed,             0, 0},  // serial output flags
  {0xA109, K::Word,           0, 0xFFFF, L::Fixed,            0, S},  // control flags
  {0xA300, K::SignedWord,     0,      0, L::PressRange,       0, P},  // output from, Pa/100
  {0xA301, K::SignedWord,     0,      0, L::PressRange,     100, P},  // output to, Pa/100
  {0xA304, K::Word,        8000,  12000, L::Fixed,        10000, 0},  // output gain, 1/10000
  {0xA305, K::SignedWord, -10000, 10000, L::Fixed,            0, 0},  // output offset, mA/10000
  {0xA309, K::Flags, LiveZeroAndOutputVelocity, 0, L::Fixed, LiveZero, 0}, // output flags
  {0xA205, K::FloatHalf,      0,      0, L::Fixed,       0xCCCD, V},  // constant C, lower half
  {0xA206, K::FloatHalf,      0,      0, L::Fixed,       0x3F1C, V},  // constant C, upper half
  {0xA207, K::Word,        5000,  40000, L::Fixed,        20000, V},  // constant n, 1/10000
  {0xA30A, K::SignedWord, -30000, 30000, L::Fixed,            0, V},  // output from, m/s/1000
  {0xA30B, K::SignedWord, -30000, 30000, L::Fixed,        10000, V},  // output to, m/s/1000
};

constexpr TRegister StaticRegs[] = {
  {0xA204, K::Word,        5000,  15000, L::Fixed,        10000, 0},  // sensor gain, 1/10000
  {0xA10F, K::Word,           0,     20, L::Fixed,            0, 0},  // low-pass filter level
  {0xA110, K::Word,           1,     11, L::Fixed,            1, 0},  // display unit code
  {0xA111, K::Word,           0,     15, L::Fixed,            7, O},  // display contrast
  {0xA112, K::Flags, SerialVelocity, 0, L::Fixed,             0, 0},  // serial output flags
  {0xA109, K::Word,           0, 0xFFFF, L::Fixed,            0, S},  // control flags
  {0xA116, K::Word,           0,     99, L::Fixed,            4, S},  // output rate divider
  {0xA300, K::SignedWord,     0,      0, L::PressRange,       0, P},  // output from, Pa/100
  {0xA301, K::SignedWord,     0,      0, L::PressRange,     100, P},  // output to, Pa/100
  {0xA304, K::Word,        8000,  12000, L::Fixed,        10000, 0},  // output gain, 1/10000
  {0xA305, K::SignedWord, -10000, 10000, L::Fixed,            0, 0},  // output offset, mA/10000
  {0xA309, K::Flags, LiveZeroAndOutputVelocity, 0, L::Fixed, LiveZero, 0}, // output flags
  {0xA30A, K::SignedWord, -30000, 30000, L::Fixed,            0, 0},  // output from, m/s/1000
  {0xA30B, K::SignedWord, -30000, 30000, L::Fixed,        10000, 0},  // output to, m/s/1000
  {0xA205, K::FloatHalf,      0,      0, L::Fixed,       0xCCCD, 0},  // constant C, lower half
  {0xA206, K::FloatHalf,      0,      0, L::Fixed,       0x3F1C, 0},  // constant C, upper half
  {0xA207, K::Word,        5000,  40000, L::Fixed,        20000, 0},  // constant n, 1/10000
  // Alarm 1
  {0xA3A2, K::Byte,           0,      1, L::Fixed,            0, 0},  // pressure alarm above
  {0xA3AA, K::Byte,           0,      1, L::Fixed,            0, 0},  // velocity alarm above
  {0xA30E, K::SignedWord,     0,      0, L::PressRange,     -80, P},  // pressure threshold
  {0xA3A6, K::SignedWord, -30000, 30000, L::Fixed,       -10000, 0},  // velocity threshold
  {0xA30C, K::SignedWord,     0,      0, L::PressHys,       100, 0},  // pressure hysteresis
  {0xA3A4, K::SignedWord,     0,  10000, L::Fixed,         1000, 0},  // velocity hysteresis
  {0xA3A0, K::Word,           0,  12207, L::Fixed,            0, 0},  // pressure delay, 1/20.3451 s
  {0xA3A8, K::Word,           0,  12207, L::Fixed,            0, 0},  // velocity delay
  // Alarm 2
  {0xA3A3, K::Byte,           0,      1, L::Fixed,            1, 0},
  {0xA3AB, K::Byte,           0,      1, L::Fixed,            1, 0},
  {0xA30F, K::SignedWord,     0,      0, L::PressRange,      80, P},
  {0xA3A7, K::SignedWord, -30000, 30000, L::Fixed,        10000, 0},
  {0xA30D, K::SignedWord,     0,      0, L::PressHys,       100, 0},
  {0xA3A5, K::SignedWord,     0,  10000, L::Fixed,         1000, 0},
  {0xA3A1, K::Word,           0,  12207, L::Fixed,            0, 0},
  {0xA3A9, K::Word,           0,  12207, L::Fixed,            0, 0},
};
// clang-format on

} // namespace

const TRegister* RegisterMap(int instClass, int& count) {
  if (instClass == 1) {
    count = static_cast<int>(std::size(TransmitterRegs));
    return TransmitterRegs;
  }
  if (instClass == 2 || instClass == 3) {
    count = static_cast<int>(std::size(StaticRegs));
    return StaticRegs;
  }
  count = 0;
  return nullptr;
}

const TRegister* FindRegister(int instClass, std::uint16_t readCode) {
  int count = 0;
  const TRegister* map = RegisterMap(instClass, count);
  for (int i = 0; i < count; ++i)
    if (map[i].Read == readCode)
      return &map[i];
  return nullptr;
}

} // namespace dtool::bench
