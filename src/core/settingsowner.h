#pragma once
// What the settings model asks of the object that owns it: the preferences record, and news of
// changes that its views show. The instrument session owns the settings object; tests pass a
// small fake.
#include <string>

namespace dtool {

struct TPreferences;

class ISettingsOwner {
public:
  virtual ~ISettingsOwner() = default;
  // The preferences record the settings belong with.
  virtual TPreferences& Prefs() = 0;

  // ---- News: nothing is answered, and an owner that ignores one loses nothing ----

  // Every setting is to be shown in its control again.
  virtual void WriteSetToField_() {}
  // The enabling of the commands is to be updated.
  virtual void RefreshButtons() {}
  // ConfigRead was cleared: the protection code is forgotten while the operator works in the
  // main view.
  virtual void ConfigReadCleared() {}
  // The identity panel and the pages of the current instrument type are to be shown again.
  virtual void ShowInstIdentity() {}
  // The current type's family changed: the link is to be opened with its library.
  virtual void ReopenLink() {}
  // The help context follows the current instrument type.
  virtual void SetHelpContextForType() {}
  // Switches the velocity mode of the controls and the current record on or off.
  virtual void SetVmode(bool /*on*/) {}
};

} // namespace dtool
