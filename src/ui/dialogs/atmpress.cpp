#include "ui/dialogs/atmpress.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "core/barometric.h"
#include "core/records.h"
#include "core/units.h"
#include "session/session.h"
#include "tools/operatorport.h"
#include "ui/controls/editreal.h"
#include "ui/controls/fields.h"
#include "ui/dialogs/dialoghost.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

} // namespace

TAtmPressForm::TAtmPressForm(IDialogHost& host)
    : TDialogBase(host.DialogParent(), HelpDialogFlags), host_(host) {
  setObjectName(QStringLiteral("AtmPressForm"));
  setWindowTitle(QStringLiteral("Absolute pressure wizard"));
  SetHelpContext(this, helpctx::AtmPressWizard);

  auto makeInput = [this](const char* name, int helpContext) {
    auto* edit = new TEditReal(this);
    edit->setObjectName(QLatin1String(name));
    edit->SetControlStyle(csNone);
    edit->SetNachkomma(1);
    edit->RangeLimit = true;
    edit->OnChange = [this](TEditReal* sender) { xxEdChange(sender); };
    edit->OnDataInput = [this](TEditReal* sender) { xxEdExit(sender); };
    edit->OnRangeError = [this](TEditReal* sender, double rawval, double begrval, bool& update) {
      AltEdRangeError(sender, rawval, begrval, update);
    };
    SetHelpContext(edit, helpContext);
    return edit;
  };

  AltLb = NewLabel(this, "AltLb", QStringLiteral("&Altitude"));
  AltEd = makeInput("AltEd", helpctx::Altitude);
  AltEdUnitLn = NewLabel(this, "AltEdUnitLn", QStringLiteral("m"));
  AltLb->setBuddy(AltEd->InputEdit());
  TempLb = NewLabel(this, "TempLb", QStringLiteral("&Temperature outdoor"));
  TempEd = makeInput("TempEd", helpctx::Temperature);
  TempEdUnitLb = NewLabel(this, "TempEdUnitLb", QString::fromUtf8(UnitText(unit::degC)));
  TempLb->setBuddy(TempEd->InputEdit());
  // A click on a caption with the caption help shows the topic of its edit.
  SetHelpContext(AltLb, helpctx::Altitude);
  SetHelpContext(AltEdUnitLn, helpctx::Altitude);
  SetHelpContext(TempLb, helpctx::Temperature);
  SetHelpContext(TempEdUnitLb, helpctx::Temperature);

  CalculateBtn = NewButton(this, "CalculateBtn", "&Calculate absolute atm. pressure");
  SetHelpContext(CalculateBtn, helpctx::AtmCalculate);

  ResultLb = NewLabel(this, "ResultLb", QStringLiteral("Result"));
  ResultEd = new TEditReal(this);
  ResultEd->setObjectName(QStringLiteral("ResultEd"));
  ResultEd->SetControlStyle(csNone);
  ResultEd->SetReadOnly(true);
  ResultEd->SetTabStop(false);
  // Greyed like the dialog, so that it does not read as an input.
  QPalette grey = ResultEd->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    grey.setColor(group, QPalette::Base, grey.color(group, QPalette::Window));
  ResultEd->setPalette(grey);
  ResultEdUnitLb = NewLabel(this, "ResultEdUnitLb", QString());

  OkBtn = NewButton(this, "OkBtn", "&Use result");
  SetHelpContext(OkBtn, helpctx::AtmUseResult);
  CancelBtn = NewButton(this, "CancelBtn", "Cancel");
  HelpBtn = NewButton(this, "HelpBtn", "&Help");
  connect(CalculateBtn, &QPushButton::clicked, this, &TAtmPressForm::CalculateBtnClick);
  connect(OkBtn, &QPushButton::clicked, this, &TAtmPressForm::OkBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, &TAtmPressForm::HelpBtnClick);

  // The two inputs, the calculation and its result in one column of rows; the buttons at
  // the bottom.
  auto* grid = new QGridLayout;
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(8);
  grid->addWidget(AltLb, 0, 0);
  grid->addWidget(AltEd, 0, 1);
  grid->addWidget(AltEdUnitLn, 0, 2);
  grid->addWidget(TempLb, 1, 0);
  grid->addWidget(TempEd, 1, 1);
  grid->addWidget(TempEdUnitLb, 1, 2);
  grid->addWidget(CalculateBtn, 2, 0, 1, 3);
  grid->addWidget(ResultLb, 3, 0);
  grid->addWidget(ResultEd, 3, 1);
  grid->addWidget(ResultEdUnitLb, 3, 2);
  grid->setColumnStretch(2, 1);
  for (TEditReal* edit : {AltEd, TempEd, ResultEd})
    edit->setFixedWidth(121);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  buttons->addWidget(OkBtn);
  buttons->addWidget(CancelBtn);
  buttons->addStretch(1);
  buttons->addWidget(HelpBtn);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(12, 12, 12, 10);
  layout->addLayout(grid, 0, 0);
  layout->setRowStretch(1, 1);
  layout->addLayout(buttons, 2, 0);

  setTabOrder(AltEd->InputEdit(), TempEd->InputEdit());
  setTabOrder(TempEd->InputEdit(), CalculateBtn);
  setTabOrder(CalculateBtn, OkBtn);
  setTabOrder(OkBtn, CancelBtn);
  setTabOrder(CancelBtn, HelpBtn);

  setFixedSize(349, 221);
  InstallCaptionHelp(this);
}

bool TAtmPressForm::Execute() {
  AltEd->MaxVal = MaxAltitude;
  AltEd->MinVal = MinAltitude;
  TempEd->MaxVal = MaxTemperature;
  TempEd->MinVal = MinTemperature;
  const TPreferences& prefs = host_.Session().Prefs();
  {
    const TMuteChange muteAlt(AltEd);
    const TMuteChange muteTemp(TempEd);
    AltEd->SetValue(prefs.Altitude);
    TempEd->SetValue(prefs.Temperature);
  }

  const TShownField field = host_.ShownField(THostField::AtmPress);
  ResultEd->SetNachkomma(field.Decimals);
  if (field.Valid)
    ResultEd->SetValue(field.Value);
  else
    ResultEd->ClearText();
  ResultEd->SetEnabled(false);
  ResultEdUnitLb->setText(field.Unit);
  return exec() == Accepted;
}

void TAtmPressForm::xxEdChange(TEditReal* sender) {
  CheckEditValue(sender);
  ResultEd->SetEnabled(false);
}

void TAtmPressForm::xxEdExit(TEditReal* sender) {
  // A number is shown in the edit's format and read once more, which limits it to the range.
  // Text that is no number stays as typed, so that Calculate and "Use result" refuse it
  // instead of quietly using the value held before.
  if (sender->CheckInput(false) && sender->CheckInput(true))
    sender->Value();
}

void TAtmPressForm::AltEdRangeError(TEditReal*, double, double, bool& update) {
  update = true;
  Beep();
}

bool TAtmPressForm::InputsValid() {
  for (TEditReal* edit : {AltEd, TempEd})
    if (!CheckEditValue(edit)) {
      edit->InputEdit()->setFocus(Qt::OtherFocusReason);
      edit->InputEdit()->selectAll();
      return false;
    }
  return true;
}

double TAtmPressForm::Calculate() {
  const double altitude = AltEd->Value();
  const double temperature = TempEd->Value();
  return BaroPressure(temperature, altitude, SeaLevelPressure);
}

void TAtmPressForm::CalculateBtnClick() {
  if (!InputsValid())
    return;
  ResultEd->SetValue(ConvertUnit(host_.Session().Prefs().AtmUnit, unit::hPa, Calculate()));
  ResultEd->SetEnabled(true);
}

void TAtmPressForm::OkBtnClick() {
  if (!InputsValid())
    return;
  CalculateBtnClick();
  if (!host_.TakeWizardValue(THostField::AtmPress, ResultEd->Value()))
    return;
  TPreferences& prefs = host_.Session().Prefs();
  prefs.Altitude = AltEd->Value();
  prefs.Temperature = TempEd->Value();
  accept();
}

void TAtmPressForm::HelpBtnClick() {
  ShowHelpTopic(helpctx::AtmPressWizard, QLatin1String(SubHelpWindow));
}

void TAtmPressForm::showEvent(QShowEvent* event) {
  TDialogBase::showEvent(event);
  if (!event->spontaneous())
    FormActivate();
}

void TAtmPressForm::FormActivate() {
  AltEd->InputEdit()->setFocus(Qt::OtherFocusReason);
  AltEd->InputEdit()->selectAll();
}

} // namespace dtool
