#pragma once
// TPrefForm: the dialog "Preferences", in which the operator chooses the units the tool shows
// values in and the COM port of the instrument. The connection set-up also offers it when the
// port cannot be opened.
#include <cstdint>

#include "ui/dialogs/dialogbase.h"

class QPushButton;

namespace dtool {

class IDialogHost;
class TRadioGroup;

class TPrefForm : public TDialogBase {
  Q_OBJECT
public:
  // The dialog is owned by the host's window and centred on it; it is made for one use.
  explicit TPrefForm(IDialogHost& host);

  // Centres the dialog on the screen, for the start, when the main window is not shown yet.
  void CentreOnScreen();

  // Changes the port when another one was chosen (the old one stays when the new one cannot be
  // opened, and so does the dialog), then takes the choices and shows every setting again.
  void OkBtnClick();
  // The preferences into the controls.
  void LoadPrefs();
  // The controls into the preferences, with the COM port given. A unit group without
  // selection keeps its stored unit.
  void StorePrefs(std::int32_t comPort);

  TRadioGroup* PressUnitGr;
  TRadioGroup* VelocityUnitGr;
  TRadioGroup* AtmUnitGr;
  TRadioGroup* HoseUnitGr;
  TRadioGroup* ComPortGr;
  QPushButton* OkBtn;
  QPushButton* BitBtn1;

private:
  void FormCreate();

  IDialogHost& host_;
};

} // namespace dtool
