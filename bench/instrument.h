#pragma once
// What every emulated instrument has: power and start-up, the pressure at its ports, its
// sensor, the measurement records at its output rate, and the readings' filters.
#include <cstdint>
#include <limits>

#include "bench/benchsetup.h"

namespace dtool::bench {

inline constexpr std::int64_t Never = std::numeric_limits<std::int64_t>::max();

// The sensor measures through its hoses and its reading depends on the air density; the
// instrument compensates both with its configured hose length, atmospheric pressure and
// humidity. These are the factors by which a pressure reaches the sensor.
double HoseFactor(double hoseLength);
double DensityFactor(double atmPress, double humidity);

class TInstrument {
public:
  explicit TInstrument(const TPortSetup& setup);
  virtual ~TInstrument() = default;

  const TPortSetup& Setup() const { return setup_; }
  int Type() const { return setup_.Type; }
  int Class() const { return TypeClass(setup_.Type); }

  // The instrument is switched on when its port is first opened; after its start-up time it
  // is operational. A power cycle loses what was not stored.
  bool Powered() const { return powered_; }
  void PowerUp(std::int64_t now);
  bool Operational(std::int64_t now) const { return powered_ && now >= operationalAt_; }

  // Brings time-driven state up to now: records that arrived, and what the instrument does
  // by itself (see Tick).
  void Advance(std::int64_t now);
  // Records since the bench started, counted on; and whether one arrived since start-up.
  std::uint64_t RecordCount() const { return records_; }
  bool HasRecord() const { return hasRecord_; }
  // When the instrument next does something by itself, for the bench's thread.
  virtual std::int64_t NextEventAt() const;

  // Replaces the pressure source by a constant pressure.
  void SetPressure(double pa) {
    setup_.Source.Pressure = pa;
    setup_.Source.Wave = 0;
    setup_.Source.Noise = 0;
  }
  // The sensor's own zero error, which a zero calibration takes out.
  double SensorOffset() const { return setup_.Source.SensorOffset; }
  // The faults of the line and the readings, as the port has them now.
  void SetLineFaults(const TFaults& faults) { setup_.Faults.SetLineFaults(faults); }

protected:
  virtual std::int64_t RecordIntervalMs() const = 0;
  virtual void OnPowerUp(std::int64_t) {}
  virtual void Tick(std::int64_t) {}
  // Starts up again, as after power-up.
  void Restart(std::int64_t now);

  // The pressure at the ports at time t, Pa.
  double SourcePressure(std::int64_t t) const;
  // What the sensor delivers at time t: for the instruments with environment compensation
  // the pressure through the real hoses and air; times the sensor's gain error, plus its own
  // offset.
  double SensorSignal(std::int64_t t) const;
  // Whether the sensor signal at now lies beyond the sensor range: 1 above, -1 below.
  int RangeExcess(std::int64_t now) const;

  // Averages of a reading over the samples taken every periodMs up to now, since the last
  // restart of the measurement: the last n samples, or a first-order low pass of the level.
  template <typename F>
  double MovingAverage(std::int64_t now, std::int64_t periodMs, int n, F reading) const;
  template <typename F>
  double LowPass(std::int64_t now, std::int64_t periodMs, int level, F reading) const;
  void RestartMeasurement(std::int64_t now) { filterSince_ = now; }

  TPortSetup setup_;
  bool powered_ = false;
  std::int64_t operationalAt_ = Never;

private:
  std::int64_t nextRecordAt_ = Never;
  std::uint64_t records_ = 0;
  bool hasRecord_ = false;
  std::int64_t filterSince_ = 0;
};

template <typename F>
double TInstrument::MovingAverage(std::int64_t now, std::int64_t periodMs, int n, F reading) const {
  const std::int64_t last = now - now % periodMs;
  double sum = 0;
  int count = 0;
  for (int j = 0; j < n; ++j) {
    const std::int64_t t = last - j * periodMs;
    if (j > 0 && t < filterSince_)
      break;
    sum += reading(t);
    ++count;
  }
  return sum / count;
}

template <typename F>
double TInstrument::LowPass(std::int64_t now, std::int64_t periodMs, int level, F reading) const {
  const std::int64_t last = now - now % periodMs;
  const double alpha = 1.0 / (1.0 + level);
  double sum = 0, weights = 0, w = alpha;
  for (int j = 0; j < 64; ++j, w *= 1.0 - alpha) {
    const std::int64_t t = last - j * periodMs;
    if (j > 0 && (t < filterSince_ || w < 1e-4 * alpha))
      break;
    sum += w * reading(t);
    weights += w;
  }
  return sum / weights;
}

} // namespace dtool::bench
