#pragma once
// What the settings model and the link layer ask of the main window that owns them.
// The main window implements it; tests pass a small fake.
#include <string>

namespace dtool {

struct TPreferences;

class ISettingsOwner {
public:
  virtual ~ISettingsOwner() = default;
  // The main window's preferences record.
  virtual TPreferences& Prefs() = 0;
  // Shows every setting in its control again.
  virtual void WriteSetToField_() {}
  // Updates the enabling of the commands.
  virtual void RefreshButtons() {}
  // ConfigRead was cleared: the main window forgets the protection code if it is active.
  virtual void ConfigReadCleared() {}
  // Shows the identity panel and the pages of the current instrument type.
  virtual void ShowInstIdentity() {}
  // Reopens the link with the library of the current type's family, on the preferred port.
  virtual void ReopenLink() {}
  // The main window's help context follows the current instrument type.
  virtual void SetHelpContextForType() {}
  // Switches the velocity mode of the controls and the current record on or off.
  virtual void SetVmode(bool /*on*/) {}
  // The COM port could not be opened: shows the Preferences dialog modal, centred on the
  // screen; true when the operator left it with OK (its OK has then reopened the link).
  virtual bool ShowPreferencesForPort() { return false; }
  // Ends the application once the running operation has returned.
  virtual void TerminateApplication() {}
  // The connected instrument needs a newer tool: tells the operator and ends the application.
  virtual void ReportNewerInstrument() {}
  // Checks the remembered protection code with an analog instrument, prompting for it when
  // the instrument refuses it; wrongCodeText is the warning for a code that is wrong again.
  // True when the instrument accepts the code or has none.
  virtual bool CheckProtCode(const std::string& /*wrongCodeText*/) { return false; }
  // The main window's caption text.
  virtual std::string BuildCaption() { return {}; }
  // Refreshes the live reading: a link library reported a new measurement record.
  virtual void ShowLiveReading() {}
  // The link opened or closed a port: the window shows the port in use and its state.
  virtual void LinkStateChanged() {}
};

} // namespace dtool
