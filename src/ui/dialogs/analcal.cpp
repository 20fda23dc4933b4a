#include "ui/dialogs/analcal.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/analogcal.h"
#include "core/settings.h"
#include "link/instlink.h"
#include "session/session.h"
#include "tools/operatorport.h"
#include "ui/controls/editreal.h"
#include "ui/controls/fields.h"
#include "ui/dialogs/dialoghost.h"
#include "ui/dialogs/outtest.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {

constexpr const char* CalculationErrorText = "Calculation error! ";

// The delay between two points: 1 to 120 s, 10 s to begin with.
constexpr double MinDelay = 1.0, MaxDelay = 120.0, StartDelay = 10.0;

constexpr int EditWidth = 80;

// The caption of a reading; its digits are the mnemonic.
QString ReadingCaption(double percent) {
  return QString::asprintf("Read &%0.0f%s value", percent, "%");
}

} // namespace

TAnalCalForm::TAnalCalForm(IDialogHost& host, const TWizardTimerSource& timers)
    : TDialogBase(host.DialogParent(), HelpDialogFlags), host_(host),
      calTimer_(NewWizardTimer(timers)) {
  setObjectName(QStringLiteral("AnalCalForm"));
  setWindowTitle(QStringLiteral("Analog output calibration wizard"));
  SetHelpContext(this, helpctx::AnalogCal);
  calTimer_->SetEnabled(false);
  calTimer_->SetOnTimer([this] { CalTimerTimer(); });

  auto label = [this](const QString& text, const char* name) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QLatin1String(name));
    return l;
  };
  auto edit = [this](const char* name, TControlStyle style, int helpContext) {
    auto* e = new TEditReal(this);
    e->setObjectName(QLatin1String(name));
    e->SetControlStyle(style);
    e->setFixedWidth(EditWidth);
    SetHelpContext(e, helpContext);
    return e;
  };
  auto button = [this](const QString& text, const char* name, int helpContext) {
    QPushButton* b = NewButton(this, name, text);
    if (helpContext > 0)
      SetHelpContext(b, helpContext);
    return b;
  };

  CalTimEdLb = label(QStringLiteral("&Delay"), "CalTimEdLb");
  CalTimEd = edit("CalTimEd", csUpDown, helpctx::AnalogCalDelay);
  CalTimEd->SetNachkomma(0);
  CalTimEd->IncVal = 1.0;
  CalTimEd->RangeLimit = true;
  CalTimEd->MinVal = MinDelay;
  CalTimEd->MaxVal = MaxDelay;
  CalTimEdUnitLb = label(QStringLiteral("s"), "CalTimEdUnitLb");
  StartCalBtn =
      button(QStringLiteral("&Start calibration"), "StartCalBtn", helpctx::AnalogCalStart);

  AnCalUntLb = label(ReadingCaption(CalLowerPercent), "AnCalUntLb");
  UntReadEd = edit("UntReadEd", csNone, helpctx::AnalogCalLowerReading);
  UntReadEdUnitLb = label(QString(), "UntReadEdUnitLb");
  AnCalObLb = label(ReadingCaption(CalUpperPercent), "AnCalObLb");
  ObReadEd = edit("ObReadEd", csNone, helpctx::AnalogCalUpperReading);
  ObReadEdUnitLb = label(QString(), "ObReadEdUnitLb");

  CalculateBtn = button(QStringLiteral("&Calculate offset and gain"), "CalculateBtn",
                        helpctx::AnalogCalCalculate);
  FSettingsBtn =
      button(QStringLiteral("&Factory offset, gain"), "FSettingsBtn", helpctx::AnalogCalFactory);

  OffsetResEdLb = label(QStringLiteral("Offset"), "OffsetResEdLb");
  OffsetResEd = edit("OffsetResEd", csNone, helpctx::AnalogCalResult);
  OffsetResEdUnitLb = label(QString(), "OffsetResEdUnitLb");
  GainResEdLb = label(QStringLiteral("Gain"), "GainResEdLb");
  GainResEd = edit("GainResEd", csNone, helpctx::AnalogCalResult);
  for (TEditReal* e : {OffsetResEd, GainResEd}) {
    e->SetReadOnly(true);
    e->SetEnabled(false);
  }
  OffsetResEdLb->setBuddy(OffsetResEd->InputEdit());
  GainResEdLb->setBuddy(GainResEd->InputEdit());

  OkBtn = button(QStringLiteral("&Use result"), "OkBtn", helpctx::AnalogCalUseResult);
  CancelBtn = button(QStringLiteral("Cancel"), "CancelBtn", 0);
  HelpBtn = button(QStringLiteral("&Help"), "HelpBtn", 0);

  CalTimEdLb->setBuddy(CalTimEd->InputEdit());
  AnCalUntLb->setBuddy(UntReadEd->InputEdit());
  AnCalObLb->setBuddy(ObReadEd->InputEdit());

  for (TEditReal* e : {CalTimEd, UntReadEd, ObReadEd}) {
    e->OnChange = [this](TEditReal* sender) { xxEdChange(sender); };
    e->OnDataInput = [this](TEditReal* sender) { xxEdDataInput(sender); };
  }
  CalTimEd->OnRangeError = [this](TEditReal* sender, double rawval, double begrval, bool& update) {
    xxEdRangeError(sender, rawval, begrval, update);
  };
  connect(StartCalBtn, &QPushButton::clicked, this, [this] { StartCalBtnClick(); });
  connect(CalculateBtn, &QPushButton::clicked, this, [this] { CalculateBtnClick(); });
  connect(FSettingsBtn, &QPushButton::clicked, this, [this] { FSettingsBtnClick(); });
  connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });

  // The delay beside Start; the readings with the calculation below them; the result; the
  // dialog's buttons at the bottom.
  auto* grid = new QGridLayout;
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(8);
  grid->addWidget(CalTimEdLb, 0, 0);
  grid->addWidget(CalTimEd, 0, 1);
  grid->addWidget(CalTimEdUnitLb, 0, 2);
  grid->addWidget(StartCalBtn, 0, 4);
  grid->addWidget(AnCalUntLb, 1, 0);
  grid->addWidget(UntReadEd, 1, 1);
  grid->addWidget(UntReadEdUnitLb, 1, 2);
  grid->addWidget(AnCalObLb, 2, 0);
  grid->addWidget(ObReadEd, 2, 1);
  grid->addWidget(ObReadEdUnitLb, 2, 2);
  auto* calculation = new QHBoxLayout;
  calculation->setSpacing(6);
  calculation->addWidget(CalculateBtn);
  calculation->addWidget(FSettingsBtn);
  calculation->addStretch(1);
  grid->addLayout(calculation, 3, 0, 1, 5);
  grid->addWidget(OffsetResEdLb, 4, 0);
  grid->addWidget(OffsetResEd, 4, 1);
  grid->addWidget(OffsetResEdUnitLb, 4, 2);
  grid->addWidget(GainResEdLb, 5, 0);
  grid->addWidget(GainResEd, 5, 1);
  grid->setColumnMinimumWidth(2, 24);
  grid->setColumnStretch(3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  buttons->addStretch(1);
  buttons->addWidget(OkBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addLayout(buttons);

  QWidget* order[] = {CalTimEd->InputEdit(),
                      StartCalBtn,
                      UntReadEd->InputEdit(),
                      ObReadEd->InputEdit(),
                      CalculateBtn,
                      FSettingsBtn,
                      OffsetResEd->InputEdit(),
                      GainResEd->InputEdit(),
                      OkBtn,
                      CancelBtn,
                      HelpBtn};
  for (std::size_t i = 1; i < std::size(order); ++i)
    setTabOrder(order[i - 1], order[i]);

  setFixedSize(366, 269);
  InstallCaptionHelp(this);
}

TAnalCalForm::~TAnalCalForm() {
  // The timer may outlive the window's controls by a moment: it must reach no handler then.
  calTimer_->SetEnabled(false);
  calTimer_->SetOnTimer(nullptr);
}

bool TAnalCalForm::Execute() {
  const TShownField from = host_.ShownField(THostField::AnFrom);
  const TShownField to = host_.ShownField(THostField::AnTo);
  if (!from.Valid || !to.Valid) {
    ErrorBox(InvalidValueText);
    return false;
  }
  if (host_.Session().BackupAndWrite() != TOutcome::Done)
    return false;

  outUnit_ = host_.AnalogOutUnit();
  baseUnit_ = InUnitSet(outUnit_, VelocityUnitSet) ? unit::m_s : unit::Pa;
  AnFrom = ConvertUnit(baseUnit_, outUnit_, from.Value);
  AnTo = ConvertUnit(baseUnit_, outUnit_, to.Value);

  const QString unitText = QString::fromStdString(UnitText(outUnit_));
  for (QLabel* l : {UntReadEdUnitLb, ObReadEdUnitLb})
    l->setText(unitText);
  for (TEditReal* e : {UntReadEd, ObReadEd})
    e->SetNachkomma(UnitDecimals(outUnit_) + 1);
  SettingToEdit(UntReadEd, outUnit_, baseUnit_, PointValue(false));
  SettingToEdit(ObReadEd, outUnit_, baseUnit_, PointValue(true));

  const TShownField offset = host_.ShownField(THostField::AnOffset);
  const TShownField gain = host_.ShownField(THostField::AnGain);
  OffsetResEdUnitLb->setText(offset.Unit);
  OffsetResEd->SetNachkomma(offset.Decimals);
  OffsetResEd->SetValue(offset.Value);
  GainResEd->SetNachkomma(gain.Decimals);
  GainResEd->SetValue(gain.Value);
  ShowResult(false);
  readingChanged_ = false;

  CalTimEd->MaxVal = MaxDelay;
  CalTimEd->MinVal = MinDelay;
  {
    TMuteChange mute(CalTimEd);
    CalTimEd->SetValue(StartDelay);
  }
  return exec() == Accepted;
}

double TAnalCalForm::PointValue(bool upper) const {
  return CalPointValue(AnFrom, AnTo, upper);
}

bool TAnalCalForm::DelaySeconds(double& seconds) {
  // The text as typed, without the edit's range handling, which would rewrite it.
  TEditReal& ed = *CalTimEd;
  const bool limit = ed.RangeLimit;
  TRangeErrEvent handler = std::move(ed.OnRangeError);
  ed.RangeLimit = false;
  ed.OnRangeError = nullptr;
  bool ok = true;
  try {
    seconds = std::clamp(ed.Value(), MinDelay, MaxDelay);
  } catch (const EConvertError&) {
    ok = false;
  }
  ed.RangeLimit = limit;
  ed.OnRangeError = std::move(handler);
  return ok;
}

void TAnalCalForm::StartCalBtnClick() {
  double seconds = StartDelay;
  if (!DelaySeconds(seconds)) {
    ErrorBox(InvalidValueText);
    return;
  }
  UpperPoint = true;
  RestartTimer(*calTimer_);
  calTimer_->SetInterval(static_cast<int>(std::lround(seconds * 1000)));
  calTimer_->SetEnabled(true);
  StartCalBtn->setEnabled(false);
  CalTimerTimer();
}

void TAnalCalForm::CalTimerTimer() {
  if (!Open())
    return;
  // No tick comes while the command is out, also when a message box is open meanwhile.
  const bool enabled = calTimer_->Enabled();
  calTimer_->SetEnabled(false);
  UpperPoint = !UpperPoint;
  TInstLink* link = host_.Session().Link();
  const bool ok =
      link && link->CalOutput(true, false, UpperPoint ? CalUpperPercent : CalLowerPercent);
  // A window closed meanwhile has stopped the calibration for good.
  if (!Open())
    return;
  calTimer_->SetEnabled(enabled);
  if (!ok)
    StopCalibration(true, false);
}

bool TAnalCalForm::StopCalibration(bool show, bool endOutput) {
  calTimer_->SetEnabled(false);
  StartCalBtn->setEnabled(true);
  if (!endOutput)
    return true;
  if (show)
    return EndAnalogOutput(host_.Session().Link());
  return host_.Session().Link() && host_.Session().Link()->EndOutput(false);
}

void TAnalCalForm::xxEdChange(TEditReal* sender) {
  if (sender == CalTimEd) {
    double seconds = 0;
    if (calTimer_->Enabled() && DelaySeconds(seconds))
      calTimer_->SetInterval(static_cast<int>(std::lround(seconds * 1000)));
    return;
  }
  // The result no longer matches the readings.
  readingChanged_ = true;
  ShowResult(false);
  CheckEditValue(sender);
}

void TAnalCalForm::xxEdDataInput(TEditReal* sender) {
  if (!sender->CheckInput(true))
    return;
  try {
    sender->Value();
  } catch (const EConvertError&) {
  }
}

void TAnalCalForm::xxEdRangeError(TEditReal*, double, double, bool& update) {
  update = true;
  Beep();
}

bool TAnalCalForm::CalculateBtnClick() {
  const TSettings& sett = host_.Session().Settings();
  const int cls = sett.GetInstClass();
  const bool liveZero = (cls == 2 || cls == 3 ? sett.Class23.An_4_20 : sett.Class1.An_4_20) != 0;
  std::optional<TAnalogCorrection> c;
  try {
    const double upper = ConvertUnit(baseUnit_, outUnit_, ObReadEd->Value());
    const double lower = ConvertUnit(baseUnit_, outUnit_, UntReadEd->Value());
    c = CalcAnalogCorrection(AnFrom, AnTo, lower, upper, liveZero);
  } catch (const EConvertError&) {
  }
  if (!c) {
    ErrorBox(CalculationErrorText);
    return false;
  }
  GainResEd->SetValue(c->Gain);
  OffsetResEd->SetValue(ConvertUnit(sett.AnOffsetUnit(), unit::AnalogOffset, c->Offset));
  ShowResult(true);
  readingChanged_ = false;
  return true;
}

void TAnalCalForm::FSettingsBtnClick() {
  OffsetResEd->SetValue(0);
  GainResEd->SetValue(1.0);
  ShowResult(true);
  readingChanged_ = false;
}

void TAnalCalForm::OkBtnClick() {
  // The result fields as shown; computed afresh only for readings changed since.
  if (readingChanged_ && !CalculateBtnClick())
    return;
  double offset = 0, gain = 0;
  try {
    offset = OffsetResEd->Value();
    gain = GainResEd->Value();
  } catch (const EConvertError&) {
    ErrorBox(InvalidValueText);
    return;
  }
  if (!host_.TakeWizardValue(THostField::AnOffset, offset) ||
      !host_.TakeWizardValue(THostField::AnGain, gain))
    return;
  accept();
}

void TAnalCalForm::HelpBtnClick() {
  ShowHelpTopic(helpctx::AnalogCal, QLatin1String(SubHelpWindow));
}

void TAnalCalForm::ShowResult(bool enabled) {
  OffsetResEd->SetEnabled(enabled);
  GainResEd->SetEnabled(enabled);
}

void TAnalCalForm::CloseWork(int) {
  StopCalibration(true, true);
  host_.Session().Restore();
}

void TAnalCalForm::showEvent(QShowEvent* event) {
  TDialogBase::showEvent(event);
  if (!event->spontaneous())
    CalTimEd->InputEdit()->setFocus(Qt::OtherFocusReason);
}

} // namespace dtool
