#pragma once
// TTrialWizard: what the hose length / velocity constant wizard and the gain wizard share. The
// operator tries values of one parameter while watching the main window's live reading. An
// analog instrument gets each finished value at once: its own values are saved when the wizard
// opens and written back whenever it closes. The switch is computed with a trial copy of its
// record and the settings change only on OK. The result goes into one main window edit.
#include <QString>

#include <optional>

#include "ui/dialogs/dialogbase.h"
#include "ui/dialogs/dialoghost.h"

class QShowEvent;

namespace dtool {

class TEditReal;

class TTrialWizard : public TDialogBase {
  Q_OBJECT
public:
  TTrialWizard(IDialogHost& host, const QString& objectName);

protected:
  // The edit with the value tried, and the main window's edit that receives the result.
  virtual TEditReal* TrialEdit() const = 0;
  virtual THostField Target() const = 0;
  // Tries a value that is a number, in the unit shown, on the instrument or in the trial
  // record. False when the value is refused (the operator has been told).
  virtual bool Try(double value) = 0;

  // Saves the instrument's own values and loads the working ones into it (analog family), or
  // makes the switch's trial record (after reading the configuration when needed). False when
  // the wizard is not to open.
  bool Prepare();
  // Tries the starting value, then shows the window modally; true when it closed with OK.
  bool Run();
  // Finished input (Enter, a step, leaving the edit): the value is tried unless it is the one
  // tried last; the live reading follows either way.
  void FinishInput();
  // The edit's DataInput: its text shown in its format (or its last value back), then tried.
  void DataInput(TEditReal* sender);
  // OK: the edit's value is tried and handed to the main window (analog family) or the trial
  // record becomes the settings (switch). Text that is no number, or a value the main window
  // refuses, keeps the window open.
  void OkBtnClick();

  void CloseWork(int result) override;
  void showEvent(QShowEvent* event) override;

  IDialogHost& host_;
  // The instrument is of the analog family: values are tried on it.
  bool analog_ = false;

private:
  // Tries the edit's value and refreshes the live reading. False when the text is no number
  // or the value was refused.
  bool TryValue();

  // The instrument carries trial values until the close writes its own back.
  bool restorePending_ = false;
  // The value of the edit (in the unit shown) that was tried last.
  std::optional<double> tried_;
};

} // namespace dtool
