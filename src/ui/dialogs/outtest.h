#pragma once
// TOutTestForm: "Test analog output". The instrument drives its analog output to the signal of
// a value the operator types, so that the wiring and the receiving device can be checked; the
// output measures again when the window closes. The window lives as long as the main window.
#include "core/paramtable.h"
#include "core/units.h"
#include "ui/dialogs/dialogbase.h"

class QLabel;
class QPushButton;

namespace dtool {

class IDialogHost;
class TEditReal;
class TInstLink;

// Said when the analog output may still be driven after a calibration or a test.
inline constexpr const char* OutputNotEndedText =
    "The analog output could not be returned to measuring! \rIt may still drive a fixed signal "
    "instead of the reading. Switch the instrument off and on again before you rely on its "
    "output. ";

// Returns the analog output to measuring (B306). A failure is reported with the link's message
// and OutputNotEndedText; false then.
bool EndAnalogOutput(TInstLink* link);

class TOutTestForm : public TDialogBase {
  Q_OBJECT
public:
  // The result of a window closed because the instrument refused a set point.
  static constexpr int Abort = 3;

  // Centred on the host's window, which owns it.
  explicit TOutTestForm(IDialogHost& host);

  // Reads the output range and its kind from the instrument, drives the output to the value of
  // the edit and shows the window. Nothing is shown when the instrument is not ready, refuses
  // the protection code or the first set point.
  void Execute();

  // Enter in the edit: drives the output to the value; a refused set point closes the window.
  bool OutvalEdInput();
  void OutvalEdChange();
  void OutvalEdRangeError(TEditReal* sender, double rawval, double begrval, bool& update);
  void HelpBtnClick();

  // The output range and the velocity flag as read, and the value last output (Pa or m/s).
  TOutTestValues Values;
  double TestValue = 0;

  QLabel* OutvalEdLb;
  TEditReal* OutvalEd;
  QLabel* OutValEdUnitLb;
  QPushButton* CloseBtn;
  QPushButton* HelpBtn;

protected:
  void CloseWork(int result) override;
  void showEvent(QShowEvent* event) override;

private:
  // The range in use and its unit.
  bool Velocity() const { return Values.TestVelocityFlag != 0; }
  double From() const { return Velocity() ? Values.TestVelocityFrom : Values.TestPressFrom; }
  double To() const { return Velocity() ? Values.TestVelocityTo : Values.TestPressTo; }
  // Ends the test: the output measures again, and the instrument stores its configuration.
  void EndTest(int result);

  IDialogHost& host_;
  TUnit unit_ = unit::Pa;
};

} // namespace dtool
