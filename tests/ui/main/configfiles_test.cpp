// Configuration files and the comparison with the instrument in the main window, against the
// bench through the real link libraries: a configuration saved after a read and written back
// to a changed instrument, the compare table in the operator's units without a write, the
// type switch of a file of another class and its refusal while data is read in, damaged
// files, and the option that shows the changes before Write data.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTest>

#include <cstring>
#include <fstream>

#include "benchform.h"
#include "dialogscript.h"
#include "records/configfile.h"
#include "support/pdftools.h"
#include "tools/options.h"
#include "ui/controls/editreal.h"
#include "ui/dialogs/compareform.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool::test {

namespace {

using Msg = ScriptedPort::Message;
using Msgs = std::vector<Msg>;

const std::string Success = "Transfer was successful!";
const std::string TypeRefused = "The instrument type can only be set, if no other instrument's "
                                "data has been read in (No Signal, No Config)! ";

std::string Instrument(int type, const std::string& extra = "") {
  return Com(1, "Instrument = " + std::to_string(type) +
                    "\nSerial = 1234567\nRangeMax = " + (type == 9 ? "500" : "200") + "\n" + extra);
}

void Enter(TEditReal* ed, const QString& text) {
  ed->InputEdit()->selectAll();
  ed->InputEdit()->insert(text);
}

// A step for a file dialog: types the path and presses Enter.
std::function<void(QDialog&)> ChooseFile(const QString& path, QString* startFolder = nullptr) {
  return [path, startFolder](QDialog& d) {
    if (startFolder)
      *startFolder = static_cast<QFileDialog&>(d).directory().absolutePath();
    auto* edit = Child<QLineEdit>(d, "fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(path);
    QTest::keyClick(edit, Qt::Key_Return);
  };
}

// The rows of a compare table as the operator reads them.
using TRows = std::vector<std::vector<std::string>>;
TRows RowsOf(QTableWidget* table) {
  TRows rows;
  for (int r = 0; r < table->rowCount(); ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < table->columnCount(); ++c)
      row.push_back(table->item(r, c)->text().toStdString());
    rows.push_back(row);
  }
  return rows;
}

template <typename T> bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

class ConfigFilesTest : public BenchFormTest {
protected:
  void TearDown() override {
    SetCommandLine({});
    BenchFormTest::TearDown();
  }
  TMainForm& ReadOn(int type, TSetFileRecords records, const std::string& extra = "") {
    StartBench(Instrument(type, extra));
    TMainForm& f = Open(records);
    f.ReadBtn->click();
    EXPECT_TRUE(f.sett->ConfigRead());
    port.Clear();
    ClearTrace();
    return f;
  }
  TMainForm& ReadOn(int type) { return ReadOn(type, RecordsFor(type)); }
  QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
  void SaveAs(TMainForm& f, const QString& path) {
    TDialogScript script;
    script.On("SaveConfigDialog", ChooseFile(path));
    f.ActSaveConfigAs->trigger();
  }
  void OpenFile(TMainForm& f, const QString& path) {
    TDialogScript script;
    script.On("OpenConfigDialog", ChooseFile(path));
    f.ActOpenConfig->trigger();
  }
  // Writes a configuration of the type with its defaults, as another installation saved it.
  QString ConfigFileOfType(int type, const QString& name) {
    TSettings s(nullptr);
    s.SetDefaults(false, false);
    s.SetInstType(static_cast<std::uint8_t>(type));
    const TConfig config = ConfigOf(s, RecordsFor(type).Prefs, IdentityOf(s.InstInfo, 2), "x", {});
    const QString path = Path(name);
    EXPECT_TRUE(WriteConfigFile(path.toStdString(), config));
    return path;
  }
  // Every analog write command sent since the trace was cleared.
  std::vector<std::string> Writes() const {
    std::vector<std::string> writes;
    for (const std::string& c : AnalogCommands())
      if (c[0] == 'B' && c != "B10B")
        writes.push_back(c);
    return writes;
  }
};

// --- Save, open and write back ----------------------------------------------------------------

TEST_F(ConfigFilesTest, ASavedConfigurationWrittenBackRestoresAChangedInstrument) {
  const struct {
    int type;
    std::uint16_t readCmd, writeCmd, changed, saved; // one register, in counts
  } cases[] = {
      {10, 0xA200, 0xB200, 2500, 300}, // hose length, mm
      {6, 0xA10F, 0xB10F, 4, 0},       // filter level
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    TMainForm& f = ReadOn(c.type);
    const QString file = Path(QStringLiteral("site-%1.ini").arg(c.type));
    SaveAs(f, file);
    EXPECT_EQ(port.messages, Msgs{});
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_TRUE(Writes().empty()) << "saving sends nothing";

    Ask(c.writeCmd, c.changed); // someone changed the instrument on site
    f.ReadBtn->click();         // the window now shows the changed instrument
    ASSERT_EQ(Ask(c.readCmd).BBAA, c.changed);
    ClearTrace();
    OpenFile(f, file);
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_TRUE(Writes().empty()) << "opening sends nothing";
    EXPECT_FALSE(f.PrintAllowed()) << "the pages no longer show the last transfer";
    f.WriteBtn->click();
    EXPECT_EQ(port.messages, (Msgs{{"Info", Success}}));
    EXPECT_EQ(Ask(c.readCmd).BBAA, c.saved) << "the instrument holds the file's value";
    port.Clear();
  }
}

TEST_F(ConfigFilesTest, TheFileDialogsStartInTheFolderUsedLastKeptBesideTheSettingsFile) {
  TMainForm& f = ReadOn(10);
  QDir(dir.path()).mkdir(QStringLiteral("jobs"));
  const QString file = Path(QStringLiteral("jobs/a.ini"));
  SaveAs(f, file);
  ASSERT_TRUE(QFile::exists(file));
  const QString options = Path(QString::fromLatin1(OptionsFileBaseName));
  EXPECT_EQ(f.OptionsFileName(), options);
  EXPECT_EQ(QSettings(options, QSettings::IniFormat).value("ConfigFiles/Folder").toString(),
            QDir(Path(QStringLiteral("jobs"))).absolutePath());
  EXPECT_EQ(QFileInfo(QString::fromStdString(SetFile())).size(), 568);
  QString start;
  TDialogScript script;
  script.On("OpenConfigDialog", ChooseFile(file, &start));
  f.ActOpenConfig->trigger();
  EXPECT_EQ(start, QDir(Path(QStringLiteral("jobs"))).absolutePath());
  EXPECT_EQ(port.messages, Msgs{});
}

// --- Type switch and refusals ----------------------------------------------------------------

TEST_F(ConfigFilesTest, AFileOfAnotherClassSetsItsTypeUnlessDataIsReadIn) {
  StartBench(Instrument(10));
  const QString file = ConfigFileOfType(6, QStringLiteral("static.ini"));

  // Data of a transmitter is read in: refused with the type dialog's text, nothing changes.
  {
    TMainForm& f = ReadOn(10);
    const TClass1Params before1 = f.sett->Class1;
    const TClass23Params before23 = f.sett->Class23;
    OpenFile(f, file);
    EXPECT_EQ(port.messages, (Msgs{{"Info", TypeRefused}}));
    EXPECT_EQ(f.sett->InstType(), 10);
    EXPECT_TRUE(SameBytes(before1, f.sett->Class1));
    EXPECT_TRUE(SameBytes(before23, f.sett->Class23));
    EXPECT_TRUE(f.PrintAllowed());
  }
  // Nothing read in: the file's type becomes the current one with its pages.
  port.Clear();
  form.reset();
  TMainForm& f = Open(RecordsFor(10));
  ASSERT_FALSE(f.sett->ConfigRead());
  OpenFile(f, file);
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(f.sett->InstType(), 6);
  EXPECT_EQ(f.InstTypeEd->text().toStdString(), InstTypeName(6));
  EXPECT_EQ(ShownPages(f),
            (std::set<QString>{"MeasPgStatic", "AnaOutPg", "AlarmPgStatic", "DispPg"}));
}

TEST_F(ConfigFilesTest, ADamagedFileIsRefusedWithItsErrorAndChangesNothing) {
  TMainForm& f0 = ReadOn(10);
  const QString good = Path(QStringLiteral("good.ini"));
  SaveAs(f0, good);
  QFile in(good);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  const std::string text = in.readAll().toStdString();
  const struct {
    const char* what;
    std::string content;
    std::string message; // the start of the error
  } cases[] = {
      {"a value out of range",
       std::string(text).replace(text.find("An_gain="), 8, "An_gain=70000\n;"), "line"},
      {"cut short", text.substr(0, text.find("Hose_length")), "key"},
      {"not a configuration", std::string("\x00\xff garbage\n", 11), "line"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TMainForm& f = ReadOn(10);
    Enter(f.HoseLenEd, "2.5"); // an edit that must survive the refused file
    const TClass1Params before = f.sett->Class1;
    const QString bad = Path(QStringLiteral("bad.ini"));
    std::ofstream(bad.toStdString(), std::ios::binary) << c.content;
    port.Clear();
    OpenFile(f, bad);
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].kind, "Error");
    EXPECT_EQ(port.messages[0].text.rfind(bad.toStdString(), 0), 0u) << port.messages[0].text;
    EXPECT_NE(port.messages[0].text.find(c.message), std::string::npos) << port.messages[0].text;
    EXPECT_TRUE(SameBytes(before, f.sett->Class1));
    EXPECT_EQ(f.HoseLenEd->Value(), 2.5);
    EXPECT_EQ(f.sett->InstType(), 10);
  }
}

TEST_F(ConfigFilesTest, ASwitchFileBeyondTheLibrarysBoundsIsRefused) {
  TMainForm& f = ReadOn(9);
  const QString file = Path(QStringLiteral("switch.ini"));
  SaveAs(f, file);
  QFile in(file);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  std::string text = in.readAll().toStdString();
  const std::size_t at = text.find("Hose_length=");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, text.find('\n', at) - at, "Hose_length=40"); // the library takes up to 30 m
  std::ofstream(file.toStdString(), std::ios::binary) << text;
  const TSwitchParams before = f.sett->Switch;
  OpenFile(f, file);
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_NE(port.messages[0].text.find("key \"Hose_length\""), std::string::npos)
      << port.messages[0].text;
  EXPECT_TRUE(SameBytes(before, f.sett->Switch));
}

// --- Compare ----------------------------------------------------------------------------------

TEST_F(ConfigFilesTest, CompareListsExactlyTheDifferingParametersInMbarAndWritesNothing) {
  TSetFileRecords records = RecordsFor(10);
  records.Prefs.PressUnit = unit::mbar;
  TMainForm& f = ReadOn(10, records);
  Ask(0xB301, 15000); // the instrument's output now ends at 150 Pa
  ClearTrace();
  Enter(f.HoseLenEd, "2.5");
  const TClass1Params edited = f.sett->Class1;
  TRows rows;
  TDialogScript script;
  script.On("CompareForm", [&](QDialog& d) {
    rows = RowsOf(Child<QTableWidget>(d, "CompareTable"));
    EXPECT_EQ(Child<QPushButton>(d, "CloseBtn")->text(), QStringLiteral("Close"));
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  f.ActCompare->trigger();
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(rows, (TRows{{"Std. Hose length", "0.3", "2.5", "m"},
                         {"Analog Output To", "1.5", "2", "mbar"}}));
  EXPECT_TRUE(Writes().empty()) << "the comparison writes nothing";
  EXPECT_TRUE(CallsOf("SetConf").empty());
  EXPECT_TRUE(SameBytes(edited, f.sett->Class1)) << "the working record is untouched";
  EXPECT_TRUE(f.sett->ConfigRead());
  EXPECT_EQ(f.HoseLenEd->Value(), 2.5);
}

TEST_F(ConfigFilesTest, CompareOfAnUnchangedConfigurationSaysSo) {
  TMainForm& f = ReadOn(10);
  QString summary;
  int rows = -1;
  TDialogScript script;
  script.On("CompareForm", [&](QDialog& d) {
    summary = Child<QLabel>(d, "SummaryLb")->text();
    rows = Child<QTableWidget>(d, "CompareTable")->rowCount();
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  f.ActCompare->trigger();
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(summary, QStringLiteral("The instrument holds the edited values."));
  EXPECT_TRUE(f.PrintAllowed()) << "a comparison leaves the printout permission as it was";
}

TEST_F(ConfigFilesTest, TheCompareTableIsSavedAsTextOrPdf) {
  TMainForm& f = ReadOn(10);
  Enter(f.HoseLenEd, "2.5");
  const std::string text = "Compare with instrument: " + InstTypeName(10) +
                           "\nParameter\tInstrument\tEdited\tUnit\nStd. Hose length\t0.3\t2.5\tm\n";
  const struct {
    const char* name;
    std::string start; // of the file; empty: no file, an error box instead
  } cases[] = {
      {"changes.txt", text},
      {"changes.pdf", "%PDF"},
      {"no/such/folder/changes.txt", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    port.Clear();
    const QString file = Path(QString::fromLatin1(c.name));
    TDialogScript script;
    script.On("CompareForm", [](QDialog& d) {
      Click(d, "SaveBtn"); // the save dialog's step runs inside this one
      d.reject();
    });
    script.On("SaveCompareDialog", ChooseFile(file));
    f.ActCompare->trigger();
    QFile saved(file);
    if (c.start.empty()) {
      EXPECT_EQ(port.messages,
                (Msgs{{"Error", "Unable to write file \"" +
                                    QDir::toNativeSeparators(file).toStdString() + "\"!"}}));
      EXPECT_FALSE(saved.exists());
      continue;
    }
    EXPECT_EQ(port.messages, Msgs{});
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().left(static_cast<qsizetype>(c.start.size())).toStdString(), c.start);
  }
  EXPECT_TRUE(Writes().empty());
}

TEST_F(ConfigFilesTest, TheCompareTableIsPrintedThroughThePrintDialog) {
  TMainForm& f = ReadOn(10);
  Enter(f.HoseLenEd, "2.5");
  const QString pdf = Path(QStringLiteral("printed.pdf"));
  TDialogScript script;
  script.On("CompareForm", [](QDialog& d) {
    Click(d, "PrintBtn");
    d.reject();
  });
  script.On("PrintDialog", [&](QDialog& d) {
    EXPECT_EQ(HelpContextOf(&d), helpctx::Compare);
    // Printing to a file, whatever printers the machine has.
    auto* printers = Child<QComboBox>(d, "printers");
    auto* file = Child<QLineEdit>(d, "filename");
    ASSERT_TRUE(printers != nullptr && file != nullptr);
    const int toFile = printers->findText(QStringLiteral("Print to File (PDF)"));
    ASSERT_GE(toFile, 0);
    printers->setCurrentIndex(toFile);
    file->setText(pdf);
    QTest::keyClick(file, Qt::Key_Return);
  });
  f.ActCompare->trigger();
  EXPECT_EQ(port.messages, Msgs{});
  const QString text = PdfText(pdf);
  EXPECT_TRUE(text.contains(QStringLiteral("Std. Hose length"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("2.5"))) << text.toStdString();
}

TEST_F(ConfigFilesTest, TheCommandsAreReachedByTheirMnemonicsAndShowTheirHelp) {
  TMainForm& f = ReadOn(10);
  f.show();
  QMenu* file = f.ActCompare->associatedObjects().isEmpty()
                    ? nullptr
                    : qobject_cast<QMenu*>(f.ActCompare->associatedObjects().constFirst());
  ASSERT_NE(file, nullptr);
  const struct {
    Qt::Key key;
    const char* dialog;
    int context;
  } cases[] = {{Qt::Key_O, "OpenConfigDialog", helpctx::ConfigFiles},
               {Qt::Key_A, "SaveConfigDialog", helpctx::ConfigFiles},
               {Qt::Key_M, "CompareForm", helpctx::Compare}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialog);
    TDialogScript script;
    script.On(c.dialog, [&](QDialog& d) {
      EXPECT_EQ(HelpContextOf(&d), c.context);
      QTest::keyClick(&d, Qt::Key_Escape);
    });
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(&f, Qt::Key_I, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }));
    QTest::keyClick(file, c.key);
    EXPECT_TRUE(QTest::qWaitFor([&] { return script.Played() == 1; }));
  }
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_TRUE(Writes().empty());
}

// --- Show changes before writing --------------------------------------------------------------

TEST_F(ConfigFilesTest, WithTheOptionWriteDataShowsTheChangesAndWritesOnlyOnWrite) {
  TMainForm& f = ReadOn(10);
  EXPECT_FALSE(f.ActShowChanges->isChecked()) << "off by default";
  f.ActShowChanges->setChecked(true);
  Enter(f.HoseLenEd, "2.5");
  for (const TCloseWay way :
       {TCloseWay::Cancel, TCloseWay::Esc, TCloseWay::CloseBox, TCloseWay::Enter, TCloseWay::Ok}) {
    SCOPED_TRACE(WayName(way));
    ClearTrace();
    port.Clear();
    TRows rows;
    TDialogScript script;
    script.On("CompareForm", [&](QDialog& d) {
      rows = RowsOf(Child<QTableWidget>(d, "CompareTable"));
      CloseBy(d, way, "WriteBtn", "CloseBtn");
    });
    f.WriteBtn->click();
    EXPECT_EQ(rows, (TRows{{"Std. Hose length", "0.3", "2.5", "m"}}));
    if (way == TCloseWay::Ok) {
      EXPECT_EQ(port.messages, (Msgs{{"Info", Success}}));
      EXPECT_EQ(Ask(0xA200).BBAA, 2500);
    } else {
      // Enter takes the default button, which is Cancel here.
      EXPECT_EQ(port.messages, Msgs{});
      EXPECT_TRUE(Writes().empty());
    }
  }
  // The option is kept for the next run.
  form.reset();
  TMainForm& again = Open(RecordsFor(10));
  EXPECT_TRUE(again.ActShowChanges->isChecked());
}

TEST_F(ConfigFilesTest, WithTheOptionAnInstrumentOfAnotherClassIsRefusedBeforeTheTable) {
  StartBench(Instrument(6));
  TMainForm& f = Open(RecordsFor(10));
  f.ActShowChanges->setChecked(true);
  ClearTrace();
  TDialogScript script; // no table opens
  f.WriteBtn->click();
  EXPECT_EQ(port.messages, (Msgs{{"Warning", "The DravonTool has been set to " + InstTypeName(10) +
                                                 ". You cannot perform this operation to " +
                                                 InstTypeName(6) + "."}}));
  EXPECT_TRUE(Writes().empty());
}

TEST_F(ConfigFilesTest, TheTestModeWritesWithoutTheTable) {
  StartBench(Instrument(10));
  QSettings(Path(QString::fromLatin1(OptionsFileBaseName)), QSettings::IniFormat)
      .setValue("Write/ShowChanges", true);
  SetCommandLine({"/K58"});
  TMainForm& f = Open(RecordsFor(10));
  ASSERT_TRUE(f.ActShowChanges->isChecked());
  TDialogScript script; // no table opens
  f.WriteBtn->click();
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_TRUE(f.Terminated());
  EXPECT_EQ(AnalogCommands().back(), "B10D");
}

} // namespace
} // namespace dtool::test
