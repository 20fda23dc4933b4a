#include "ui/dialogs/trialwizard.h"

#include <QShowEvent>

#include "core/insttypes.h"
#include "core/settings.h"
#include "session/session.h"
#include "tools/operatorport.h"
#include "ui/controls/editreal.h"
#include "ui/dialogs/wizardcommon.h"

namespace dtool {

TTrialWizard::TTrialWizard(IDialogHost& host, const QString& objectName)
    : TDialogBase(host.DialogParent(), HelpDialogFlags), host_(host) {
  setObjectName(objectName);
}

bool TTrialWizard::Prepare() {
  TSettings& sett = host_.Session().Settings();
  analog_ = IsAnalogFamily(sett.InstType());
  if (analog_) {
    if (host_.Session().BackupAndWrite() != TOutcome::Done)
      return false;
    restorePending_ = true;
    return true;
  }
  if (!host_.Session().RequireReadData())
    return false;
  host_.TrialSwitchRecord() = sett.Switch;
  return true;
}

bool TTrialWizard::Run() {
  tried_.reset();
  TryValue();
  return exec() == Accepted;
}

bool TTrialWizard::TryValue() {
  bool tried = false;
  try {
    tried = Try(TrialEdit()->Value());
  } catch (const EConvertError&) {
    ErrorBox(InvalidValueText);
  }
  // What the edit shows now (a limited value, say) counts as tried.
  if (tried)
    tried_ = TrialEdit()->Value();
  host_.ShowLiveReading();
  return tried;
}

void TTrialWizard::FinishInput() {
  try {
    if (tried_ && *tried_ == TrialEdit()->Value()) {
      host_.ShowLiveReading();
      return;
    }
  } catch (const EConvertError&) {
    // TryValue tells the operator.
  }
  TryValue();
}

void TTrialWizard::DataInput(TEditReal* sender) {
  if (!Open())
    return;
  sender->CheckInput(true);
  FinishInput();
}

void TTrialWizard::OkBtnClick() {
  TEditReal* edit = TrialEdit();
  if (!CheckEditValue(edit))
    return;
  edit->CheckInput(true);
  FinishInput();
  if (analog_) {
    double value = 0;
    try {
      value = edit->Value();
    } catch (const EConvertError&) {
      ErrorBox(InvalidValueText);
      return;
    }
    // The main window stores it as the operator's entry; a refused value keeps the window open.
    if (!host_.TakeWizardValue(Target(), value))
      return;
  } else {
    host_.Session().Settings().Switch = host_.TrialSwitchRecord();
    host_.WriteSetToField_();
  }
  accept();
}

void TTrialWizard::CloseWork(int) {
  // Closing is never refused; a restore that fails has been reported.
  if (restorePending_) {
    restorePending_ = false;
    host_.Session().Restore();
  }
}

void TTrialWizard::showEvent(QShowEvent* event) {
  TDialogBase::showEvent(event);
  if (event->spontaneous())
    return;
  TrialEdit()->InputEdit()->setFocus(Qt::OtherFocusReason);
  TrialEdit()->InputEdit()->selectAll();
  host_.ShowLiveReading();
}

} // namespace dtool
