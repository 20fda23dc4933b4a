#include "ui/dialogs/enterprcode.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <cmath>

#include "tools/operatorport.h"
#include "ui/controls/editreal.h"
#include "ui/dialogs/wizardcommon.h"

namespace dtool {

TEditReal* NewCodeEdit(QWidget* parent, const char* name) {
  auto* edit = new TEditReal(parent);
  edit->setObjectName(QLatin1String(name));
  edit->NoFloatInput = true;
  edit->SetNachkomma(0);
  edit->RangeLimit = true;
  edit->MinVal = MinProtCode;
  edit->MaxVal = MaxProtCode;
  edit->SetControlStyle(csNone);
  return edit;
}

TEnterPrCodeForm::TEnterPrCodeForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowContextHelpButtonHint) {
  setObjectName(QStringLiteral("EnterPrCodeForm"));

  CodeLb = new QLabel(this);
  CodeLb->setObjectName(QStringLiteral("CodeLb"));

  PrCodeEd = NewCodeEdit(this, "PrCodeEd");
  PrCodeEd->OnRangeError = [this](TEditReal* sender, double rawval, double begrval, bool& update) {
    PrCodeEdRangeError(sender, rawval, begrval, update);
  };
  CodeLb->setBuddy(PrCodeEd->InputEdit());

  OkBtn = NewButton(this, "OkBtn", QStringLiteral("OK"));
  OkBtn->setDefault(true);
  BitBtn1 = NewButton(this, "BitBtn1", QStringLiteral("Cancel"));
  connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkBtn);
  buttons->addWidget(BitBtn1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(4);
  layout->addWidget(CodeLb);
  layout->addWidget(PrCodeEd);
  layout->addStretch();
  layout->addLayout(buttons);

  setFixedSize(229, 93);
  InstallCaptionHelp(this);
}

bool TEnterPrCodeForm::Execute(std::int32_t& code, const QString& caption, const QString& label) {
  setWindowTitle(caption);
  CodeLb->setText(label);
  PrCodeEd->MaxVal = MaxProtCode;
  PrCodeEd->MinVal = MinProtCode;
  PrCodeEd->ClearText();
  if (exec() != Accepted)
    return false;
  // An empty edit holds no code: nothing was entered.
  if (!PrCodeEd->Text().trimmed().isEmpty()) {
    try {
      code = static_cast<std::int32_t>(std::lround(PrCodeEd->Value()));
    } catch (const EConvertError&) {
      // not a number: the code stays as it was
    }
  }
  return true;
}

bool AskProtCode(QWidget* owner, std::int32_t& code, const std::string& caption,
                 const std::string& label) {
  TEnterPrCodeForm form(owner);
  return form.Execute(code, QString::fromStdString(caption), QString::fromStdString(label));
}

void TEnterPrCodeForm::PrCodeEdRangeError(TEditReal*, double, double, bool& update) {
  update = true;
  Beep();
}

void TEnterPrCodeForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous())
    FormActivate();
}

void TEnterPrCodeForm::FormActivate() {
  PrCodeEd->InputEdit()->setFocus(Qt::OtherFocusReason);
  PrCodeEd->InputEdit()->selectAll();
}

} // namespace dtool
