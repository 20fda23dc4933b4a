#include "tools/numeric.h"

#include <cmath>

namespace dtool {

bool LimitValue(double& value, double minimum, double maximum) {
  bool changed = false;
  if (value > maximum) {
    value = maximum;
    changed = true;
  }
  if (!(value >= minimum)) {
    value = minimum;
    changed = true;
  }
  return changed;
}

bool LimitAbsValue(double& value, double minimum, double maximum) {
  const bool negative = value < 0;
  double magnitude = std::fabs(value);
  const bool changed = LimitValue(magnitude, std::fabs(minimum), std::fabs(maximum));
  value = negative ? -magnitude : magnitude;
  return changed;
}

double Interpolate(double x, double x1, double y1, double x2, double y2) {
  return y1 + (x - x1) * (y2 - y1) / (x2 - x1);
}

double RoundHalfEven(double value) {
  if (!std::isfinite(value))
    return value;
  const double lower = std::floor(value);
  const double diff = value - lower;
  if (diff > 0.5)
    return lower + 1;
  if (diff < 0.5)
    return lower;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

} // namespace dtool
