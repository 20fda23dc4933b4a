#include "ui/dialogs/outtest.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

#include "core/analogcal.h"
#include "core/records.h"
#include "link/instlink.h"
#include "session/session.h"
#include "tools/operatorport.h"
#include "ui/controls/editreal.h"
#include "ui/dialogs/dialoghost.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

bool EndAnalogOutput(TInstLink* link) {
  if (link && link->EndOutput(true))
    return true;
  WarningBox(OutputNotEndedText);
  return false;
}

TOutTestForm::TOutTestForm(IDialogHost& host)
    : TDialogBase(host.DialogParent(), HelpDialogFlags), host_(host) {
  setObjectName(QStringLiteral("OutTestForm"));
  setWindowTitle(QStringLiteral("Test analog output"));
  SetHelpContext(this, helpctx::OutputTest);

  OutvalEdLb = new QLabel(QStringLiteral("&Test value"), this);
  OutvalEdLb->setObjectName(QStringLiteral("OutvalEdLb"));
  OutvalEd = new TEditReal(this);
  OutvalEd->setObjectName(QStringLiteral("OutvalEd"));
  OutvalEd->SetControlStyle(csUpDown);
  OutvalEd->RangeLimit = true;
  OutvalEd->OnDataInput = [this](TEditReal*) { OutvalEdInput(); };
  // Enter and the spin buttons drive the output; leaving the edit does when its text changed.
  OutvalEd->OnExit = [this](TEditReal* sender) {
    if (sender->Modified())
      OutvalEdInput();
  };
  OutvalEd->OnChange = [this](TEditReal*) { OutvalEdChange(); };
  OutvalEd->OnRangeError = [this](TEditReal* sender, double rawval, double begrval, bool& update) {
    OutvalEdRangeError(sender, rawval, begrval, update);
  };
  SetHelpContext(OutvalEd, helpctx::OutputTestValue);
  OutvalEdLb->setBuddy(OutvalEd->InputEdit());
  OutValEdUnitLb = new QLabel(this);
  OutValEdUnitLb->setObjectName(QStringLiteral("OutValEdUnitLb"));

  CloseBtn = NewButton(this, "CloseBtn", QStringLiteral("&Close"));
  HelpBtn = NewButton(this, "HelpBtn", QStringLiteral("&Help"));
  connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, &TOutTestForm::HelpBtnClick);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setHorizontalSpacing(6);
  layout->setVerticalSpacing(8);
  layout->addWidget(OutvalEdLb, 0, 0);
  layout->addWidget(OutvalEd, 0, 1);
  layout->addWidget(OutValEdUnitLb, 0, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(CloseBtn);
  buttons->addWidget(HelpBtn);
  layout->addLayout(buttons, 2, 0, 1, 3);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(1, 1);

  setFixedSize(229, 93);
  InstallCaptionHelp(this);
}

void TOutTestForm::Execute() {
  TInstLink* link = host_.Session().Link();
  if (link == nullptr || isVisible())
    return;
  Values.TestPressFrom = Values.TestPressTo = 0;
  Values.TestVelocityFrom = Values.TestVelocityTo = 0;
  if (!link->InstrumentReady() ||
      host_.Session().CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText) != TOutcome::Done)
    return;
  if (!host_.Session().ReadParam(Values.TestVelocityFlagParam()))
    return;
  const bool velocity = Velocity();
  if (!host_.Session().ReadParam(velocity ? Values.TestVelocityFromParam()
                                          : Values.TestPressFromParam()) ||
      !host_.Session().ReadParam(velocity ? Values.TestVelocityToParam()
                                          : Values.TestPressToParam()))
    return;

  unit_ = velocity ? host_.Session().Prefs().VelocityUnit : host_.Session().Prefs().PressUnit;
  const TUnit base = velocity ? unit::m_s : unit::Pa;
  OutValEdUnitLb->setText(QString::fromStdString(UnitText(unit_)));
  OutvalEd->SetNachkomma(UnitDecimals(unit_));
  OutvalEd->IncVal = ConvertUnit(unit_, base, 1.0);
  const double from = ConvertUnit(unit_, base, From());
  const double to = ConvertUnit(unit_, base, To());
  OutvalEd->MaxVal = std::max(from, to);
  OutvalEd->MinVal = std::min(from, to);

  // The value of the last test goes out first; a refused set point opens nothing.
  if (!OutvalEdInput()) {
    EndTest(Abort);
    return;
  }
  exec();
}

bool TOutTestForm::OutvalEdInput() {
  if (!CheckEditValue(OutvalEd))
    return false;
  OutvalEd->CheckInput(true);
  double shown = 0;
  try {
    shown = OutvalEd->Value(); // limited to the range
  } catch (const EConvertError&) {
    return false;
  }
  TestValue = ConvertUnit(Velocity() ? unit::m_s : unit::Pa, unit_, shown);
  TInstLink* link = host_.Session().Link();
  const bool ok = link && link->CalOutput(true, true, OutputTestPercent(TestValue, From(), To()));
  if (!ok && Open())
    done(Abort);
  return ok;
}

void TOutTestForm::OutvalEdChange() {
  CheckEditValue(OutvalEd);
}

void TOutTestForm::OutvalEdRangeError(TEditReal*, double, double, bool& update) {
  update = true;
  Beep();
}

void TOutTestForm::HelpBtnClick() {
  ShowHelpTopic(helpctx::OutputTest, QLatin1String(SubHelpWindow));
}

void TOutTestForm::CloseWork(int result) {
  EndTest(result);
}

void TOutTestForm::EndTest(int result) {
  if (!EndAnalogOutput(host_.Session().Link()))
    return;
  // After a refused set point the link has been reported already.
  host_.Session().Link()->SendB10C(result != Abort);
}

void TOutTestForm::showEvent(QShowEvent* event) {
  TDialogBase::showEvent(event);
  if (!event->spontaneous())
    OutvalEd->InputEdit()->setFocus(Qt::OtherFocusReason);
}

} // namespace dtool
