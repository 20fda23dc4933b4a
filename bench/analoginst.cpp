#include "bench/analoginst.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace dtool::bench {

namespace {

// Bits of the identify answer (F001): what the instrument is built with.
constexpr std::uint16_t IdCurrentOutput = 0x01, IdVoltageOutput = 0x02, IdRelays = 0x04,
                        IdDisplay = 0x08;

// Samples per second of the static models' serial output is this rate divided by one plus
// the register A116; the delays count in periods of the same rate.
constexpr double StaticRate = 20.3451;
constexpr std::int64_t IntervalStepMs = 150;

bool IsRead(std::uint8_t oo) {
  return oo >= opcode::Read1 && oo <= opcode::Read3;
}
bool IsWrite(std::uint8_t oo) {
  return oo >= opcode::Write1 && oo <= opcode::Write3;
}

struct TDisplayUnit {
  const char* Text;
  double Factor; // base value per display unit
  int Decimals;
  bool Velocity;
};

// The display units of the instrument, by their codes 1..11.
constexpr TDisplayUnit DisplayUnits[] = {
    {"Pa", 1.0, 1, false},        {"mbar", 100.0, 3, false},   {"mmHg", 133.322, 3, false},
    {"mmH2O", 9.80665, 2, false}, {"psi", 6894.757, 5, false}, {"inHg", 3386.389, 4, false},
    {"inH2O", 249.089, 3, false}, {"m/s", 1.0, 2, true},       {"km/h", 1 / 3.6, 1, true},
    {"ft/s", 0.3048, 2, true},    {"kn", 0.514444, 2, true}};

} // namespace

TAnalogInstrument::TAnalogInstrument(const TPortSetup& setup) : TInstrument(setup) {
  int count = 0;
  const TRegister* map = RegisterMap(Class(), count);
  for (int i = 0; i < count; ++i) {
    const TRegister& r = map[i];
    if (!HasRegister(&r))
      continue;
    std::int32_t v = r.Factory;
    if (r.Attr & regattr::FactoryPct) {
      std::int32_t min = 0, max = 0;
      Limits(r, min, max);
      v = std::clamp(setup_.RangeMax * r.Factory, min, max);
    } else if (r.Attr & regattr::FromSetup) {
      v = r.Read == reg::Control ? setup_.A109 : setup_.A116;
    }
    stored_.Regs[r.Read] = static_cast<std::uint16_t>(v);
  }
  stored_.ProtCode = setup_.ProtCode;
  working_ = stored_;
  shownUnit_ = Reg(reg::DispUnit);
}

std::int32_t TAnalogInstrument::FamilyCode() const {
  switch (Type()) {
  case 10:
    return 1;
  case 11:
    return 2;
  case 1:
  case 3:
    return 3;
  case 2:
  case 4:
    return 4;
  case 5:
  case 7:
    return 5;
  case 6:
  case 8:
    return 6;
  default:
    return 0;
  }
}

bool TAnalogInstrument::HasRegister(const TRegister* r) const {
  return r != nullptr && (!(r->Attr & regattr::Velocity) || setup_.CapLevel >= 1);
}

bool TAnalogInstrument::Knows(std::uint16_t command) const {
  switch (command) {
  case cmd::Identify:
  case cmd::State:
  case cmd::RangeMax:
  case cmd::RangeMin:
  case cmd::MainFirmware:
  case cmd::SerialLow:
  case cmd::SerialHigh:
  case cmd::OutputKind:
  case cmd::NewCode:
  case cmd::CheckCode:
  case cmd::Store:
  case cmd::Restart:
  case cmd::ZeroStart:
  case cmd::ZeroState:
  case cmd::OutputEnd:
  case cmd::OutputCal:
  case cmd::OutputTest:
    return true;
  case cmd::SensorFirmware:
    return Class() == 1;
  case cmd::HostLevel:
  case cmd::CapLevel:
    // Older firmware knows no capability level.
    return setup_.CapLevel >= 1;
  default:
    break;
  }
  const std::uint8_t oo = static_cast<std::uint8_t>(command >> 8);
  if (IsRead(oo))
    return HasRegister(FindRegister(Class(), command));
  if (IsWrite(oo))
    return HasRegister(FindRegister(Class(), static_cast<std::uint16_t>(command - 0x1000)));
  return false;
}

std::int32_t TAnalogInstrument::Exchange(TransRec& rec, std::int64_t now) {
  Advance(now);
  const std::uint16_t command = static_cast<std::uint16_t>(rec.OO << 8 | rec.CC);
  if (!Knows(command))
    return AnStatusUnknownCommand;
  const TAnswer a = Handle(command, rec.BBAA, now);
  rec.CC = a.CC;
  rec.BBAA = a.BBAA;
  return 0;
}

TAnalogInstrument::TAnswer TAnalogInstrument::Handle(std::uint16_t command, std::uint16_t bbaa,
                                                     std::int64_t now) {
  const TAnswer refused{Locked(now) ? anscc::CodeLocked : anscc::WrongCode, bbaa};
  if (command == cmd::Identify) {
    std::uint16_t id = TypeHasAnalogOutput(Type())
                           ? (setup_.CurrentOutput ? IdCurrentOutput : IdVoltageOutput)
                           : IdRelays;
    if (TypeHasDisplay(Type()))
      id |= IdDisplay;
    return {anscc::Done, id};
  }
  if (command == cmd::State)
    return {Operational(now) ? anscc::Done : anscc::NotOperational, 0};
  if (!Operational(now))
    return {anscc::NotOperational, 0};

  switch (command) {
  case cmd::RangeMax:
    return {0, static_cast<std::uint16_t>(static_cast<std::int16_t>(setup_.RangeMax))};
  case cmd::RangeMin:
    return {0, static_cast<std::uint16_t>(static_cast<std::int16_t>(setup_.RangeMin))};
  case cmd::MainFirmware:
    return {0, static_cast<std::uint16_t>(setup_.MainMajor << 8 | setup_.MainMinor)};
  case cmd::SensorFirmware:
    return {0, static_cast<std::uint16_t>(setup_.SensorMajor << 8 | setup_.SensorMinor)};
  case cmd::SerialLow:
    return {0, static_cast<std::uint16_t>(setup_.SerialNr & 0xFFFF)};
  case cmd::SerialHigh:
    return {0, static_cast<std::uint16_t>(setup_.SerialNr >> 16)};
  case cmd::HostLevel:
    return {0, static_cast<std::uint16_t>(setup_.HostLevel)};
  case cmd::CapLevel:
    return {0, static_cast<std::uint16_t>(setup_.CapLevel)};
  case cmd::OutputKind:
    return {0, static_cast<std::uint16_t>(TypeHasAnalogOutput(Type()) && setup_.CurrentOutput)};
  case cmd::NewCode:
    if (NeedsCode() || Locked(now))
      return refused;
    working_.ProtCode = bbaa;
    unlocked_ = true;
    return {0, bbaa};
  case cmd::CheckCode:
    return CheckCode(bbaa, now);
  case cmd::Store:
    stored_ = working_;
    storeRequested_ = true;
    return {0, 0};
  case cmd::Restart:
    // Measurement starts again with the configuration as it stands; the display takes
    // its unit from now on.
    shownUnit_ = Reg(reg::DispUnit);
    RestartMeasurement(now);
    return {0, 0};
  case cmd::ZeroStart:
    if (NeedsCode())
      return refused;
    if (zeroPending_)
      return {anscc::NotSuccessful, 0};
    if (Class() == 3) {
      // The "Z" models switch their zero valve and settle before they take the zero.
      zeroPending_ = true;
      zeroBusyUntil_ = now + setup_.ZeroBusyMs;
      Tick(now);
    } else {
      working_.Zero = SensorOffset(); // the operator has short-circuited the nozzles
    }
    return {0, 0};
  case cmd::ZeroState: {
    if (!zeroPending_)
      return {0, 0};
    const std::int64_t seconds = (zeroBusyUntil_ - now + 999) / 1000;
    return {0, static_cast<std::uint16_t>(std::clamp<std::int64_t>(seconds, 1, 0xFFFF))};
  }
  case cmd::OutputEnd:
    if (!TypeHasAnalogOutput(Type()))
      return {anscc::NotSuccessful, 0};
    outputMode_ = TOutputMode::Measuring;
    return {0, 0};
  case cmd::OutputCal:
  case cmd::OutputTest:
    if (!TypeHasAnalogOutput(Type()))
      return {anscc::NotSuccessful, 0};
    if (NeedsCode())
      return refused;
    return SetOutput(command == cmd::OutputCal ? TOutputMode::Calibration : TOutputMode::Test,
                     bbaa);
  default:
    break;
  }

  const std::uint8_t oo = static_cast<std::uint8_t>(command >> 8);
  const TRegister* r =
      FindRegister(Class(), IsWrite(oo) ? static_cast<std::uint16_t>(command - 0x1000) : command);
  if (r == nullptr)
    return {anscc::NotSuccessful, 0};
  if (IsRead(oo)) {
    if (r->Kind != TRegKind::Flags)
      return {0, Reg(r->Read)};
    const int sel = bbaa >> 8;
    if (sel == 0 || sel > 15 || !((r->Min >> sel) & 1))
      return {CcBadSelector, bbaa};
    return {0, static_cast<std::uint16_t>(sel << 8 | (Flag(r->Read, sel) ? 1 : 0))};
  }
  if (NeedsCode() && !(r->Attr & regattr::Open))
    return refused;
  return WriteRegister(*r, bbaa);
}

void TAnalogInstrument::Limits(const TRegister& r, std::int32_t& min, std::int32_t& max) const {
  switch (r.Limit) {
  case TRegLimit::Fixed:
    min = r.Min;
    max = r.Max;
    break;
  case TRegLimit::PressRange:
    min = std::max(-32768, setup_.RangeMin * 100);
    max = std::min(32767, setup_.RangeMax * 100);
    break;
  case TRegLimit::PressHys:
    min = 0;
    max = std::min(32767, setup_.RangeMax * 100);
    break;
  }
}

TAnalogInstrument::TAnswer TAnalogInstrument::WriteRegister(const TRegister& r,
                                                            std::uint16_t bbaa) {
  std::uint16_t& stored = working_.Regs[r.Read];
  switch (r.Kind) {
  case TRegKind::FloatHalf:
    stored = bbaa;
    return {0, bbaa};
  case TRegKind::Flags: {
    const int sel = bbaa >> 8;
    if (sel == 0 || sel > 15 || !((r.Min >> sel) & 1))
      return {CcBadSelector, bbaa};
    const std::uint8_t aa = static_cast<std::uint8_t>(bbaa & 0xFF);
    const bool on = aa != 0;
    stored = static_cast<std::uint16_t>(on ? stored | (1u << sel) : stored & ~(1u << sel));
    return {aa > 1 ? anscc::Corrected : anscc::Done,
            static_cast<std::uint16_t>(sel << 8 | (on ? 1 : 0))};
  }
  case TRegKind::SignedWord:
  case TRegKind::Word:
  case TRegKind::Byte:
    break;
  }
  bool corrected = false;
  stored = Permissible(r, bbaa, corrected);
  return {corrected ? anscc::Corrected : anscc::Done, stored};
}

std::uint16_t TAnalogInstrument::Permissible(const TRegister& r, std::uint16_t value,
                                             bool& corrected) const {
  if (r.Kind == TRegKind::Flags || r.Kind == TRegKind::FloatHalf)
    return value;
  const std::int32_t v = r.Kind == TRegKind::SignedWord ? static_cast<std::int16_t>(value)
                                                        : static_cast<std::int32_t>(value);
  std::int32_t min = 0, max = 0;
  Limits(r, min, max);
  corrected = v < min || v > max;
  return static_cast<std::uint16_t>(std::clamp(v, min, max));
}

TAnalogInstrument::TAnswer TAnalogInstrument::CheckCode(std::uint16_t code, std::int64_t now) {
  if (Locked(now))
    return {anscc::CodeLocked, 0};
  if (working_.ProtCode == 0) {
    unlocked_ = true;
    return {0, 0};
  }
  // Code 0 only asks whether a code is set: it is never a valid code and no wrong try.
  if (code == 0)
    return {anscc::WrongCode, 0};
  if (code == working_.ProtCode) {
    unlocked_ = true;
    wrongCodes_ = 0;
    return {0, 0};
  }
  unlocked_ = false;
  if (++wrongCodes_ >= WrongCodesBeforeLock) {
    lockedUntil_ = now + LockMs;
    wrongCodes_ = 0;
  }
  return {anscc::WrongCode, 0};
}

TAnalogInstrument::TAnswer TAnalogInstrument::SetOutput(TOutputMode mode, std::uint16_t setPoint) {
  const bool corrected = setPoint > 10000;
  outputMode_ = mode;
  setPoint_ = std::min<std::uint16_t>(setPoint, 10000);
  return {corrected ? anscc::Corrected : anscc::Done, setPoint_};
}

void TAnalogInstrument::OnPowerUp(std::int64_t) {
  ResetWorking();
  errors_.clear();
  errorEvents_ = 0;
}

void TAnalogInstrument::ResetWorking() {
  working_ = stored_;
  unlocked_ = false;
  zeroPending_ = false;
  outputMode_ = TOutputMode::Measuring;
  shownUnit_ = Reg(reg::DispUnit);
}

TErrRec TAnalogInstrument::LastError() {
  if (errors_.empty())
    return TErrRec{0, 0, 0};
  errors_.front().Reported = true;
  return errors_.front().Rec;
}

void TAnalogInstrument::ClearErrors() {
  if (!errors_.empty() && errors_.front().Reported)
    errors_.pop_front();
}

void TAnalogInstrument::RaiseError(std::uint16_t errNr, std::int64_t now) {
  if (errors_.size() < MaxPendingErrors) {
    errors_.push_back({TErrRec{ErrKindInstrument, 0, errNr}, false});
    ++errorEvents_;
  }
  // The instrument starts up again, with what it had stored.
  Restart(now);
  ResetWorking();
}

int TAnalogInstrument::TakeErrorEvents() {
  return std::exchange(errorEvents_, 0);
}

bool TAnalogInstrument::TakeStoreRequest() {
  return std::exchange(storeRequested_, false);
}

void TAnalogInstrument::Tick(std::int64_t now) {
  if (zeroPending_ && now >= zeroBusyUntil_) {
    // The "Z" models store the zero they have taken themselves.
    zeroPending_ = false;
    working_.Zero = SensorOffset();
    stored_.Zero = working_.Zero;
    storeRequested_ = true;
  }
  const TFaults& f = setup_.Faults;
  if (f.ErrorEventNr >= 0 && !errorEventDone_ && Operational(now) &&
      now >= operationalAt_ + f.ErrorEventAfterMs) {
    errorEventDone_ = true;
    RaiseError(static_cast<std::uint16_t>(f.ErrorEventNr), now);
  }
}

std::int64_t TAnalogInstrument::NextEventAt() const {
  std::int64_t next = TInstrument::NextEventAt();
  const TFaults& f = setup_.Faults;
  if (powered_ && f.ErrorEventNr >= 0 && !errorEventDone_)
    next = std::min(next, operationalAt_ + f.ErrorEventAfterMs);
  return next;
}

std::uint16_t TAnalogInstrument::Reg(std::uint16_t read) const {
  auto it = working_.Regs.find(read);
  return it != working_.Regs.end() ? it->second : 0;
}

double TAnalogInstrument::Gain() const {
  return Reg(Class() == 1 ? reg::GainTransmitter : reg::GainStatic) / 10000.0;
}

double TAnalogInstrument::VelocityC() const {
  const std::uint32_t bits =
      static_cast<std::uint32_t>(Reg(reg::VelocityCHigh)) << 16 | Reg(reg::VelocityCLow);
  float c = 0;
  std::memcpy(&c, &bits, sizeof c);
  return c;
}

std::int64_t TAnalogInstrument::RecordIntervalMs() const {
  if (Class() == 1)
    return std::max<std::int64_t>(1, Reg(reg::Speed)) * IntervalStepMs;
  return std::lround((Reg(reg::OutputRate) + 1) * 1000.0 / StaticRate);
}

double TAnalogInstrument::Measured(std::int64_t t) const {
  double p = SensorSignal(t) - working_.Zero;
  if (Class() == 1)
    p /= HoseFactor(Reg(reg::HoseLength) / 1000.0) *
         DensityFactor(Reg(reg::AtmPress), Reg(reg::Humidity));
  return p * Gain();
}

double TAnalogInstrument::Filtered(std::int64_t now) const {
  auto measured = [this](std::int64_t t) { return Measured(t); };
  if (Class() == 1)
    return MovingAverage(now, std::max<std::int64_t>(1, Reg(reg::Speed)) * IntervalStepMs,
                         std::max<int>(1, Reg(reg::FilterLevel)), measured);
  return LowPass(now, std::max<std::int64_t>(1, RecordIntervalMs()), Reg(reg::FilterLevel),
                 measured);
}

std::int32_t TAnalogInstrument::ReadingCode(std::int64_t now) const {
  const TFaults& f = setup_.Faults;
  if (!Operational(now) || zeroPending_ || !HasRecord())
    return anreading::NoData;
  if (f.NoSignal)
    return anreading::NoSignal;
  if (f.Overflow)
    return anreading::Overflow;
  if (f.Underflow)
    return anreading::Underflow;
  switch (RangeExcess(now)) {
  case 1:
    return anreading::Overflow;
  case -1:
    return anreading::Underflow;
  default:
    return anreading::Valid;
  }
}

std::int32_t TAnalogInstrument::Pressure(std::int64_t now, float& value) const {
  const std::int32_t code = ReadingCode(now);
  if (code == anreading::Valid)
    value = static_cast<float>(Filtered(now));
  return code;
}

std::int32_t TAnalogInstrument::Velocity(std::int64_t now, float& value) const {
  const std::int32_t code = ReadingCode(now);
  if (code != anreading::Valid)
    return code;
  const double p = Filtered(now), c = VelocityC(), n = VelocityN();
  if (!(c > 0) || !std::isfinite(c) || !(n > 0))
    return anreading::Overflow;
  const double v = std::copysign(std::pow(std::fabs(p) / c, 1.0 / n), p);
  if (!std::isfinite(v))
    return anreading::Overflow;
  value = static_cast<float>(v);
  return code;
}

std::int32_t TAnalogInstrument::RecordKind() const {
  return Flag(reg::SerialFlags, reg::SelSerialVelocity) ? reckind::Velocity : reckind::Pressure;
}

bool TAnalogInstrument::Output(std::int64_t now, double& signal, TOutputMode& mode) const {
  if (!TypeHasAnalogOutput(Type()))
    return false;
  mode = outputMode_;
  if (!Operational(now)) {
    signal = 0;
    return true;
  }
  const double z = Flag(reg::OutputFlags, reg::SelLiveZero) ? 4.0 : 0.0;
  double scale = z; // the nominal signal on the scale 0..20
  if (outputMode_ == TOutputMode::Measuring) {
    float x = 0;
    double from = 0, to = 0;
    const bool velocity = OutputRange(from, to);
    const std::int32_t code = velocity ? Velocity(now, x) : Pressure(now, x);
    if (code == anreading::Valid && to != from)
      scale = z + (x - from) / (to - from) * (20.0 - z);
    else if (code == anreading::Overflow)
      scale = 21.0;
    scale = std::clamp(scale, 0.0, 21.0);
  } else {
    scale = z + setPoint_ / 10000.0 * (20.0 - z);
  }
  // The calibration mode drives the output stage without the offset and gain correction.
  if (outputMode_ != TOutputMode::Calibration)
    scale = scale * (Reg(reg::AnGain) / 10000.0) +
            static_cast<std::int16_t>(Reg(reg::AnOffset)) / 10000.0;
  const double physical = scale * setup_.OutputGain + setup_.OutputOffset;
  signal = setup_.CurrentOutput ? physical : physical / 2.0;
  return true;
}

bool TAnalogInstrument::OutputRange(double& from, double& to) const {
  const bool velocity = Flag(reg::OutputFlags, reg::SelOutputVelocity);
  from = velocity ? static_cast<std::int16_t>(Reg(reg::AnVelocityFrom)) / 1000.0
                  : static_cast<std::int16_t>(Reg(reg::AnFrom)) / 100.0;
  to = velocity ? static_cast<std::int16_t>(Reg(reg::AnVelocityTo)) / 1000.0
                : static_cast<std::int16_t>(Reg(reg::AnTo)) / 100.0;
  return velocity;
}

std::string TAnalogInstrument::OutputState(std::int64_t now, std::string& signal) const {
  double value = 0;
  TOutputMode mode = TOutputMode::Measuring;
  if (!Output(now, value, mode))
    return {};
  // A voltage output shows half the numbers of the current scale.
  const double perUnit = setup_.CurrentOutput ? 1.0 : 2.0;
  const std::string unit = setup_.CurrentOutput ? " mA" : " V";
  signal = FixedText(value, 3) + unit;
  if (!Operational(now))
    return "starting up";
  std::string words;
  switch (mode) {
  case TOutputMode::Measuring:
    words = "measuring";
    break;
  case TOutputMode::Calibration:
    words = "calibration " + FixedText(setPoint_ / 100.0, 2) + " % without gain and offset";
    break;
  case TOutputMode::Test:
    words = "test " + FixedText(setPoint_ / 100.0, 2) + " %";
    break;
  }
  double from = 0, to = 0;
  const bool velocity = OutputRange(from, to);
  const double z = Flag(reg::OutputFlags, reg::SelLiveZero) ? 4.0 : 0.0;
  return words + ", " + RealText(from) + ".." + RealText(to) + (velocity ? " m/s" : " Pa") +
         " on " + RealText(z / perUnit) + ".." + RealText(20.0 / perUnit) + unit + ", gain " +
         FixedText(Reg(reg::AnGain) / 10000.0, 4) + ", offset " +
         FixedText(static_cast<std::int16_t>(Reg(reg::AnOffset)) / 10000.0 / perUnit, 4) + unit;
}

std::string TAnalogInstrument::DisplayState() const {
  if (!TypeHasDisplay(Type()))
    return {};
  return "contrast " + std::to_string(Reg(reg::DispContrast)) + ", unit " +
         DisplayUnits[std::clamp<int>(shownUnit_, 1, 11) - 1].Text;
}

bool TAnalogInstrument::Display(std::int64_t now, std::string& text, int& contrast) const {
  if (!TypeHasDisplay(Type()))
    return false;
  contrast = Reg(reg::DispContrast);
  const TDisplayUnit& u = DisplayUnits[std::clamp<int>(shownUnit_, 1, 11) - 1];
  float x = 0;
  const std::int32_t code = u.Velocity ? Velocity(now, x) : Pressure(now, x);
  if (!Operational(now)) {
    text = "----";
    return true;
  }
  if (code == anreading::Overflow || code == anreading::Underflow) {
    text = std::string(code == anreading::Overflow ? "OVER " : "UNDER ") + u.Text;
    return true;
  }
  if (code != anreading::Valid) {
    text = std::string("---- ") + u.Text;
    return true;
  }
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f %s", u.Decimals, x / u.Factor, u.Text);
  text = buf;
  return true;
}

void TAnalogInstrument::Save(TIniSection& section) const {
  section.Set("ProtectionCode", std::to_string(stored_.ProtCode));
  section.Set("Zero", RealText(stored_.Zero));
  for (const auto& [read, value] : stored_.Regs)
    section.Set("R" + HexText(read, 4), HexText(value, 4));
}

void TAnalogInstrument::Load(const TIniSection& section) {
  TMemory m = stored_;
  std::int64_t i = 0;
  double r = 0;
  for (const TIniEntry& e : section.Entries) {
    if (SameText(e.Key, "ProtectionCode") && ReadInt(e.Value, i, 0, 0xFFFF)) {
      m.ProtCode = static_cast<std::uint16_t>(i);
    } else if (SameText(e.Key, "Zero") && ReadReal(e.Value, r) && std::fabs(r) <= MaxSensorOffset) {
      // A zero no calibration could have taken is not the instrument's.
      m.Zero = r;
    } else if (e.Key.size() == 5 && (e.Key[0] == 'R' || e.Key[0] == 'r')) {
      std::int64_t read = 0, value = 0;
      const TRegister* r = nullptr;
      bool corrected = false;
      // The state file is kept within what the instrument accepts.
      if (ReadInt("0x" + e.Key.substr(1), read, 0, 0xFFFF) &&
          ReadInt("0x" + e.Value, value, 0, 0xFFFF) &&
          (r = FindRegister(Class(), static_cast<std::uint16_t>(read))) != nullptr &&
          m.Regs.count(r->Read) != 0)
        m.Regs[r->Read] = Permissible(*r, static_cast<std::uint16_t>(value), corrected);
    }
  }
  stored_ = m;
  working_ = m;
  shownUnit_ = Reg(reg::DispUnit);
}

} // namespace dtool::bench
