// The settings report of the main window against the bench, through the real link libraries:
// the texts collected from the controls, the report chosen by type, the PDF read back with
// poppler-utils, the print dialog, the preview and the file dialog driven by the dialog script,
// and the refusals.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <map>
#include <set>

#include "benchform.h"
#include "dialogscript.h"
#include "support/pdftools.h"
#include "ui/controls/editreal.h"
#include "ui/controls/radiogroup.h"
#include "ui/help/helpform.h"
#include "ui/help/helpsystem.h"

namespace dtool::test {

void PrintTo(const ScriptedPort::Message& m, std::ostream* os);

namespace {

using Msg = ScriptedPort::Message;
using Msgs = std::vector<Msg>;
using TTexts = std::map<std::string, std::string>;

const Msg Refused{"Warning", "A printout is only possible immediately after a \"Read data\" or "
                             "\"Write data\" operation!"};

std::string Instrument(int type, const std::string& extra = "") {
  return Com(1, "Instrument = " + std::to_string(type) +
                    "\nSerial = 1234567\nRangeMax = " + (type == 9 ? "500" : "200") + "\n" + extra);
}

// Replaces an edit's text as typing does; the window stores it at once.
void Enter(TEditReal* ed, const QString& text) {
  ed->InputEdit()->selectAll();
  ed->InputEdit()->insert(text);
}

TTexts Texts(const TReportParams& params) {
  TTexts texts;
  for (const TReportParam& p : params)
    texts[p.Name.toStdString()] = p.Text.toStdString();
  return texts;
}

// A row of the report as the PDF's text has it: the caption, blanks, the value.
bool HasRow(const QString& text, const QString& caption, const QString& value) {
  const QRegularExpression row(QStringLiteral("(^|\\s)") + QRegularExpression::escape(caption) +
                                   QStringLiteral("\\s+") + QRegularExpression::escape(value) +
                                   QStringLiteral("(\\s|$)"),
                               QRegularExpression::MultilineOption);
  return row.match(text).hasMatch();
}

// Page of A4 or Letter with the margins of a PDF of the program, to measure the report on.
std::unique_ptr<QPdfWriter> Paper(const QString& file, QPageSize::PageSizeId paper) {
  auto writer = std::make_unique<QPdfWriter>(file);
  writer->setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait,
                                    QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
  return writer;
}

QAbstractButton* BoxButton(QDialog& d, QDialogButtonBox::StandardButton which) {
  auto* box = d.findChild<QDialogButtonBox*>();
  return box ? box->button(which) : nullptr;
}

// Chooses printing to a PDF file in the print dialog, whatever printers the machine has, and
// types the file's path; returns the path's edit, null when the dialog has no such choice.
QLineEdit* PrintToFile(QDialog& d, const QString& path) {
  auto* printers = Child<QComboBox>(d, "printers");
  auto* file = Child<QLineEdit>(d, "filename");
  if (printers == nullptr || file == nullptr)
    return nullptr;
  const int toFile = printers->findText(QStringLiteral("Print to File (PDF)"));
  if (toFile < 0)
    return nullptr;
  printers->setCurrentIndex(toFile);
  file->setText(path);
  return file;
}

class ReportTest : public BenchFormTest {
protected:
  // Connects one instrument, opens the window with the settings given and reads it.
  TMainForm& ReadOn(int type, const TSetFileRecords& records, const std::string& extra = "") {
    StartBench(Instrument(type, extra));
    TMainForm& f = Open(records);
    f.ReadBtn->click();
    EXPECT_TRUE(f.PrintAllowed()) << (port.messages.empty() ? "" : port.Texts().front());
    port.Clear();
    return f;
  }
  TMainForm& ReadOn(int type) { return ReadOn(type, RecordsFor(0)); }

  QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }

  // File > Save as PDF...: the file dialog gets a path typed and Enter. Returns the path; the
  // file name the dialog suggested goes to suggested.
  QString SavePdf(TMainForm& f, const QString& name, QString* suggested = nullptr) {
    const QString path = Path(name);
    TDialogScript script;
    script.On("SavePdfDialog", [&](QDialog& d) {
      auto* edit = Child<QLineEdit>(d, "fileNameEdit");
      ASSERT_NE(edit, nullptr);
      if (suggested)
        *suggested = edit->text();
      edit->setText(path);
      QTest::keyClick(edit, Qt::Key_Return);
    });
    f.ActSavePdf->trigger();
    return path;
  }

  // The report of the window, selected and filled as the commands fill it.
  TSettingsReport Report(TMainForm& f) {
    TSettingsReport report;
    EXPECT_TRUE(report.SelectReport(ReportNameFor(f.sett->InstType())));
    report.SetParams(f.ReportParams(QDateTime::currentDateTime()));
    return report;
  }

  // The report fits A4 and Letter as it is laid out, without shrinking.
  void ExpectFitsAsLaidOut(TMainForm& f) {
    const TSettingsReport report = Report(f);
    for (QPageSize::PageSizeId paper : {QPageSize::A4, QPageSize::Letter}) {
      auto page = Paper(Path(QStringLiteral("measure.pdf")), paper);
      EXPECT_EQ(report.FitScale(*page), 1.0) << QPageSize(paper).name().toStdString();
    }
  }
};

// --- Every type -----------------------------------------------------------------------------

// After a read, the report of the type goes to a PDF of one page that holds the identity and
// the pages the type shows, as the window shows them, and no other page.
TEST_F(ReportTest, EveryTypeAfterAReadSavesItsReportAsOnePdfPage) {
  struct TCase {
    int type;
    const char* report;
    std::set<QString> pages;
    const char* file;
  };
  const QString meas = QStringLiteral("Measurement"), analog = QStringLiteral("Analog output"),
                alarms = QStringLiteral("Alarms"), envir = QStringLiteral("Environment"),
                display = QStringLiteral("LC Display");
  const TCase cases[] = {
      {1, "Dravon_STD", {meas, analog, alarms}, "Dravon-STD_1234567.pdf"},
      {2, "Dravon_STV", {meas, analog, alarms, display}, "Dravon-STV_1234567.pdf"},
      {3, "Dravon_STS", {meas, alarms}, "Dravon-STS_1234567.pdf"},
      {4, "Dravon_STVS", {meas, alarms, display}, "Dravon-STVS_1234567.pdf"},
      {5, "Dravon_STD", {meas, analog, alarms}, "Dravon-STD_Z_1234567.pdf"},
      {6, "Dravon_STV", {meas, analog, alarms, display}, "Dravon-STV_Z_1234567.pdf"},
      {7, "Dravon_STS", {meas, alarms}, "Dravon-STS_Z_1234567.pdf"},
      {8, "Dravon_STVS", {meas, alarms, display}, "Dravon-STVS_Z_1234567.pdf"},
      {9, "Dravonswitch", {alarms, envir}, "DravonSwitch_1234567.pdf"},
      {10, "DravonDat", {meas, analog, envir}, "DravonDat_1234567.pdf"},
      {11, "DravonVision", {meas, analog, envir, display}, "DravonVision_1234567.pdf"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.type);
    TMainForm& f = ReadOn(c.type);
    EXPECT_EQ(ReportNameFor(c.type), QString::fromLatin1(c.report));
    EXPECT_TRUE(Report(f).Unfilled().isEmpty()) << Report(f).Unfilled().join(u',').toStdString();
    ExpectFitsAsLaidOut(f);

    QString suggested;
    const QString pdf = SavePdf(f, QStringLiteral("report-%1.pdf").arg(c.type), &suggested);
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_EQ(suggested, QString::fromLatin1(c.file));
    const TPdfInfo info = PdfInfo(pdf);
    ASSERT_TRUE(info.Error.isEmpty()) << info.Error.toStdString();
    EXPECT_EQ(info.Pages, 1);
    EXPECT_EQ(info.Title,
              f.InstTypeEd->text() + QStringLiteral(" 1234567 - Instrument configuration"));
    const QString text = PdfText(pdf);
    EXPECT_TRUE(HasRow(text, QStringLiteral("Serial no:"), QStringLiteral("1234567")));
    EXPECT_TRUE(
        HasRow(text, QStringLiteral("dP range:"),
               c.type == 9 ? QStringLiteral("0 .. 500 Pa") : QStringLiteral("-200 .. 200 Pa")));
    EXPECT_TRUE(HasRow(text, QStringLiteral("Instrument:"), f.InstTypeEd->text()));
    for (const QString& page : {meas, analog, alarms, envir, display})
      EXPECT_EQ(text.contains(page), c.pages.count(page) == 1) << page.toStdString();
    // A value of each page the type shows, beside its caption.
    const std::set<QString> shown = ShownPages(f);
    const struct {
      const char* page;
      QString caption, value;
    } rows[] = {
        {"MeasPg", "Interval", f.IntCb->currentText() + " s"},
        {"MeasPgStatic", "Gain Sensor", f.EdrGainSensStatic->Text()},
        {"AnaOutPg", "To", f.AnToEd->Text() + u' ' + f.AnToEdUnitLb->text()},
        {"AlarmPg", "Threshold",
         f.A2GrKlCb->currentText() + u' ' + f.Al2ThreEdr->Text() + u' ' +
             f.Al2ThreEdrUnitLb->text()},
        {"AlarmPgStatic", "Threshold",
         f.CbA1GrKlStatic->currentText() + u' ' + f.EdrAl1ThreStatic->Text() + u' ' +
             f.LbAl1ThreEdrUnitStatic->text()},
        {"EnvirPg", "Std. Hose length", f.HoseLenEd->Text() + u' ' + f.HoseLenEdUnitLb->text()},
        {"DispPg", "Contrast", f.ContrastEd->Text()},
    };
    for (const auto& row : rows) {
      if (shown.count(QString::fromLatin1(row.page))) {
        EXPECT_TRUE(HasRow(text, row.caption, row.value))
            << row.page << ": " << row.value.toStdString() << "\n"
            << text.toStdString();
      }
    }
  }
}

// The texts of one type of each report after a read, as the bench's instruments come from the
// factory.
TEST_F(ReportTest, TheTextsOfEachReportAfterARead) {
  const TTexts measStatic = {{"MeasPgStatic", "Measurement"},
                             {"GbLpSt", "Filter (low pass)"},
                             {"LblFiltLevPstat", "Level"},
                             {"CbFiltLevPstat", "0 (Filter off)"},
                             {"GbSensCalSt", "Sensor Calibration"},
                             {"LblGainSensStatic", "Gain Sensor"},
                             {"EdrGainSensStatic", "1.0000"},
                             {"GbVeloSt", ""},
                             {"dLbVelocityCEPstat", ""},
                             {"EdrVelocityCPstat", ""},
                             {"LbVelocityNEPstat", ""},
                             {"EdrVelocityNPstat", ""},
                             {"ChBVelocity", ""},
                             {"ChBVelocityStat", "Off"}};
  const TTexts analog = {{"AnaOutPg", "Analog output"},
                         {"GbRangeAnal", "Range"},
                         {"LblAnFromEd", "From"},
                         {"AnFromEd", "0.00"},
                         {"AnFromEdUnitLb", "Pa"},
                         {"LblAnToEd", "To"},
                         {"AnToEd", "200.00"},
                         {"AnToEdUnitLb", "Pa"},
                         {"AnSigRg", "Signal"},
                         {"AnSigRgStat", "4 .. 20 mA / 2 .. 10 V"},
                         {"GbAnalCal", "Analog Signal Calibration"},
                         {"LblAnOffsetEd", "Offset"},
                         {"AnOffsetEd", "0.0000"},
                         {"AnOffsetEdUnitLb", "mA"},
                         {"LblAnGainEd", "Gain"},
                         {"AnGainEd", "1.0000"}};
  const TTexts alarmsStatic = {{"AlarmPgStatic", "Alarms"},
                               {"GbAl1St", "Alarm 1"},
                               {"LblThresholdStatic", "Threshold"},
                               {"CbA1GrKlStatic", "<"},
                               {"EdrAl1ThreStatic", "-160.00"},
                               {"LbAl1ThreEdrUnitStatic", "Pa"},
                               {"LblHys1Static", "Hysteresis"},
                               {"EdrAl1HysStatic", "1.00"},
                               {"LbAl1HysEdrUnit", "Pa"},
                               {"LblEdrAl1DlyStatic", "Delay"},
                               {"EdrAl1DlyStatic", "0"},
                               {"LblEdrAl1DlyStaticUnit", "s"},
                               {"GbAl2St", "Alarm 2"},
                               {"LblThreshold2Static", "Threshold"},
                               {"CbA2GrKlStatic", ">"},
                               {"EdrAl2ThreStatic", "160.00"},
                               {"LbAl2ThreEdrUnitStatic", "Pa"},
                               {"LblHys2Static", "Hysteresis"},
                               {"EdrAl2HysStatic", "1.00"},
                               {"LbAl2HysEdrUnit", "Pa"},
                               {"LblEdrAl2DlyStatic", "Delay"},
                               {"EdrAl2DlyStatic", "0"},
                               {"LblEdrAl2DlyStaticUnit", "s"}};
  const TTexts display = {{"DispPg", "LC Display"},      {"DisplUnitGr", "Unit"},
                          {"DisplUnitGrStat", "Pa"},     {"ContrastGrBox", "Display"},
                          {"LblContrastEd", "Contrast"}, {"ContrastEd", "7"}};
  const TTexts alarms = {{"AlIntPgCapt", "Alarms"},
                         {"SampTimeGb", "Sampling time"},
                         {"AlIntLb", "Interval"},
                         {"AlIntCb", "0.750"},
                         {"AlIntUnitLb", "s"},
                         {"Alarm1Gb", "Alarm 1"},
                         {"LblThreshold1", "Threshold"},
                         {"A1GrKlCb", ">"},
                         {"Al1ThreEdr", "10.00"},
                         {"Al1ThreEdrUnitLb", "Pa"},
                         {"LblHys1", "Hysteresis"},
                         {"Al1HysEdr", "0.00"},
                         {"Al1HysEdrUnitLb", "Pa"},
                         {"LblDly1", "Delay"},
                         {"Al1DlyCb", "0.0"},
                         {"LblDly1Unit", "s"},
                         {"Alarm2Gb", "Alarm 2"},
                         {"LblThreshold2", "Threshold"},
                         {"A2GrKlCb", "<"},
                         {"Al2ThreEdr", "5.00"},
                         {"Al2ThreEdrUnitLb", "Pa"},
                         {"LblHys2", "Hysteresis"},
                         {"Al2HysEdr", "0.00"},
                         {"Al2HysEdrUnitLb", "Pa"},
                         {"LblDly2", "Delay"},
                         {"Al2DlyCb", "0.0"},
                         {"LblDly2Unit", "s"}};
  const TTexts envir = {{"EnvirPg", "Environment"},
                        {"GbHose", "Hose"},
                        {"HoseLenEdLb", "Std. Hose length"},
                        {"HoseLenEd", "0.30"},
                        {"HoseLenEdUnitLb", "m"},
                        {"GbAtmos", "Atmosphere"},
                        {"LblAtmPress", "Atm. pressure"},
                        {"AtmPressEd", "966"},
                        {"AtmPressEdUnitLb", "hPa"},
                        {"HumLabel", "Humidity"},
                        {"HumCB", "40..60"},
                        {"HumCBUnitLb", "%RH"},
                        {"GbSensorCal", "Sensor Calibration"},
                        {"LblGain", "Gain Sensor"},
                        {"GainSensEd", "1.0000"}};
  const TTexts meas = {{"MeasPg", "Measurement"},   {"SamplingTimeGb", "Sampling time"},
                       {"LblIntCb", "Interval"},    {"IntCb", "0.750"},
                       {"IntCbUnitLb", "s"},        {"CBFiltDyn", "Filter (moving average)"},
                       {"LblMovAverCb", "Reading"}, {"MovAverCb", "Filter off"},
                       {"MovAverCbUnit", ""},       {"VelocityGrBox", ""},
                       {"VelocityCEdLb", ""},       {"VelocityCEd", ""},
                       {"VelocityNEdLb", ""},       {"VelocityNEd", ""},
                       {"VelocityChB", ""},         {"VelocityChBStat", "Off"}};
  auto about = [](const char* type, const char* output, bool analogFamily, bool sensorLine) {
    TTexts texts = {{"About_NameLb", "DravonTool - Win V4.11"},
                    {"About_InstrumentLb", "Instrument: "},
                    {"About_InstrumentValLb", type},
                    {"About_SerialNrLb", "Serial no: "},
                    {"About_SerialNrValLb", "1234567"},
                    {"About_RangeLb", "dP range: "},
                    {"About_RangeValLb", analogFamily ? "-200 .. 200 Pa" : "0 .. 500 Pa"},
                    {"About_AnaOutLb", "Output: "},
                    {"About_AnaOutValLb", output}};
    if (analogFamily) {
      texts["About_firmMainLb"] = "Firmware main controller: ";
      texts["About_firmMainValLb"] = "V01.12 (Cap. level 002)";
      texts["About_FirmSensLb"] = sensorLine ? "Firmware sensor controller: " : "";
      texts["About_FirmSensValLb"] = sensorLine ? "V01.3" : "";
    } else {
      texts["About_firmMainLb"] = "Version instr.: ";
      texts["About_firmMainValLb"] = "2.1/1.0";
      texts["About_FirmSensLb"] = "Version comp.: ";
      texts["About_FirmSensValLb"] = "03";
    }
    return texts;
  };
  struct TCase {
    int type;
    std::vector<TTexts> blocks;
  };
  const TCase cases[] = {
      {1, {about("Dravon-STD", "Current", true, false), measStatic, analog, alarmsStatic}},
      {2, {about("Dravon-STV", "Current", true, false), measStatic, analog, alarmsStatic, display}},
      {3, {about("Dravon-STS", "2 Alarm relays", true, false), measStatic, alarmsStatic}},
      {4, {about("Dravon-STVS", "2 Alarm relays", true, false), measStatic, alarmsStatic, display}},
      {9, {about("DravonSwitch", "2 Alarm relays", false, true), alarms, envir}},
      {10, {about("DravonDat", "Current", true, true), meas, analog, envir}},
      {11, {about("DravonVision", "Current", true, true), meas, analog, envir, display}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.type);
    TMainForm& f = ReadOn(c.type);
    const TReportParams params = f.ReportParams(QDateTime::currentDateTime());
    const TTexts texts = Texts(params);
    EXPECT_EQ(texts.size(), params.size()) << "every name is set once";
    for (const TTexts& block : c.blocks)
      for (const auto& [name, text] : block) {
        const auto it = texts.find(name);
        ASSERT_NE(it, texts.end()) << name;
        EXPECT_EQ(it->second, text) << name;
      }
    EXPECT_FALSE(texts.at("TransDateTime").empty());
  }
}

// --- Texts by their rules -------------------------------------------------------------------

TEST_F(ReportTest, VelocityTextsOnlyWhileTheVelocityModeIsOn) {
  struct TCase {
    int type;
    QCheckBox* TMainForm::*box;
    std::vector<const char*> group; // the group's texts, captions first
    const char* state;
  };
  const TCase cases[] = {
      {1,
       &TMainForm::ChBVelocity,
       {"dLbVelocityCEPstat", "LbVelocityNEPstat", "GbVeloSt", "EdrVelocityCPstat",
        "EdrVelocityNPstat", "ChBVelocity"},
       "ChBVelocityStat"},
      {10,
       &TMainForm::VelocityChB,
       {"VelocityCEdLb", "VelocityNEdLb", "VelocityGrBox", "VelocityCEd", "VelocityNEd",
        "VelocityChB"},
       "VelocityChBStat"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.type);
    TMainForm& f = Open(c.type);
    TTexts texts = Texts(f.ReportParams(QDateTime::currentDateTime()));
    EXPECT_EQ(texts.at(c.state), "Off");
    for (const char* name : c.group)
      EXPECT_EQ(texts.at(name), "") << name;

    (f.*c.box)->setChecked(true);
    texts = Texts(f.ReportParams(QDateTime::currentDateTime()));
    EXPECT_EQ(texts.at(c.state), "On");
    const TTexts on = {{c.group[0], "C: "},      {c.group[1], "n: "},
                       {c.group[2], "Velocity"}, {c.group[3], "0.612500"},
                       {c.group[4], "2.0"},      {c.group[5], "Velocity mode"}};
    for (const auto& [name, text] : on)
      EXPECT_EQ(texts.at(name), text) << name;
  }
}

TEST_F(ReportTest, ListsRadioGroupsAndEditsByTheirRules) {
  // The moving average: its first item is "Filter off" without a unit.
  TMainForm& f = Open(10);
  f.MovAverCb->setCurrentIndex(0);
  TTexts texts = Texts(f.ReportParams(QDateTime::currentDateTime()));
  EXPECT_EQ(texts.at("MovAverCb"), "Filter off");
  EXPECT_EQ(texts.at("MovAverCbUnit"), "");
  f.MovAverCb->setCurrentIndex(4);
  texts = Texts(f.ReportParams(QDateTime::currentDateTime()));
  EXPECT_EQ(texts.at("MovAverCb"), "5");
  EXPECT_EQ(texts.at("MovAverCbUnit"), "Samples");

  // The signal and the display unit: the selected item, nothing without a selection; the unit
  // of the velocity mode.
  EXPECT_EQ(texts.at("DisplUnitGr"), "Unit");
  EXPECT_EQ(texts.at("DisplUnitGrStat"), "Pa");
  f.VelocityChB->setChecked(true);
  texts = Texts(f.ReportParams(QDateTime::currentDateTime()));
  EXPECT_EQ(texts.at("DisplUnitGrStat"), "m/s");
  f.DisplVelocityUnitGr->SetItemIndex(-1);
  f.AnSigRg->SetItemIndex(-1);
  texts = Texts(f.ReportParams(QDateTime::currentDateTime()));
  EXPECT_EQ(texts.at("DisplUnitGrStat"), "");
  EXPECT_EQ(texts.at("AnSigRgStat"), "");
  EXPECT_EQ(texts.at("AnSigRg"), "Signal");
}

// An edit hands over the text it shows: its own decimals, in the operator's locale.
TEST_F(ReportTest, AnEditHandsOverItsOwnDecimalsInTheOperatorsLocale) {
  struct TCase {
    const char* name;
    int type;
    std::function<void(TSetFileRecords&)> set;
    const char* point;
    const char* comma;
  };
  const TCase cases[] = {
      {"HoseLenEd", 10, [](TSetFileRecords& r) { r.Class1.Hose_length = 1.5; }, "1.50", "1,50"},
      {"GainSensEd", 10, [](TSetFileRecords& r) { r.Class1.Gain_Sens = 1.5; }, "1.5000", "1,5000"},
      {"Al1ThreEdr", 9,
       [](TSetFileRecords& r) {
         r.Prefs.PressUnit = unit::mbar;
         r.Switch.Al1Thre = 150;
       },
       "1.5000", "1,5000"},
      {"EdrAl1DlyStatic", 1, [](TSetFileRecords& r) { r.Class23.AL1.DelayPress = 1500; }, "1500",
       "1500"},
  };
  for (const char* locale : {"C", "de_DE"}) {
    QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
    for (const TCase& c : cases) {
      SCOPED_TRACE(std::string(locale) + " " + c.name);
      TSetFileRecords r = RecordsFor(c.type);
      c.set(r);
      TMainForm& f = Open(r);
      const std::string shown = std::string(locale) == "C" ? c.point : c.comma;
      EXPECT_EQ(Texts(f.ReportParams(QDateTime::currentDateTime())).at(c.name), shown);
    }
  }
}

TEST_F(ReportTest, TheDateAndTimeInTheOperatorsShortDateAndLongTime) {
  const QDateTime at(QDate(2025, 3, 4), QTime(14, 5, 6));
  const std::pair<const char*, const char*> cases[] = {{"de_DE", "04.03.25 14:05:06"},
                                                       {"en_US", "3/4/25 2:05:06"}};
  for (const auto& [locale, start] : cases) {
    SCOPED_TRACE(locale);
    QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
    TMainForm& f = Open(10);
    const std::string text = Texts(f.ReportParams(at)).at("TransDateTime");
    EXPECT_EQ(text.rfind(start, 0), 0u) << text;
  }
}

// --- Refusals -------------------------------------------------------------------------------

// Whenever the configuration shown is not the one just read or written, each of the three
// commands gives the printout warning and opens nothing.
TEST_F(ReportTest, EveryCommandRefusesWhatWasNotJustReadOrWritten) {
  struct TCase {
    const char* name;
    int type;
    bool read;
    std::function<void(TMainForm&)> step;
    Msgs messages;             // of the step
    bool stillAllowed = false; // PrintAllowed stays, the identity is what is missing
  };
  const TCase cases[] = {
      {"right after start", 10, false, [](TMainForm&) {}, {}},
      {"after an edit",
       10,
       true,
       [](TMainForm& f) { Enter(f.HoseLenEd, QStringLiteral("2.5")); },
       {}},
      {"after a list is changed",
       1,
       true,
       [](TMainForm& f) {
         f.CbFiltLevPstat->setCurrentIndex(3);
         emit f.CbFiltLevPstat->activated(3);
       },
       {}},
      {"after the velocity mode is switched",
       10,
       true,
       [](TMainForm& f) { f.VelocityChB->click(); },
       {}},
      {"after a read that failed",
       10,
       true,
       [this](TMainForm& f) {
         StartBench(Instrument(10, "FaultAnswer = A204:5"));
         f.Session().ReopenLink();
         f.ReadBtn->click();
       },
       {{"Error",
         "Read error of parameter \"Measurement Interval\"\rInstrument error (cc) Nr. 0x0005."}}},
      {"after a switch that was written by a newer tool",
       9,
       true,
       [this](TMainForm& f) {
         StartBench(Instrument(9, "FaultNewer = yes"));
         f.Session().ReopenLink();
         f.ReadBtn->click();
       },
       {{"Warning", "Compensation algorithm is not supported!\r\rThe actual settings can not be "
                    "read from the instrument because they have been written by a newer version "
                    "of DravonTool!\rDefault settings will be loaded!"}}},
      {"after a switch write",
       9,
       true,
       [](TMainForm& f) { f.WriteBtn->click(); },
       {{"Info", "Transfer was successful!"}}},
      {"after the type is set by hand once the signal is lost",
       10,
       true,
       [](TMainForm& f) {
         TBenchControl::Get().SetFault(1, "FaultNoSignal = yes");
         TBenchControl::Get().Advance(2000);
         f.ShowLiveReading();
         ASSERT_FALSE(f.sett->ConfigRead());
         TDialogScript script;
         script.On("TyOfInstFrm_", [](QDialog& d) {
           ChooseItem(d, "InstTypeGr", QStringLiteral("DravonVision"));
           Click(d, "OkBtn");
         });
         f.ActTypeOfInstrument->trigger();
         ASSERT_EQ(f.sett->InstType(), 11);
       },
       {},
       true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = c.read ? ReadOn(c.type) : (StartBench(Instrument(c.type)), Open(c.type));
    port.Clear();
    c.step(f);
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(f.PrintAllowed(), c.stillAllowed);
    for (QAction* command : {f.Print, f.ActPrintPreview, f.ActSavePdf}) {
      SCOPED_TRACE(command->objectName().toStdString());
      port.Clear();
      TDialogScript script; // no dialog may open
      command->trigger();
      EXPECT_EQ(port.messages, Msgs{Refused});
    }
  }
}

// --- The print dialog, the preview, the file dialog -------------------------------------------

TEST_F(ReportTest, CancellingThePrintDialogPrintsNothing) {
  TMainForm& f = ReadOn(10);
  for (bool esc : {false, true}) {
    SCOPED_TRACE(esc ? "Esc" : "Cancel");
    const QString pdf = Path(QStringLiteral("cancelled.pdf"));
    TDialogScript script;
    script.On("PrintDialog", [&](QDialog& d) {
      EXPECT_EQ(HelpContextOf(&d), helpctx::Report);
      // Printing to a file, so that a print would leave one.
      ASSERT_NE(PrintToFile(d, pdf), nullptr);
      if (esc) {
        QTest::keyClick(&d, Qt::Key_Escape);
      } else {
        QAbstractButton* cancel = BoxButton(d, QDialogButtonBox::Cancel);
        ASSERT_NE(cancel, nullptr);
        cancel->click();
      }
    });
    f.Print->trigger();
    EXPECT_EQ(script.Played(), 1);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_TRUE(f.PrintAllowed()) << "cancelling changes nothing shown";
  }
}

// Right after a write the report shows the values written; the print dialog prints them, with
// the program's title as the document's.
TEST_F(ReportTest, PrintAfterAWriteThroughThePrintDialog) {
  TMainForm& f = ReadOn(10);
  Enter(f.HoseLenEd, QStringLiteral("2.5"));
  EXPECT_FALSE(f.PrintAllowed());
  f.WriteBtn->click();
  EXPECT_EQ(port.messages, (Msgs{{"Info", "Transfer was successful!"}}));
  ASSERT_TRUE(f.PrintAllowed());
  port.Clear();
  const QString pdf = Path(QStringLiteral("printed.pdf"));
  TDialogScript script;
  script.On("PrintDialog", [&](QDialog& d) {
    QLineEdit* file = PrintToFile(d, pdf);
    ASSERT_NE(file, nullptr);
    QTest::keyClick(file, Qt::Key_Return);
  });
  f.Print->trigger();
  EXPECT_EQ(script.Played(), 1);
  EXPECT_EQ(port.messages, Msgs{});
  const TPdfInfo info = PdfInfo(pdf);
  ASSERT_TRUE(info.Error.isEmpty()) << info.Error.toStdString();
  EXPECT_EQ(info.Pages, 1);
  EXPECT_EQ(info.Title, QStringLiteral("DravonTool - Win"));
  const QString text = PdfText(pdf);
  EXPECT_TRUE(HasRow(text, QStringLiteral("Std. Hose length"), QStringLiteral("2.50 m")));
  EXPECT_TRUE(HasRow(text, QStringLiteral("Serial no:"), QStringLiteral("1234567")));
}

TEST_F(ReportTest, ThePreviewShowsTheOnePageAndItsHelp) {
  InstallHelpKey();
  TMainForm& f = ReadOn(9);
  TDialogScript script;
  script.On("PrintPreviewDialog", [&](QDialog& d) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    auto* preview = d.findChild<QPrintPreviewWidget*>();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return preview->pageCount() == 1; }));
    // F1 shows the report's topic.
    ASSERT_TRUE(ActivateDialog(d));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &d, Qt::Key_F1);
    THelpForm* help = FindHelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->CurrentContext(), helpctx::Report);
    EXPECT_TRUE(help->CurrentTopicFound());
    d.activateWindow();
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
  });
  f.ActPrintPreview->trigger();
  EXPECT_EQ(script.Played(), 1);
  EXPECT_EQ(port.messages, Msgs{});
  CloseHelpWindows();
}

TEST_F(ReportTest, SaveAsPdfCancelledOrNotWritableLeavesNoFile) {
  TMainForm& f = ReadOn(11);
  const QString pdf = Path(QStringLiteral("kept.pdf"));
  {
    TDialogScript script;
    script.On("SavePdfDialog", [&](QDialog& d) {
      EXPECT_EQ(HelpContextOf(&d), helpctx::Report);
      Child<QLineEdit>(d, "fileNameEdit")->setText(pdf);
      QTest::keyClick(&d, Qt::Key_Escape);
    });
    f.ActSavePdf->trigger();
    EXPECT_EQ(script.Played(), 1);
  }
  EXPECT_FALSE(QFile::exists(pdf));
  EXPECT_EQ(port.messages, Msgs{});

  const QString nowhere = Path(QStringLiteral("no/such/folder/report.pdf"));
  SavePdf(f, QStringLiteral("no/such/folder/report.pdf"));
  EXPECT_EQ(port.messages,
            (Msgs{{"Error", "Unable to write file \"" + nowhere.toStdString() + "\"!"}}));
  EXPECT_FALSE(QFile::exists(nowhere));

  // A file saved once: the next suggestion is in its folder.
  port.Clear();
  SavePdf(f, QStringLiteral("first.pdf"));
  EXPECT_EQ(PdfInfo(Path(QStringLiteral("first.pdf"))).Pages, 1);
  TDialogScript script;
  script.On("SavePdfDialog", [&](QDialog& d) {
    auto& files = static_cast<QFileDialog&>(d);
    EXPECT_EQ(files.directory().absolutePath(), QDir(dir.path()).absolutePath());
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  f.ActSavePdf->trigger();
  EXPECT_EQ(port.messages, Msgs{});
}

// --- Faults of the report -------------------------------------------------------------------

TEST_F(ReportTest, AReportThatCannotBeFoundIsAnErrorBox) {
  TMainForm& f = ReadOn(10);
  f.ReportFolder = Path(QStringLiteral("no-layouts"));
  for (QAction* command : {f.Print, f.ActPrintPreview, f.ActSavePdf}) {
    SCOPED_TRACE(command->objectName().toStdString());
    port.Clear();
    TDialogScript script; // nothing opens
    command->trigger();
    EXPECT_EQ(port.messages, (Msgs{{"Error", "GenerateReport(): Report not selected!"}}));
  }
  // A type without a report, where the command's check is passed by.
  f.ReportFolder = QString::fromLatin1(ReportLayoutFolder);
  f.sett->SetInstType(0);
  port.Clear();
  f.GenerateReport(TReportOutput::Pdf);
  EXPECT_EQ(port.messages, (Msgs{{"Error", "GenerateReport(): Unknown instr!"}}));
}

// --- Locale, units, paper -------------------------------------------------------------------

// German numbers, inches of water and the velocity mode: every report still fits its page.
TEST_F(ReportTest, GermanInchesOfWaterAndVelocityStillFitOnePage) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  for (int type : {1, 2, 3, 4, 9, 10, 11}) {
    SCOPED_TRACE(type);
    TSetFileRecords r = RecordsFor(0);
    r.Prefs.PressUnit = unit::inchH2O;
    r.Prefs.HoseUnit = unit::inch;
    r.Prefs.AtmUnit = unit::inchHg;
    r.Prefs.VelocityUnit = unit::feet_s;
    TMainForm& f = ReadOn(type, r);
    if (type != 9) {
      ((type <= 8) ? f.ChBVelocity : f.VelocityChB)->setChecked(true);
      f.Session().SetLastTransferForTest(true); // as read, in velocity mode
    }
    ExpectFitsAsLaidOut(f);
    if (type != 4 && type != 11)
      continue;
    const QString pdf = SavePdf(f, QStringLiteral("de-%1.pdf").arg(type));
    EXPECT_EQ(port.messages, Msgs{});
    const TPdfInfo info = PdfInfo(pdf);
    EXPECT_EQ(info.Pages, 1);
    EXPECT_TRUE(info.PageSize.endsWith(QLatin1String("(A4)"))) << info.PageSize.toStdString();
    const QString text = PdfText(pdf);
    const QString c = (type <= 8) ? f.EdrVelocityCPstat->Text() : f.VelocityCEd->Text();
    EXPECT_TRUE(c.contains(u','));
    EXPECT_TRUE(HasRow(text, QStringLiteral("C:"), c)) << text.toStdString();
    const QString to = (type <= 8) ? f.CbA2GrKlStatic->currentText() + u' ' +
                                         f.EdrAl2ThreStatic->Text() + QStringLiteral(" feet/s")
                                   : f.AnToEd->Text() + QStringLiteral(" feet/s");
    EXPECT_TRUE(to.contains(u','));
    EXPECT_TRUE(text.contains(to)) << to.toStdString() << "\n" << text.toStdString();
  }
}

TEST_F(ReportTest, APdfInTheUnitedStatesIsOnLetter) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  TMainForm& f = ReadOn(10);
  const TPdfInfo info = PdfInfo(SavePdf(f, QStringLiteral("us.pdf")));
  EXPECT_EQ(info.Pages, 1);
  EXPECT_TRUE(info.PageSize.endsWith(QLatin1String("(letter)"))) << info.PageSize.toStdString();
}

// --- Menu and keyboard ----------------------------------------------------------------------

TEST_F(ReportTest, TheFileMenuHoldsTheCommandsWithTheirMnemonics) {
  TMainForm& f = ReadOn(10);
  QMenu* file = nullptr;
  for (QAction* a : f.menuBar()->actions())
    if (a->text() == QStringLiteral("F&ile"))
      file = a->menu();
  ASSERT_NE(file, nullptr);
  QStringList captions;
  for (QAction* a : file->actions())
    captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
  EXPECT_EQ(captions, (QStringList{"&Open configuration...", "Save configuration &as...",
                                   "Co&mpare with instrument...", "-", "Print...",
                                   "Print pre&view...", "Save as P&DF...", "-", "&Quit"}));
  EXPECT_EQ(f.Print->shortcut(), QKeySequence(QKeySequence::Print));
  EXPECT_FALSE(f.Print->icon().isNull()) << "Print keeps its picture";

  // Alt+I opens the menu, V the preview; Esc closes it.
  f.show();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  TDialogScript script;
  script.On("PrintPreviewDialog", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
  QTest::keyClick(&f, Qt::Key_I, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }));
  QTest::keyClick(file, Qt::Key_V);
  EXPECT_TRUE(QTest::qWaitFor([&] { return script.Played() == 1; }));
  EXPECT_EQ(port.messages, Msgs{});
}

} // namespace
} // namespace dtool::test
