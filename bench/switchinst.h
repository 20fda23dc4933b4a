#pragma once
// The emulated pressure switch (type 9): its configuration record with the switch's own
// limits, protection code, zero adjustment, the moving-average filter of its readings, and
// the pressure computed with trial environment values.
#include <cstdint>

#include "bench/inifile.h"
#include "bench/instrument.h"
#include "link/switchlink.h"

namespace dtool::bench {

// Status of the switch library for an argument it cannot use.
inline constexpr std::int32_t SwStatusBadArgument = 4;

class TSwitchInstrument : public TInstrument {
public:
  explicit TSwitchInstrument(const TPortSetup& setup);

  TSwitchInfos Infos() const;
  std::int32_t ReReadConfig(std::int64_t now);
  std::int32_t GetConf(TSwitchParams& params) const;
  std::int32_t SetConf(const TSwitchParams& params, std::int32_t code);
  bool IsProtected() const { return protCode_ != 0; }
  std::int32_t SetProtectCode(std::int32_t oldCode, std::int32_t newCode);
  std::int32_t ZeroAdj(std::int32_t code);

  // The moving-average filter over the readings, as the library has it for the port.
  bool SetFilter(std::int32_t length);

  std::int32_t Pressure(std::int64_t now, float& value) const;
  // The pressure as it would read with these environment values and gain.
  std::int32_t PressurePar(std::int64_t now, float& value, double hoseLength, double atmPress,
                           double humidity, double gain) const;

  // The stored configuration, for the state file, and back.
  void Save(TIniSection& section) const;
  void Load(const TIniSection& section);

  // The switch library's constants (GetIConst, GetFConst); false for an unknown id.
  static bool IConst(std::int32_t id, std::int32_t& value);
  static bool FConst(std::int32_t id, float& value);

protected:
  std::int64_t RecordIntervalMs() const override;
  void OnPowerUp(std::int64_t now) override;

private:
  // The switch keeps only values within its own limits.
  static TSwitchParams Limited(const TSwitchParams& params);
  std::int32_t ReadingCode(std::int64_t now) const;
  double Filtered(std::int64_t now, double hoseLength, double atmPress, double humidity,
                  double gain) const;

  TSwitchParams config_{};
  std::uint16_t protCode_ = 0;
  double zero_ = 0;
  bool newer_ = false; // the configuration was written by a newer tool
  std::int32_t filter_ = 1;
  std::int64_t readBusyUntil_ = 0;
};

// How long the switch has no reading after its configuration was read.
inline constexpr std::int64_t SwitchReadBusyMs = 3000;

} // namespace dtool::bench
