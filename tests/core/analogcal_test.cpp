// The arithmetic of the analog output's calibration and test: worked examples, and the readings
// for which no correction exists.
#include "core/analogcal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace dtool {
namespace {

TEST(AnalogCalTest, TheCorrectionMakesTheReceivingDeviceShowTheNominalValues) {
  struct TCase {
    const char* name;
    double from, to, lower, upper;
    bool liveZero;
    double gain, offset; // offset in mA
  };
  const TCase cases[] = {
      {"readings as nominal", 0, 100, 20, 80, true, 1.0, 0.0},
      {"4..20 mA", 0, 100, 21, 79, true, 1.034483, -0.413793},
      {"0..20 mA", 0, 100, 21, 79, false, 1.034483, -0.344828},
      // An output stage with gain 0.97 and offset 0.4 mA, read on a 4..20 mA device.
      {"output stage 0.97, +0.4 mA", 0, 100, 21.15, 79.35, true, 1.030928, -0.412371},
      // A falling range and a velocity range behave alike.
      {"falling range", 100, 0, 79, 21, true, 1.034483, -0.413793},
      {"velocity range", -10, 10, -5.8, 6.2, false, 1.0, -0.2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto r = CalcAnalogCorrection(c.from, c.to, c.lower, c.upper, c.liveZero);
    ASSERT_TRUE(r.has_value());
    EXPECT_NEAR(r->Gain, c.gain, 5e-7);
    EXPECT_NEAR(r->Offset, c.offset, 5e-7);
  }
  // The points themselves.
  EXPECT_DOUBLE_EQ(CalPointValue(0, 100, false), 20);
  EXPECT_DOUBLE_EQ(CalPointValue(0, 100, true), 80);
  EXPECT_DOUBLE_EQ(CalPointValue(100, 0, true), 20);
}

TEST(AnalogCalTest, NoCorrectionWhereTheRegistersCannotHoldOne) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct TCase {
    const char* name;
    double from, to, lower, upper;
    bool liveZero = true;
  };
  const TCase cases[] = {
      {"range of zero width", 50, 50, 20, 80},
      {"equal readings: infinite gain", 0, 100, 50, 50},
      {"swapped readings: negative gain", 0, 100, 80, 20},
      {"reading not a number", 0, 100, nan, 80},
      {"reading infinite", 0, 100, 20, inf},
      {"gain above 6.5535", 0, 100, 45, 54},
      {"gain rounding to zero counts", 0, 100, 1799975, 4199975},
      {"offset beyond -3.2768 mA", 0, 100, 45, 105},
      {"offset beyond 3.2767 mA", 0, 100, -5, 55},
      {"gain one count above the register", 0, 100, 20 / 6.5536, 80 / 6.5536, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(CalcAnalogCorrection(c.from, c.to, c.lower, c.upper, c.liveZero).has_value());
  }
  // One count below the register's top.
  const auto top = CalcAnalogCorrection(0, 100, 20 / 6.5534, 80 / 6.5534, false);
  ASSERT_TRUE(top.has_value());
  EXPECT_NEAR(top->Gain, 6.5534, 1e-9);
  EXPECT_NEAR(top->Offset, 0, 1e-9);
}

TEST(AnalogCalTest, TheTestSetPointIsThePlaceOfTheValueInTheRange) {
  struct TCase {
    double value, from, to, percent;
  };
  const TCase cases[] = {
      {25, 0, 100, 25},      {25, 100, 0, 75},   {-250, -250, 250, 0},
      {250, -250, 250, 100}, {50, 50, 50, 50},   {7, 3, 3, 50},
      {5, 0, 10, 50},        {101, 0, 100, 100}, {-1, 0, 100, 0},
  };
  for (const TCase& c : cases)
    EXPECT_DOUBLE_EQ(OutputTestPercent(c.value, c.from, c.to), c.percent)
        << c.value << " in " << c.from << ".." << c.to;
}

} // namespace
} // namespace dtool
