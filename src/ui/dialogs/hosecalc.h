#pragma once
// THoseCalcForm: the hose length and velocity constant wizard. The operator tries values of
// the standard hose length or of the velocity constant C while watching the main window's live
// reading: an analog instrument gets each value at once (its own values are saved first and
// written back when the wizard closes); the switch reads with a trial copy of its record. The
// result goes into the main window's edit only.
#include "core/paramtable.h"
#include "ui/dialogs/trialwizard.h"

class QLabel;
class QPushButton;

namespace dtool {

class TEditReal;

// The parameter the wizard serves.
inline constexpr int pkHoseLength = 0;      // Hose_length, from HoseLenEd
inline constexpr int pkVelocityC = 1;       // Velocity_C, from VelocityCEd
inline constexpr int pkVelocityCStatic = 2; // Velocity_C, from EdrVelocityCPstat

class THoseCalcForm : public TTrialWizard {
  Q_OBJECT
public:
  // Created hidden with the main window, which owns it; one window serves every kind.
  explicit THoseCalcForm(IDialogHost& host);

  // Prepares the instrument (or the switch's trial record) and the window for one kind, and
  // shows it modally. True when it closed with OK.
  bool Execute(int kind);
  // Caption, label, edit and help context of a kind.
  void SetParkind(int kind);
  // The main window's edit that receives the result.
  THostField GetTargetObject() const;
  // Shows the wizard's own value of the current kind in ParEd again, without trying it.
  void RefreshParEd();

  // Handlers.
  void xxHoseLenEdChange(TEditReal* sender);
  void xxEdDataInput(TEditReal* sender) { DataInput(sender); }
  void OkBtnClick() { TTrialWizard::OkBtnClick(); }
  void HelpBtnClick();

  int Parkind() const { return parkind_; }

  QLabel* ParLb;
  TEditReal* ParEd;
  QLabel* ParEdUnitLb;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

protected:
  TEditReal* TrialEdit() const override { return ParEd; }
  THostField Target() const override { return GetTargetObject(); }
  bool Try(double value) override;

private:
  int parkind_ = pkHoseLength;
  THoseCalcValues values_;
};

} // namespace dtool
