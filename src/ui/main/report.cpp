// The settings report of the main window: the texts of its controls under the report's names,
// and the commands that print the report, preview it or save it as a PDF.
#include "ui/main/mainform.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMarginsF>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>

#include <algorithm>
#include <initializer_list>

#include "tools/operatorport.h"
#include "tools/progtools.h"
#include "ui/controls/editreal.h"
#include "ui/controls/radiogroup.h"
#include "ui/dialogs/aboutinfo.h"
#include "ui/dialogs/filedialog.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {

const char* const PrintoutRefusedText =
    "A printout is only possible immediately after a \"Read data\" or \"Write data\" operation!";

// Margins of a printed page, in millimetres.
constexpr double PrintMarginMm = 15;

// Size of the print preview.
constexpr QSize PreviewSize(760, 900);

// How a report parameter takes its text from its control.
enum class TRule {
  Text,                // the caption, or the shown text of a list or an edit
  StaticVelocity,      // the text while ChBVelocity is checked, else empty
  StaticVelocityLabel, // the same with ": " appended
  StaticVelocityState, // "On" or "Off" by ChBVelocity
  Velocity,            // the text while VelocityChB is checked, else empty
  VelocityLabel,       // the same with ": " appended
  VelocityState,       // "On" or "Off" by VelocityChB
  SelectedItem,        // the selected item of a radio group, empty with none
  UnitCaption,         // the text "Unit"
  DisplayUnit,         // the selected display unit of the velocity mode, empty with none
  MovAver,             // the shown text, "Filter off" on the first item
  MovAverUnit,         // the shown text, empty on the first item
};

struct TReportSource {
  const char* Name;    // the report's name of the parameter
  const char* Control; // object name of the control on the pages; null for none
  TRule Rule;
};

// The parameters after the About lines, in the order they are set. Where the report's name
// differs from the object name of the control, the control is named here.
constexpr TReportSource ReportSources[] = {
    // The switch's alarms page.
    {"AlIntPgCapt", "AlarmPg", TRule::Text},
    {"AlIntLb", "AlIntLb", TRule::Text},
    {"AlIntCb", "AlIntCb", TRule::Text},
    {"AlIntUnitLb", "AlIntCbUnitLb", TRule::Text},
    {"LblThreshold1", "LblThreshold1", TRule::Text},
    {"A1GrKlCb", "A1GrKlCb", TRule::Text},
    {"Al1ThreEdr", "Al1ThreEdr", TRule::Text},
    {"Al1ThreEdrUnitLb", "Al1ThreEdrUnitLb", TRule::Text},
    {"LblHys1", "LblHys1", TRule::Text},
    {"Al1HysEdr", "Al1HysEdr", TRule::Text},
    {"Al1HysEdrUnitLb", "Al1HysEdrUnitLb", TRule::Text},
    {"LblDly1", "Al1DlyCbLb", TRule::Text},
    {"Al1DlyCb", "Al1DlyCb", TRule::Text},
    {"LblDly1Unit", "Al1DlyCbUnitLb", TRule::Text},
    {"LblThreshold2", "LblThreshold2", TRule::Text},
    {"A2GrKlCb", "A2GrKlCb", TRule::Text},
    {"Al2ThreEdr", "Al2ThreEdr", TRule::Text},
    {"Al2ThreEdrUnitLb", "Al2ThreEdrUnitLb", TRule::Text},
    {"LblHys2", "LblHys2", TRule::Text},
    {"Al2HysEdr", "Al2HysEdr", TRule::Text},
    {"Al2HysEdrUnitLb", "Al2HysEdrUnitLb", TRule::Text},
    {"LblDly2", "Al2DlyCbLb", TRule::Text},
    {"Al2DlyCb", "Al2DlyCb", TRule::Text},
    {"LblDly2Unit", "Al2DlyCbUnitLb", TRule::Text},
    {"SampTimeGb", "SampTimeGb", TRule::Text},
    {"Alarm1Gb", "Alarm1Gb", TRule::Text},
    {"Alarm2Gb", "Alarm2Gb", TRule::Text},
    // The environment page.
    {"EnvirPg", "EnvirPg", TRule::Text},
    {"GbHose", "GbHose", TRule::Text},
    {"HoseLenEdLb", "HoseLenEdLb", TRule::Text},
    {"HoseLenEd", "HoseLenEd", TRule::Text},
    {"HoseLenEdUnitLb", "HoseLenEdUnitLb", TRule::Text},
    {"GbAtmos", "GbAtmos", TRule::Text},
    {"LblAtmPress", "LblAtmPress", TRule::Text},
    {"AtmPressEd", "AtmPressEd", TRule::Text},
    {"AtmPressEdUnitLb", "AtmPressEdUnitLb", TRule::Text},
    {"HumLabel", "HumCBLb", TRule::Text},
    {"HumCB", "HumCB", TRule::Text},
    {"HumCBUnitLb", "HumCBUnitLb", TRule::Text},
    {"GbSensorCal", "GbSensorCal", TRule::Text},
    {"LblGain", "LblGain", TRule::Text},
    {"GainSensEd", "GainSensEd", TRule::Text},
    // The measurement page of the static models.
    {"MeasPgStatic", "MeasPgStatic", TRule::Text},
    {"GbLpSt", "GbLpSt", TRule::Text},
    {"LblFiltLevPstat", "LbFiltLevPstat", TRule::Text},
    {"CbFiltLevPstat", "CbFiltLevPstat", TRule::Text},
    {"GbSensCalSt", "GbSensCalSt", TRule::Text},
    {"LblGainSensStatic", "LbGainSensStatic", TRule::Text},
    {"EdrGainSensStatic", "EdrGainSensStatic", TRule::Text},
    {"GbVeloSt", "GbVeloSt", TRule::StaticVelocity},
    {"dLbVelocityCEPstat", "dLbVelocityCEPstat", TRule::StaticVelocityLabel},
    {"EdrVelocityCPstat", "EdrVelocityCPstat", TRule::StaticVelocity},
    {"LbVelocityNEPstat", "LbVelocityNEPstat", TRule::StaticVelocityLabel},
    {"EdrVelocityNPstat", "EdrVelocityNPstat", TRule::StaticVelocity},
    {"ChBVelocity", "ChBVelocity", TRule::StaticVelocity},
    {"ChBVelocityStat", "ChBVelocity", TRule::StaticVelocityState},
    // The analog output page.
    {"AnaOutPg", "AnaOutPg", TRule::Text},
    {"GbRangeAnal", "GbRangeAnal", TRule::Text},
    {"LblAnFromEd", "AnFromEdLb", TRule::Text},
    {"AnFromEd", "AnFromEd", TRule::Text},
    {"AnFromEdUnitLb", "AnFromEdUnitLb", TRule::Text},
    {"LblAnToEd", "AnToEdLb", TRule::Text},
    {"AnToEd", "AnToEd", TRule::Text},
    {"AnToEdUnitLb", "AnToEdUnitLb", TRule::Text},
    {"AnSigRg", "AnSigRg", TRule::Text},
    {"AnSigRgStat", "AnSigRg", TRule::SelectedItem},
    {"GbAnalCal", "GbAnalCal", TRule::Text},
    {"LblAnOffsetEd", "AnOffsetEdLb", TRule::Text},
    {"AnOffsetEd", "AnOffsetEd", TRule::Text},
    {"AnOffsetEdUnitLb", "AnOffsetEdUnitLb", TRule::Text},
    {"LblAnGainEd", "AnGainEdLb", TRule::Text},
    {"AnGainEd", "AnGainEd", TRule::Text},
    // The alarms page of the static models.
    {"AlarmPgStatic", "AlarmPgStatic", TRule::Text},
    {"GbAl1St", "GbAl1St", TRule::Text},
    {"LblThresholdStatic", "LbAl1ThreStatic", TRule::Text},
    {"CbA1GrKlStatic", "CbA1GrKlStatic", TRule::Text},
    {"EdrAl1ThreStatic", "EdrAl1ThreStatic", TRule::Text},
    {"LbAl1ThreEdrUnitStatic", "LbAl1ThreEdrUnitStatic", TRule::Text},
    {"LblHys1Static", "LbAl1HysStatic", TRule::Text},
    {"EdrAl1HysStatic", "EdrAl1HysStatic", TRule::Text},
    {"LbAl1HysEdrUnit", "LbAl1HysEdrUnit", TRule::Text},
    {"LblEdrAl1DlyStatic", "LbAl1DlyStatic", TRule::Text},
    {"EdrAl1DlyStatic", "EdrAl1DlyStatic", TRule::Text},
    {"LblEdrAl1DlyStaticUnit", "LbAl1DlyUnitStatic", TRule::Text},
    {"GbAl2St", "GbAl2St", TRule::Text},
    {"LblThreshold2Static", "LbAl2ThreStatic", TRule::Text},
    {"CbA2GrKlStatic", "CbA2GrKlStatic", TRule::Text},
    {"EdrAl2ThreStatic", "EdrAl2ThreStatic", TRule::Text},
    {"LbAl2ThreEdrUnitStatic", "LbAl2ThreEdrUnitStatic", TRule::Text},
    {"LblHys2Static", "LbAl2HysStatic", TRule::Text},
    {"EdrAl2HysStatic", "EdrAl2HysStatic", TRule::Text},
    {"LbAl2HysEdrUnit", "LbAl2HysEdrUnit", TRule::Text},
    {"LblEdrAl2DlyStatic", "LbAl2DlyStatic", TRule::Text},
    {"EdrAl2DlyStatic", "EdrAl2DlyStatic", TRule::Text},
    {"LblEdrAl2DlyStaticUnit", "LbAl2DlyUnitStatic", TRule::Text},
    // The display page.
    {"DispPg", "DispPg", TRule::Text},
    {"DisplUnitGr", nullptr, TRule::UnitCaption},
    {"DisplUnitGrStat", nullptr, TRule::DisplayUnit},
    {"ContrastGrBox", "ContrastGrBox", TRule::Text},
    {"LblContrastEd", "ContrastEdLb", TRule::Text},
    {"ContrastEd", "ContrastEd", TRule::Text},
    // The measurement page of the transmitters.
    {"MeasPg", "MeasPg", TRule::Text},
    {"SamplingTimeGb", "SamplingTimeGb", TRule::Text},
    {"LblIntCb", "IntCbLb", TRule::Text},
    {"IntCb", "IntCb", TRule::Text},
    {"IntCbUnitLb", "IntCbUnitLb", TRule::Text},
    {"CBFiltDyn", "CBFiltDyn", TRule::Text},
    {"LblMovAverCb", "MovAverCbLb", TRule::Text},
    {"MovAverCb", "MovAverCb", TRule::MovAver},
    {"MovAverCbUnit", "MovAverCbUnitLb", TRule::MovAverUnit},
    {"VelocityGrBox", "VelocityGrBox", TRule::Velocity},
    {"VelocityCEdLb", "VelocityCEdLb", TRule::VelocityLabel},
    {"VelocityCEd", "VelocityCEd", TRule::Velocity},
    {"VelocityNEdLb", "VelocityNEdLb", TRule::VelocityLabel},
    {"VelocityNEd", "VelocityNEd", TRule::Velocity},
    {"VelocityChB", "VelocityChB", TRule::Velocity},
    {"VelocityChBStat", "VelocityChB", TRule::VelocityState},
};

// A caption as it reads on screen: "&&" is an ampersand, a single "&" marks the mnemonic.
QString WithoutMnemonic(const QString& caption) {
  QString text;
  text.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && i + 1 < caption.size())
      ++i;
    else if (caption[i] == u'&')
      continue;
    text += caption[i];
  }
  return text;
}

// The text of a control as the report shows it. A real-number edit shows its value with its
// own decimals in the operator's locale (while it is typed into, the printout is refused).
QString ControlText(const QWidget* control) {
  if (control == nullptr)
    return {};
  if (const auto* edit = qobject_cast<const TEditReal*>(control))
    return edit->Text();
  if (const auto* combo = qobject_cast<const QComboBox*>(control))
    return combo->currentText();
  if (const auto* group = qobject_cast<const QGroupBox*>(control))
    return WithoutMnemonic(group->title());
  if (const auto* button = qobject_cast<const QAbstractButton*>(control))
    return WithoutMnemonic(button->text());
  if (const auto* label = qobject_cast<const QLabel*>(control))
    // A label marks a mnemonic only for the control it is the buddy of.
    return label->buddy() != nullptr ? WithoutMnemonic(label->text()) : label->text();
  // A page: its tab's caption.
  return WithoutMnemonic(control->windowTitle());
}

QString OnOff(bool on) {
  return on ? QStringLiteral("On") : QStringLiteral("Off");
}

QString SelectedItem(const TRadioGroup* group) {
  return group != nullptr && group->ItemIndex() >= 0 ? group->ItemText() : QString();
}

// A name for a file: letters, digits, '.', '-' and '_' as they are, anything else '_'.
QString FileNamePart(const QString& text) {
  QString name;
  for (const QChar c : text.trimmed())
    name += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'.' || c == u'-' || c == u'_'
                ? c
                : QChar(u'_');
  return name;
}

QPrinter& PreparePrinter(QPrinter& printer, const QString& title) {
  printer.setDocName(title);
  printer.setPageMargins(QMarginsF(PrintMarginMm, PrintMarginMm, PrintMarginMm, PrintMarginMm),
                         QPageLayout::Millimeter);
  return printer;
}

} // namespace

// ---- Commands ----

bool TMainForm::ReportRefused() {
  // The printout shows the configuration just read or written, of an instrument whose identity
  // was read with it; a type set by hand since then has no such configuration.
  const bool allowed = Ready() && PrintAllowed() && sett->InstType() >= 1 &&
                       sett->InstType() <= MaxInstType && sett->InstInfo.TypeWithoutInfo == 0;
  if (!allowed)
    WarningBox(PrintoutRefusedText);
  return !allowed;
}

void TMainForm::PrintExecute() {
  if (!ReportRefused())
    GenerateReport(TReportOutput::Print);
}

void TMainForm::ActPrintPreviewExecute() {
  if (!ReportRefused())
    GenerateReport(TReportOutput::Preview);
}

void TMainForm::ActSavePdfExecute() {
  if (!ReportRefused())
    GenerateReport(TReportOutput::Pdf);
}

void TMainForm::GenerateReport(TReportOutput output) {
  if (!Ready())
    return;
  const QString name = ReportNameFor(sett->InstType());
  if (name.isEmpty()) {
    ErrorBox("GenerateReport(): Unknown instr!");
    return;
  }
  TSettingsReport report(ReportFolder);
  if (!report.SelectReport(name)) {
    ErrorBox("GenerateReport(): Report not selected!");
    return;
  }
  report.SetParams(ReportParams(QDateTime::currentDateTime()));
  report.SetTitle(QString::fromStdString(GetAppTitle()));
  switch (output) {
  case TReportOutput::Print:
    PrintReport(report);
    break;
  case TReportOutput::Preview:
    PreviewReport(report);
    break;
  case TReportOutput::Pdf:
    SaveReportPdf(report);
    break;
  }
}

void TMainForm::PrintReport(const TSettingsReport& report) {
  QPrinter printer(QPrinter::HighResolution);
  PreparePrinter(printer, report.Title());
  QPrintDialog dialog(&printer, this);
  dialog.setObjectName(QStringLiteral("PrintDialog"));
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                    QAbstractPrintDialog::PrintShowPageSize);
  dialog.setMinMax(1, 1);
  SetHelpContext(&dialog, helpctx::Report);
  if (dialog.exec() != QDialog::Accepted)
    return;
  if (report.Print(printer))
    return;
  if (printer.outputFormat() == QPrinter::PdfFormat)
    ErrorBox("Unable to write file \"" + printer.outputFileName().toStdString() + "\"!");
  else
    ErrorBox("The report could not be printed on \"" + printer.printerName().toStdString() + "\"!");
}

void TMainForm::PreviewReport(const TSettingsReport& report) {
  QPrinter printer(QPrinter::HighResolution);
  PreparePrinter(printer, report.Title());
  QPrintPreviewDialog dialog(&printer, this);
  dialog.setObjectName(QStringLiteral("PrintPreviewDialog"));
  // Large enough for the whole page and every button of the toolbar, within the screen.
  const QRect screen = this->screen()->availableGeometry();
  dialog.resize(std::min(PreviewSize.width(), screen.width()),
                std::min(PreviewSize.height(), screen.height()));
  SetHelpContext(&dialog, helpctx::Report);
  connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
          [&report](QPrinter* target) { report.Print(*target); });
  dialog.exec();
}

void TMainForm::SaveReportPdf(TSettingsReport& report) {
  const TIdentityTexts shown = IdentityTexts();
  const QString instrument = (shown.InstType + u' ' + shown.Serial).trimmed();
  QString folder = pdfFolder_;
  if (folder.isEmpty() || !QFileInfo(folder).isDir())
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QFileInfo(folder).isDir())
    folder = QDir::homePath();
  const QString path =
      AskFilePath(this, {TFileAccess::Save, QStringLiteral("Save as PDF"),
                         QDir(folder).filePath(FileNamePart(instrument) + QStringLiteral(".pdf")),
                         QStringLiteral("PDF files (*.pdf)"), QStringLiteral("SavePdfDialog"),
                         helpctx::Report, QStringLiteral("pdf")});
  if (path.isEmpty())
    return;
  pdfFolder_ = QFileInfo(path).absolutePath();
  report.SetTitle(instrument + QStringLiteral(" - Instrument configuration"));
  if (!report.WritePdf(path, LocalePaper())) {
    ErrorBox("Unable to write file \"" + QDir::toNativeSeparators(path).toStdString() + "\"!");
    return;
  }
  statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(path)), 10000);
}

// ---- Parameters ----

TReportParams TMainForm::ReportParams(const QDateTime& now) {
  TReportParams params;
  auto set = [&params](const char* name, const QString& text) {
    params.push_back({QString::fromLatin1(name), text});
  };

  // The identity block, as the About window shows it.
  const TAboutInfo about = AboutInfo(*sett, IdentityTexts(), BuildCaption());
  set("About_NameLb", about.Name);
  const struct {
    const char *caption, *value;
    int line;
  } aboutLines[] = {
      {"About_InstrumentLb", "About_InstrumentValLb", aboutline::Instrument},
      {"About_SerialNrLb", "About_SerialNrValLb", aboutline::Serial},
      {"About_RangeLb", "About_RangeValLb", aboutline::Range},
      {"About_AnaOutLb", "About_AnaOutValLb", aboutline::Output},
      {"About_firmMainLb", "About_firmMainValLb", aboutline::FirmMain},
      {"About_FirmSensLb", "About_FirmSensValLb", aboutline::FirmSens},
  };
  for (const auto& l : aboutLines) {
    const TAboutLine& line = about.Lines[static_cast<std::size_t>(l.line)];
    set(l.caption, line.Visible ? line.Caption : QString());
    set(l.value, line.Visible ? line.Value : QString());
  }

  // The pages: the controls are looked up on the pages, which stay when the type hides them.
  const std::initializer_list<QWidget*> pages = {MeasPg,        MeasPgStatic, AnaOutPg, AlarmPg,
                                                 AlarmPgStatic, EnvirPg,      DispPg};
  auto control = [&pages](const char* name) -> QWidget* {
    if (name == nullptr)
      return nullptr;
    const QString objectName = QString::fromLatin1(name);
    for (QWidget* page : pages) {
      if (page->objectName() == objectName)
        return page;
      if (auto* found = page->findChild<QWidget*>(objectName))
        return found;
    }
    return nullptr;
  };
  const bool staticVelocity = ChBVelocity->isChecked();
  const bool velocity = VelocityChB->isChecked();
  const bool filterOn = MovAverCb->currentIndex() > 0;
  const QString labelEnd = QStringLiteral(": ");
  for (const TReportSource& source : ReportSources) {
    const QString text = ControlText(control(source.Control));
    switch (source.Rule) {
    case TRule::Text:
      set(source.Name, text);
      break;
    case TRule::StaticVelocity:
      set(source.Name, staticVelocity ? text : QString());
      break;
    case TRule::StaticVelocityLabel:
      set(source.Name, staticVelocity ? text + labelEnd : QString());
      break;
    case TRule::StaticVelocityState:
      set(source.Name, OnOff(staticVelocity));
      break;
    case TRule::Velocity:
      set(source.Name, velocity ? text : QString());
      break;
    case TRule::VelocityLabel:
      set(source.Name, velocity ? text + labelEnd : QString());
      break;
    case TRule::VelocityState:
      set(source.Name, OnOff(velocity));
      break;
    case TRule::SelectedItem:
      set(source.Name, SelectedItem(qobject_cast<TRadioGroup*>(control(source.Control))));
      break;
    case TRule::UnitCaption:
      set(source.Name, QStringLiteral("Unit"));
      break;
    case TRule::DisplayUnit:
      set(source.Name,
          SelectedItem(sett->GetVelocityMode() ? DisplVelocityUnitGr : DisplPressUnitGr));
      break;
    case TRule::MovAver:
      set(source.Name, filterOn ? text : QStringLiteral("Filter off"));
      break;
    case TRule::MovAverUnit:
      set(source.Name, filterOn ? text : QString());
      break;
    }
  }

  const QLocale locale;
  set("TransDateTime", locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
                           locale.toString(now.time(), QLocale::LongFormat));
  return params;
}

} // namespace dtool
