// Layout of the main window: actions, menus, toolbar, the identity and picture panels, and the
// pages with their controls. Behaviour lives in mainform.cpp and binding.cpp.
#include "ui/main/mainform.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

#include "resources/pictures.h"
#include "ui/controls/editreal.h"
#include "ui/controls/radiogroup.h"

namespace dtool {
namespace {

// Sizes of the controls, in pixels at 96 dots per inch.
constexpr int FieldWidth = 112;
constexpr int DirectionWidth = 46;
constexpr int ButWidth = 17;
// The identity and picture panels: the product picture and a margin.
constexpr int LeftPanelWidth = 200;

// Pixels per design pixel on the screen of the window; set once before the layout is built.
double layoutScale = 1.0;

int Px(int designPixels) {
  return static_cast<int>(designPixels * layoutScale + 0.5);
}

template <typename W> W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* NewLabel(const QString& text, const char* name = nullptr) {
  auto* label = new QLabel(text);
  if (name)
    label->setObjectName(QString::fromLatin1(name));
  return label;
}

QComboBox* NewList(const char* name, int width = FieldWidth) {
  auto* combo = Named(new QComboBox, name);
  combo->setEditable(false);
  combo->setFixedWidth(Px(width));
  combo->setMaxVisibleItems(16);
  return combo;
}

// Rows of one group box: caption, an optional narrow control before the field (the alarm
// direction), the field, the unit. The caption column has the same width in every group of
// the window, so fields line up from one group to the next.
class TRows {
public:
  TRows(QGroupBox* box, int captionWidth) : grid_(new QGridLayout(box)) {
    grid_->setContentsMargins(10, 8, 10, 8);
    grid_->setHorizontalSpacing(6);
    grid_->setVerticalSpacing(6);
    grid_->setColumnMinimumWidth(0, captionWidth);
    grid_->setColumnMinimumWidth(1, Px(DirectionWidth));
    grid_->setColumnStretch(4, 1);
  }
  void Row(QLabel* caption, QWidget* field, QWidget* unit = nullptr, QWidget* lead = nullptr) {
    if (caption)
      grid_->addWidget(caption, row_, 0);
    if (lead)
      grid_->addWidget(lead, row_, 1);
    grid_->addWidget(field, row_, lead ? 2 : 1, 1, lead ? 1 : 2, Qt::AlignRight);
    if (unit)
      grid_->addWidget(unit, row_, 3);
    ++row_;
  }
  // A control across the field columns.
  void Wide(QWidget* w) {
    grid_->addWidget(w, row_, 0, 1, 4);
    ++row_;
  }

private:
  QGridLayout* grid_;
  int row_ = 0;
};

QWidget* NewPage(const char* name, QVBoxLayout*& layout) {
  auto* page = Named(new QWidget, name);
  layout = new QVBoxLayout(page);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(8);
  return page;
}

QGroupBox* NewGroup(const QString& caption, const char* name) {
  return Named(new QGroupBox(caption), name);
}

// Lays the buttons of a radio group out in columns, filled row by row.
void ArrangeInColumns(TRadioGroup* group, int columns) {
  auto* outer = qobject_cast<QBoxLayout*>(group->layout());
  if (!outer)
    return;
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(16);
  grid->setVerticalSpacing(4);
  const QList<QRadioButton*> buttons = group->findChildren<QRadioButton*>();
  for (int i = 0; i < buttons.size(); ++i) {
    outer->removeWidget(buttons[i]);
    grid->addWidget(buttons[i], i / columns, i % columns);
  }
  for (int c = 0; c < columns; ++c)
    grid->setColumnStretch(c, 1);
  outer->addLayout(grid);
}

// A read-only field of the identity panel: no border, the window's background.
QLineEdit* NewShowField(const char* name) {
  auto* ed = Named(new QLineEdit, name);
  ed->setReadOnly(true);
  ed->setFrame(false);
  ed->setFocusPolicy(Qt::NoFocus);
  ed->setTextMargins(0, 0, 0, 0);
  ed->setContentsMargins(0, 0, 0, 0);
  QPalette pal = ed->palette();
  pal.setBrush(QPalette::Base, pal.brush(QPalette::Window));
  ed->setPalette(pal);
  return ed;
}

QFrame* NewPanel(const char* name) {
  auto* panel = Named(new QFrame, name);
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFrameShadow(QFrame::Sunken);
  return panel;
}

int CaptionWidth(const QFontMetrics& fm) {
  int w = 0;
  for (const char* text : {"Std. Hose length", "Atm. pressure", "Gain Sensor", "Hysteresis",
                           "Threshold", "Interval", "Reading", "Offset"})
    w = std::max(w, fm.horizontalAdvance(QString::fromLatin1(text)));
  return w + 8;
}

TEditReal* NewEdit(const char* name, TControlStyle style, int decimals) {
  auto* ed = Named(new TEditReal, name);
  ed->SetControlStyle(style);
  ed->SetButWidth(ButWidth);
  ed->SetNachkomma(decimals);
  ed->setFixedWidth(Px(FieldWidth));
  return ed;
}

// One alarm group: threshold with its direction list, hysteresis, and the delay control the
// caller makes (a list of delays on the switch, a spin edit on the static models).
struct TAlarmNames {
  const char *group, *caption, *threLb, *dir, *thre, *threUnit, *hysLb, *hys, *hysUnit, *dlyLb,
      *dlyUnit;
};
struct TAlarmParts {
  QGroupBox* box;
  QLabel* threLb;
  QComboBox* dir;
  TEditReal* thre;
  QLabel* threUnit;
  QLabel* hysLb;
  TEditReal* hys;
  QLabel* hysUnit;

  // Hands the parts to the window's fields.
  void Into(QGroupBox*& b, QLabel*& tl, QComboBox*& d, TEditReal*& t, QLabel*& tu, QLabel*& hl,
            TEditReal*& h, QLabel*& hu) const {
    b = box;
    tl = threLb;
    d = dir;
    t = thre;
    tu = threUnit;
    hl = hysLb;
    h = hys;
    hu = hysUnit;
  }
};

TAlarmParts NewAlarmGroup(const TAlarmNames& n, QWidget* delay, int captionWidth) {
  TAlarmParts a{};
  a.box = NewGroup(QString::fromLatin1(n.caption), n.group);
  a.threLb = NewLabel(QStringLiteral("Threshold"), n.threLb);
  a.dir = NewList(n.dir, DirectionWidth);
  a.thre = NewEdit(n.thre, csNone, 2);
  a.threUnit = NewLabel(QString(), n.threUnit);
  a.hysLb = NewLabel(QStringLiteral("Hysteresis"), n.hysLb);
  a.hys = NewEdit(n.hys, csNone, 2);
  a.hysUnit = NewLabel(QString(), n.hysUnit);
  TRows rows(a.box, captionWidth);
  rows.Row(a.threLb, a.thre, a.threUnit, a.dir);
  rows.Row(a.hysLb, a.hys, a.hysUnit);
  rows.Row(NewLabel(QStringLiteral("Delay"), n.dlyLb), delay,
           NewLabel(QStringLiteral("s"), n.dlyUnit));
  return a;
}

// The velocity group of a measurement page: C, n and the velocity mode. The names are those of
// the group, the label and edit of C, of n, and the check box.
struct TVelocityNames {
  const char *box, *cLb, *c, *nLb, *n, *mode;
};

QGroupBox* NewVelocityGroup(const TVelocityNames& names, QLabel*& cLb, TEditReal*& c, QLabel*& nLb,
                            TEditReal*& n, QCheckBox*& mode, int captionWidth) {
  QGroupBox* box = NewGroup(QStringLiteral("Velocity"), names.box);
  cLb = NewLabel(QStringLiteral("C"), names.cLb);
  c = NewEdit(names.c, csButton, 6);
  nLb = NewLabel(QStringLiteral("n"), names.nLb);
  n = NewEdit(names.n, csUpDown, 1);
  n->IncVal = 0.1;
  n->RangeLimit = true;
  mode = Named(new QCheckBox(QStringLiteral("&Velocity mode")), names.mode);
  TRows rows(box, captionWidth);
  rows.Row(cLb, c);
  rows.Row(nLb, n);
  rows.Wide(mode);
  return box;
}

} // namespace

void TMainForm::BuildLayout(double logicalDpi) {
  layoutScale = std::max(1.0, logicalDpi / 96.0);
  BuildActions();
  BuildMenusAndToolBar();
  auto* central = Named(new QWidget, "ClientPanel");
  auto* columns = new QHBoxLayout(central);
  columns->setContentsMargins(4, 4, 4, 4);
  columns->setSpacing(4);
  auto* left = new QVBoxLayout;
  left->setSpacing(4);
  QWidget* identity = BuildIdentityPanel();
  QWidget* picture = BuildPicturePanel();
  identity->setFixedWidth(Px(LeftPanelWidth));
  picture->setFixedWidth(Px(LeftPanelWidth));
  left->addWidget(identity);
  left->addWidget(picture, 1);
  columns->addLayout(left);
  columns->addWidget(BuildPagePanel(), 1);
  setCentralWidget(central);
  // Below the client area: the port in use and what holds it.
  QStatusBar* status = statusBar();
  status->setObjectName(QStringLiteral("StatusBar"));
  status->setSizeGripEnabled(false);
  PortLb = NewLabel(QString(), "PortLb");
  PortStateLb = NewLabel(QString(), "PortStateLb");
  for (QLabel* label : {PortLb, PortStateLb})
    label->setContentsMargins(Px(4), 0, Px(4), 0);
  status->addWidget(PortLb);
  status->addWidget(PortStateLb, 1);
  ZeroCalBar = new QProgressBar(status);
  ZeroCalBar->setObjectName(QStringLiteral("ZeroCalBar"));
  ZeroCalBar->setFixedWidth(Px(220));
  ZeroCalBar->hide();
  status->addPermanentWidget(ZeroCalBar);
}

QPixmap TMainForm::ProductPictureFor(int type) const {
  return ProductPicture(type,
                        QSize(Px(ProductPictureSize.width()), Px(ProductPictureSize.height())));
}

void TMainForm::BuildActions() {
  ActMan1 = new QObject(this);
  ActMan1->setObjectName(QStringLiteral("ActMan1"));
  auto action = [this](const char* name, const char* caption, int picture) {
    auto* a = new QAction(QString::fromUtf8(caption), ActMan1);
    a->setObjectName(QString::fromLatin1(name));
    if (picture >= 0)
      a->setIcon(ActionPicture(picture));
    return a;
  };
  Print = action("Print", "Print...", 8);
  Print->setShortcut(QKeySequence::Print);
  ActPrintPreview = action("ActPrintPreview", "Print pre&view...", -1);
  ActSavePdf = action("ActSavePdf", "Save as P&DF...", -1);
  FileExit1 = action("FileExit1", "&Quit", -1);
  ActOpenConfig = action("ActOpenConfig", "&Open configuration...", -1);
  ActOpenConfig->setShortcut(QKeySequence::Open);
  ActSaveConfigAs = action("ActSaveConfigAs", "Save configuration &as...", -1);
  ActCompare = action("ActCompare", "Co&mpare with instrument...", -1);
  ActShowChanges = action("ActShowChanges", "Show c&hanges before writing", -1);
  ActShowChanges->setCheckable(true);
  ActPreferences = action("ActPreferences", "&Preferences...", 1);
  ActTypeOfInstrument = action("ActTypeOfInstrument", "&Type of instrument...", 5);
  ActSetFilter = action("ActSetFilter", "&SetFilter...", 4);
  ActChangeProtCode = action("ActChangeProtCode", "&Change protection code...", 2);
  ActZeroCalibration = action("ActZeroCalibration", "&Zero calibration...", 6);
  ActTestAnalOutput = action("ActTestAnalOutput", "T&est analog output...", 3);
  ActHelpEnglish = action("ActHelpEnglish", "&Help in English", -1);
  ActHelpInGerman = action("ActHelpInGerman", "Hilfe in Deutsch", -1);
  ActAbout = action("ActAbout", "&About...", -1);
  ActMeltraneHomepage = action("ActMeltraneHomepage", "", -1);

  // The two help languages form one radio group of actions.
  auto* helpGroup = new QActionGroup(ActMan1);
  helpGroup->setExclusive(true);
  for (QAction* a : {ActHelpEnglish, ActHelpInGerman}) {
    a->setCheckable(true);
    helpGroup->addAction(a);
  }
  FileExit1->setMenuRole(QAction::QuitRole);
}

void TMainForm::BuildMenusAndToolBar() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("ActionMainMenuBar"));
  QMenu* file = bar->addMenu(QStringLiteral("F&ile"));
  file->addAction(ActOpenConfig);
  file->addAction(ActSaveConfigAs);
  file->addAction(ActCompare);
  file->addSeparator();
  file->addAction(Print);
  file->addAction(ActPrintPreview);
  file->addAction(ActSavePdf);
  file->addSeparator();
  file->addAction(FileExit1);
  QMenu* options = bar->addMenu(QStringLiteral("&Options"));
  for (QAction* a : {ActPreferences, ActTypeOfInstrument, ActSetFilter, ActChangeProtCode,
                     ActZeroCalibration, ActTestAnalOutput})
    options->addAction(a);
  options->addSeparator();
  options->addAction(ActShowChanges);
  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  help->addAction(ActHelpEnglish);
  help->addAction(ActHelpInGerman);
  help->addSeparator();
  help->addAction(ActAbout);
  help->addAction(ActMeltraneHomepage);

  // The toolbar shows the pictures only.
  ActionToolBar = Named(new QToolBar(QStringLiteral("Toolbar")), "ActionToolBar");
  ActionToolBar->setMovable(false);
  ActionToolBar->setFloatable(false);
  ActionToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ActionToolBar->setIconSize(QSize(Px(24), Px(24)));
  ActionToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
  ActionToolBar->addAction(Print);
  ActionToolBar->addSeparator();
  ActionToolBar->addAction(ActPreferences);
  ActionToolBar->addAction(ActTypeOfInstrument);
  ActionToolBar->addAction(ActSetFilter);
  ActionToolBar->addSeparator();
  ActionToolBar->addAction(ActChangeProtCode);
  ActionToolBar->addAction(ActZeroCalibration);
  ActionToolBar->addAction(ActTestAnalOutput);
  addToolBar(Qt::TopToolBarArea, ActionToolBar);
  setContextMenuPolicy(Qt::NoContextMenu);
}

QWidget* TMainForm::BuildIdentityPanel() {
  QFrame* panel = NewPanel("InstPanel");
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(8, 10, 6, 10);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(4);

  InstTypeEd = NewShowField("InstTypeEd");
  QFont bold = InstTypeEd->font();
  bold.setBold(true);
  InstTypeEd->setFont(bold);
  SerialEd = NewShowField("SerialEd");
  RangeEd = NewShowField("RangeEd");
  grid->addWidget(NewLabel(QStringLiteral("Instrument: "), "InstTypeEdLb"), 0, 0);
  grid->addWidget(InstTypeEd, 0, 1);
  grid->addWidget(NewLabel(QStringLiteral("Serial No: "), "SerialEdLb"), 1, 0);
  grid->addWidget(SerialEd, 1, 1);
  grid->addWidget(NewLabel(QStringLiteral("dP range: "), "RangeEdLb"), 2, 0);
  grid->addWidget(RangeEd, 2, 1);

  auto* line = Named(new QFrame, "IdentityRule");
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  grid->addWidget(line, 3, 0, 1, 2);

  PressEdLb = NewLabel(QStringLiteral("Pressure: "), "PressEdLb");
  grid->addWidget(PressEdLb, 4, 0, 1, 2);
  PressEd = NewShowField("PressEd");
  QFont large = PressEd->font();
  large.setBold(true);
  large.setPointSizeF(large.pointSizeF() * 1.7);
  PressEd->setFont(large);
  PressEd->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(PressEd, 5, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(6, 1);
  return panel;
}

QWidget* TMainForm::BuildPicturePanel() {
  QFrame* panel = NewPanel("PicPanel");
  auto* box = new QVBoxLayout(panel);
  box->setContentsMargins(6, 8, 6, 8);
  box->setSpacing(6);
  ProductImage = NewLabel(QString(), "ProductImage");
  ProductImage->setAlignment(Qt::AlignCenter);
  ProductImage->setMinimumHeight(Px(ProductPictureSize.height()));
  box->addWidget(ProductImage, 1);
  LblHomepage = NewLabel(QString(), "LblHomepage");
  LblHomepage->setAlignment(Qt::AlignCenter);
  QFont link = LblHomepage->font();
  link.setUnderline(true);
  LblHomepage->setFont(link);
  QPalette pal = LblHomepage->palette();
  pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
  LblHomepage->setPalette(pal);
  LblHomepage->setCursor(Qt::PointingHandCursor);
  LblHomepage->installEventFilter(this);
  box->addWidget(LblHomepage);
  return panel;
}

QWidget* TMainForm::BuildMeasPage() {
  QVBoxLayout* page;
  QWidget* w = NewPage("MeasPg", page);
  const int cw = CaptionWidth(fontMetrics());

  SamplingTimeGb = NewGroup(QStringLiteral("Sampling time"), "SamplingTimeGb");
  IntCb = NewList("IntCb");
  TRows(SamplingTimeGb, cw)
      .Row(NewLabel(QStringLiteral("Interval"), "IntCbLb"), IntCb,
           NewLabel(QStringLiteral("s"), "IntCbUnitLb"));
  page->addWidget(SamplingTimeGb);

  CBFiltDyn = NewGroup(QStringLiteral("Filter (moving average)"), "CBFiltDyn");
  MovAverCb = NewList("MovAverCb");
  TRows(CBFiltDyn, cw)
      .Row(NewLabel(QStringLiteral("Reading"), "MovAverCbLb"), MovAverCb,
           NewLabel(QStringLiteral("Samples"), "MovAverCbUnitLb"));
  page->addWidget(CBFiltDyn);

  VelocityGrBox =
      NewVelocityGroup({"VelocityGrBox", "VelocityCEdLb", "VelocityCEd", "VelocityNEdLb",
                        "VelocityNEd", "VelocityChB"},
                       VelocityCEdLb, VelocityCEd, VelocityNEdLb, VelocityNEd, VelocityChB, cw);
  page->addWidget(VelocityGrBox);
  page->addStretch(1);
  return w;
}

QWidget* TMainForm::BuildMeasStaticPage() {
  QVBoxLayout* page;
  QWidget* w = NewPage("MeasPgStatic", page);
  const int cw = CaptionWidth(fontMetrics());

  GbLpSt = NewGroup(QStringLiteral("Filter (low pass)"), "GbLpSt");
  CbFiltLevPstat = NewList("CbFiltLevPstat");
  TRows(GbLpSt, cw).Row(NewLabel(QStringLiteral("Level"), "LbFiltLevPstat"), CbFiltLevPstat);
  page->addWidget(GbLpSt);

  GbSensCalSt = NewGroup(QStringLiteral("Sensor Calibration"), "GbSensCalSt");
  EdrGainSensStatic = NewEdit("EdrGainSensStatic", csButton, 4);
  TRows(GbSensCalSt, cw)
      .Row(NewLabel(QStringLiteral("Gain Sensor"), "LbGainSensStatic"), EdrGainSensStatic);
  page->addWidget(GbSensCalSt);

  GbVeloSt = NewVelocityGroup({"GbVeloSt", "dLbVelocityCEPstat", "EdrVelocityCPstat",
                               "LbVelocityNEPstat", "EdrVelocityNPstat", "ChBVelocity"},
                              dLbVelocityCEPstat, EdrVelocityCPstat, LbVelocityNEPstat,
                              EdrVelocityNPstat, ChBVelocity, cw);
  page->addWidget(GbVeloSt);
  page->addStretch(1);
  return w;
}

QWidget* TMainForm::BuildAnalogOutPage() {
  QVBoxLayout* page;
  QWidget* w = NewPage("AnaOutPg", page);
  const int cw = CaptionWidth(fontMetrics());

  GbRangeAnal = NewGroup(QStringLiteral("Range"), "GbRangeAnal");
  AnFromEd = NewEdit("AnFromEd", csNone, 2);
  AnFromEdUnitLb = NewLabel(QString(), "AnFromEdUnitLb");
  AnToEd = NewEdit("AnToEd", csNone, 2);
  AnToEdUnitLb = NewLabel(QString(), "AnToEdUnitLb");
  TRows range(GbRangeAnal, cw);
  range.Row(NewLabel(QStringLiteral("From"), "AnFromEdLb"), AnFromEd, AnFromEdUnitLb);
  range.Row(NewLabel(QStringLiteral("To"), "AnToEdLb"), AnToEd, AnToEdUnitLb);
  page->addWidget(GbRangeAnal);

  AnSigRg = Named(new TRadioGroup(QStringLiteral("Signal")), "AnSigRg");
  AnSigRg->SetItems(
      {QStringLiteral("0 .. 20 mA / 0 .. 10 V"), QStringLiteral("4 .. 20 mA / 2 .. 10 V")});
  page->addWidget(AnSigRg);

  GbAnalCal = NewGroup(QStringLiteral("Analog Signal Calibration"), "GbAnalCal");
  AnOffsetEd = NewEdit("AnOffsetEd", csButton, 4);
  AnOffsetEdUnitLb = Named(new QToolButton, "AnOffsetEdUnitLb");
  AnOffsetEdUnitLb->setAutoRaise(true);
  AnOffsetEdUnitLb->setFocusPolicy(Qt::NoFocus);
  AnGainEd = NewEdit("AnGainEd", csButton, 4);
  TRows cal(GbAnalCal, cw);
  cal.Row(NewLabel(QStringLiteral("Offset"), "AnOffsetEdLb"), AnOffsetEd, AnOffsetEdUnitLb);
  cal.Row(NewLabel(QStringLiteral("Gain"), "AnGainEdLb"), AnGainEd);
  page->addWidget(GbAnalCal);
  page->addStretch(1);
  return w;
}

QWidget* TMainForm::BuildAlarmPage() {
  QVBoxLayout* page;
  QWidget* w = NewPage("AlarmPg", page);
  const int cw = CaptionWidth(fontMetrics());

  SampTimeGb = NewGroup(QStringLiteral("Sampling time"), "SampTimeGb");
  AlIntLb = NewLabel(QStringLiteral("Interval"), "AlIntLb");
  AlIntCb = NewList("AlIntCb");
  TRows(SampTimeGb, cw).Row(AlIntLb, AlIntCb, NewLabel(QStringLiteral("s"), "AlIntCbUnitLb"));
  page->addWidget(SampTimeGb);

  Al1DlyCb = NewList("Al1DlyCb");
  NewAlarmGroup({"Alarm1Gb", "Alarm 1", "LblThreshold1", "A1GrKlCb", "Al1ThreEdr",
                 "Al1ThreEdrUnitLb", "LblHys1", "Al1HysEdr", "Al1HysEdrUnitLb", "Al1DlyCbLb",
                 "Al1DlyCbUnitLb"},
                Al1DlyCb, cw)
      .Into(Alarm1Gb, LblThreshold1, A1GrKlCb, Al1ThreEdr, Al1ThreEdrUnitLb, LblHys1, Al1HysEdr,
            Al1HysEdrUnitLb);
  page->addWidget(Alarm1Gb);
  Al2DlyCb = NewList("Al2DlyCb");
  NewAlarmGroup({"Alarm2Gb", "Alarm 2", "LblThreshold2", "A2GrKlCb", "Al2ThreEdr",
                 "Al2ThreEdrUnitLb", "LblHys2", "Al2HysEdr", "Al2HysEdrUnitLb", "Al2DlyCbLb",
                 "Al2DlyCbUnitLb"},
                Al2DlyCb, cw)
      .Into(Alarm2Gb, LblThreshold2, A2GrKlCb, Al2ThreEdr, Al2ThreEdrUnitLb, LblHys2, Al2HysEdr,
            Al2HysEdrUnitLb);
  page->addWidget(Alarm2Gb);
  page->addStretch(1);
  return w;
}

QWidget* TMainForm::BuildAlarmStaticPage() {
  QVBoxLayout* page;
  QWidget* w = NewPage("AlarmPgStatic", page);
  const int cw = CaptionWidth(fontMetrics());

  auto staticAlarm = [&](const TAlarmNames& names, const char* delayName, QGroupBox*& box,
                         QComboBox*& dir, TEditReal*& thre, QLabel*& threUnit, TEditReal*& hys,
                         QLabel*& hysUnit, TEditReal*& delay) {
    delay = NewEdit(delayName, csUpDown, 0);
    delay->IncVal = 1.0;
    QLabel *threLb, *hysLb;
    NewAlarmGroup(names, delay, cw).Into(box, threLb, dir, thre, threUnit, hysLb, hys, hysUnit);
    page->addWidget(box);
  };
  staticAlarm({"GbAl1St", "Alarm 1", "LbAl1ThreStatic", "CbA1GrKlStatic", "EdrAl1ThreStatic",
               "LbAl1ThreEdrUnitStatic", "LbAl1HysStatic", "EdrAl1HysStatic", "LbAl1HysEdrUnit",
               "LbAl1DlyStatic", "LbAl1DlyUnitStatic"},
              "EdrAl1DlyStatic", GbAl1St, CbA1GrKlStatic, EdrAl1ThreStatic, LbAl1ThreEdrUnitStatic,
              EdrAl1HysStatic, LbAl1HysEdrUnit, EdrAl1DlyStatic);
  staticAlarm({"GbAl2St", "Alarm 2", "LbAl2ThreStatic", "CbA2GrKlStatic", "EdrAl2ThreStatic",
               "LbAl2ThreEdrUnitStatic", "LbAl2HysStatic", "EdrAl2HysStatic", "LbAl2HysEdrUnit",
               "LbAl2DlyStatic", "LbAl2DlyUnitStatic"},
              "EdrAl2DlyStatic", GbAl2St, CbA2GrKlStatic, EdrAl2ThreStatic, LbAl2ThreEdrUnitStatic,
              EdrAl2HysStatic, LbAl2HysEdrUnit, EdrAl2DlyStatic);
  page->addStretch(1);
  return w;
}

QWidget* TMainForm::BuildEnvironmentPage() {
  QVBoxLayout* page;
  QWidget* w = NewPage("EnvirPg", page);
  const int cw = CaptionWidth(fontMetrics());

  GbHose = NewGroup(QStringLiteral("Hose"), "GbHose");
  HoseLenEdLb = NewLabel(QStringLiteral("Std. Hose length"), "HoseLenEdLb");
  HoseLenEd = NewEdit("HoseLenEd", csButton, 2);
  HoseLenEdUnitLb = NewLabel(QString(), "HoseLenEdUnitLb");
  BitBtn1 =
      Named(new QPushButton(NozzleGlyph(), QStringLiteral("&Nozzle compensation info")), "BitBtn1");
  BitBtn1->setAutoDefault(false);
  TRows hose(GbHose, cw);
  hose.Row(HoseLenEdLb, HoseLenEd, HoseLenEdUnitLb);
  hose.Wide(BitBtn1);
  page->addWidget(GbHose);

  GbAtmos = NewGroup(QStringLiteral("Atmosphere"), "GbAtmos");
  LblAtmPress = NewLabel(QStringLiteral("Atm. pressure"), "LblAtmPress");
  AtmPressEd = NewEdit("AtmPressEd", csButton, 0);
  AtmPressEdUnitLb = NewLabel(QString(), "AtmPressEdUnitLb");
  HumCB = NewList("HumCB");
  TRows atmos(GbAtmos, cw);
  atmos.Row(LblAtmPress, AtmPressEd, AtmPressEdUnitLb);
  atmos.Row(NewLabel(QStringLiteral("Humidity"), "HumCBLb"), HumCB,
            NewLabel(QStringLiteral("%RH"), "HumCBUnitLb"));
  page->addWidget(GbAtmos);

  GbSensorCal = NewGroup(QStringLiteral("Sensor Calibration"), "GbSensorCal");
  LblGain = NewLabel(QStringLiteral("Gain Sensor"), "LblGain");
  GainSensEd = NewEdit("GainSensEd", csButton, 4);
  TRows(GbSensorCal, cw).Row(LblGain, GainSensEd);
  page->addWidget(GbSensorCal);
  page->addStretch(1);
  return w;
}

QWidget* TMainForm::BuildDisplayPage() {
  QVBoxLayout* page;
  QWidget* w = NewPage("DispPg", page);
  const int cw = CaptionWidth(fontMetrics());

  DisplPressUnitGr =
      Named(new TRadioGroup(QStringLiteral("Unit differential pressure")), "DisplPressUnitGr");
  page->addWidget(DisplPressUnitGr);
  DisplVelocityUnitGr =
      Named(new TRadioGroup(QStringLiteral("Unit Velocity")), "DisplVelocityUnitGr");
  page->addWidget(DisplVelocityUnitGr);

  ContrastGrBox = NewGroup(QStringLiteral("Display"), "ContrastGrBox");
  ContrastEd = NewEdit("ContrastEd", csButton, 0);
  TRows(ContrastGrBox, cw).Row(NewLabel(QStringLiteral("Contrast"), "ContrastEdLb"), ContrastEd);
  page->addWidget(ContrastGrBox);
  page->addStretch(1);
  return w;
}

QWidget* TMainForm::BuildPagePanel() {
  QFrame* panel = NewPanel("PagePanel");
  auto* box = new QVBoxLayout(panel);
  box->setContentsMargins(4, 6, 4, 6);
  box->setSpacing(8);

  PageControl = Named(new QTabWidget, "PageControl");
  PageControl->setUsesScrollButtons(true);
  PageControl->setDocumentMode(false);
  // Four captions must fit in one row of tabs: a slightly smaller caption font.
  QFont tabFont = PageControl->tabBar()->font();
  tabFont.setPointSizeF(tabFont.pointSizeF() * 0.92);
  PageControl->tabBar()->setFont(tabFont);
  MeasPg = BuildMeasPage();
  MeasPgStatic = BuildMeasStaticPage();
  AnaOutPg = BuildAnalogOutPage();
  AlarmPg = BuildAlarmPage();
  AlarmPgStatic = BuildAlarmStaticPage();
  EnvirPg = BuildEnvironmentPage();
  DispPg = BuildDisplayPage();
  // Each page keeps its tab's caption, for the page control to take it back (ShowPages).
  const std::pair<QWidget*, const char*> tabs[] = {
      {MeasPg, "Measurement"}, {MeasPgStatic, "Measurement"}, {AnaOutPg, "Analog output"},
      {AlarmPg, "Alarms"},     {AlarmPgStatic, "Alarms"},     {EnvirPg, "Environment"},
      {DispPg, "LC Display"}};
  for (const auto& [page, caption] : tabs) {
    page->setWindowTitle(QString::fromLatin1(caption));
    PageControl->addTab(page, page->windowTitle());
  }
  box->addWidget(PageControl, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(8);
  ReadBtn = Named(new QPushButton(ActionPicture(0), QStringLiteral("&Read data")), "ReadBtn");
  WriteBtn = Named(new QPushButton(ActionPicture(7), QStringLiteral("&Write data")), "WriteBtn");
  for (QPushButton* b : {ReadBtn, WriteBtn}) {
    b->setAutoDefault(false);
    b->setIconSize(QSize(Px(20), Px(20)));
    b->setMinimumWidth(Px(130));
    b->setMinimumHeight(Px(30));
  }
  buttons->addStretch(1);
  buttons->addWidget(ReadBtn);
  buttons->addWidget(WriteBtn);
  box->addLayout(buttons);
  return panel;
}

void TMainForm::ArrangeUnitGroups() {
  ArrangeInColumns(DisplPressUnitGr, 2);
  ArrangeInColumns(DisplVelocityUnitGr, 2);
}

} // namespace dtool
