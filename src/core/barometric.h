#pragma once
// The barometric height formula: the mean atmospheric pressure at a site from its altitude and
// the outdoor temperature, for the absolute pressure wizard.

namespace dtool {

// The mean atmospheric pressure at sea level, in hPa.
inline constexpr double SeaLevelPressure = 1013.25;

// The mean atmospheric pressure in hPa at the altitude (metres) for the outdoor temperature
// (degrees Celsius) and the pressure at sea level (hPa). The air column is taken at the mean
// of the outdoor temperature and the sea-level temperature, with a lapse rate of 0.0065
// degrees per metre.
double BaroPressure(double temperature, double altitude, double seaLevelPressure);

} // namespace dtool
