#pragma once
// TGainForm: the gain wizard. The operator tries values of the sensor gain while watching the
// main window's live reading: an analog instrument gets each value at once (its own values
// are saved first and written back when the wizard closes); the switch reads with a trial copy
// of its record. The result goes into the main window's gain edit only.
#include <optional>

#include "core/paramtable.h"
#include "ui/dialogs/dialogbase.h"
#include "ui/dialogs/dialoghost.h"

class QLabel;
class QPushButton;
class QShowEvent;

namespace dtool {

class TEditReal;

class TGainForm : public TDialogBase {
  Q_OBJECT
public:
  // Created hidden with the main window, which owns it.
  explicit TGainForm(IDialogHost& host);

  // Prepares the instrument (or the switch's trial record) and shows the window modally.
  // True when it closed with OK.
  bool Execute();
  // The main window's edit that receives the result: the static models' gain edit for
  // types 1 to 8, else the environment page's.
  THostField GainTarget() const;
  // Shows the wizard's own gain in GainSensEd again, without trying it.
  void RefreshGainSensEd();

  // Handlers.
  void GainSensEdChange(TEditReal* sender);
  void GainSensEdDataInput(TEditReal* sender);
  void FGainBtnClick();
  void OkBtnClick();
  void HelpBtnClick();

  QLabel* GainSensLb;
  TEditReal* GainSensEd;
  QPushButton* FGainBtn;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

protected:
  void CloseWork(int result) override;
  void showEvent(QShowEvent* event) override;

private:
  void FormActivate();
  // Finished input: tries the edit's value unless it is the one tried last; the live reading
  // follows.
  void FinishInput();
  // Tries the edit's value on the instrument or in the trial record, then refreshes the live
  // reading. False when the text is no number (the operator has been told).
  bool TryValue();
  // Help context of the window: by the current instrument class.
  int WindowHelpContext() const;

  IDialogHost& host_;
  TGainValues values_;
  bool analog_ = false;
  // The instrument carries trial values until the close writes its own back.
  bool restorePending_ = false;
  // The value of GainSensEd that was tried last.
  std::optional<double> tried_;
};

} // namespace dtool
