#pragma once
// An emulated instrument of the analog family (types 1..8, 10, 11): identity, readiness,
// configuration registers with their permissible values, protection code and lock-out,
// control registers, zero calibration, analog output, display, live readings and errors.
#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "bench/analogregs.h"
#include "bench/inifile.h"
#include "bench/instrument.h"
#include "link/analoglink.h"

namespace dtool::bench {

// Commands outside the register maps.
namespace cmd {
inline constexpr std::uint16_t Identify = 0xF001, State = 0xA100, RangeMax = 0xA101,
                               RangeMin = 0xA102, MainFirmware = 0xA103, SensorFirmware = 0xA104,
                               SerialLow = 0xA107, SerialHigh = 0xA108, HostLevel = 0xA114,
                               CapLevel = 0xA115, OutputKind = 0xA303, NewCode = 0xB10A,
                               CheckCode = 0xB10B, Store = 0xB10C, Restart = 0xB10D,
                               ZeroStart = 0xB2FF, ZeroState = 0xA2FF, OutputEnd = 0xB306,
                               OutputCal = 0xB307, OutputTest = 0xB308;
}

// Instrument status codes of the bench beyond those the tool knows by name.
inline constexpr std::uint8_t CcBadSelector = 2; // a flag register got an unknown selector

// How many instrument errors wait to be reported; further ones are lost.
inline constexpr std::size_t MaxPendingErrors = 16;

// How many wrong codes the instrument takes before it locks itself, and for how long.
inline constexpr int WrongCodesBeforeLock = 10;
inline constexpr std::int64_t LockMs = 3600 * 1000;

// The output: what drives it, and the signal in mA (current output) or V (voltage output).
enum class TOutputMode : std::int32_t { Measuring = 0, Calibration = 1, Test = 2 };

class TAnalogInstrument : public TInstrument {
public:
  explicit TAnalogInstrument(const TPortSetup& setup);

  // The library's family code of the type (GetInstType).
  std::int32_t FamilyCode() const;

  // One command: 0 with the answer written over rec, or AnStatusUnknownCommand.
  std::int32_t Exchange(TransRec& rec, std::int64_t now);

  // Live readings with their reading codes.
  std::int32_t Pressure(std::int64_t now, float& value) const;
  std::int32_t Velocity(std::int64_t now, float& value) const;
  // Kind of the measurement records: velocity when the serial output carries velocity.
  std::int32_t RecordKind() const;

  // Instrument errors wait in order: GetLastError reports the oldest, ClrErrors clears the
  // one reported, and an error that comes meanwhile is reported after it, with an event of
  // its own.
  TErrRec LastError();
  void ClearErrors();
  void RaiseError(std::uint16_t errNr, std::int64_t now);
  // The error events since the last call.
  int TakeErrorEvents();

  // The port was closed: a protection code presented is forgotten.
  void PortClosed() { unlocked_ = false; }

  // The configuration to be stored (the command B10C) since the last call.
  bool TakeStoreRequest();
  // The stored configuration, for the state file, and back.
  void Save(TIniSection& section) const;
  void Load(const TIniSection& section);

  bool Output(std::int64_t now, double& signal, TOutputMode& mode) const;
  bool Display(std::int64_t now, std::string& text, int& contrast) const;
  // The display's contrast and unit in words; empty for a type without a display.
  std::string DisplayState() const;
  // What drives the output and how it is set up, in words, and the signal now; empty for a
  // type without an output. The words change only when the mode or the set-up does.
  std::string OutputState(std::int64_t now, std::string& signal) const;

  std::int64_t NextEventAt() const override;

protected:
  std::int64_t RecordIntervalMs() const override;
  void OnPowerUp(std::int64_t now) override;
  void Tick(std::int64_t now) override;

private:
  struct TAnswer {
    std::uint8_t CC = 0;
    std::uint16_t BBAA = 0;
  };
  // What the instrument keeps in non-volatile memory and works with.
  struct TMemory {
    std::map<std::uint16_t, std::uint16_t> Regs;
    std::uint16_t ProtCode = 0;
    double Zero = 0;
  };

  bool Knows(std::uint16_t command) const;
  bool HasRegister(const TRegister* r) const;
  TAnswer Handle(std::uint16_t command, std::uint16_t bbaa, std::int64_t now);
  TAnswer WriteRegister(const TRegister& r, std::uint16_t bbaa);
  void Limits(const TRegister& r, std::int32_t& min, std::int32_t& max) const;
  // The value limited to what the register may hold; corrected tells whether it was.
  std::uint16_t Permissible(const TRegister& r, std::uint16_t value, bool& corrected) const;
  TAnswer CheckCode(std::uint16_t code, std::int64_t now);
  TAnswer SetOutput(TOutputMode mode, std::uint16_t setPoint);
  // Back to the stored configuration, as after a start-up.
  void ResetWorking();

  std::uint16_t Reg(std::uint16_t read) const;
  bool Flag(std::uint16_t read, int selector) const { return (Reg(read) >> selector) & 1; }
  double Gain() const;
  double VelocityC() const;
  double VelocityN() const { return Reg(reg::VelocityN) / 10000.0; }
  // What the output maps onto its signal: pressure (Pa) or velocity (m/s), from and to.
  bool OutputRange(double& from, double& to) const;
  double Measured(std::int64_t t) const;
  double Filtered(std::int64_t now) const;
  std::int32_t ReadingCode(std::int64_t now) const;
  bool Locked(std::int64_t now) const { return now < lockedUntil_; }
  bool NeedsCode() const { return working_.ProtCode != 0 && !unlocked_; }

  TMemory working_;
  TMemory stored_;
  bool storeRequested_ = false;
  bool unlocked_ = false;
  int wrongCodes_ = 0;
  std::int64_t lockedUntil_ = 0;
  std::int64_t zeroBusyUntil_ = 0;
  bool zeroPending_ = false;
  TOutputMode outputMode_ = TOutputMode::Measuring;
  std::uint16_t setPoint_ = 0;
  std::uint16_t shownUnit_ = 1; // the display unit in use since the last restart
  struct TPendingError {
    TErrRec Rec;
    bool Reported; // by GetLastError
  };
  std::deque<TPendingError> errors_;
  int errorEvents_ = 0;
  bool errorEventDone_ = false;
};

} // namespace dtool::bench
