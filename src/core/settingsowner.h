#pragma once
// What the settings model and the link layer ask of the main window that owns them.
// The main window implements it; tests pass a small fake.

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
};

} // namespace dtool
