#pragma once
// TMovAverForm: the window "Filter (moving average)", in which the operator chooses the length
// of the switch's moving-average filter, kept in the preferences. The application makes it
// once at start and shows it again for each use.
#include <cstdint>

#include "ui/dialogs/dialogbase.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace dtool {

class IDialogHost;

class TMovAverForm : public TDialogBase {
  Q_OBJECT
public:
  // The window is owned by parent and centred on it.
  TMovAverForm(IDialogHost& host, QWidget* parent);

  // Selects the stored length (the nearest one the list offers) and shows the window modally;
  // returns the result it closed with. When the switch library does not tell its filter
  // bounds, the operator is told and the result is Rejected without a window.
  int ShowModal();
  // The selected length into the preferences, and close.
  void OkBtnClick();
  void HelpBtnClick();

  // The longest and shortest filter length of the switch library; item i of the list stands
  // for the length FiltMin + i.
  std::int32_t FiltMax = 0;
  std::int32_t FiltMin = 0;

  QLabel* ReadingLb;
  QComboBox* MovAverCb;
  QLabel* MovAverCbUnit;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

private:
  // Reads the filter bounds and fills the list; returns the library's status, 0 when done.
  std::int32_t FormCreate();

  IDialogHost& host_;
  bool filled_ = false;
};

} // namespace dtool
