#pragma once
// The words of the instrument session that its views share: how an operation ended, and the
// named choices its operations take. A light header: views and dialogs include it without the
// session.
#include <cstdint>
#include <string>

namespace dtool {

// How an operation of the session ended. Every failure has already been told to the operator
// through the operator port; the outcome says what kind of failure it was, for a view that
// decides what comes next (an exit code, a dialog that stays open). bool means "succeeded"
// everywhere else in the session.
enum class TOutcome : std::uint8_t {
  Done,
  Declined,        // the operator said No or Cancel
  NoInstrument,    // nothing answered, no instrument type, or an instrument of another class
  PortUnavailable, // the COM port cannot be opened
  WrongCode,       // the instrument refused the protection code
  Locked,          // the instrument has locked itself after repeated wrong codes
  WrongInstrument, // another instrument than the one whose values were saved
  Failed,          // the instrument or its link library refused or did not answer
  Unusable,        // an answer the tool cannot show or keep
  NoLink,          // the link libraries are not loaded
};

// The outcome in a few words, for a command line and for logs.
std::string OutcomeText(TOutcome outcome);

// Whether a check tells the operator why it failed.
enum class TShow : bool { Silent, Messages };

// How the serial number of the connected instrument is used: remembered, or compared with the
// one remembered.
enum class TSerialCheck : bool { Remember, Compare };

// Whether a refused protection code makes the session ask the operator for the code.
enum class TPrompt : bool { Never, WhenRefused };

// How the parameter walk of a write moves the values.
enum TWriteMode {
  wmWrite = 0,          // Write data: send the working record
  wmBackupAndWrite = 1, // start of a wizard: read each value into the copy, send the working one
  wmRestore = 2,        // end of a wizard: send the copy back
};

// What Write does besides the transfer. The main window fills it from its command line.
struct TWriteOptions {
  // Ask "Overwrite?" before writing a configuration that was not read from the instrument.
  bool AskOverwrite = true;
  // Tell the operator "Transfer was successful!".
  bool ReportSuccess = true;
  // After an analog-family write that failed part-way, warn that the instrument holds the
  // parameters written before the failure, unstored, and name them. A view that reads the
  // instrument back and names what changed itself turns it off.
  bool ReportPartialWrite = true;
  // End the application after a successful write to an analog-family instrument.
  bool EndAfterAnalogWrite = false;
  // A second transfer log after a successful analog-family write, at this path (empty: none)
  // with this transfer ID.
  std::string ExtraLogPath;
  std::string ExtraLogId;
};

// The warning of the operations that need the protection code, when it is wrong.
inline constexpr const char* WrongProtCodeText =
    "The \"protection code\" you have entered is wrong. \rTherefore it is impossible to perform "
    "this operation! ";
// The warning of a code change with a wrong old code.
inline constexpr const char* InvalidOldCodeText = "You have entered an invalid \"Old code\"! ";
// How many wrong codes an instrument takes before it locks itself.
inline constexpr int WrongProtCodesBeforeLock = 10;
// The warning of an instrument that has locked itself after wrong codes.
std::string ProtLockedText();

} // namespace dtool
