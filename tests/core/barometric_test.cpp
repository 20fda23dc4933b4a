#include "core/barometric.h"

#include <gtest/gtest.h>

#include "core/units.h"

namespace dtool {
namespace {

// The results are known to four decimals.
constexpr double Tolerance = 0.00005;

TEST(BaroPressure, FollowsTheHeightFormula) {
  const struct {
    double altitude, temperature, hPa;
  } cases[] = {
      {0, 15, 1013.25},     {0, -50.001, 1013.25}, {0, 45.001, 1013.25},      {500, 15, 955.2181},
      {1000, 20, 902.8884}, {5000, 0, 561.3629},   {-100, 45.001, 1024.2054},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.altitude << " m, " << c.temperature << " degC");
    EXPECT_NEAR(BaroPressure(c.temperature, c.altitude, SeaLevelPressure), c.hPa, Tolerance);
  }
  // The sea-level pressure scales the result.
  EXPECT_NEAR(BaroPressure(15, 500, 2 * SeaLevelPressure), 2 * 955.2181, 2 * Tolerance);
}

TEST(BaroPressure, InTheAtmosphericUnits) {
  const struct {
    double altitude;
    TUnit unit;
    double shown;
  } cases[] = {
      {0, unit::mmHg, 760.0},      {0, unit::inchHg, 29.9213},  {500, unit::hPa, 955.2181},
      {500, unit::mbar, 955.2181}, {500, unit::mmHg, 716.4725}, {500, unit::inchHg, 28.2076},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.altitude << " m in " << UnitText(c.unit));
    EXPECT_NEAR(ConvertUnit(c.unit, unit::hPa, BaroPressure(15, c.altitude, SeaLevelPressure)),
                c.shown, Tolerance);
  }
}

} // namespace
} // namespace dtool
