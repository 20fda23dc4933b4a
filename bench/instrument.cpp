#include "bench/instrument.h"

#include <algorithm>
#include <cmath>

namespace dtool::bench {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Repeatable noise in [-1, 1] for a moment of bench time.
double Noise(std::int64_t t) {
  std::uint64_t x = static_cast<std::uint64_t>(t) * 0x9E3779B97F4A7C15ull;
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 29;
  return static_cast<double>(x >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

} // namespace

double HoseFactor(double hoseLength) {
  return 1.0 / (1.0 + 0.05 * hoseLength);
}

double DensityFactor(double atmPress, double humidity) {
  return atmPress / 1013.25 * (1.0 - 0.001 * (humidity - 50.0));
}

TInstrument::TInstrument(const TPortSetup& setup) : setup_(setup) {}

void TInstrument::PowerUp(std::int64_t now) {
  powered_ = true;
  Restart(now);
  OnPowerUp(now);
}

void TInstrument::Restart(std::int64_t now) {
  operationalAt_ = now + setup_.StartupMs;
  nextRecordAt_ = Never;
  hasRecord_ = false;
  filterSince_ = operationalAt_;
}

void TInstrument::Advance(std::int64_t now) {
  if (!powered_)
    return;
  Tick(now);
  if (!Operational(now))
    return;
  const std::int64_t interval = std::max<std::int64_t>(1, RecordIntervalMs());
  if (nextRecordAt_ == Never)
    nextRecordAt_ = operationalAt_ + interval;
  if (now >= nextRecordAt_) {
    const std::int64_t k = (now - nextRecordAt_) / interval + 1;
    records_ += static_cast<std::uint64_t>(k);
    nextRecordAt_ += k * interval;
    hasRecord_ = true;
  }
}

std::int64_t TInstrument::NextEventAt() const {
  if (!powered_)
    return Never;
  if (nextRecordAt_ == Never)
    return operationalAt_ + std::max<std::int64_t>(1, RecordIntervalMs());
  return nextRecordAt_;
}

double TInstrument::SourcePressure(std::int64_t t) const {
  const TPressureSource& s = setup_.Source;
  double p = s.Pressure + s.Noise * Noise(t);
  if (s.Wave != 0)
    p += s.Wave * std::sin(2 * Pi * static_cast<double>(t) / (s.PeriodS * 1000.0));
  return p;
}

double TInstrument::SensorSignal(std::int64_t t) const {
  const TPressureSource& s = setup_.Source;
  double p = SourcePressure(t);
  if (Class() <= 1)
    p *= HoseFactor(s.HoseLength) * DensityFactor(s.AtmPress, s.Humidity);
  return p * s.GainError + s.SensorOffset;
}

int TInstrument::RangeExcess(std::int64_t now) const {
  const double p = SourcePressure(now) * setup_.Source.GainError + setup_.Source.SensorOffset;
  const double margin = 0.1 * (setup_.RangeMax - setup_.RangeMin);
  if (p > setup_.RangeMax + margin)
    return 1;
  if (p < setup_.RangeMin - margin)
    return -1;
  return 0;
}

} // namespace dtool::bench
