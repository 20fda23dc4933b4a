#include "ui/dialogs/prefform.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/records.h"
#include "core/units.h"
#include "link/instlink.h"
#include "session/session.h"
#include "ui/controls/radiogroup.h"
#include "ui/dialogs/dialoghost.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {

constexpr int ClientWidth = 341;
constexpr int ClientHeight = 435;

// The group's unit as it is stored: the selected item's unit, else the unit it had.
TUnit ChosenUnit(const TRadioGroup& group, TUnit stored) {
  if (group.ItemIndex() < 0)
    return stored;
  return GetUnit(group.ItemText().toStdString());
}

void SelectUnit(TRadioGroup& group, TUnit unit) {
  SelectRadioItem(group, unit <= unit::Last ? QString::fromStdString(UnitText(unit)) : QString());
}

} // namespace

TPrefForm::TPrefForm(IDialogHost& host)
    : TDialogBase(host.DialogParent(), HelpDialogFlags), host_(host) {
  setObjectName(QStringLiteral("PrefForm"));
  setWindowTitle(QStringLiteral("Preferences"));
  SetHelpContext(this, helpctx::Preferences);

  auto makeGroup = [this](const char* name, const char* caption, int helpContext) {
    auto* group = new TRadioGroup(QLatin1String(caption), this);
    group->setObjectName(QLatin1String(name));
    group->SetColumns(2);
    SetHelpContext(group, helpContext);
    return group;
  };
  PressUnitGr = makeGroup("PressUnitGr", "Unit &differential pressure", helpctx::PressUnit);
  VelocityUnitGr = makeGroup("VelocityUnitGr", "Unit &Velocity", helpctx::VelocityUnit);
  AtmUnitGr = makeGroup("AtmUnitGr", "Unit &atmospheric pressure", helpctx::AtmUnit);
  HoseUnitGr = makeGroup("HoseUnitGr", "Unit &hose length", helpctx::HoseUnit);
  ComPortGr = makeGroup("ComPortGr", "&COM Port", helpctx::ComPort);

  OkBtn = NewButton(this, "OkBtn", QStringLiteral("OK"));
  OkBtn->setDefault(true);
  BitBtn1 = NewButton(this, "BitBtn1", QStringLiteral("Cancel"));
  connect(OkBtn, &QPushButton::clicked, this, &TPrefForm::OkBtnClick);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkBtn);
  buttons->addWidget(BitBtn1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);
  for (TRadioGroup* group : {PressUnitGr, VelocityUnitGr, AtmUnitGr, HoseUnitGr, ComPortGr})
    layout->addWidget(group);
  layout->addStretch();
  layout->addLayout(buttons);

  FormCreate();
  SetDesignClientSize(this, ClientWidth, ClientHeight);
  InstallCaptionHelp(this);
}

void TPrefForm::FormCreate() {
  FillUnitRadioGroup(*PressUnitGr, PressUnitSet);
  FillUnitRadioGroup(*VelocityUnitGr, VelocityUnitSet);
  FillUnitRadioGroup(*AtmUnitGr, AtmUnitSet);
  FillUnitRadioGroup(*HoseUnitGr, HoseUnitSet);
  QStringList ports;
  for (int p = FirstComPort; p <= LastComPort; ++p)
    ports << QStringLiteral("COM-%1").arg(p);
  ComPortGr->SetItems(ports);
  LoadPrefs();
}

void TPrefForm::CentreOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (parentWidget() && parentWidget()->screen())
    screen = parentWidget()->screen();
  if (screen)
    move(screen->availableGeometry().center() - rect().center());
}

void TPrefForm::LoadPrefs() {
  const TPreferences& prefs = host_.Session().Prefs();
  SelectUnit(*PressUnitGr, prefs.PressUnit);
  SelectUnit(*VelocityUnitGr, prefs.VelocityUnit);
  SelectUnit(*AtmUnitGr, prefs.AtmUnit);
  SelectUnit(*HoseUnitGr, prefs.HoseUnit);
  ComPortGr->SetItemIndex(prefs.ComPort - FirstComPort);
  ComPortGr->setEnabled(!host_.TestMode());
}

void TPrefForm::StorePrefs(std::int32_t comPort) {
  TPreferences& prefs = host_.Session().Prefs();
  prefs.PressUnit = ChosenUnit(*PressUnitGr, prefs.PressUnit);
  prefs.VelocityUnit = ChosenUnit(*VelocityUnitGr, prefs.VelocityUnit);
  prefs.AtmUnit = ChosenUnit(*AtmUnitGr, prefs.AtmUnit);
  prefs.HoseUnit = ChosenUnit(*HoseUnitGr, prefs.HoseUnit);
  prefs.ComPort = comPort;
}

void TPrefForm::OkBtnClick() {
  // No live reading on a port that is being closed.
  const bool polling = host_.PausePollTimer();
  const std::int32_t current = host_.Session().Prefs().ComPort;
  const std::int32_t chosen =
      ComPortGr->ItemIndex() < 0 ? current : ComPortGr->ItemIndex() + FirstComPort;
  TInstLink* link = host_.Session().Link();
  bool ok = link != nullptr;
  if (ok && !(chosen == current && link->IsCommOpen(chosen)))
    ok = link->OpenCommunication(true, chosen);
  if (ok) {
    StorePrefs(chosen);
    host_.WriteSetToField_();
  }
  host_.ResumePollTimer(polling);
  if (ok)
    accept();
}

} // namespace dtool
