// The main window as a shell: start and end, pages by instrument type, identity panel,
// caption, test mode, help language and home page.
#include "ui/main/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <climits>
#include <cmath>
#include <filesystem>
#include <utility>

#include "link/instlink.h"
#include "resources/pictures.h"
#include "tools/fatal.h"
#include "tools/operatorport.h"
#include "tools/options.h"
#include "tools/progtools.h"
#include "ui/controls/radiogroup.h"
#include "ui/dialogs/about.h"
#include "ui/dialogs/gainform.h"
#include "ui/dialogs/hosecalc.h"
#include "ui/dialogs/outtest.h"
#include "ui/dialogs/prefform.h"
#include "ui/help/helpsystem.h"
#include "ui/main/setfile.h"

namespace dtool {

TMainForm* MainForm = nullptr;

std::function<bool(const QString&)> TMainForm::UrlOpener = [](const QString& url) {
  return QDesktopServices::openUrl(QUrl(url));
};

namespace {

constexpr int CheckInstInterval = 4000;
constexpr int DesignDpi = 96;
constexpr QSize DesignClientSize{632, 512};
constexpr int WideClientWidth = 788;

// The session's pauses while it waits for the instrument: the window keeps painting and its
// timers run, and the operator's input waits until the pause is over.
void WaitPainting(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

bool IsStaticType(int type) {
  return type >= 1 && type <= 8;
}

// An action's caption without its accelerator marks, as a hint shows it.
QString PlainCaption(const QString& caption) {
  QString text = caption;
  text.replace(QLatin1String("&&"), QLatin1String("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

} // namespace

QSize MainClientSize(double logicalDpi) {
  if (logicalDpi <= DesignDpi)
    return DesignClientSize;
  const int height = static_cast<int>(
      std::lround(DesignClientSize.height() * double(WideClientWidth) / DesignClientSize.width()));
  return {WideClientWidth, height};
}

QString HomepageUrl() {
  return QStringLiteral("https://") + QString::fromLatin1(HomepageHost);
}

TMainForm::TMainForm(const std::string& setFileName, TSessionSetup sessionSetup, QWidget* parent)
    : QMainWindow(parent), setFileName_(setFileName), sessionSetup_(std::move(sessionSetup)) {
  MainForm = this;
  setObjectName(QStringLiteral("MainForm"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowIcon(AppIcon());

  const QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
  BuildLayout(scr ? scr->logicalDotsPerInch() : DesignDpi);

  CheckInstTim = new QTimer(this);
  CheckInstTim->setObjectName(QStringLiteral("CheckInstTim"));
  CheckInstTim->setInterval(CheckInstInterval);
  TimReadNoDataSuppr = new QTimer(this);
  TimReadNoDataSuppr->setObjectName(QStringLiteral("TimReadNoDataSuppr"));
  TimReadNoDataSuppr->setSingleShot(true);

  WireEvents();
  FormCreate();
}

TMainForm::~TMainForm() {
  FormDestroy();
  if (MainForm == this)
    MainForm = nullptr;
}

void TMainForm::WireEvents() {
  connect(CheckInstTim, &QTimer::timeout, this, [this] { CheckInstTimTimer(); });
  connect(TimReadNoDataSuppr, &QTimer::timeout, this, [this] { TimReadNoDataSupprTimer(); });
  connect(FileExit1, &QAction::triggered, this, &QWidget::close);
  connect(ActHelpEnglish, &QAction::triggered, this, [this] { ActHelpXXXExecute(ActHelpEnglish); });
  connect(ActHelpInGerman, &QAction::triggered, this,
          [this] { ActHelpXXXExecute(ActHelpInGerman); });
  connect(ActMeltraneHomepage, &QAction::triggered, this, [this] { ActMeltraneHomepageExecute(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  // Ctrl+PgDown and Ctrl+PgUp turn the pages as Ctrl+Tab and Ctrl+Shift+Tab do.
  for (const auto& [key, step] : {std::pair{Qt::Key_PageDown, 1}, std::pair{Qt::Key_PageUp, -1}})
    new QShortcut(
        QKeySequence(Qt::CTRL | key), PageControl,
        [this, step = step] {
          const int count = PageControl->count();
          if (count > 1)
            PageControl->setCurrentIndex((PageControl->currentIndex() + step + count) % count);
        },
        Qt::WidgetWithChildrenShortcut);
  WireCommands();
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s == Qt::ApplicationActive)
      ApplicationEvents1Activate();
  });
  WireBinding();
}

// The start sequence; the numbers are its steps.
void TMainForm::FormCreate() {
  // 1, 2: in front, with the system's menu font.
  raise();
  menuBar()->setFont(QApplication::font("QMenuBar"));
  // 3: the home page.
  LblHomepage->setText(QString::fromLatin1(HomepageHost));
  ActMeltraneHomepage->setText(QString::fromLatin1(HomepageHost));
  // 4: a fatal stop first stops the poll timer.
  SetFatalHook([this] { CheckInstTim->stop(); });
  // 11 (the items are needed before the layout of the display page is measured).
  FillUnitRadioGroup(*DisplPressUnitGr, PressUnitSet);
  FillUnitRadioGroup(*DisplVelocityUnitGr, VelocityUnitSet);
  ArrangeUnitGroups();
  // 5: where the display group sits below both unit groups.
  if (auto* box = qobject_cast<QBoxLayout*>(DispPg->layout()))
    ContrastGbTop = box->contentsMargins().top() + DisplPressUnitGr->sizeHint().height() +
                    box->spacing() + DisplVelocityUnitGr->sizeHint().height() + box->spacing();
  // 6: the client size for the screen's density; centred on the screen.
  const QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
  const QSize client = MainClientSize(scr ? scr->logicalDotsPerInch() : DesignDpi);
  setFixedSize(client.width(),
               client.height() + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
  if (scr)
    move(scr->availableGeometry().center() - rect().center());
  // 7, 8
  setWindowTitle(QString::fromStdString(BuildCaption()));
  PageControl->setCurrentWidget(MeasPg);
  // 9: the dialogs that live as long as the window are made at their first use (OutTestForm,
  // AboutForm, HoseCalcForm, GainForm).
  // 10: the session with the settings object and the link it talks through; it keeps what the
  // settings file can keep.
  TSessionSetup setup = std::move(sessionSetup_);
  if (setup.LogFile.empty())
    setup.LogFile = LogFileName();
  if (!setup.Clock.Pause)
    setup.Clock.Pause = WaitPainting;
  setup.RecordUsable = {Class1ParamsUsable, Class23ParamsUsable, SwitchParamsUsable};
  session_ = std::make_unique<TSession>(*this, std::move(setup));
  sett = &session_->Settings();
  if (!session_->Link()) {
    ErrorBox(session_->LinkLoadError().Text());
    TerminateApplication();
    return;
  }
  // 12: preferences and the last configuration.
  SetDefaultPrefs(session_->SettingsOwner());
  LoadSetFile(session_->SettingsOwner(), *sett, setFileName_);
  settingsLoaded_ = true;
  // A filter length the switch library refuses would fail every opening of its port.
  Link()->LimitMovAverFilt();
  // 13 to 15: hints stay until the mouse leaves the control.
  SetHelpLan(Prefs().HelpLanguage);
  FillCombos();
  qApp->installEventFilter(this);
  // 16, 17
  sett->SetConfigRead(false);
  session_->ReopenLink();
  // 18, 19
  RefreshUnitLabels();
  WriteSetToField_(true);
  ShowInstIdentity();
  RefreshButtons();
  // 20, 21
  CheckInstTim->start();
  ApplyTestMode();
  // 22
  VelocityChBClick(VelocityChB);
  ShowVelocityGroup(VelocityGbShown);
  // 23
  for (TEditReal* ed : {VelocityNEd, EdrVelocityNPstat}) {
    ed->MinVal = 1.0;
    ed->MaxVal = 2.0;
  }
  for (TEditReal* ed : {EdrAl1DlyStatic, EdrAl2DlyStatic}) {
    ed->MinVal = 0.0;
    ed->MaxVal = 3000.0;
    ed->IncVal = 1.0;
  }
  // 24: every action's hint is its caption.
  for (QAction* a : ActMan1->findChildren<QAction*>()) {
    a->setToolTip(PlainCaption(a->text()));
    a->setStatusTip(PlainCaption(a->text()));
  }
  // 25
  raise();
}

void TMainForm::FormDestroy() {
  destroying_ = true;
  qApp->removeEventFilter(this);
  CheckInstTim->stop();
  TimReadNoDataSuppr->stop();
  SetFatalHook(nullptr);
  if (settingsLoaded_)
    SaveSetFile(session_->SettingsOwner(), *sett, setFileName_);
  sett = nullptr;
  session_.reset();
  CloseHelpWindows();
}

// ---- Owner calls ----

void TMainForm::RefreshButtons() {
  WriteBtn->setEnabled(sett->InstType() != 0);
  AnOffsetEdUnitLb->setEnabled(!sett->ConfigRead());
}

bool TMainForm::PausePollTimer() {
  const bool running = CheckInstTim->isActive();
  CheckInstTim->stop();
  return running;
}

void TMainForm::ResumePollTimer(bool running) {
  if (running)
    CheckInstTim->start();
  else
    CheckInstTim->stop();
}

std::string TMainForm::LogFileName() const {
  // The settings file and the log both lie in the program's folder.
  const std::filesystem::path folder = std::filesystem::path(setFileName_).parent_path();
  return (folder / LogFileBaseName).string();
}

void TMainForm::LinkStateChanged() {
  TInstLink* link = Link();
  if (destroying_ || !link)
    return;
  const std::int32_t port = link->StatePort() != 0 ? link->StatePort() : Prefs().ComPort;
  PortLb->setText(QStringLiteral("COM%1").arg(port));
  switch (link->PortState()) {
  case TPortState::Analog:
    PortStateLb->setText(QStringLiteral("open with DDatDll"));
    break;
  case TPortState::Switch:
    PortStateLb->setText(QStringLiteral("open with DSwitch"));
    break;
  case TPortState::Unavailable:
    PortStateLb->setText(QStringLiteral("cannot be opened"));
    break;
  case TPortState::Closed:
    PortStateLb->setText(QStringLiteral("closed"));
    break;
  }
}

bool TMainForm::ShowPreferencesForPort() {
  // At start the main window is not shown yet.
  TPrefForm form(*this);
  form.CentreOnScreen();
  return form.exec() == QDialog::Accepted;
}

void TMainForm::TerminateApplication() {
  terminated_ = true;
  emit TerminateRequested();
}

std::string TMainForm::BuildCaption() {
  std::string caption = GetAppTitle() + " " + AppVersion;
  if (IsTestMode())
    caption += std::string(" ") + TestModeCaption;
  return caption;
}

void TMainForm::ReportNewerInstrument() {
  const bool wasEnabled = CheckInstTim->isActive();
  CheckInstTim->stop();
  // The timer gets its state back and the program ends, also when the way there fails.
  struct TEnd {
    TMainForm* form;
    bool timer;
    ~TEnd() {
      if (timer)
        form->CheckInstTim->start();
      form->TerminateApplication();
    }
  } end{this, wasEnabled};
  const std::string text =
      "The connected instrument is equipped with an enhanced \rfunctionality which is not "
      "supported by this this DravonTool \rversion. Please find the recent version on our "
      "Homepage. \r\rShow Meltrane Homepage " +
      std::string(HomepageHost) + "?";
  if (QuestionBox(text, true))
    OpenBrowser(HomepageUrl());
  else
    InfoBox("The program has been shut down!");
}

// ---- Shell ----

int TMainForm::HelpContext() const {
  return helpContext_;
}

void TMainForm::SetHelpContextForType() {
  const int type = sett ? sett->InstType() : 0;
  if (IsStaticType(type))
    helpContext_ = helpctx::Static;
  else if (type == 10 || type == 11)
    helpContext_ = helpctx::Transmitter;
  else
    helpContext_ = helpctx::Switch;
  SetHelpContext(this, helpContext_);
}

void TMainForm::ShowPages(int t) {
  struct TPage {
    QWidget* page;
    bool shown;
  };
  const TPage pages[] = {
      {MeasPg, t == 10 || t == 11},
      {MeasPgStatic, IsStaticType(t)},
      {AnaOutPg, t == 1 || t == 2 || t == 5 || t == 6 || t == 10 || t == 11},
      {AlarmPg, t == 9},
      {AlarmPgStatic, IsStaticType(t)},
      {EnvirPg, t == 9 || t == 10 || t == 11},
      {DispPg, t == 2 || t == 4 || t == 6 || t == 8 || t == 11},
  };
  // Only the pages of the type are in the page control, in their fixed order, so that no key
  // (Ctrl+Tab, Ctrl+PgDown) reaches another. The pages themselves stay for their next type.
  QWidget* const current = PageControl->currentWidget();
  int index = 0;
  for (const TPage& p : pages) {
    const int at = PageControl->indexOf(p.page);
    if (p.shown && at < 0)
      PageControl->insertTab(index, p.page, p.page->windowTitle());
    else if (!p.shown && at >= 0)
      PageControl->removeTab(at);
    if (p.shown)
      ++index;
  }
  // The page shown before stays in front when the type has it.
  if (current && PageControl->indexOf(current) >= 0)
    PageControl->setCurrentWidget(current);
  else if (PageControl->count() > 0)
    PageControl->setCurrentIndex(0);
  IntCb->setEnabled(!pages[3].shown);
  ActTestAnalOutput->setVisible(pages[2].shown);
}

bool TMainForm::IsTestMode() {
  return HasOption(TestModeOption, true);
}

void TMainForm::ApplyTestMode() {
  const bool enabled = !IsTestMode();
  for (TEditReal* ed : {AnOffsetEd, AnGainEd, GainSensEd, EdrGainSensStatic, ContrastEd})
    ed->SetEnabled(enabled);
  ActChangeProtCode->setEnabled(enabled);
  ActZeroCalibration->setEnabled(enabled);
}

void TMainForm::ShowInstIdentity() {
  const TInstInfo info = sett->InstInfo;
  const int type = info.InstType;
  InstTypeEd->setText(QString::fromStdString(InstTypeName(type)));
  if (type == 0 || info.TypeWithoutInfo != 0) {
    SerialEd->clear();
    RangeEd->clear();
  } else {
    SerialEd->setText(QString::fromLatin1(info.SerialNr.Get()));
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    RangeEd->setText(
        QStringLiteral("%1 .. %2 Pa")
            .arg(locale.toString(info.RangeMin, 'f', 0), locale.toString(info.RangeMax, 'f', 0)));
  }
  ProductImage->setPixmap(ProductPictureFor(type));
  sett->SetAnOffsetUnit(info.AnOutCurrent != 0 ? unit::mA : unit::V);
  ShowPages(type);
  ApplyVelocityCapability();
}

void TMainForm::ApplyVelocityCapability() {
  if (sett->Cap_level() != 0) {
    ShowVelocityGroup(true);
  } else {
    ShowVelocityGroup(false);
    SetVmode(false);
  }
}

void TMainForm::ShowVelocityGroup(bool show) {
  if (!IsAnalogFamily(sett->InstType()))
    show = false;
  VelocityGrBox->setVisible(show);
  DisplVelocityUnitGr->setVisible(show);
  // The display group takes the place of the velocity unit group while that is hidden.
  ContrastGrBox->move(ContrastGrBox->x(), show ? ContrastGbTop : DisplVelocityUnitGr->y());
  VelocityGbShown = show;
}

void TMainForm::SetHelpLan(int language) {
  if (language == 0)
    ActHelpEnglish->setChecked(true);
  else if (language == 1)
    ActHelpInGerman->setChecked(true);
  else
    FatalStop("TMainForm.SetHelpLan: Language unknown! ");
  const QString file = HelpFilePathFor(language);
  if (!HelpFileExists(file))
    InfoBox("Help-File not found\r" + file.toStdString());
  SetHelpFile(file);
}

void TMainForm::ActHelpXXXExecute(QAction* sender) {
  Prefs().HelpLanguage = sender == ActHelpInGerman ? 1 : 0;
  SetHelpLan(Prefs().HelpLanguage);
  ShowHelpTopic(helpContext_);
}

void TMainForm::BitBtn1Click() {
  ShowHelpTopicInWindow(QString::fromLatin1(SubHelpWindow), helpctx::Nozzle);
}

bool TMainForm::OpenBrowser(const QString& url) {
  if (UrlOpener && UrlOpener(url))
    return true;
  WarningBox("The Internet Browser could not be started!");
  return false;
}

void TMainForm::ActMeltraneHomepageExecute() {
  OpenBrowser(HomepageUrl());
}

void TMainForm::ApplicationEvents1Activate() {
  if (QWidget* active = QApplication::activeWindow())
    active->raise();
}

void TMainForm::CheckInstTimTimer() {
  ShowLiveReading();
}

void TMainForm::TimReadNoDataSupprTimer() {
  TimReadNoDataSuppr->stop();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  if (event->isAccepted())
    emit TerminateRequested();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
    auto* w = static_cast<QWidget*>(watched);
    if (w->window() == this && !w->toolTip().isEmpty()) {
      QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), w->toolTip(), w, QRect(),
                         INT_MAX);
      return true;
    }
  }
  if (watched == LblHomepage && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton &&
        LblHomepage->rect().contains(mouse->position().toPoint())) {
      ActMeltraneHomepageExecute();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

} // namespace dtool
