// The commands of the main window: Read data and Write data, the actions of the menus and the
// toolbar, and the buttons of the edits that start the wizards, each with its precondition.
#include "ui/main/mainform.h"

#include <QAction>
#include <QPushButton>

#include "tools/fatal.h"
#include "tools/operatorport.h"
#include "ui/dialogs/contrcalc.h"
#include "ui/dialogs/gainform.h"
#include "ui/dialogs/hosecalc.h"
#include "ui/dialogs/setprotect.h"

namespace dtool {

void TMainForm::WireCommands() {
  connect(ReadBtn, &QPushButton::clicked, this, [this] { ReadBtnClick(); });
  connect(WriteBtn, &QPushButton::clicked, this, [this] { WriteBtnClick(); });
  connect(Print, &QAction::triggered, this, [this] { PrintExecute(); });
  connect(ActTypeOfInstrument, &QAction::triggered, this, [this] { ActTypeOfInstrumentExecute(); });
  connect(ActSetFilter, &QAction::triggered, this, [this] { ActSetFilterExecute(); });
  connect(ActChangeProtCode, &QAction::triggered, this, [this] { ActChangeProtCodeExecute(); });
  connect(ActZeroCalibration, &QAction::triggered, this, [this] { ActZeroCalibrationExecute(); });
  ContrastEd->OnButtonClick = [this](TEditReal*) { ContrastEdButtonClick(); };
  for (TEditReal* ed : {GainSensEd, EdrGainSensStatic})
    ed->OnButtonClick = [this](TEditReal* s) { GainSensEdClick(s); };
  AtmPressEd->OnButtonClick = [this](TEditReal*) { AtmPressEdButtonClick(); };
  HoseLenEd->OnButtonClick = [this](TEditReal*) { HoseLenEdClick(); };
  for (TEditReal* ed : {VelocityCEd, EdrVelocityCPstat})
    ed->OnButtonClick = [this](TEditReal* s) { VelocityCEdButtonClick(s); };
  for (TEditReal* ed : {AnOffsetEd, AnGainEd})
    ed->OnButtonClick = [this](TEditReal* s) { AnOffsetEditButtonClick(s); };
}

// ---- Options ----

void TMainForm::ActTypeOfInstrumentExecute() {
  if (!Ready())
    return;
  if (sett->ConfigRead()) {
    InfoBox("The instrument type can only be set, if no other instrument's data has been read "
            "in (No Signal, No Config)! ");
    return;
  }
  // The type of instrument dialog comes with its own window.
}

void TMainForm::ActSetFilterExecute() {
  if (!Ready())
    return;
  if (IsAnalogFamily(sett->InstType())) {
    InfoBox("This function is only relevant to DravonSwitch!");
    return;
  }
  // The moving-average window comes with its own window.
}

void TMainForm::ActChangeProtCodeExecute() {
  if (!Ready() || !Link())
    return;
  TProtectionContext ctx = ProtectionContext();
  TSetProtectForm form(ctx);
  form.Execute();
}

// ---- Wizard buttons: the connected instrument must be of the current class, and the wizard
// starts from the value the operator sees. ----

void TMainForm::ContrastEdButtonClick() {
  if (!Ready() || !CheckInstrument(TShow::Messages))
    return;
  // The wizard starts from the contrast the operator sees: text that is no number is refused.
  if (!AktSettExit(ContrastEd))
    return;
  TContrCalcForm form(*this);
  form.Execute();
}

void TMainForm::GainSensEdClick(TEditReal* sender) {
  if (!Ready() || !CheckInstrument(TShow::Messages))
    return;
  if (!AktSettExit(sender))
    return;
  GainForm->Execute();
}

void TMainForm::AtmPressEdButtonClick() {
  if (!Ready())
    return;
  if (!AktSettExit(AtmPressEd))
    return;
  // The absolute pressure wizard comes with its own window.
}

void TMainForm::HoseLenEdClick() {
  if (!Ready() || !CheckInstrument(TShow::Messages))
    return;
  if (!AktSettExit(HoseLenEd))
    return;
  HoseCalcForm->Execute(pkHoseLength);
}

void TMainForm::VelocityCEdButtonClick(TEditReal* sender) {
  if (!Ready() || !CheckInstrument(TShow::Messages))
    return;
  if (sender != VelocityCEd && sender != EdrVelocityCPstat)
    FatalStop("TMainForm.VelocityCEdButtonClick(): Unknown Sender!");
  if (!AktSettExit(sender))
    return;
  HoseCalcForm->Execute(sender == VelocityCEd ? pkVelocityC : pkVelocityCStatic);
}

void TMainForm::AnOffsetEditButtonClick(TEditReal* sender) {
  if (!Ready() || !CheckEditValue(AnGainEd))
    return;
  if (!AktSettExit(sender))
    return;
  // The analog output calibration wizard comes with its own window.
}

} // namespace dtool
