#include "core/barometric.h"

#include <cmath>

namespace dtool {

double BaroPressure(double temperature, double altitude, double seaLevelPressure) {
  const double seaLevelTemperature = temperature + 0.0065 * altitude;
  const double meanTemperature = (seaLevelTemperature + temperature) / 2;
  const double exponent = altitude / (18400 * (1 + meanTemperature / 273));
  return seaLevelPressure / std::exp(std::log(10.0) * exponent);
}

} // namespace dtool
