#pragma once
// TSession: one conversation with the connected instrument, without any window. It owns the
// settings object, the preferences, the link to the instrument, the protection code the
// operator gave and the serial number a wizard saved, and carries the read and write walks,
// the checks before a change, the protection code, the zero calibration and the transfer logs.
// Messages and yes/no questions reach the operator through the operator port; news and the
// remaining questions go to its view (ISessionView). The main window and the command line are
// its views. Uses the C++ standard library only.
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/paramview.h"
#include "core/records.h"
#include "core/settings.h"
#include "link/instlink.h"
#include "link/linkloader.h"
#include "link/linkowner.h"
#include "session/outcome.h"
#include "session/sessionview.h"
#include "tools/timing.h"

namespace dtool {

// The transfer log's file name; it lies in the program's folder.
inline constexpr const char* LogFileBaseName = "InstLog.txt";

// How the session gets its link: null with err filled when the link libraries cannot be loaded.
using TLinkLoader =
    std::function<std::unique_ptr<TInstLink>(TSettings&, ILinkOwner&, TLinkLoadError&)>;

// Whether a record holds only values the views can show and keep, one check per record; an
// empty check takes every record.
struct TRecordChecks {
  std::function<bool(const TClass1Params&)> Class1;
  std::function<bool(const TClass23Params&)> Class23;
  std::function<bool(const TSwitchParams&)> Switch;
};

// The clock of the zero calibration of the "Z" models, and its pause between two polls.
struct TSessionClock {
  Tstoppuhr::TickSource Ticks;       // empty: the system's tick counter
  std::function<void(int ms)> Pause; // empty: the thread sleeps
};

// What a session is made with; every member may stay empty.
struct TSessionSetup {
  // The transfer log; empty: "InstLog.txt" beside the settings file (GetDataPfad).
  std::string LogFile;
  // Empty: the link libraries in the program's folder.
  TLinkLoader LoadLink;
  TSessionClock Clock;
  // Checked after every read and write of the current record: a value the check refuses fails
  // the transfer. A view that keeps the records in a file passes the file's checks.
  TRecordChecks RecordUsable;
};

// The identity of the current instrument as text, the way the identity panel shows it and the
// transfer log records it.
struct TShownIdentity {
  std::string InstType; // name of the type; empty for none
  std::string Serial;   // empty when the type was set without reading the instrument
  std::string Range;    // "min .. max Pa"; empty as the serial number
};
TShownIdentity ShownIdentity(const TSettings& sett);

// The time now, local, as the transfer logs record it.
std::tm LocalTimeNow();

// The configuration of the connected instrument, read for a comparison (TSession::ReadCopy).
struct TInstrumentCopy {
  std::uint8_t InstType = 0; // the type detected
  std::int32_t CapLevel = 0; // the analog instrument's capability level; 0 for the switch
  TParamRecords Params;      // the record of the type's class holds the instrument's values
};

class TSession {
public:
  // Makes the settings object, with the preferences at zero, and loads the link (see
  // LinkLoadError). The view must outlive the session.
  explicit TSession(ISessionView& view, TSessionSetup setup = {});
  // Closes every port the link holds.
  ~TSession();
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  // ---- What the session owns ----

  TSettings& Settings() { return *sett_; }
  const TSettings& Settings() const { return *sett_; }
  TPreferences& Prefs() { return prefs_; }
  const TPreferences& Prefs() const { return prefs_; }
  // The link; null when the link libraries could not be loaded (LinkLoadError tells why).
  TInstLink* Link() { return link_.get(); }
  const TLinkLoadError& LinkLoadError() const { return loadError_; }
  // The owner of the settings object, for the settings file.
  ISettingsOwner& SettingsOwner();
  // The protection code the operator gave last; 0 when none is known. A view may preset it
  // (a code given on the command line).
  std::int32_t ProtCode() const { return protCode_; }
  void SetProtCode(std::int32_t code) { protCode_ = code; }
  // The serial number remembered by the last BackupAndWrite (or CheckSerialNo(Remember)).
  const std::string& SavedSerialNo() const { return savedSerialNo_; }
  // The last Read or Write succeeded and nothing has been edited since: a printout describes
  // the instrument.
  bool LastTransferSucceeded() const { return lastTransferSucceeded_; }
  // The operator changed a value: the last transfer no longer describes the settings.
  void ConfigurationEdited() { lastTransferSucceeded_ = false; }
  // The transfer log "InstLog.txt".
  const std::string& LogFile() const { return logFile_; }

  // ---- Connection (checks.cpp) ----

  // Opens the preferred port again with the library of the current type's family; offers the
  // Preferences when that fails (see TInstLink::OpenCommunication). True when it opened.
  bool ReopenLink();
  // Detects the connected instrument and makes its type current (0 when none answered). False
  // when the port cannot be opened: the operator is told and the application ends.
  bool DetectInstrument();

  // ---- Read and write (readwrite.cpp) ----

  // Read data: detects the instrument, reads its identity and its whole configuration into
  // the record of its class, shows it, writes the transfer log (analog family) or deletes it
  // (a failed read, the switch). A failed analog read leaves the defaults and no identity.
  TOutcome Read();
  // Write data: after the question for a configuration that was not read and the check of
  // the instrument's class, sends the working record under the protection code, then writes
  // the transfer logs (analog family).
  TOutcome Write(const TWriteOptions& options = {});
  // A wizard's start: reads every value of the instrument into the original-data copy and
  // sends the working value in its place; remembers the serial number. A walk that fails
  // part-way takes the values it tried out of the instrument again.
  TOutcome BackupAndWrite();
  // A wizard's end: sends the original-data copy back to the same instrument.
  TOutcome Restore();
  // Compare with instrument: reads the connected instrument's configuration into copy, which
  // starts as the working records (a parameter the instrument does not have keeps the working
  // value). The instrument must be of the current class. Nothing is written to the
  // instrument, and the working records, the identity, the type, ConfigRead and
  // LastTransferSucceeded stay as they were, whatever the outcome.
  TOutcome ReadCopy(TInstrumentCopy& copy);
  // One parameter from or to the instrument, with the answer's messages; true on success. A
  // written value that the instrument corrected has been read back.
  bool ReadParam(const TParam& field);
  bool WriteParam(const TParam& field);
  // Whether the instrument has the parameter: the velocity parameters of class 1 only with
  // the velocity capability.
  bool IsParamApplicable(const TParam& field) const;

  // ---- Checks (checks.cpp) ----

  // True when the connected instrument belongs to the current class; another type of the same
  // class becomes the current type.
  bool CheckInstrument(TShow show);
  // True when the configuration has been read, or is read now with the operator's consent.
  bool RequireReadData();
  // Reads the serial number and remembers it, or compares it with the one remembered ("Wrong
  // Serial Number! " when it differs). True on success.
  bool CheckSerialNo(TSerialCheck mode);
  // The switch's retry under its protection code: called with r (the last result) and tries
  // (the attempts so far), both 0 at first; true when another attempt with ProtCode is to be
  // made. A locked answer (13) gets one code prompt; a second one the wrong-code warning.
  bool SwitchProtPrompt(std::int32_t& r, int& tries);

  // ---- Protection code (protection.cpp) ----

  // Presents ProtCode to an analog-family instrument. When it is refused, asks for the code
  // (WhenRefused) or shows wrongCodeText (Never); a code refused at the end leaves ProtCode 0.
  // Done when the instrument accepts the code or has none.
  TOutcome CheckProtCode(TPrompt prompt, const std::string& wrongCodeText);
  // Replaces the instrument's code oldCode by newCode (0 removes the protection), for both
  // families. ProtCode becomes oldCode, and 0 when an analog instrument refuses it.
  TOutcome ChangeProtCode(std::int32_t oldCode, std::int32_t newCode);
  // Asks the instrument whether it has a protection code; Done with isProtected filled.
  TOutcome ProtectionState(bool& isProtected);

  // ---- Zero calibration (zerocal.cpp) ----

  // Asks for a read first when needed, asks whether to calibrate, checks the instrument and
  // calibrates its zero; "Z" models are waited for up to 6 s. Success and failure are told.
  TOutcome CalibrateZero();

  // ---- Transfer logs (transferlog.cpp) ----

  // Writes a transfer log at path with the transfer ID and time; false on any error.
  bool WriteLogAt(const std::string& path, const std::string& transferId,
                  const std::tm& time) const;

  // Tests only: as if the last transfer had succeeded or failed.
  void SetLastTransferForTest(bool succeeded) { lastTransferSucceeded_ = succeeded; }

private:
  // What the settings object and the link ask of their owner, answered by the session.
  class TOwner : public ILinkOwner {
  public:
    explicit TOwner(TSession& session) : s_(session) {}
    TPreferences& Prefs() override;
    void WriteSetToField_() override;
    void RefreshButtons() override;
    void ConfigReadCleared() override;
    void ShowInstIdentity() override;
    void ReopenLink() override;
    void SetHelpContextForType() override;
    void SetVmode(bool on) override;
    void ShowLiveReading() override;
    void LinkStateChanged() override;
    bool ShowPreferencesForPort() override;
    void TerminateApplication() override;
    void ReportNewerInstrument() override;
    bool CheckProtCode(const std::string& wrongCodeText) override;
    std::string BuildCaption() override;

  private:
    TSession& s_;
  };

  // Read walks.
  TOutcome ReadParamsWalk(bool class23);
  TOutcome ReadSwitchConfig();
  // The parameter walk of a write in its mode. reached, when given, gets the parameters the
  // instrument took before a position failed, in the walk's order; it stays empty when the
  // walk went to its end.
  TOutcome WriteAllParams(TWriteMode mode, std::vector<TParam>* reached = nullptr);
  TOutcome WriteAnalog(const TWriteOptions& options, const std::tm& time);
  TOutcome WriteSwitch(const TWriteOptions& options);
  // Writes the copies of the first positions of the transfer order back and restarts the
  // instrument's measurement; true on success.
  bool RollBackTrialValues(bool class23, int positions);
  bool CurrentRecordUsable() const;
  bool SwitchRecordUsable(const TSwitchParams& rec) const;
  // The checks with their outcome.
  TOutcome ReadFirst();
  TOutcome SerialCheck(TSerialCheck mode);
  // The outcome of a switch operation that SwitchProtPrompt drove.
  static TOutcome SwitchOutcome(std::int32_t r, int tries);
  // The analog and the switch zero calibration, after the question and the check.
  TOutcome CalibrateAnalogZero();
  TOutcome CalibrateSwitchZero();
  // "InstLog.txt": written with "ReadLog" or "WriteLog" (the operator is told when that
  // fails), or deleted.
  void WriteTransferLog(bool write, const std::tm& time);
  void DeleteLogFile() const;

  ISessionView& view_;
  TOwner owner_;
  TSessionClock clock_;
  TRecordChecks recordUsable_;
  std::string logFile_;
  TPreferences prefs_{};
  std::unique_ptr<TSettings> sett_;
  TLinkLoadError loadError_;
  // Made after the settings object and gone before it: it works on the settings.
  std::unique_ptr<TInstLink> link_;
  std::int32_t protCode_ = 0;
  std::string savedSerialNo_;
  bool lastTransferSucceeded_ = false;
};

} // namespace dtool
