#include "ui/dialogs/contrcalc.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

#include "link/analoglink.h"
#include "link/instlink.h"
#include "session/session.h"
#include "tools/numeric.h"
#include "tools/operatorport.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {

// The display contrast register: read and write.
constexpr std::uint16_t ReadContrast = 0xA111;
constexpr std::uint16_t WriteContrast = 0xB111;
constexpr int MinContrast = 0;
constexpr int MaxContrast = 15;

const char* const RestoreFailedText =
    "It was impossible to save back the original data to the instrument!\r"
    "Disconnect the instrument only if you see the main form on the screen! ";

} // namespace

TContrCalcForm::TContrCalcForm(IDialogHost& host)
    : TDialogBase(host.DialogParent(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                           Qt::WindowContextHelpButtonHint),
      host_(host) {
  setObjectName(QStringLiteral("ContrCalcForm"));
  setWindowTitle(QStringLiteral("Display contrast wizard"));
  SetHelpContext(this, helpctx::ContrastWizard);

  ContrLab = new QLabel(QStringLiteral("&Contrast"), this);
  ContrLab->setObjectName(QStringLiteral("ContrLab"));
  DispTB = new QSlider(Qt::Horizontal, this);
  DispTB->setObjectName(QStringLiteral("DispTB"));
  DispTB->setRange(MinContrast, MaxContrast);
  DispTB->setSingleStep(1);
  DispTB->setPageStep(1);
  DispTB->setTickPosition(QSlider::TicksBelow);
  DispTB->setTickInterval(1);
  DispTB->setFocusPolicy(Qt::StrongFocus);
  ContrLab->setBuddy(DispTB);
  connect(DispTB, &QSlider::valueChanged, this, [this] { DispTBChange(); });

  OkBtn = NewButton(this, "OkBtn", QStringLiteral("OK"));
  OkBtn->setDefault(true);
  CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("Cancel"));
  HelpBtn = NewButton(this, "HelpBtn", QStringLiteral("&Help"));
  connect(OkBtn, &QPushButton::clicked, this, [this] { xxBtnClick(OkBtn); });
  connect(CancelBtn, &QPushButton::clicked, this, [this] { xxBtnClick(CancelBtn); });
  connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });

  // The slider beside its label, the buttons in a row below.
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setHorizontalSpacing(6);
  layout->setVerticalSpacing(6);
  layout->addWidget(ContrLab, 1, 0);
  layout->addWidget(DispTB, 1, 1);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(0, 1);
  layout->setRowStretch(2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  buttons->addWidget(OkBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);
  layout->addLayout(buttons, 3, 0, 1, 2);
  setTabOrder(DispTB, OkBtn);
  setTabOrder(OkBtn, CancelBtn);
  setTabOrder(CancelBtn, HelpBtn);

  setFixedSize(229, 93);
  InstallCaptionHelp(this);
}

bool TContrCalcForm::Execute() {
  TInstLink* link = host_.Session().Link();
  if (!link || !link->InstrumentReady())
    return false;
  TransRec rec = MakeTransRec(ReadContrast);
  if (!link->ExecCmd(rec, true) || !host_.Session().CheckSerialNo(TSerialCheck::Remember))
    return false;
  OrigContrast = rec.BBAA;
  // The main window's contrast, rounded as the settings keep it; the slider holds 0 to 15.
  const TShownField shown = host_.ShownField(THostField::Contrast);
  const double position =
      std::clamp(RoundHalfEven(shown.Value), double(MinContrast), double(MaxContrast));
  {
    const QSignalBlocker blocker(DispTB);
    DispTB->setValue(static_cast<int>(position));
  }
  restorePending_ = true;
  DispTBChange();
  DispTB->setFocus(Qt::OtherFocusReason);
  return exec() == Accepted;
}

void TContrCalcForm::DispTBChange() {
  TInstLink* link = host_.Session().Link();
  if (!link || !host_.Session().CheckSerialNo(TSerialCheck::Compare))
    return;
  TransRec rec = MakeTransRec(WriteContrast, static_cast<std::uint16_t>(DispTB->value()));
  link->ExecCmd(rec, false);
}

void TContrCalcForm::xxBtnClick(QPushButton* sender) {
  if (sender == OkBtn) {
    host_.TakeWizardValue(THostField::Contrast, DispTB->value());
    accept();
  } else {
    reject();
  }
}

void TContrCalcForm::HelpBtnClick() {
  ShowHelpTopic(helpctx::ContrastWizard, QLatin1String(SubHelpWindow));
}

void TContrCalcForm::CloseWork(int) {
  if (!restorePending_)
    return;
  restorePending_ = false;
  // The instrument's own contrast back, and the display restarted with it; closing is never
  // refused.
  TInstLink* link = host_.Session().Link();
  bool ok = link && host_.Session().CheckSerialNo(TSerialCheck::Compare);
  if (ok) {
    TransRec rec = MakeTransRec(WriteContrast, static_cast<std::uint16_t>(OrigContrast));
    ok = link->ExecCmd(rec, true);
  }
  if (ok)
    ok = link->SendB10D(true);
  if (!ok)
    WarningBox(RestoreFailedText);
}

} // namespace dtool
