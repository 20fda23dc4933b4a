#include "ui/dialogs/setprotect.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <cmath>

#include "session/session.h"
#include "tools/operatorport.h"
#include "ui/controls/editreal.h"
#include "ui/dialogs/dialogbase.h"
#include "ui/dialogs/enterprcode.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

TSetProtectForm::TSetProtectForm(TSession& session, QWidget* owner)
    : QDialog(owner, HelpDialogFlags), session_(session) {
  setObjectName(QStringLiteral("SetProtectForm"));
  setWindowTitle(QStringLiteral("Change protection code"));
  SetHelpContext(this, helpctx::ChangeCode);

  auto makeCodeEdit = [this](const char* name, int helpContext) {
    TEditReal* edit = NewCodeEdit(this, name);
    edit->OnChange = [this](TEditReal* sender) { xxEdChange(sender); };
    edit->OnDataInput = [this](TEditReal* sender) { xxEdDataInput(sender); };
    edit->OnRangeError = [this](TEditReal* sender, double rawval, double begrval, bool& update) {
      xxEdRangeError(sender, rawval, begrval, update);
    };
    SetHelpContext(edit, helpContext);
    return edit;
  };

  OldCdLb = new QLabel(QStringLiteral("Old code"), this);
  OldCdLb->setObjectName(QStringLiteral("OldCdLb"));
  OldCdEd = makeCodeEdit("OldCdEd", helpctx::OldCode);
  OldCdLb->setBuddy(OldCdEd->InputEdit());
  NewCdLb = new QLabel(QStringLiteral("New code"), this);
  NewCdLb->setObjectName(QStringLiteral("NewCdLb"));
  NewCdEd = makeCodeEdit("NewCdEd", helpctx::NewCode);
  NewCdLb->setBuddy(NewCdEd->InputEdit());

  DisableBtn = NewButton(this, "DisableBtn", QStringLiteral("&Disable code"));
  SetHelpContext(DisableBtn, helpctx::DisableCode);
  OkBtn = NewButton(this, "OkBtn", QStringLiteral("OK"));
  OkBtn->setDefault(true);
  CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("Cancel"));
  HelpBtn = NewButton(this, "HelpBtn", QStringLiteral("&Help"));
  connect(DisableBtn, &QPushButton::clicked, this, [this] { OkBtnClick(DisableBtn); });
  connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(OkBtn); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, &TSetProtectForm::HelpBtnClick);

  // The codes beside OK and Cancel, the new code on top when the old one is hidden;
  // "Disable code" beside Help at the bottom.
  auto* codes = new QGridLayout;
  codes->setContentsMargins(0, 0, 0, 0);
  codes->setHorizontalSpacing(6);
  codes->setVerticalSpacing(6);
  codes->addWidget(OldCdLb, 0, 0);
  codes->addWidget(OldCdEd, 0, 1);
  codes->addWidget(NewCdLb, 1, 0);
  codes->addWidget(NewCdEd, 1, 1);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setHorizontalSpacing(6);
  layout->setVerticalSpacing(6);
  layout->addLayout(codes, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(DisableBtn, 3, 0);
  layout->addWidget(OkBtn, 0, 1);
  layout->addWidget(CancelBtn, 1, 1);
  layout->addWidget(HelpBtn, 3, 1);
  layout->setRowStretch(2, 1);

  setFixedSize(231, 127);
  InstallCaptionHelp(this);
}

bool TSetProtectForm::Execute() {
  if (!session_.RequireReadData() || !session_.CheckInstrument(TShow::Messages))
    return false;
  bool isProtected = false;
  if (session_.ProtectionState(isProtected) != TOutcome::Done)
    return false;

  OldCdLb->setVisible(isProtected);
  OldCdEd->setVisible(isProtected);
  for (TEditReal* edit : {OldCdEd, NewCdEd}) {
    edit->MaxVal = MaxProtCode;
    edit->MinVal = MinProtCode;
    edit->SetValue(1);
  }
  return exec() == Accepted;
}

bool TSetProtectForm::ReadCode(TEditReal* edit, std::int32_t& code) {
  try {
    code = static_cast<std::int32_t>(std::lround(edit->Value()));
    return true;
  } catch (const EConvertError&) {
    ErrorBox(InvalidValueText);
    return false;
  }
}

void TSetProtectForm::OkBtnClick(QPushButton* sender) {
  std::int32_t newCode = 0; // "Disable code"
  if (sender == OkBtn) {
    if (!ReadCode(NewCdEd, newCode))
      return;
    std::int32_t repeated = 0; // no code entered: never equal to a new code
    TEnterPrCodeForm verify(this);
    if (!verify.Execute(repeated, QStringLiteral("Verify protection code"),
                        QStringLiteral("New code")))
      return;
    if (repeated != newCode) {
      WarningBox("The \"protection code\" was repeated incorrectly. \rThe \"protection code\" was "
                 "not changed! ");
      return;
    }
  }
  std::int32_t oldCode = 1; // an unprotected instrument takes any code
  if (!OldCdEd->isHidden() && !ReadCode(OldCdEd, oldCode))
    return;
  if (session_.ChangeProtCode(oldCode, newCode) != TOutcome::Done)
    return;
  InfoBox("Transfer was successful!");
  accept();
}

void TSetProtectForm::xxEdChange(TEditReal* sender) {
  CheckEditValue(sender);
}

void TSetProtectForm::xxEdDataInput(TEditReal* sender) {
  // A number is shown in the edit's format and then read once more, which limits it.
  if (sender->CheckInput(true))
    sender->Value();
}

void TSetProtectForm::xxEdRangeError(TEditReal*, double, double, bool& update) {
  update = true;
  Beep();
}

void TSetProtectForm::HelpBtnClick() {
  ShowHelpTopic(helpctx::ChangeCode, QLatin1String(SubHelpWindow));
}

void TSetProtectForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous())
    FormActivate();
}

void TSetProtectForm::FormActivate() {
  TEditReal* first = OldCdEd->isHidden() ? NewCdEd : OldCdEd;
  first->InputEdit()->setFocus(Qt::OtherFocusReason);
  OldCdEd->ClearText();
  NewCdEd->ClearText();
}

} // namespace dtool
