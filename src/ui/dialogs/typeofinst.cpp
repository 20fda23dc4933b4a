#include "ui/dialogs/typeofinst.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/insttypes.h"
#include "core/records.h"
#include "core/settings.h"
#include "session/session.h"
#include "tools/fatal.h"
#include "ui/controls/radiogroup.h"
#include "ui/dialogs/dialoghost.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {
constexpr int ClientWidth = 341;
constexpr int ClientHeight = 143;
constexpr int TypeColumns = 3;
} // namespace

TTyOfInstFrm_::TTyOfInstFrm_(IDialogHost& host)
    : TDialogBase(host.DialogParent(), HelpDialogFlags), host_(host) {
  setObjectName(QStringLiteral("TyOfInstFrm_"));
  setWindowTitle(QStringLiteral("Type of Instrument"));
  SetHelpContext(this, helpctx::TypeOfInstrument);

  InstTypeGr = new TRadioGroup(QStringLiteral("&Instrument"), this);
  InstTypeGr->setObjectName(QStringLiteral("InstTypeGr"));
  InstTypeGr->SetColumns(TypeColumns);
  OkBtn = NewButton(this, "OkBtn", QStringLiteral("OK"));
  OkBtn->setDefault(true);
  cancelBtn = NewButton(this, "cancelBtn", QStringLiteral("Cancel"));
  connect(OkBtn, &QPushButton::clicked, this, &TTyOfInstFrm_::OkBtnClick);
  connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkBtn);
  buttons->addWidget(cancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);
  layout->addWidget(InstTypeGr);
  layout->addStretch();
  layout->addLayout(buttons);

  FormCreate();
  SetDesignClientSize(this, ClientWidth, ClientHeight);
  InstallCaptionHelp(this);
}

void TTyOfInstFrm_::FormCreate() {
  QStringList names;
  for (int type = 1; type <= MaxInstType; ++type)
    names << QString::fromStdString(InstTypeName(type));
  InstTypeGr->SetItems(names);
  SetInstr(host_.Session().Prefs().LastInstType);
  InstTypeGr->setEnabled(!host_.Session().Settings().ConfigRead());
  OkBtn->setEnabled(InstTypeGr->isEnabled());
}

void TTyOfInstFrm_::SetInstr(int type) {
  if (type < 0 || type > MaxInstType)
    FatalStop("TTyOfInstFrm_.SetInstr(): instr unknown!");
  InstTypeGr->SetItemIndex(type - 1);
}

std::uint8_t TTyOfInstFrm_::GetInstr() const {
  const int index = InstTypeGr->ItemIndex();
  if (index < -1 || index >= MaxInstType)
    FatalStop("TTyOfInstFrm_.GetInstr(): Unknown ItemIndex!");
  return static_cast<std::uint8_t>(index + 1);
}

void TTyOfInstFrm_::OkBtnClick() {
  host_.Session().Settings().SetInstType(GetInstr());
  accept();
}

} // namespace dtool
