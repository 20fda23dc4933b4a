#pragma once
// TGainForm: the gain wizard. The operator tries values of the sensor gain while watching the
// main window's live reading: an analog instrument gets each value at once (its own values
// are saved first and written back when the wizard closes); the switch reads with a trial copy
// of its record. The result goes into the main window's gain edit only.
#include "core/paramtable.h"
#include "ui/dialogs/trialwizard.h"

class QLabel;
class QPushButton;

namespace dtool {

class TEditReal;

class TGainForm : public TTrialWizard {
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
  void GainSensEdDataInput(TEditReal* sender) { DataInput(sender); }
  void FGainBtnClick();
  void OkBtnClick() { TTrialWizard::OkBtnClick(); }
  void HelpBtnClick();

  QLabel* GainSensLb;
  TEditReal* GainSensEd;
  QPushButton* FGainBtn;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

protected:
  TEditReal* TrialEdit() const override { return GainSensEd; }
  THostField Target() const override { return GainTarget(); }
  bool Try(double value) override;

private:
  // Help context of the window: by the current instrument class.
  int WindowHelpContext() const;

  TGainValues values_;
};

} // namespace dtool
