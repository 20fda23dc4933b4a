#pragma once
// What the link to the instrument asks of the object that owns it: the settings owner's
// preferences and news, two news of its own, and the decisions it cannot take itself. The
// decisions are pure virtual, so that every owner (the instrument session, a test) decides
// each of them and none inherits a silent "no".
#include <string>

#include "core/settingsowner.h"

namespace dtool {

class ILinkOwner : public ISettingsOwner {
public:
  // ---- News ----

  // A link library reported a new measurement record: the live reading is due.
  virtual void ShowLiveReading() {}
  // The link opened or closed a port (StatePort, PortState).
  virtual void LinkStateChanged() {}

  // ---- Decisions ----

  // The preferred COM port could not be opened at start: offers the operator another one.
  // True when the operator chose one and it has been opened.
  virtual bool ShowPreferencesForPort() = 0;
  // Ends the application once the running operation has returned.
  virtual void TerminateApplication() = 0;
  // The connected instrument needs a newer tool: tells the operator; the application ends.
  virtual void ReportNewerInstrument() = 0;
  // Presents the remembered protection code to an analog instrument, asking for it when the
  // instrument refuses it; wrongCodeText is the warning for a code that is wrong again. True
  // when the instrument accepts the code or has none.
  virtual bool CheckProtCode(const std::string& wrongCodeText) = 0;
  // The caption of the main view, which the firmware message names.
  virtual std::string BuildCaption() = 0;
};

} // namespace dtool
