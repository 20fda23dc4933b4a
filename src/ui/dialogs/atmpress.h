#pragma once
// TAtmPressForm: the absolute pressure wizard. From the altitude of the site and the outdoor
// temperature it computes the mean atmospheric pressure and hands it to the main window's
// atmospheric pressure field; the instrument gets it with the next write. The wizard does not
// talk to the instrument.
#include "ui/dialogs/dialogbase.h"

class QLabel;
class QPushButton;
class QShowEvent;

namespace dtool {

class IDialogHost;
class TEditReal;

// Limits of the wizard's inputs: altitude in metres, temperature in degrees Celsius.
inline constexpr double MinAltitude = -100.0;
inline constexpr double MaxAltitude = 5000.0;
inline constexpr double MinTemperature = -50.001;
inline constexpr double MaxTemperature = 45.001;

class TAtmPressForm : public TDialogBase {
  Q_OBJECT
public:
  // The wizard is centred on the host's window; it is made for one Execute.
  explicit TAtmPressForm(IDialogHost& host);

  // Starts from the altitude and temperature last used and the field's current value, and
  // shows the wizard. True when the result was used.
  bool Execute();

protected:
  void showEvent(QShowEvent* event) override;

private:
  void xxEdChange(TEditReal* sender);
  void xxEdExit(TEditReal* sender);
  void AltEdRangeError(TEditReal* sender, double rawval, double begrval, bool& update);
  void CalculateBtnClick();
  void OkBtnClick();
  void HelpBtnClick();
  void FormActivate();

  // Both inputs are numbers; otherwise the operator is told, the first invalid edit gets the
  // focus, and false is returned.
  bool InputsValid();
  // The pressure of the inputs in hPa, limited to their ranges.
  double Calculate();

  IDialogHost& host_;
  QLabel* AltLb;
  TEditReal* AltEd;
  QLabel* AltEdUnitLn;
  QLabel* TempLb;
  TEditReal* TempEd;
  QLabel* TempEdUnitLb;
  QPushButton* CalculateBtn;
  QLabel* ResultLb;
  TEditReal* ResultEd;
  QLabel* ResultEdUnitLb;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;
};

} // namespace dtool
