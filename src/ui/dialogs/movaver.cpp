#include "ui/dialogs/movaver.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "core/records.h"
#include "link/instlink.h"
#include "link/linkformat.h"
#include "session/session.h"
#include "tools/operatorport.h"
#include "ui/controls/fields.h"
#include "ui/dialogs/dialoghost.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {
constexpr int ClientWidth = 276;
constexpr int ClientHeight = 93;
} // namespace

TMovAverForm::TMovAverForm(IDialogHost& host, QWidget* parent)
    : TDialogBase(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      host_(host) {
  setObjectName(QStringLiteral("MovAverForm"));
  setWindowTitle(QStringLiteral("Filter (moving average)"));
  SetHelpContext(this, helpctx::MovAver);

  ReadingLb = new QLabel(QStringLiteral("&Reading"), this);
  ReadingLb->setObjectName(QStringLiteral("ReadingLb"));
  MovAverCb = new QComboBox(this);
  MovAverCb->setObjectName(QStringLiteral("MovAverCb"));
  MovAverCb->setEditable(false);
  SetHelpContext(MovAverCb, helpctx::MovAverList);
  ReadingLb->setBuddy(MovAverCb);
  MovAverCbUnit = new QLabel(QStringLiteral("Samples"), this);
  MovAverCbUnit->setObjectName(QStringLiteral("MovAverCbUnit"));

  OkBtn = NewButton(this, "OkBtn", QStringLiteral("OK"));
  OkBtn->setDefault(true);
  CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("Cancel"));
  HelpBtn = NewButton(this, "HelpBtn", QStringLiteral("&Help"));
  connect(OkBtn, &QPushButton::clicked, this, &TMovAverForm::OkBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, &TMovAverForm::HelpBtnClick);

  auto* reading = new QHBoxLayout;
  reading->setSpacing(6);
  reading->addWidget(ReadingLb);
  reading->addWidget(MovAverCb, 1);
  reading->addWidget(MovAverCbUnit);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  buttons->addWidget(OkBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);
  layout->addLayout(reading);
  layout->addStretch();
  layout->addLayout(buttons);

  FormCreate();
  SetDesignClientSize(this, ClientWidth, ClientHeight);
}

std::int32_t TMovAverForm::FormCreate() {
  TInstLink* link = host_.Session().Link();
  if (!link)
    return StatusUnusable;
  std::int32_t shortest = 0;
  std::int32_t longest = 0;
  const std::int32_t status = link->MovAverBounds(shortest, longest);
  if (status != 0)
    return status;
  FiltMax = longest;
  FiltMin = shortest;
  FillFilterCombo(MovAverCb, FiltMax, FiltMin);
  filled_ = true;
  return 0;
}

int TMovAverForm::ShowModal() {
  // Bounds that the library did not tell at start are asked for again.
  if (!filled_) {
    const std::int32_t status = FormCreate();
    if (status != 0) {
      ErrorBox(SwitchLinkError(status));
      return Rejected;
    }
  }
  const std::int32_t stored = host_.Session().Prefs().MovAverFilt;
  MovAverCb->setCurrentIndex(std::clamp(stored, FiltMin, FiltMax) - FiltMin);
  MovAverCb->setFocus(Qt::OtherFocusReason);
  return exec();
}

void TMovAverForm::OkBtnClick() {
  host_.Session().Prefs().MovAverFilt = FiltMin + std::max(MovAverCb->currentIndex(), 0);
  accept();
}

void TMovAverForm::HelpBtnClick() {
  ShowHelpTopic(helpctx::MovAver, QLatin1String(SubHelpWindow));
}

} // namespace dtool
