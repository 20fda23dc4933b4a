#include "ui/dialogs/hosecalc.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <cfloat>
#include <cmath>

#include "core/insttypes.h"
#include "core/records.h"
#include "core/settings.h"
#include "core/units.h"
#include "link/instlink.h"
#include "session/session.h"
#include "tools/fatal.h"
#include "tools/operatorport.h"
#include "ui/controls/editreal.h"
#include "ui/controls/fields.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {

bool KnownKind(int kind) {
  return kind == pkHoseLength || kind == pkVelocityC || kind == pkVelocityCStatic;
}

// A label's caption with a mnemonic on its first letter, unless it has one.
QString WithMnemonic(const QString& caption) {
  return caption.isEmpty() || caption.contains(QLatin1Char('&')) ? caption
                                                                 : QLatin1Char('&') + caption;
}

} // namespace

THoseCalcForm::THoseCalcForm(IDialogHost& host)
    : TTrialWizard(host, QStringLiteral("HoseCalcForm")) {
  setWindowTitle(QStringLiteral("Hose length wizard"));

  ParLb = new QLabel(this);
  ParLb->setObjectName(QStringLiteral("ParLb"));
  ParEd = new TEditReal(this);
  ParEd->setObjectName(QStringLiteral("ParEd"));
  ParEd->SetControlStyle(csUpDown);
  ParEd->SetButWidth(17);
  ParEd->SetNachkomma(0);
  ParEd->RangeLimit = false;
  ParEd->OnChange = [this](TEditReal* sender) { xxHoseLenEdChange(sender); };
  ParEd->OnDataInput = [this](TEditReal* sender) { xxEdDataInput(sender); };
  ParLb->setBuddy(ParEd->InputEdit());
  ParEdUnitLb = new QLabel(this);
  ParEdUnitLb->setObjectName(QStringLiteral("ParEdUnitLb"));
  ParEdUnitLb->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  OkBtn = NewButton(this, "OkBtn", QStringLiteral("OK"));
  OkBtn->setDefault(true);
  CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("Cancel"));
  HelpBtn = NewButton(this, "HelpBtn", QStringLiteral("&Help"));
  connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });

  // The parameter on top, the buttons in a row below.
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setHorizontalSpacing(6);
  layout->setVerticalSpacing(4);
  layout->addWidget(ParLb, 0, 0, 1, 2);
  layout->addWidget(ParEd, 1, 0);
  layout->addWidget(ParEdUnitLb, 1, 1);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  buttons->addWidget(OkBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);
  layout->addLayout(buttons, 3, 0, 1, 2);
  setTabOrder(ParEd->InputEdit(), OkBtn);
  setTabOrder(OkBtn, CancelBtn);
  setTabOrder(CancelBtn, HelpBtn);

  setFixedSize(280, 97);
  InstallCaptionHelp(this);
  host_.RegisterTrialWizard(this, [this] { RefreshParEd(); });
}

bool THoseCalcForm::Execute(int kind) {
  if (!KnownKind(kind))
    FatalStop("THoseCalcForm.SetParkind: Value unknown! ");
  if (!Prepare())
    return false;
  SetParkind(kind);
  return Run();
}

void THoseCalcForm::SetParkind(int kind) {
  parkind_ = kind;
  THostField field = THostField::HoseLength;
  switch (kind) {
  case pkHoseLength:
    SetHelpContext(this, helpctx::HoseWizard);
    SetHelpContext(ParEd, helpctx::HoseLengthEdit);
    setWindowTitle(QStringLiteral("Hose length wizard"));
    ParEd->IncVal = ConvertUnit(host_.Session().Prefs().HoseUnit, unit::m,
                                ParamIncrement(values_.HoseLenParam()));
    break;
  case pkVelocityC:
  case pkVelocityCStatic:
    field = kind == pkVelocityC ? THostField::VelocityC : THostField::VelocityCStatic;
    SetHelpContext(this, helpctx::VelocityCWizard);
    SetHelpContext(ParEd, helpctx::VelocityCEdit);
    setWindowTitle(QStringLiteral("Velocity C wizard"));
    ParEd->IncVal = 0.1;
    break;
  default:
    FatalStop("THoseCalcForm.SetParkind: Value unknown! ");
  }
  const TShownField shown = host_.ShownField(field);
  ParLb->setText(WithMnemonic(shown.Label));
  ParEd->SetNachkomma(shown.Decimals);
  ParEdUnitLb->setText(kind == pkHoseLength ? shown.Unit : QString());
  ParEd->SetValue(shown.Value);
}

THostField THoseCalcForm::GetTargetObject() const {
  switch (parkind_) {
  case pkHoseLength:
    return THostField::HoseLength;
  case pkVelocityC:
    return THostField::VelocityC;
  case pkVelocityCStatic:
    return THostField::VelocityCStatic;
  default:
    FatalStop("GetTargetObject : TEditReal: Unknown Parkind!");
  }
}

void THoseCalcForm::RefreshParEd() {
  if (parkind_ == pkHoseLength)
    SettingToEdit(ParEd, host_.Session().Prefs().HoseUnit, unit::m, values_.HoseLen);
  else if (parkind_ == pkVelocityC || parkind_ == pkVelocityCStatic)
    SettingToEdit(ParEd, unit::None, unit::None, values_.VelocityC);
}

void THoseCalcForm::xxHoseLenEdChange(TEditReal* sender) {
  // Only the text is checked while it is typed; it is tried once the input is finished.
  CheckEditValue(sender);
}

bool THoseCalcForm::Try(double value) {
  // C is kept in single precision.
  if (parkind_ != pkHoseLength && !(std::fabs(value) <= FLT_MAX)) {
    ErrorBox(InvalidValueText);
    return false;
  }
  switch (parkind_) {
  case pkHoseLength: {
    const TUnit shownUnit = host_.Session().Prefs().HoseUnit;
    values_.HoseLen = ConvertUnit(unit::m, shownUnit, value);
    if (analog_) {
      if (host_.Session().CheckSerialNo(TSerialCheck::Compare))
        host_.Session().WriteParam(values_.HoseLenParam());
    } else if (TInstLink* link = host_.Session().Link()) {
      TSwitchParams& trial = host_.TrialSwitchRecord();
      trial.Hose_length = values_.HoseLen;
      if (link->SwitchRangeCheck(trial) != TRangeCheck::InRange) {
        // The limited length is what the reading uses and what OK takes.
        values_.HoseLen = trial.Hose_length;
        SettingToEdit(ParEd, shownUnit, unit::m, trial.Hose_length);
      }
    }
    break;
  }
  case pkVelocityC:
  case pkVelocityCStatic:
    if (value < 0) {
      value = 0;
      SettingToEdit(ParEd, unit::None, unit::None, 0);
    }
    values_.VelocityC = static_cast<float>(value);
    // The instrument keeps C in two registers: the upper half only after the lower one.
    if (analog_ && host_.Session().CheckSerialNo(TSerialCheck::Compare) &&
        host_.Session().WriteParam(values_.VelocityCParam(false)))
      host_.Session().WriteParam(values_.VelocityCParam(true));
    break;
  default:
    FatalStop("THoseCalcForm.xxHoseLenEdChange: Unknown Parkind!");
  }
  return true;
}

void THoseCalcForm::HelpBtnClick() {
  switch (parkind_) {
  case pkHoseLength:
    ShowHelpTopic(helpctx::HoseWizard, QLatin1String(SubHelpWindow));
    break;
  case pkVelocityC:
  case pkVelocityCStatic:
    ShowHelpTopic(helpctx::VelocityCWizard, QLatin1String(SubHelpWindow));
    break;
  default:
    FatalStop("THoseCalcForm.HelpBtnClick: Unknown Parkind!");
  }
}

} // namespace dtool
