#include "core/analogcal.h"

#include <algorithm>
#include <cmath>

#include "core/paramtable.h"
#include "tools/numeric.h"

namespace dtool {

namespace {

// The register of the parameter takes the value without limiting it, and the value does not
// round to zero counts when nonZero is set.
bool RegisterHolds(TParamId id, double value, bool nonZero) {
  const TParamRow& row = ParamRowOf(TParam::Working(id));
  const double counts = value * row.Factor;
  const double lowest = row.Insttype == insttype::Signed ? -32768 : 0;
  const double highest = row.Insttype == insttype::Signed ? 32767 : 65535;
  if (!std::isfinite(counts) || counts < lowest || counts > highest)
    return false;
  return !nonZero || RoundHalfEven(counts) != 0;
}

} // namespace

double CalPointValue(double from, double to, bool upper) {
  return Interpolate(upper ? CalUpperPercent : CalLowerPercent, 0, from, 100, to);
}

std::optional<TAnalogCorrection> CalcAnalogCorrection(double from, double to, double lowerReading,
                                                      double upperReading, bool liveZero) {
  if (!std::isfinite(from) || !std::isfinite(to) || from == to)
    return std::nullopt;
  const double z = liveZero ? SignalLiveZero : 0.0;
  // The signals the receiving device saw, and the nominal ones.
  const double seenUpper = Interpolate(upperReading, from, z, to, SignalFullScale);
  const double seenLower = Interpolate(lowerReading, from, z, to, SignalFullScale);
  const double nominalUpper = Interpolate(CalUpperPercent, 0, z, 100, SignalFullScale);
  const double nominalLower = Interpolate(CalLowerPercent, 0, z, 100, SignalFullScale);
  // The output stage as found: signal = nominal * k + o.
  const double k = (seenUpper - seenLower) / (nominalUpper - nominalLower);
  if (!std::isfinite(k) || !(k > 0))
    return std::nullopt;
  const double o = seenLower - nominalLower * k;
  const TAnalogCorrection c{1 / k, -o / k};
  if (!RegisterHolds(TParamId::C1_An_gain, c.Gain, true) ||
      !RegisterHolds(TParamId::C1_An_offset, c.Offset, false))
    return std::nullopt;
  return c;
}

double OutputTestPercent(double value, double from, double to) {
  if (from == to)
    return 50.0;
  const double p = Interpolate(value, from, 0, to, 100);
  if (!std::isfinite(p))
    return 50.0;
  return std::clamp(p, 0.0, 100.0);
}

} // namespace dtool
