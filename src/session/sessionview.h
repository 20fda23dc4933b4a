#pragma once
// ISessionView: what the instrument session asks of the view that shows it (the main window, a
// command line). Messages and yes/no questions go through the operator port; this interface
// carries the news a view shows and the few questions that need more than a yes or a no.
#include <cstdint>
#include <string>

namespace dtool {

class ISessionView {
public:
  virtual ~ISessionView() = default;

  // ---- News: nothing is answered, and a view that ignores one loses nothing ----

  // Every setting is to be shown again (the records changed).
  virtual void ConfigurationChanged() {}
  // The identity of the instrument and the current type are to be shown again.
  virtual void IdentityChanged() {}
  // Which commands are possible may have changed (the type, ConfigRead).
  virtual void CommandsChanged() {}
  // The help context follows the current instrument type.
  virtual void HelpContextChanged() {}
  // The velocity mode is switched on or off (a new type without the capability, the
  // defaults): the view switches its controls and sets the current record's display unit.
  virtual void VelocityModeSwitched(bool /*on*/) {}
  // A link library reported a new measurement record: the live reading is due.
  virtual void LiveReadingDue() {}
  // The link opened or closed a port.
  virtual void LinkStateChanged() {}
  // The session is in the middle of a longer conversation with the instrument: a view that
  // polls the instrument waits a full interval from now.
  virtual void InstrumentBusy() {}
  // The switch's configuration was read: for a few seconds it may report no data.
  virtual void SwitchConfigRead() {}
  // A "Z" model is still busy with its zero: sent before each pause between two polls, with
  // the time waited so far and the time after which the calibration gives up.
  virtual void ZeroCalWaiting(int /*elapsedMs*/, int /*limitMs*/) {}
  // The wait for the "Z" model's zero is over, whether it succeeded or not.
  virtual void ZeroCalWaitEnded() {}

  // ---- Questions: every view decides each of them ----

  // Asks the operator for a protection code under the caption and label given. True when the
  // operator confirmed; code is written only then, and only with a number from 1 to 65535.
  virtual bool AskProtCode(std::int32_t& code, const std::string& caption,
                           const std::string& label) = 0;
  // The preferred COM port could not be opened at start: offers another one. True when the
  // operator chose one and it has been opened.
  virtual bool ShowPreferencesForPort() = 0;
  // The connected instrument needs a newer tool: tells the operator and ends the application.
  virtual void ReportNewerInstrument() = 0;
  // Ends the application once the running operation has returned.
  virtual void EndApplication() = 0;
  // Whether the operator works in the view itself right now (no dialog of it in front). A
  // configuration lost then makes the session forget the protection code.
  virtual bool OperatorAtView() = 0;
  // The view's caption, which the message of a too old firmware names.
  virtual std::string Caption() = 0;
};

} // namespace dtool
