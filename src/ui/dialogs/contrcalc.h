#pragma once
// TContrCalcForm: the display contrast wizard. The operator moves a slider and watches the
// instrument's display take each contrast at once; the instrument's own contrast is written
// back when the wizard closes. The result goes into the main window's contrast edit only.
#include <cstdint>

#include "ui/dialogs/dialogbase.h"
#include "ui/dialogs/dialoghost.h"

class QLabel;
class QPushButton;
class QSlider;

namespace dtool {

class TContrCalcForm : public TDialogBase {
  Q_OBJECT
public:
  // Made for one Execute, centred on the main window.
  explicit TContrCalcForm(IDialogHost& host);

  // Reads the instrument's contrast, remembers its serial number, sends the main window's
  // contrast and shows the window modally. True when it closed with OK.
  bool Execute();

  // Handlers. DispTBChange sends the slider's position to the display, without messages.
  void DispTBChange();
  void xxBtnClick(QPushButton* sender);
  void HelpBtnClick();

  // The contrast the instrument had when the wizard opened.
  std::int32_t OrigContrast = 0;

  QLabel* ContrLab;
  QSlider* DispTB;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

protected:
  void CloseWork(int result) override;

private:
  IDialogHost& host_;
  // The instrument shows trial contrasts until the close writes its own back.
  bool restorePending_ = false;
};

} // namespace dtool
