#include "bench/switchinst.h"

#include "tools/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace dtool::bench {

namespace {

// Alarm delays, in sampling intervals: the tool offers up to 240; the record's byte holds them.
constexpr std::int32_t MaxDelay = 240;
static_assert(MaxDelay <= std::numeric_limits<decltype(TSwitchParams::Al1Dly)>::max());
constexpr std::int32_t FilterMin = 1, FilterMax = 20;
constexpr std::int64_t IntervalStepMs = 150;

struct TFConst {
  std::int32_t Id;
  float Value;
};
constexpr TFConst FConsts[] = {{swfconst::HoseMin, 0.1f},  {swfconst::HoseMax, 30.0f},
                               {swfconst::AtmMin, 600.0f}, {swfconst::AtmMax, 1100.0f},
                               {swfconst::GainMin, 0.5f},  {swfconst::GainMax, 1.5f},
                               {swfconst::HysMin, 0.0f},   {swfconst::HysMax, 50.0f},
                               {swfconst::ThreMin, 0.5f},  {swfconst::ThreMax, 500.0f}};

float FConstOf(std::int32_t id) {
  float v = 0;
  TSwitchInstrument::FConst(id, v);
  return v;
}

// The switch limits like the tool does: a value that is not a number becomes the minimum.
double Clamp(double v, double min, double max) {
  LimitValue(v, min, max);
  return v;
}

// Limits the magnitude and keeps the sign, which is the alarm direction.
double ClampMagnitude(double v, double min, double max) {
  LimitAbsValue(v, min, max);
  return v;
}

// The record fields the state file keeps, in their order.
struct TRealField {
  const char* Key;
  double TSwitchParams::*Field;
};
constexpr TRealField RealFields[] = {
    {"Hose_length", &TSwitchParams::Hose_length}, {"Atm_Press", &TSwitchParams::Atm_Press},
    {"Humidity", &TSwitchParams::Humidity},       {"Gain_Sens", &TSwitchParams::Gain_Sens},
    {"Al1Hys", &TSwitchParams::Al1Hys},           {"Al2Hys", &TSwitchParams::Al2Hys},
    {"Al1Thre", &TSwitchParams::Al1Thre},         {"Al2Thre", &TSwitchParams::Al2Thre}};
struct TByteField {
  const char* Key;
  std::uint8_t TSwitchParams::*Field;
};
constexpr TByteField ByteFields[] = {{"AlInt", &TSwitchParams::AlInt},
                                     {"Al1Dly", &TSwitchParams::Al1Dly},
                                     {"Al2Dly", &TSwitchParams::Al2Dly}};

} // namespace

TSwitchInstrument::TSwitchInstrument(const TPortSetup& setup) : TInstrument(setup) {
  // The factory configuration.
  config_.Hose_length = 0.3;
  config_.Atm_Press = 966;
  config_.Humidity = 50;
  config_.Gain_Sens = 1.0;
  config_.AlInt = 5;
  config_.Al1Thre = 10.0;
  config_.Al2Thre = -5.0;
  protCode_ = setup_.ProtCode;
  newer_ = setup_.Faults.Newer;
}

bool TSwitchInstrument::IConst(std::int32_t id, std::int32_t& value) {
  switch (id) {
  case swiconst::maxDly:
    value = MaxDelay;
    return true;
  case swiconst::I_MAVR_MIN:
    value = FilterMin;
    return true;
  case swiconst::I_MAVR_MAX:
    value = FilterMax;
    return true;
  default:
    return false;
  }
}

bool TSwitchInstrument::FConst(std::int32_t id, float& value) {
  for (const TFConst& c : FConsts)
    if (c.Id == id) {
      value = c.Value;
      return true;
    }
  return false;
}

TSwitchParams TSwitchInstrument::Limited(const TSwitchParams& p) {
  TSwitchParams r{};
  r.Hose_length = Clamp(p.Hose_length, FConstOf(swfconst::HoseMin), FConstOf(swfconst::HoseMax));
  r.Atm_Press = Clamp(p.Atm_Press, FConstOf(swfconst::AtmMin), FConstOf(swfconst::AtmMax));
  r.Humidity = Clamp(p.Humidity, 0, 100);
  r.Gain_Sens = Clamp(p.Gain_Sens, FConstOf(swfconst::GainMin), FConstOf(swfconst::GainMax));
  r.AlInt = static_cast<std::uint8_t>(std::clamp<int>(p.AlInt, 1, 9));
  r.Al1Dly = static_cast<std::uint8_t>(std::min<int>(p.Al1Dly, MaxDelay));
  r.Al2Dly = static_cast<std::uint8_t>(std::min<int>(p.Al2Dly, MaxDelay));
  const double hysMin = FConstOf(swfconst::HysMin), hysMax = FConstOf(swfconst::HysMax);
  r.Al1Hys = Clamp(p.Al1Hys, hysMin, hysMax);
  r.Al2Hys = Clamp(p.Al2Hys, hysMin, hysMax);
  const double threMin = FConstOf(swfconst::ThreMin), threMax = FConstOf(swfconst::ThreMax);
  r.Al1Thre = ClampMagnitude(p.Al1Thre, threMin, threMax);
  r.Al2Thre = ClampMagnitude(p.Al2Thre, threMin, threMax);
  return r;
}

TSwitchInfos TSwitchInstrument::Infos() const {
  return TSwitchInfos{setup_.RangeMax, static_cast<std::int32_t>(setup_.SerialNr),
                      setup_.SwMainVersion, setup_.SwSecondVersion, setup_.SwCompVersion};
}

std::int32_t TSwitchInstrument::ReReadConfig(std::int64_t now) {
  // The switch interrupts its measurement while it sends its configuration.
  readBusyUntil_ = now + SwitchReadBusyMs;
  return newer_ ? swstatus::NewerConfig : 0;
}

std::int32_t TSwitchInstrument::GetConf(TSwitchParams& params) const {
  if (newer_)
    return swstatus::NewerConfig;
  params = config_;
  return 0;
}

std::int32_t TSwitchInstrument::SetConf(const TSwitchParams& params, std::int32_t code) {
  if (protCode_ != 0 && code != protCode_)
    return swstatus::Protected;
  config_ = Limited(params);
  newer_ = false;
  return 0;
}

std::int32_t TSwitchInstrument::SetProtectCode(std::int32_t oldCode, std::int32_t newCode) {
  if (protCode_ != 0 && oldCode != protCode_)
    return swstatus::Protected;
  if (newCode < 0 || newCode > 0xFFFF)
    return SwStatusBadArgument;
  protCode_ = static_cast<std::uint16_t>(newCode);
  return 0;
}

std::int32_t TSwitchInstrument::ZeroAdj(std::int32_t code) {
  if (protCode_ != 0 && code != protCode_)
    return swstatus::Protected;
  zero_ = SensorOffset(); // the operator has short-circuited the nozzles
  return 0;
}

bool TSwitchInstrument::SetFilter(std::int32_t length) {
  if (length < FilterMin || length > FilterMax)
    return false;
  filter_ = length;
  return true;
}

void TSwitchInstrument::OnPowerUp(std::int64_t) {
  readBusyUntil_ = 0;
}

std::int64_t TSwitchInstrument::RecordIntervalMs() const {
  return std::max<std::int64_t>(1, config_.AlInt) * IntervalStepMs;
}

std::int32_t TSwitchInstrument::ReadingCode(std::int64_t now) const {
  const TFaults& f = setup_.Faults;
  if (!Operational(now) || now < readBusyUntil_ || !HasRecord())
    return swreading::NoData;
  if (f.NoSignal)
    return swreading::NoSignal;
  if (f.NoConfig)
    return swreading::NoConfig;
  if (f.Overflow || f.Underflow || RangeExcess(now) != 0)
    return swreading::Overflow;
  return swreading::Valid;
}

double TSwitchInstrument::Filtered(std::int64_t now, double hoseLength, double atmPress,
                                   double humidity, double gain) const {
  const double compensation = HoseFactor(hoseLength) * DensityFactor(atmPress, humidity);
  return MovingAverage(now, RecordIntervalMs(), filter_, [&](std::int64_t t) {
    return (SensorSignal(t) - zero_) / compensation * gain;
  });
}

std::int32_t TSwitchInstrument::Pressure(std::int64_t now, float& value) const {
  const std::int32_t code = ReadingCode(now);
  if (code == swreading::Valid)
    value = static_cast<float>(
        Filtered(now, config_.Hose_length, config_.Atm_Press, config_.Humidity, config_.Gain_Sens));
  return code;
}

std::int32_t TSwitchInstrument::PressurePar(std::int64_t now, float& value, double hoseLength,
                                            double atmPress, double humidity, double gain) const {
  // Trial values the switch could not hold are no pressure at all.
  if (!(hoseLength >= 0 && hoseLength <= 1000) || !(atmPress > 0 && atmPress <= 2000) ||
      !(humidity >= 0 && humidity <= 100) || !std::isfinite(gain))
    return SwStatusBadArgument;
  const std::int32_t code = ReadingCode(now);
  if (code == swreading::Valid)
    value = static_cast<float>(Filtered(now, hoseLength, atmPress, humidity, gain));
  return code;
}

void TSwitchInstrument::Save(TIniSection& section) const {
  section.Set("ProtectionCode", std::to_string(protCode_));
  section.Set("Zero", RealText(zero_));
  section.Set("Newer", newer_ ? "1" : "0");
  for (const TRealField& f : RealFields)
    section.Set(f.Key, RealText(config_.*f.Field));
  for (const TByteField& f : ByteFields)
    section.Set(f.Key, std::to_string(config_.*f.Field));
}

void TSwitchInstrument::Load(const TIniSection& section) {
  TSwitchParams p = config_;
  std::int64_t i = 0;
  double r = 0;
  bool b = false;
  if (ReadInt(section.Get("ProtectionCode"), i, 0, 0xFFFF))
    protCode_ = static_cast<std::uint16_t>(i);
  if (ReadReal(section.Get("Zero"), r) && std::fabs(r) <= MaxSensorOffset)
    zero_ = r;
  if (ReadBool(section.Get("Newer"), b))
    newer_ = b;
  for (const TRealField& f : RealFields)
    if (ReadReal(section.Get(f.Key), r))
      p.*f.Field = r;
  for (const TByteField& f : ByteFields)
    if (ReadInt(section.Get(f.Key), i, 0, 255))
      p.*f.Field = static_cast<std::uint8_t>(i);
  config_ = Limited(p);
}

} // namespace dtool::bench
