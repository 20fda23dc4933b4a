#include "ui/dialogs/gainform.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "core/insttypes.h"
#include "core/records.h"
#include "core/settings.h"
#include "link/instlink.h"
#include "tools/operatorport.h"
#include "ui/controls/editreal.h"
#include "ui/controls/fields.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {

bool IsStaticType(int type) {
  return type >= 1 && type <= 8;
}

} // namespace

TGainForm::TGainForm(IDialogHost& host)
    : TDialogBase(host.DialogParent(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                           Qt::WindowContextHelpButtonHint),
      host_(host) {
  setObjectName(QStringLiteral("GainForm"));
  setWindowTitle(QStringLiteral("Gain wizard"));
  SetHelpContext(this, helpctx::GainWizard);

  GainSensLb = new QLabel(QStringLiteral("&Gain sensor"), this);
  GainSensLb->setObjectName(QStringLiteral("GainSensLb"));
  GainSensEd = new TEditReal(this);
  GainSensEd->setObjectName(QStringLiteral("GainSensEd"));
  GainSensEd->SetControlStyle(csUpDown);
  GainSensEd->SetButWidth(17);
  GainSensEd->SetNachkomma(4);
  GainSensEd->RangeLimit = false;
  GainSensEd->OnChange = [this](TEditReal* sender) { GainSensEdChange(sender); };
  GainSensEd->OnDataInput = [this](TEditReal* sender) { GainSensEdDataInput(sender); };
  SetHelpContext(GainSensEd, helpctx::GainEdit);
  GainSensLb->setBuddy(GainSensEd->InputEdit());

  auto makeButton = [this](const char* name, const char* text) {
    auto* button = new QPushButton(QLatin1String(text), this);
    button->setObjectName(QLatin1String(name));
    return button;
  };
  FGainBtn = makeButton("FGainBtn", "&Factory gain");
  SetHelpContext(FGainBtn, helpctx::FactoryGain);
  OkBtn = makeButton("OkBtn", "OK");
  OkBtn->setDefault(true);
  CancelBtn = makeButton("CancelBtn", "Cancel");
  HelpBtn = makeButton("HelpBtn", "&Help");
  connect(FGainBtn, &QPushButton::clicked, this, [this] { FGainBtnClick(); });
  connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });

  // The gain and "Factory gain" on the left, OK, Cancel and Help on the right.
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setHorizontalSpacing(8);
  layout->setVerticalSpacing(4);
  layout->addWidget(GainSensLb, 0, 0);
  layout->addWidget(GainSensEd, 1, 0);
  layout->addWidget(FGainBtn, 3, 0);
  layout->addWidget(OkBtn, 0, 1, 2, 1, Qt::AlignTop);
  layout->addWidget(CancelBtn, 2, 1, Qt::AlignTop);
  layout->addWidget(HelpBtn, 3, 1);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(0, 1);
  setTabOrder(GainSensEd->InputEdit(), FGainBtn);
  setTabOrder(FGainBtn, OkBtn);
  setTabOrder(OkBtn, CancelBtn);
  setTabOrder(CancelBtn, HelpBtn);

  setFixedSize(229, 125);
  InstallCaptionHelp(this);
  host_.RegisterTrialWizard(this, [this] { RefreshGainSensEd(); });
}

THostField TGainForm::GainTarget() const {
  return IsStaticType(host_.Settings().InstType()) ? THostField::GainSensStatic
                                                   : THostField::GainSens;
}

int TGainForm::WindowHelpContext() const {
  const int cls = host_.Settings().GetInstClass();
  return cls == ClassStatic || cls == ClassStaticZ ? helpctx::GainWizardStatic
                                                   : helpctx::GainWizard;
}

bool TGainForm::Execute() {
  TSettings& sett = host_.Settings();
  analog_ = IsAnalogFamily(sett.InstType());
  THostField source = THostField::GainSens;
  if (analog_) {
    if (!host_.WizardBackup())
      return false;
    restorePending_ = true;
    source = GainTarget();
  } else {
    if (!host_.RequireReadData())
      return false;
    host_.TrialSwitchRecord() = sett.Switch;
  }
  SetHelpContext(this, WindowHelpContext());
  const TShownField shown = host_.ShownField(source);
  GainSensEd->SetNachkomma(shown.Decimals);
  GainSensEd->IncVal = ParamIncrement(values_.SensGainParam());
  GainSensEd->SetValue(shown.Value);
  // The starting value at once.
  tried_.reset();
  TryValue();
  return exec() == Accepted;
}

void TGainForm::RefreshGainSensEd() {
  SettingToEdit(GainSensEd, unit::None, unit::None, values_.SensGain);
}

void TGainForm::GainSensEdChange(TEditReal* sender) {
  // Only the text is checked while it is typed; it is tried once the input is finished.
  CheckEditValue(sender);
}

void TGainForm::GainSensEdDataInput(TEditReal* sender) {
  if (!Open())
    return;
  // A number is shown in the edit's format; text that is no number gets the last value back.
  sender->CheckInput(true);
  FinishInput();
}

void TGainForm::FGainBtnClick() {
  GainSensEd->SetValue(1.0);
  FinishInput();
}

void TGainForm::FinishInput() {
  double value = 0;
  try {
    value = GainSensEd->Value();
  } catch (const EConvertError&) {
    TryValue(); // tells the operator
    return;
  }
  if (tried_ && *tried_ == value)
    host_.ShowLiveReading();
  else
    TryValue();
}

bool TGainForm::TryValue() {
  double value = 0;
  try {
    value = GainSensEd->Value();
  } catch (const EConvertError&) {
    ErrorBox(InvalidValueText);
    host_.ShowLiveReading();
    return false;
  }
  values_.SensGain = value;
  if (analog_) {
    if (host_.CheckSerialNo(TSerialCheck::Compare))
      host_.WriteParam(values_.SensGainParam());
  } else if (TInstLink* link = host_.Link()) {
    TSwitchParams& trial = host_.TrialSwitchRecord();
    trial.Gain_Sens = value;
    if (link->SwitchRangeCheck(trial) != TRangeCheck::InRange) {
      // The limited gain is what the reading uses and what OK takes; the settings keep theirs
      // until OK.
      values_.SensGain = trial.Gain_Sens;
      SettingToEdit(GainSensEd, unit::None, unit::None, trial.Gain_Sens);
    }
  }
  try {
    tried_ = GainSensEd->Value();
  } catch (const EConvertError&) {
    tried_.reset();
  }
  host_.ShowLiveReading();
  return true;
}

void TGainForm::OkBtnClick() {
  // Text that is no number keeps the window open.
  if (!CheckEditValue(GainSensEd))
    return;
  GainSensEd->CheckInput(true);
  FinishInput();
  if (analog_) {
    double value = 0;
    try {
      value = GainSensEd->Value();
    } catch (const EConvertError&) {
      ErrorBox(InvalidValueText);
      return;
    }
    // The main window stores it as the operator's entry; a refused value keeps the window open.
    if (!host_.TakeWizardValue(GainTarget(), value))
      return;
  } else {
    host_.Settings().Switch = host_.TrialSwitchRecord();
    host_.WriteSetToField_();
  }
  accept();
}

void TGainForm::HelpBtnClick() {
  ShowHelpTopic(WindowHelpContext(), QLatin1String(SubHelpWindow));
}

void TGainForm::CloseWork(int) {
  // Closing is never refused; a restore that fails has been reported.
  if (restorePending_) {
    restorePending_ = false;
    host_.WizardRestore();
  }
}

void TGainForm::showEvent(QShowEvent* event) {
  TDialogBase::showEvent(event);
  if (!event->spontaneous())
    FormActivate();
}

void TGainForm::FormActivate() {
  GainSensEd->InputEdit()->setFocus(Qt::OtherFocusReason);
  GainSensEd->InputEdit()->selectAll();
  host_.ShowLiveReading();
}

} // namespace dtool
