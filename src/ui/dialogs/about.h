#pragma once
// TAboutForm: the window "About" with the tool's name and version, the maker, and the identity
// of the current instrument. The main window makes it once and shows it again for each use.
#include "ui/dialogs/dialogbase.h"

class QFrame;
class QLabel;
class QPushButton;

namespace dtool {

class IDialogHost;
struct TAboutInfo;

// The maker's details beside the logo.
inline constexpr const char* MakerName = "Meltrane Instruments";
inline constexpr const char* MakerLine = "Differential pressure measurement";

class TAboutForm : public TDialogBase {
  Q_OBJECT
public:
  // The window is owned by the host's window and centred on it.
  explicit TAboutForm(IDialogHost& host);

  // Fills the panel from the current settings and the main window (AboutInfo).
  void FillInfo();
  // FillInfo, then shows the window modally.
  int Execute();

  QLabel* LogoImg;
  QLabel* NameLb;
  QLabel* MakerLb;
  QLabel* MakerLineLb;
  QFrame* InfoPanel;
  QLabel* InstrumentLb;
  QLabel* InstrumentValLb;
  QLabel* SerialNrLb;
  QLabel* SerialNrValLb;
  QLabel* RangeLb;
  QLabel* RangeValLb;
  QLabel* AnOutLb;
  QLabel* AnaOutValLb;
  QLabel* firmMainLb;
  QLabel* firmMainValLb;
  QLabel* FirmSensLb;
  QLabel* FirmSensValLb;
  QPushButton* CloseBtn;

private:
  void FormCreate();
  void Show(const TAboutInfo& info);

  IDialogHost& host_;
};

} // namespace dtool
