#pragma once
// The connection to the instrument: opening and closing the COM ports with the link library
// of the current type's family, detection of the connected instrument, the exchange of single
// configuration values with their answer check, the identity and readiness checks, and the
// small commands other operations send by name. The link callbacks run here, on the thread of
// the link dispatcher (the user-interface thread).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "link/analoglink.h"
#include "link/linkloader.h"
#include "link/linkowner.h"
#include "link/switchlink.h"

namespace dtool {

// The lowest main-controller firmware accepted from instruments of types other than 1..8.
inline constexpr const char* MinFirmware = "00.10";
// The value register A116 must hold, and the output rate it gives.
inline constexpr std::uint16_t A116Value = 4;
inline constexpr double A116BaseRate = 20.3451;
// The serial number of an instrument that has none.
inline constexpr std::uint32_t NoSerialNr = 0xFFFFFFFF;

// Status reported, like a link library's error number, when a library or an instrument
// answers with something the tool cannot use (a family code it does not know, a display-unit
// code outside the table) or a stored value cannot be sent: the operation fails.
inline constexpr std::int32_t StatusUnusable = 1000;
// Most ports CloseAllPorts closes per library, should a library never answer 5.
inline constexpr std::int32_t CloseAllPortsBound = 64;
// Most lengths a moving-average filter list offers; bounds further apart are unusable.
inline constexpr std::int32_t MaxMovAverLengths = 1000;

// States of ProtState.
namespace protstate {
inline constexpr int Accepted = 0; // code accepted, or no protection
inline constexpr int Failure = 1;  // no answer or an unexpected one (message already shown)
inline constexpr int Wrong = 2;
inline constexpr int Locked = 3; // after repeated wrong codes
} // namespace protstate

// States of GetInstState.
namespace inststate {
inline constexpr int NoCommunication = 0, NotOperational = 1, Operational = 2;
}

// What SwitchRangeCheck found.
enum class TRangeCheck {
  InRange,    // every value within the library's bounds
  Corrected,  // values were limited to the bounds (the operator has been warned)
  NotChecked, // the library refused a bound (the operator has been told)
};

// What holds the port in use, as the last opening or closing left it.
enum class TPortState {
  Closed,      // no port opened yet, or all closed
  Analog,      // open with the analog library (DDatDll)
  Switch,      // open with the switch library (DSwitch)
  Unavailable, // the last opening failed
};

// Results of SendCmd.
namespace sendresult {
inline constexpr std::int32_t Ok = 0, Unknown = 1, Failed = -1;
}

class TInstLink {
public:
  // Works with the function tables of two loaded link libraries, which must stay loaded while
  // this object lives. Installs the record and error handlers of the link callbacks; the
  // owner sets the dispatcher (SetLinkDispatcher) that brings them to its thread.
  TInstLink(TSettings& sett, ILinkOwner& owner, const TAnalogLinkApi& analog,
            const TSwitchLinkApi& sw);
  // Loads both libraries from the folder (the program's folder when empty) and keeps them;
  // null with err filled when a file or a function is missing.
  static std::unique_ptr<TInstLink> Load(TSettings& sett, ILinkOwner& owner,
                                         const std::string& folder, TLinkLoadError& err);
  // Removes the handlers of the link callbacks, unless a later TInstLink has installed its own.
  ~TInstLink();
  TInstLink(const TInstLink&) = delete;
  TInstLink& operator=(const TInstLink&) = delete;

  // The function tables, for the live reading and the switch configuration transfer.
  const TAnalogLinkApi& Analog() const { return an_; }
  const TSwitchLinkApi& Switch() const { return sw_; }
  // The port of every link call: TPreferences.ComPort.
  std::int32_t Port() const;
  TSettings& Settings() const { return sett_; }

  // --- Connection and detection ---

  // Opens the port with the switch library (unless open), registers the record callback and
  // sets the moving-average filter; returns the first failing status, else 0.
  std::int32_t OpenSwitchKommunikation(std::int32_t port);
  // Opens the port with the analog library and registers both callbacks.
  std::int32_t OpenAnKommunikation(std::int32_t port);
  // Closes every port of the analog library, then of the switch library.
  void CloseAllPorts();
  // Whether the current family's library holds the port.
  bool IsCommOpen(std::int32_t port);
  // Closes every port and opens the port with the current family's library, without telling
  // the operator anything; true when it opened.
  bool OpenPort(std::int32_t port);
  // Opens the port (TPreferences.ComPort unless fromPreferences) with the current family's
  // library; offers the Preferences dialog when that fails and ends the application when the
  // operator cancels it at start. A port chosen in the Preferences that cannot be opened
  // leaves the preferred port open again, so that the live reading and the commands go on
  // with it. True when the first attempt opened the port.
  bool OpenCommunication(bool fromPreferences, std::int32_t port);
  // The port of the last opening and what it left; the owner hears of every change
  // (LinkStateChanged).
  std::int32_t StatePort() const { return statePort_; }
  TPortState PortState() const { return portState_; }
  // Detect the connected instrument on TPreferences.ComPort: its type, 0 for none. status is
  // 0 when the libraries answered, else the failing status (1: port cannot be opened).
  std::uint8_t DetectAnInst(std::int32_t& status);
  std::uint8_t DetectSwitchInst(std::int32_t& status);
  // The current type's family first, the other one when nothing answered there.
  std::uint8_t DetectAnyInst(std::int32_t& status);

  // The link callbacks' work, run on the dispatcher's thread: a new measurement record, and
  // an instrument error on the port.
  void RecEventProc(std::int32_t unused);
  void ErrEventProc(std::int32_t port);

  // --- Configuration transfer (analog family) ---

  // Sends one command; 0 success, 1 the instrument does not know it (accepted with
  // tolerateUnknown; the answer is then the request's OO with cc and bbaa 0), -1 failure.
  std::int32_t SendCmd(TransRec& rec, bool show, bool tolerateUnknown);
  // SendCmd without tolerating an unknown command; true on success.
  bool ExecCmd(TransRec& rec, bool show);
  // Moves one parameter between its field and the instrument; returns the link status, the
  // answer is left in rec. A written value that had to be limited answers with cc 1.
  std::int32_t TransferParam(TransRec& rec, const TParam& param, bool write);
  // Writes a parameter; a value the instrument corrected or refused is read back at once and
  // the controls are refreshed.
  std::int32_t WriteInstParam(TransRec& rec, const TParam& param);
  std::int32_t ReadInstParam(TransRec& rec, const TParam& param);
  // Judges the answer of an exchange and shows its messages; true on FAILURE. Without a
  // parameter the request as sent (sent) must be given.
  bool CheckRWInst(std::int32_t result, const TransRec& answer, bool show, const TransRec* sent,
                   bool write, const TParam* param);

  // --- Switch record ---

  // The shortest and longest moving-average filter of the switch library (GetIConst 9 and
  // 10). Returns the library's status, or StatusUnusable for bounds that give no list of
  // lengths (the longest below the shortest, or more than MaxMovAverLengths lengths); 0 when
  // both were filled.
  std::int32_t MovAverBounds(std::int32_t& shortest, std::int32_t& longest);
  // Brings TPreferences.MovAverFilt to the nearest of the switch library's bounds when it lies
  // outside them: the library refuses such a length, and every opening of the switch port
  // would fail. Nothing changes while the bounds are unavailable.
  void LimitMovAverFilt();

  // Limits the switch record's values to the library's bounds, warning for each correction.
  // A bound the library refuses shows its error and ends the check: values corrected before
  // it stay corrected.
  TRangeCheck SwitchRangeCheck(TSwitchParams& rec);
  // A bound of the switch library (GetFConst), widened into value; returns the library's
  // status, 0 when value was filled.
  std::int32_t GetFConstDs(std::int32_t id, double& value);

  // --- Identity and readiness ---

  // Reads the identity of the connected instrument of the current type into TInstInfo. With
  // strict, an instrument that needs a newer tool fails the read.
  bool ReadInstInfo(bool show, bool strict);
  TInstInfo GetInstInfo() const { return sett_.InstInfo; }
  // Serial number as seven digits (empty: the instrument has none); true on success.
  bool ReadSerialNr(bool show, std::string& text);
  // Firmware version of the main controller (A103) or the sensor controller (A104).
  bool ReadFirmware(bool show, bool mainController, std::string& text);
  // inststate: 0 no communication, 1 not operational yet, 2 operational.
  int GetInstState();
  // Operational and, for types other than 1..8, firmware recent enough; shows why not.
  bool InstrumentReady();
  // Control registers A109 and A116, corrected with the operator's consent.
  bool CheckA109();
  bool CheckA116();
  // CheckA109, and CheckA116 for the static models.
  bool CheckOoCc();
  // Presents a protection code (B10B): a protstate value.
  int ProtState(bool show, std::int32_t code);
  // Sets a new protection code (B10A, 0..65535).
  bool WriteProtCode(bool show, std::int32_t code);
  // Stores the configuration (B10C); restarts with it (B10D).
  bool SendB10C(bool show);
  bool SendB10D(bool show);
  // Returns the analog output to measuring (B306).
  bool EndOutput(bool show);
  // Drives the analog output to percent of its range: test (B308) or calibration (B307).
  bool CalOutput(bool show, bool test, double percent);

private:
  struct TOwnedLibs;
  TInstLink(TSettings& sett, ILinkOwner& owner, std::unique_ptr<TOwnedLibs> libs);

  // SendCmd that also tells the link status of the exchange.
  std::int32_t Exchange(TransRec& rec, bool show, bool tolerateUnknown, std::int32_t& status);
  bool ReadAnalogInfo(bool show, bool strict);
  bool ReadSwitchInfo();
  // Asks whether to correct a control register; writes it after the code check.
  bool CorrectRegister(const std::string& question, TransRec write);
  bool SendPlain(std::uint16_t oocc, std::uint16_t bbaa, bool show);
  void SetPortState(std::int32_t port, TPortState state);
  // Shows the instrument errors of the port, one box each, until the record holds no new
  // one, then clears them; nothing when the record cannot be read.
  void ShowInstrumentErrors(std::int32_t port);

  TSettings& sett_;
  ILinkOwner& owner_;
  std::unique_ptr<TOwnedLibs> libs_;
  TAnalogLinkApi an_;
  TSwitchLinkApi sw_;
  std::int32_t statePort_ = 0;
  TPortState portState_ = TPortState::Closed;
  // ErrEventProc: an error box is open; the ports whose error events wait for it.
  bool showingErrors_ = false;
  std::vector<std::int32_t> errorPorts_;
};

} // namespace dtool
