// The commands of the main window: Read data and Write data, the actions of the menus and the
// toolbar, and the buttons of the edits that start the wizards, each with its precondition.
#include "ui/main/mainform.h"

#include <QAction>
#include <QPushButton>

#include "link/instlink.h"
#include "link/linkformat.h"
#include "tools/fatal.h"
#include "tools/operatorport.h"
#include "ui/dialogs/about.h"
#include "ui/dialogs/analcal.h"
#include "ui/dialogs/atmpress.h"
#include "ui/dialogs/contrcalc.h"
#include "ui/dialogs/gainform.h"
#include "ui/dialogs/hosecalc.h"
#include "ui/dialogs/movaver.h"
#include "ui/dialogs/outtest.h"
#include "ui/dialogs/prefform.h"
#include "ui/dialogs/setprotect.h"
#include "ui/dialogs/typeofinst.h"

namespace dtool {

void TMainForm::WireCommands() {
  connect(ReadBtn, &QPushButton::clicked, this, [this] { ReadBtnClick(); });
  connect(WriteBtn, &QPushButton::clicked, this, [this] { WriteBtnClick(); });
  connect(Print, &QAction::triggered, this, [this] { PrintExecute(); });
  connect(ActPrintPreview, &QAction::triggered, this, [this] { ActPrintPreviewExecute(); });
  connect(ActSavePdf, &QAction::triggered, this, [this] { ActSavePdfExecute(); });
  connect(ActPreferences, &QAction::triggered, this, [this] { ActPreferencesExecute(); });
  connect(ActTypeOfInstrument, &QAction::triggered, this, [this] { ActTypeOfInstrumentExecute(); });
  connect(ActSetFilter, &QAction::triggered, this, [this] { ActSetFilterExecute(); });
  connect(ActChangeProtCode, &QAction::triggered, this, [this] { ActChangeProtCodeExecute(); });
  connect(ActZeroCalibration, &QAction::triggered, this, [this] { ActZeroCalibrationExecute(); });
  connect(ActTestAnalOutput, &QAction::triggered, this, [this] { ActTestAnalOutputExecute(); });
  connect(ActAbout, &QAction::triggered, this, [this] { ActAboutExecute(); });
  connect(ActOpenConfig, &QAction::triggered, this, [this] { ActOpenConfigExecute(); });
  connect(ActSaveConfigAs, &QAction::triggered, this, [this] { ActSaveConfigAsExecute(); });
  connect(ActCompare, &QAction::triggered, this, [this] { ActCompareExecute(); });
  ActShowChanges->setChecked(ShowChangesOption());
  connect(ActShowChanges, &QAction::toggled, this, [this](bool on) { SetShowChangesOption(on); });
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

void TMainForm::ActPreferencesExecute() {
  if (!Ready() || !Link())
    return;
  // The dialog reopens the link for another port and shows the settings in the new units.
  TPrefForm form(*this);
  form.exec();
}

void TMainForm::ActTypeOfInstrumentExecute() {
  if (!Ready())
    return;
  if (sett->ConfigRead()) {
    InfoBox(TypeRefusedText);
    return;
  }
  TTyOfInstFrm_ form(*this);
  form.exec();
}

// ---- The windows made at their first use ----

TOutTestForm* TMainForm::OutTestForm() {
  if (!outTestForm_)
    outTestForm_ = new TOutTestForm(*this);
  return outTestForm_;
}

TAboutForm* TMainForm::AboutForm() {
  if (!aboutForm_)
    aboutForm_ = new TAboutForm(*this);
  return aboutForm_;
}

void TMainForm::MakeTrialWizards() {
  // Each registers itself for the live reading, the hose length wizard first.
  if (!hoseCalcForm_)
    hoseCalcForm_ = new THoseCalcForm(*this);
  if (!gainForm_)
    gainForm_ = new TGainForm(*this);
}

THoseCalcForm* TMainForm::HoseCalcForm() {
  MakeTrialWizards();
  return hoseCalcForm_;
}

TGainForm* TMainForm::GainForm() {
  MakeTrialWizards();
  return gainForm_;
}

void TMainForm::SetMovAverForm(TMovAverForm* form) {
  movAverForm_ = form;
}

void TMainForm::ActSetFilterExecute() {
  if (!Ready() || !Link())
    return;
  if (IsAnalogFamily(sett->InstType())) {
    InfoBox("This function is only relevant to DravonSwitch!");
    return;
  }
  if (!movAverForm_)
    movAverForm_ = new TMovAverForm(*this, this);
  const std::int32_t previous = session_->Prefs().MovAverFilt;
  if (movAverForm_->ShowModal() != QDialog::Accepted)
    return;
  const std::int32_t r =
      Link()->Switch().SetMovAverFilt(Link()->Port(), session_->Prefs().MovAverFilt);
  if (r != 0) {
    // The switch keeps the filter it had, and so do the preferences.
    session_->Prefs().MovAverFilt = previous;
    ErrorBox(SwitchLinkError(r));
  }
}

void TMainForm::ActChangeProtCodeExecute() {
  if (!Ready() || !Link())
    return;
  TSetProtectForm form(*session_, this);
  form.Execute();
}

void TMainForm::ActTestAnalOutputExecute() {
  if (!Ready() || !Link())
    return;
  OutTestForm()->Execute();
}

// ---- Wizard buttons: the connected instrument must be of the current class, and the wizard
// starts from the value the operator sees. ----

void TMainForm::ContrastEdButtonClick() {
  if (!Ready() || !session_->CheckInstrument(TShow::Messages))
    return;
  // The wizard starts from the contrast the operator sees: text that is no number is refused.
  if (!AktSettExit(ContrastEd))
    return;
  TContrCalcForm form(*this);
  form.Execute();
}

void TMainForm::GainSensEdClick(TEditReal* sender) {
  if (!Ready() || !session_->CheckInstrument(TShow::Messages))
    return;
  if (!AktSettExit(sender))
    return;
  GainForm()->Execute();
}

void TMainForm::AtmPressEdButtonClick() {
  if (!Ready())
    return;
  if (!AktSettExit(AtmPressEd))
    return;
  TAtmPressForm wizard(*this);
  wizard.Execute();
}

void TMainForm::HoseLenEdClick() {
  if (!Ready() || !session_->CheckInstrument(TShow::Messages))
    return;
  if (!AktSettExit(HoseLenEd))
    return;
  HoseCalcForm()->Execute(pkHoseLength);
}

void TMainForm::VelocityCEdButtonClick(TEditReal* sender) {
  if (!Ready() || !session_->CheckInstrument(TShow::Messages))
    return;
  if (sender != VelocityCEd && sender != EdrVelocityCPstat)
    FatalStop("TMainForm.VelocityCEdButtonClick(): Unknown Sender!");
  if (!AktSettExit(sender))
    return;
  HoseCalcForm()->Execute(sender == VelocityCEd ? pkVelocityC : pkVelocityCStatic);
}

void TMainForm::AnOffsetEditButtonClick(TEditReal* sender) {
  // The wizard writes the whole working configuration: only into an instrument of its class.
  if (!Ready() || !session_->CheckInstrument(TShow::Messages) || !CheckEditValue(AnGainEd))
    return;
  if (!AktSettExit(sender))
    return;
  TAnalCalForm form(*this, WizardTimers);
  form.Execute();
}

// ---- Help ----

void TMainForm::ActAboutExecute() {
  if (!Ready())
    return;
  AboutForm()->Execute();
}

} // namespace dtool
