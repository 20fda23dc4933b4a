#pragma once
// The arithmetic of the analog output's calibration and test: the two points the output is
// driven to, the offset and gain that make a receiving device show the nominal values, and
// the set point of a test value.
#include <optional>

namespace dtool {

// The calibration points, in percent of the output range.
inline constexpr double CalLowerPercent = 20.0;
inline constexpr double CalUpperPercent = 80.0;

// The signal scale of the output: 0 .. 20 (mA, or half as many volts), with a live zero of 4.
inline constexpr double SignalFullScale = 20.0;
inline constexpr double SignalLiveZero = 4.0;

// What the receiving device shows at a calibration point when the output is exact.
double CalPointValue(double from, double to, bool upper);

// Offset and gain of the output stage: gain is a factor, offset is on the signal scale (mA).
struct TAnalogCorrection {
  double Gain = 1.0;
  double Offset = 0.0;
};

// The correction that makes the receiving device show the nominal values, from what it showed
// at the lower and the upper point. from, to and the readings are in one unit (Pa, or m/s);
// liveZero is set for a 4 .. 20 signal. Empty when there is none that the instrument's
// registers can hold: a range of zero width, readings that are equal, swapped or not finite,
// or a gain or offset beyond the An_gain or An_offset register.
std::optional<TAnalogCorrection> CalcAnalogCorrection(double from, double to, double lowerReading,
                                                      double upperReading, bool liveZero);

// The set point of the output test for a value of the range, in percent, limited to 0 .. 100;
// the middle of the signal for a range of zero width.
double OutputTestPercent(double value, double from, double to);

} // namespace dtool
