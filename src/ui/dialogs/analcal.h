#pragma once
// TAnalCalForm: the analog output calibration wizard. The instrument drives its output to 20 %
// and 80 % of the range in turn, without its offset and gain correction; the operator enters
// what the receiving device shows at each point, and the wizard computes the offset and gain
// that make the device show the nominal values. "Use result" puts them into the main window,
// whose Write data sends them.
#include <memory>

#include "core/units.h"
#include "ui/dialogs/dialogbase.h"
#include "ui/dialogs/wizardtimer.h"

class QLabel;
class QPushButton;

namespace dtool {

class IDialogHost;
class TEditReal;

class TAnalCalForm : public TDialogBase {
  Q_OBJECT
public:
  // Centred on the host's window; made for one Execute. The calibration timer comes from the
  // source (the event loop's timer when it is empty).
  explicit TAnalCalForm(IDialogHost& host, const TWizardTimerSource& timers = {});
  ~TAnalCalForm() override;

  // Backs up the instrument's values, writes the working configuration and shows the wizard.
  // Whichever way it closes, the calibration stops, the output measures again and the
  // instrument gets its own values back. True when the result was taken.
  bool Execute();

  // Starts driving the output: 20 % at once, then 80 %, 20 % ... every CalTimEd seconds.
  void StartCalBtnClick();
  // One calibration point; a refused point stops the calibration.
  void CalTimerTimer();
  // Stops the timer and enables Start; with endOutput the output measures again (the result).
  bool StopCalibration(bool show, bool endOutput);
  // The nominal reading at a calibration point, in the base unit (Pa or m/s).
  double PointValue(bool upper) const;

  void xxEdChange(TEditReal* sender);
  // Enter, a spin step or leaving an edit: the text is shown in the edit's format and read once
  // more, which limits the delay.
  void xxEdDataInput(TEditReal* sender);
  void xxEdRangeError(TEditReal* sender, double rawval, double begrval, bool& update);
  // Computes offset and gain from the readings into the result fields; false, with
  // "Calculation error! " and the result fields as they were, when there is none.
  bool CalculateBtnClick();
  void FSettingsBtnClick();
  // "Use result": the result fields into the main window, then close; the wizard stays open
  // when there is no result to take.
  void OkBtnClick();
  void HelpBtnClick();

  // The calibration timer, for tests.
  IWizardTimer& CalTimer() { return *calTimer_; }
  // The point the output was driven to last: true 80 %, false 20 %.
  bool UpperPoint = false;
  // The ends of the output range in the base unit.
  double AnFrom = 0;
  double AnTo = 0;

  QLabel* CalTimEdLb;
  TEditReal* CalTimEd;
  QLabel* CalTimEdUnitLb;
  QPushButton* StartCalBtn;
  QLabel* AnCalUntLb;
  TEditReal* UntReadEd;
  QLabel* UntReadEdUnitLb;
  QLabel* AnCalObLb;
  TEditReal* ObReadEd;
  QLabel* ObReadEdUnitLb;
  QPushButton* CalculateBtn;
  QPushButton* FSettingsBtn;
  QLabel* OffsetResEdLb;
  TEditReal* OffsetResEd;
  QLabel* OffsetResEdUnitLb;
  QLabel* GainResEdLb;
  TEditReal* GainResEd;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

protected:
  // Every close: the calibration stops, the output measures again, the instrument's own
  // values go back; each failure is reported.
  void CloseWork(int result) override;
  void showEvent(QShowEvent* event) override;

private:
  // The delay in seconds as typed, limited to its range; false when the text is no number.
  bool DelaySeconds(double& seconds);
  void ShowResult(bool enabled);

  IDialogHost& host_;
  std::unique_ptr<IWizardTimer> calTimer_;
  TUnit outUnit_ = unit::Pa;  // the unit of the range and the readings as shown
  TUnit baseUnit_ = unit::Pa; // Pa, or m/s in velocity mode
  // A reading changed since the result fields were last filled.
  bool readingChanged_ = false;
};

} // namespace dtool
