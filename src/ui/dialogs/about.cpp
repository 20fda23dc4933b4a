#include "ui/dialogs/about.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/pictures.h"
#include "session/session.h"
#include "ui/dialogs/aboutinfo.h"
#include "ui/dialogs/dialoghost.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {
constexpr int ClientWidth = 352;
constexpr int ClientHeight = 293;
constexpr int LogoSize = 64;
} // namespace

TAboutForm::TAboutForm(IDialogHost& host)
    : TDialogBase(host.DialogParent(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                           Qt::WindowContextHelpButtonHint),
      host_(host) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(QStringLiteral("About"));
  SetHelpContext(this, helpctx::About);
  FormCreate();
  SetDesignClientSize(this, ClientWidth, ClientHeight);
  InstallCaptionHelp(this);
}

void TAboutForm::FormCreate() {
  auto label = [this](const char* name, const QString& text = QString()) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QLatin1String(name));
    return l;
  };
  LogoImg = label("LogoImg");
  LogoImg->setPixmap(MakerLogo().pixmap(LogoSize, LogoSize));
  NameLb = label("NameLb");
  QFont nameFont = NameLb->font();
  nameFont.setBold(true);
  nameFont.setPointSizeF(nameFont.pointSizeF() * 1.25);
  NameLb->setFont(nameFont);
  MakerLb = label("MakerLb", QLatin1String(MakerName));
  MakerLineLb = label("MakerLineLb", QLatin1String(MakerLine));

  InfoPanel = new QFrame(this);
  InfoPanel->setObjectName(QStringLiteral("InfoPanel"));
  InfoPanel->setFrameShape(QFrame::StyledPanel);
  InfoPanel->setFrameShadow(QFrame::Sunken);
  auto infoLabel = [this](const char* name) {
    auto* l = new QLabel(InfoPanel);
    l->setObjectName(QLatin1String(name));
    return l;
  };
  InstrumentLb = infoLabel("InstrumentLb");
  InstrumentValLb = infoLabel("InstrumentValLb");
  SerialNrLb = infoLabel("SerialNrLb");
  SerialNrValLb = infoLabel("SerialNrValLb");
  RangeLb = infoLabel("RangeLb");
  RangeValLb = infoLabel("RangeValLb");
  AnOutLb = infoLabel("AnOutLb");
  AnaOutValLb = infoLabel("AnaOutValLb");
  firmMainLb = infoLabel("firmMainLb");
  firmMainValLb = infoLabel("firmMainValLb");
  FirmSensLb = infoLabel("FirmSensLb");
  FirmSensValLb = infoLabel("FirmSensValLb");
  QFont bold = InstrumentValLb->font();
  bold.setBold(true);
  InstrumentValLb->setFont(bold);
  auto* grid = new QGridLayout(InfoPanel);
  grid->setContentsMargins(10, 8, 10, 8);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  const std::pair<QLabel*, QLabel*> rows[] = {
      {InstrumentLb, InstrumentValLb}, {SerialNrLb, SerialNrValLb}, {RangeLb, RangeValLb},
      {AnOutLb, AnaOutValLb},          {firmMainLb, firmMainValLb}, {FirmSensLb, FirmSensValLb}};
  int row = 0;
  for (const auto& [caption, value] : rows) {
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(caption, row, 0);
    grid->addWidget(value, row, 1);
    ++row;
  }
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(row, 1);

  CloseBtn = NewButton(this, "CloseBtn", QStringLiteral("&Close"));
  CloseBtn->setDefault(true);
  connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);

  auto* maker = new QVBoxLayout;
  maker->setSpacing(2);
  maker->addWidget(NameLb);
  maker->addWidget(MakerLb);
  maker->addWidget(MakerLineLb);
  maker->addStretch();
  auto* head = new QHBoxLayout;
  head->setSpacing(12);
  head->addWidget(LogoImg, 0, Qt::AlignTop);
  head->addLayout(maker, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(CloseBtn);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(8);
  layout->addLayout(head);
  layout->addWidget(InfoPanel, 1);
  layout->addLayout(buttons);
}

void TAboutForm::Show(const TAboutInfo& info) {
  NameLb->setText(info.Name);
  const std::pair<QLabel*, QLabel*> rows[] = {
      {InstrumentLb, InstrumentValLb}, {SerialNrLb, SerialNrValLb}, {RangeLb, RangeValLb},
      {AnOutLb, AnaOutValLb},          {firmMainLb, firmMainValLb}, {FirmSensLb, FirmSensValLb}};
  for (int i = 0; i < aboutline::Count; ++i) {
    const TAboutLine& line = info.Lines[static_cast<std::size_t>(i)];
    rows[i].first->setText(line.Caption);
    rows[i].second->setText(line.Value);
    rows[i].first->setVisible(line.Visible);
    rows[i].second->setVisible(line.Visible);
  }
}

void TAboutForm::FillInfo() {
  Show(AboutInfo(host_.Session().Settings(), host_.IdentityTexts(), host_.BuildCaption()));
  // Long firmware texts widen the window.
  InfoPanel->layout()->invalidate();
  InfoPanel->updateGeometry();
  SetDesignClientSize(this, ClientWidth, ClientHeight);
}

int TAboutForm::Execute() {
  FillInfo();
  CloseBtn->setFocus(Qt::OtherFocusReason);
  return exec();
}

} // namespace dtool
