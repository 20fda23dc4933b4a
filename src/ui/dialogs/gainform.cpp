#include "ui/dialogs/gainform.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "core/insttypes.h"
#include "core/records.h"
#include "core/settings.h"
#include "link/instlink.h"
#include "session/session.h"
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

TGainForm::TGainForm(IDialogHost& host) : TTrialWizard(host, QStringLiteral("GainForm")) {
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

  FGainBtn = NewButton(this, "FGainBtn", QStringLiteral("&Factory gain"));
  SetHelpContext(FGainBtn, helpctx::FactoryGain);
  OkBtn = NewButton(this, "OkBtn", QStringLiteral("OK"));
  OkBtn->setDefault(true);
  CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("Cancel"));
  HelpBtn = NewButton(this, "HelpBtn", QStringLiteral("&Help"));
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
  return IsStaticType(host_.Session().Settings().InstType()) ? THostField::GainSensStatic
                                                             : THostField::GainSens;
}

int TGainForm::WindowHelpContext() const {
  const int cls = host_.Session().Settings().GetInstClass();
  return cls == ClassStatic || cls == ClassStaticZ ? helpctx::GainWizardStatic
                                                   : helpctx::GainWizard;
}

bool TGainForm::Execute() {
  if (!Prepare())
    return false;
  // The switch starts from the environment page's gain, an analog instrument from its target.
  const THostField source = analog_ ? GainTarget() : THostField::GainSens;
  SetHelpContext(this, WindowHelpContext());
  const TShownField shown = host_.ShownField(source);
  GainSensEd->SetNachkomma(shown.Decimals);
  GainSensEd->IncVal = ParamIncrement(values_.SensGainParam());
  GainSensEd->SetValue(shown.Value);
  return Run();
}

void TGainForm::RefreshGainSensEd() {
  SettingToEdit(GainSensEd, unit::None, unit::None, values_.SensGain);
}

void TGainForm::GainSensEdChange(TEditReal* sender) {
  // Only the text is checked while it is typed; it is tried once the input is finished.
  CheckEditValue(sender);
}

void TGainForm::FGainBtnClick() {
  GainSensEd->SetValue(1.0);
  FinishInput();
}

bool TGainForm::Try(double value) {
  values_.SensGain = value;
  if (analog_) {
    if (host_.Session().CheckSerialNo(TSerialCheck::Compare))
      host_.Session().WriteParam(values_.SensGainParam());
  } else if (TInstLink* link = host_.Session().Link()) {
    TSwitchParams& trial = host_.TrialSwitchRecord();
    trial.Gain_Sens = value;
    if (link->SwitchRangeCheck(trial) != TRangeCheck::InRange) {
      // The limited gain is what the reading uses and what OK takes; the settings keep theirs
      // until OK.
      values_.SensGain = trial.Gain_Sens;
      SettingToEdit(GainSensEd, unit::None, unit::None, trial.Gain_Sens);
    }
  }
  return true;
}

void TGainForm::HelpBtnClick() {
  ShowHelpTopic(WindowHelpContext(), QLatin1String(SubHelpWindow));
}

} // namespace dtool
