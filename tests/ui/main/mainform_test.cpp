// The main window as a shell: start, pages and identity by instrument type, caption, test
// mode, window size, velocity group, help language, home page, shut-down.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <fstream>
#include <iterator>
#include <set>
#include <thread>
#include <utility>

#include "dialogscript.h"
#include "link/instlink.h"
#include "mainform_fixture.h"
#include "tools/options.h"
#include "tools/progtools.h"
#include "ui/controls/editreal.h"
#include "ui/controls/radiogroup.h"
#include "ui/help/helpform.h"
#include "ui/help/helpsystem.h"
#include "ui/main/qtdispatcher.h"

namespace dtool::test {
namespace {

struct TTypeCase {
  int type;
  std::set<QString> pages;
  int helpContext;
};

const TTypeCase TypeCases[] = {
    {0, {}, 1001},
    {1, {"MeasPgStatic", "AnaOutPg", "AlarmPgStatic"}, 1002},
    {2, {"MeasPgStatic", "AnaOutPg", "AlarmPgStatic", "DispPg"}, 1002},
    {3, {"MeasPgStatic", "AlarmPgStatic"}, 1002},
    {4, {"MeasPgStatic", "AlarmPgStatic", "DispPg"}, 1002},
    {5, {"MeasPgStatic", "AnaOutPg", "AlarmPgStatic"}, 1002},
    {6, {"MeasPgStatic", "AnaOutPg", "AlarmPgStatic", "DispPg"}, 1002},
    {7, {"MeasPgStatic", "AlarmPgStatic"}, 1002},
    {8, {"MeasPgStatic", "AlarmPgStatic", "DispPg"}, 1002},
    {9, {"AlarmPg", "EnvirPg"}, 1001},
    {10, {"MeasPg", "AnaOutPg", "EnvirPg"}, 1000},
    {11, {"MeasPg", "AnaOutPg", "EnvirPg", "DispPg"}, 1000},
};

TEST_F(MainFormTest, EachTypeShowsItsPagesIdentityAndCommands) {
  for (const TTypeCase& c : TypeCases) {
    SCOPED_TRACE(c.type);
    TMainForm& f = Open(c.type);
    EXPECT_TRUE(port.messages.empty()) << port.Texts().front();
    EXPECT_EQ(ShownPages(f), c.pages);
    EXPECT_EQ(f.HelpContext(), c.helpContext);
    EXPECT_EQ(HelpContextOf(&f), c.helpContext);
    EXPECT_EQ(f.InstTypeEd->text().toStdString(), InstTypeName(c.type));
    EXPECT_EQ(f.SerialEd->text(), c.type == 0 ? QString() : QStringLiteral("1001010"));
    EXPECT_EQ(f.RangeEd->text(), c.type == 0 ? QString() : QStringLiteral("-250 .. 250 Pa"));
    EXPECT_EQ(f.WriteBtn->isEnabled(), c.type != 0);
    EXPECT_EQ(f.IntCb->isEnabled(), c.pages.count("AlarmPg") == 0);
    EXPECT_EQ(f.ActTestAnalOutput->isVisible(), c.pages.count("AnaOutPg") == 1);
    EXPECT_FALSE(f.Terminated());
  }
}

TEST_F(MainFormTest, SettingTheTypeByHandShowsItsPagesWithoutIdentity) {
  TMainForm& f = Open(0);
  f.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  EXPECT_TRUE(ShownPages(f).empty());
  EXPECT_EQ(f.PageControl->currentWidget(), nullptr);
  f.sett->SetInstType(2);
  EXPECT_EQ(ShownPages(f), TypeCases[2].pages);
  ASSERT_NE(f.PageControl->currentWidget(), nullptr);
  EXPECT_TRUE(f.PageControl->currentWidget()->isVisible());
  EXPECT_EQ(f.InstTypeEd->text(), QStringLiteral("Dravon-STV"));
  EXPECT_TRUE(f.SerialEd->text().isEmpty());
  EXPECT_TRUE(f.WriteBtn->isEnabled());
  EXPECT_EQ(f.HelpContext(), 1002);
  EXPECT_EQ(f.Prefs().LastInstType, 2);
  f.sett->SetInstType(0);
  EXPECT_TRUE(ShownPages(f).empty());
  EXPECT_FALSE(f.WriteBtn->isEnabled());
  EXPECT_TRUE(port.messages.empty());
}

// Ctrl+Tab and Ctrl+PgDown, typed into the window, go round the pages of the current type
// and reach no other page; the tabs stand in their fixed order with their captions.
TEST_F(MainFormTest, CtrlTabAndCtrlPageDownReachOnlyThePagesOfTheType) {
  const std::pair<const char*, const char*> order[] = {
      {"MeasPg", "Measurement"}, {"MeasPgStatic", "Measurement"}, {"AnaOutPg", "Analog output"},
      {"AlarmPg", "Alarms"},     {"AlarmPgStatic", "Alarms"},     {"EnvirPg", "Environment"},
      {"DispPg", "LC Display"}};
  TMainForm& f = Open(11);
  f.show();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  for (int type : {10, 2, 9, 11, 3}) {
    SCOPED_TRACE(type);
    // The type changes while the window is open: the pages follow.
    f.sett->SetInstType(static_cast<std::uint8_t>(type));
    const std::set<QString>& pages = TypeCases[type].pages;
    std::string tabs, expected;
    for (int i = 0; i < f.PageControl->count(); ++i)
      tabs += f.PageControl->widget(i)->objectName().toStdString() + " \"" +
              f.PageControl->tabText(i).toStdString() + "\" ";
    for (const auto& [name, caption] : order)
      if (pages.count(QString::fromLatin1(name)))
        expected += std::string(name) + " \"" + caption + "\" ";
    EXPECT_EQ(tabs, expected);
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_PageDown}) {
      SCOPED_TRACE(key == Qt::Key_Tab ? "Ctrl+Tab" : "Ctrl+PgDown");
      f.PageControl->tabBar()->setFocus();
      std::set<std::string> reached, shown;
      for (const QString& page : pages)
        shown.insert(page.toStdString());
      for (int i = 0; i < 8; ++i) {
        QTest::keyClick(f.windowHandle(), key, Qt::ControlModifier);
        reached.insert(f.PageControl->currentWidget()->objectName().toStdString());
      }
      EXPECT_EQ(reached, shown);
    }
  }
}

// The link libraries call back from their own threads; the work runs on the window's thread.
TEST_F(MainFormTest, QtDispatcherRunsPostedWorkOnTheUserInterfaceThread) {
  TQtDispatcher dispatcher;
  QThread* ranOn = nullptr;
  std::thread caller([&] { dispatcher.Post([&] { ranOn = QThread::currentThread(); }); });
  caller.join();
  EXPECT_EQ(ranOn, nullptr) << "queued, not run at once";
  QTRY_COMPARE(ranOn, QCoreApplication::instance()->thread());
}

TEST_F(MainFormTest, TypeWithoutInfoShowsNoSerialNumberOrRange) {
  TSetFileRecords r = RecordsFor(10);
  r.InstInfo.TypeWithoutInfo = 1;
  TMainForm& f = Open(r);
  EXPECT_TRUE(port.messages.empty()) << port.Texts().front();
  EXPECT_EQ(f.InstTypeEd->text(), QStringLiteral("DravonDat"));
  EXPECT_TRUE(f.SerialEd->text().isEmpty());
  EXPECT_TRUE(f.RangeEd->text().isEmpty());
}

TEST_F(MainFormTest, StartSequenceLeavesTimersControlsAndActionsAsDesigned) {
  TMainForm& f = Open(10);
  EXPECT_TRUE(f.CheckInstTim->isActive());
  EXPECT_EQ(f.CheckInstTim->interval(), 4000);
  EXPECT_FALSE(f.TimReadNoDataSuppr->isActive());
  EXPECT_FALSE(f.sett->ConfigRead());
  EXPECT_EQ(f.LblHomepage->text(), QString::fromLatin1(HomepageHost));
  EXPECT_EQ(f.ActMeltraneHomepage->text(), QString::fromLatin1(HomepageHost));
  EXPECT_EQ(f.windowTitle(), QStringLiteral("DravonTool - Win V4.11"));
  // Ranges set at the end of the start.
  for (TEditReal* ed : {f.VelocityNEd, f.EdrVelocityNPstat}) {
    EXPECT_TRUE(ed->RangeLimit);
    EXPECT_EQ(ed->MinVal, 1.0);
    EXPECT_EQ(ed->MaxVal, 2.0);
  }
  for (TEditReal* ed : {f.EdrAl1DlyStatic, f.EdrAl2DlyStatic}) {
    EXPECT_EQ(ed->MinVal, 0.0);
    EXPECT_EQ(ed->MaxVal, 3000.0);
    EXPECT_EQ(ed->IncVal, 1.0);
  }
  // Every action's hint is its caption; the toolbar and the menus share the actions.
  for (QAction* a : f.ActMan1->findChildren<QAction*>()) {
    QString caption = a->text();
    caption.remove(QLatin1Char('&'));
    EXPECT_EQ(a->toolTip(), caption) << a->objectName().toStdString();
  }
  const struct {
    QAction* action;
    int picture;
  } pictures[] = {{f.Print, 8},
                  {f.ActPreferences, 1},
                  {f.ActTypeOfInstrument, 5},
                  {f.ActSetFilter, 4},
                  {f.ActChangeProtCode, 2},
                  {f.ActZeroCalibration, 6},
                  {f.ActTestAnalOutput, 3}};
  for (const auto& p : pictures) {
    EXPECT_FALSE(p.action->icon().isNull());
    EXPECT_TRUE(f.ActionToolBar->actions().contains(p.action));
  }
  EXPECT_TRUE(f.ActHelpEnglish->isChecked());
  EXPECT_FALSE(f.ActHelpInGerman->isChecked());
  // The controls carry their names.
  for (const char* name : {"InstTypeEd", "SerialEd", "RangeEd", "PressEd", "PressEdLb", "ReadBtn",
                           "WriteBtn", "PageControl", "LblHomepage", "BitBtn1", "AnOffsetEdUnitLb",
                           "ContrastGrBox", "VelocityGrBox", "Al1DlyCb", "CbA2GrKlStatic"})
    EXPECT_NE(f.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
}

TEST_F(MainFormTest, ClientSizeFollowsTheScreenDensity) {
  EXPECT_EQ(MainClientSize(96), QSize(632, 512));
  EXPECT_EQ(MainClientSize(72), QSize(632, 512));
  EXPECT_EQ(MainClientSize(120).width(), 788);
  EXPECT_EQ(MainClientSize(144).width(), 788);
  EXPECT_GT(MainClientSize(120).height(), 512);
  TMainForm& f = Open(10);
  f.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  const QSize client = MainClientSize(f.screen()->logicalDotsPerInch());
  EXPECT_EQ(f.width(), client.width());
  // The menu bar above and the status bar below the client area add to the height.
  EXPECT_EQ(f.height() - f.menuBar()->height() - f.statusBar()->height(), client.height());
}

TEST_F(MainFormTest, TestModeOptionInAnyCaseMarksCaptionAndLocksCalibration) {
  for (const char* option : {"/K58", "/k58", "-x/K58y"}) {
    SCOPED_TRACE(option);
    SetCommandLine({"/pr", option});
    TMainForm& f = Open(10);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("DravonTool - Win V4.11 -> TEST 33 MODE"));
    for (TEditReal* ed :
         {f.AnOffsetEd, f.AnGainEd, f.GainSensEd, f.EdrGainSensStatic, f.ContrastEd})
      EXPECT_FALSE(ed->Enabled()) << ed->objectName().toStdString();
    EXPECT_FALSE(f.ActChangeProtCode->isEnabled());
    EXPECT_FALSE(f.ActZeroCalibration->isEnabled());
  }
  SetCommandLine({"/K5"});
  TMainForm& f = Open(10);
  EXPECT_EQ(f.windowTitle(), QStringLiteral("DravonTool - Win V4.11"));
  EXPECT_TRUE(f.AnOffsetEd->Enabled());
  EXPECT_TRUE(f.ActZeroCalibration->isEnabled());
}

// Without the velocity capability the velocity group and the velocity unit group hide, the
// display group moves up into the place of the unit group, and the velocity mode goes off.
TEST_F(MainFormTest, VelocityCapabilityShowsVelocityGroupAndPlacesDisplayGroup) {
  TMainForm& withCap = Open(11, 1);
  withCap.show();
  withCap.PageControl->setCurrentWidget(withCap.DispPg);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&withCap));
  EXPECT_TRUE(withCap.VelocityGbShown);
  EXPECT_TRUE(withCap.VelocityGrBox->isVisibleTo(withCap.MeasPg));
  EXPECT_TRUE(withCap.DisplVelocityUnitGr->isVisibleTo(withCap.DispPg));
  EXPECT_EQ(withCap.ContrastGrBox->y(), withCap.ContrastGbTop);
  EXPECT_GT(withCap.ContrastGrBox->y(), withCap.DisplVelocityUnitGr->y());

  TSetFileRecords r = RecordsFor(11, 0);
  r.Class1.Velocity_to_RS232 = r.Class1.Velocity_to_AnOut = 1;
  TMainForm& noCap = Open(r);
  noCap.show();
  noCap.PageControl->setCurrentWidget(noCap.DispPg);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&noCap));
  QTest::qWait(10);
  EXPECT_FALSE(noCap.VelocityGbShown);
  EXPECT_FALSE(noCap.VelocityGrBox->isVisibleTo(noCap.MeasPg));
  EXPECT_FALSE(noCap.DisplVelocityUnitGr->isVisibleTo(noCap.DispPg));
  EXPECT_LT(noCap.ContrastGrBox->y(), noCap.ContrastGbTop);
  EXPECT_EQ(noCap.ContrastGrBox->y(),
            noCap.DisplPressUnitGr->geometry().bottom() + 1 + noCap.DispPg->layout()->spacing());
  EXPECT_FALSE(noCap.sett->GetVelocityMode());
  EXPECT_FALSE(noCap.VelocityChB->isChecked());

  // The switch has no velocity group, whatever it reports.
  TMainForm& sw = Open(9, 2);
  EXPECT_FALSE(sw.VelocityGbShown);
}

TEST_F(MainFormTest, AnalogOutputUnitFollowsTheInstrumentsOutputKind) {
  TSetFileRecords r = RecordsFor(10);
  r.InstInfo.AnOutCurrent = 0;
  TMainForm& f = Open(r);
  EXPECT_EQ(f.sett->AnOffsetUnit(), unit::V);
  EXPECT_EQ(f.AnOffsetEdUnitLb->text(), QStringLiteral("V"));
  r.InstInfo.AnOutCurrent = 1;
  TMainForm& g = Open(r);
  EXPECT_EQ(g.sett->AnOffsetUnit(), unit::mA);
  EXPECT_EQ(g.AnOffsetEdUnitLb->text(), QStringLiteral("mA"));
  // The unit button works only while no configuration has been read.
  EXPECT_TRUE(g.AnOffsetEdUnitLb->isEnabled());
  g.sett->SetConfigRead(true);
  g.RefreshButtons();
  EXPECT_FALSE(g.AnOffsetEdUnitLb->isEnabled());
}

TEST_F(MainFormTest, HelpLanguageSelectsHelpFileAndUnknownLanguageIsFatal) {
  TSetFileRecords r = RecordsFor(3);
  r.Prefs.HelpLanguage = 1;
  TMainForm& f = Open(r);
  EXPECT_TRUE(f.ActHelpInGerman->isChecked());
  EXPECT_EQ(HelpFile(), HelpFilePathFor(1));
  EXPECT_TRUE(HelpFile().endsWith(QStringLiteral("Help/DToolPcGE_V4.html")));
  EXPECT_TRUE(port.messages.empty());

  f.ActHelpEnglish->trigger();
  EXPECT_EQ(f.Prefs().HelpLanguage, 0);
  EXPECT_TRUE(f.ActHelpEnglish->isChecked());
  EXPECT_EQ(HelpFile(), HelpFilePathFor(0));
  ASSERT_NE(FindHelpWindow(), nullptr);
  EXPECT_EQ(FindHelpWindow()->CurrentContext(), 1002);
  EXPECT_TRUE(FindHelpWindow()->CurrentTopicFound());

  f.BitBtn1->click();
  ASSERT_NE(FindHelpWindow(QString::fromLatin1(SubHelpWindow)), nullptr);
  EXPECT_EQ(FindHelpWindow(QString::fromLatin1(SubHelpWindow))->CurrentContext(), 10000);
  EXPECT_TRUE(FindHelpWindow(QString::fromLatin1(SubHelpWindow))->CurrentTopicFound());
  EXPECT_EQ(HelpFile(), HelpFilePathFor(0));
  CloseHelpWindows();

  try {
    f.SetHelpLan(2);
    ADD_FAILURE() << "no fatal stop";
  } catch (const FatalError& e) {
    EXPECT_STREQ(e.what(), "TMainForm.SetHelpLan: Language unknown! ");
  }
}

TEST_F(MainFormTest, MissingHelpFileIsReportedAndTheProgramGoesOn) {
  TMainForm& f = Open(10);
  const std::string program = GetProgramFile();
  SetProgramFile(QDir(dir.path()).filePath(QStringLiteral("DToolPc")).toStdString());
  f.SetHelpLan(1);
  SetProgramFile(program);
  const std::string path =
      QDir(dir.path()).filePath(QStringLiteral("Help/DToolPcGE_V4.html")).toStdString();
  EXPECT_EQ(port.messages,
            (std::vector<ScriptedPort::Message>{{"Info", "Help-File not found\r" + path}}));
  EXPECT_TRUE(f.ActHelpInGerman->isChecked());
}

TEST_F(MainFormTest, HomePageOpensInTheBrowserOrWarns) {
  std::vector<QString> urls;
  bool browserStarts = true;
  TMainForm::UrlOpener = [&](const QString& url) {
    urls.push_back(url);
    return browserStarts;
  };
  TMainForm& f = Open(9);
  f.ActMeltraneHomepage->trigger();
  f.show();
  QTest::mouseClick(f.LblHomepage, Qt::LeftButton);
  const QString url = QStringLiteral("https://") + QString::fromLatin1(HomepageHost);
  EXPECT_EQ(urls, (std::vector<QString>{url, url}));
  EXPECT_TRUE(port.messages.empty());

  browserStarts = false;
  EXPECT_FALSE(f.OpenBrowser(url));
  EXPECT_EQ(port.Texts(), std::vector<std::string>{"The Internet Browser could not be started!"});
}

TEST_F(MainFormTest, NewerInstrumentOffersHomePageAndEndsTheProgram) {
  std::vector<QString> urls;
  TMainForm::UrlOpener = [&](const QString& url) {
    urls.push_back(url);
    return true;
  };
  const std::string question =
      "The connected instrument is equipped with an enhanced \rfunctionality which is not "
      "supported by this this DravonTool \rversion. Please find the recent version on our "
      "Homepage. \r\rShow Meltrane Homepage " +
      std::string(HomepageHost) + "?";
  for (bool yes : {true, false}) {
    SCOPED_TRACE(yes);
    TMainForm& f = Open(10);
    int terminations = 0;
    QObject::connect(&f, &TMainForm::TerminateRequested, [&] { ++terminations; });
    port.Clear();
    urls.clear();
    port.Answer({yes});
    f.ReportNewerInstrument();
    EXPECT_TRUE(f.Terminated());
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(f.CheckInstTim->isActive()) << "the timer gets its state back";
    if (yes) {
      EXPECT_EQ(port.messages, (std::vector<ScriptedPort::Message>{{"Question", question}}));
      EXPECT_EQ(urls.size(), 1u);
    } else {
      EXPECT_EQ(port.messages,
                (std::vector<ScriptedPort::Message>{{"Question", question},
                                                    {"Info", "The program has been shut down!"}}));
      EXPECT_TRUE(urls.empty());
    }
  }
  // A timer that was off stays off.
  TMainForm& f = Open(10);
  f.CheckInstTim->stop();
  port.Answer({false});
  f.ReportNewerInstrument();
  EXPECT_FALSE(f.CheckInstTim->isActive());
}

TEST_F(MainFormTest, APortThatCannotBeOpenedAtStartOffersThePreferencesOrEndsTheProgram) {
  using Msg = ScriptedPort::Message;
  const Msg cannotOpen{"Info", "COMPORT 6 could not be opened! \rSelect an other COMPORT! "};
  const Msg willClose{"Error", "As COMPORT could not be opened, the program will closed! "};
  struct TCase {
    const char* name;
    std::vector<QString> ports; // chosen in turn, each confirmed with OK; then the way out
    TCloseWay way;
    std::vector<Msg> messages;
  };
  const TCase cases[] = {
      {"COM1 chosen", {"COM-1"}, TCloseWay::Ok, {cannotOpen}},
      {"cancelled", {}, TCloseWay::Cancel, {cannotOpen, willClose}},
      {"Esc", {}, TCloseWay::Esc, {cannotOpen, willClose}},
      {"close box", {}, TCloseWay::CloseBox, {cannotOpen, willClose}},
      {"COM6 again, then COM2", {"COM-6", "COM-2"}, TCloseWay::Ok, {cannotOpen, cannotOpen}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    port.Clear();
    TSetFileRecords r = RecordsFor(10);
    r.Prefs.ComPort = 6;
    TDialogScript script;
    script.On("PrefForm", [&](QDialog& d) {
      // The main window is not shown yet: the dialog is centred on the screen (up to the
      // width of its frame).
      EXPECT_EQ(d.windowTitle(), QStringLiteral("Preferences"));
      const QRect screen = d.screen()->availableGeometry();
      EXPECT_LE((d.frameGeometry().center() - screen.center()).manhattanLength(), 4);
      ASSERT_NE(MainForm, nullptr);
      EXPECT_FALSE(MainForm->isVisible());
      for (const QString& p : c.ports) {
        ChooseItem(d, "ComPortGr", p);
        Click(d, "OkBtn");
      }
      if (d.isVisible())
        CloseBy(d, c.way, "OkBtn", "BitBtn1");
    });
    TMainForm& f = Open(r);
    EXPECT_EQ(script.Played(), 1);
    EXPECT_EQ(port.messages, c.messages);
    const bool chosen = !c.ports.empty();
    EXPECT_EQ(f.Terminated(), !chosen);
    // The start completes either way, so closing saves the settings.
    EXPECT_EQ(f.InstTypeEd->text(), QStringLiteral("DravonDat"));
    const std::int32_t comPort = chosen ? c.ports.back().mid(4).toInt() : 6;
    EXPECT_EQ(f.Prefs().ComPort, comPort);
    EXPECT_EQ(f.Link()->IsCommOpen(comPort), chosen);
    EXPECT_EQ(f.CheckInstTim->isActive(), true);
  }
}

TEST_F(MainFormTest, MissingLinkLibrariesAreNamedAndTheSettingsFileIsKept) {
  const std::string program = GetProgramFile();
  SetProgramFile(QDir(dir.path()).filePath(QStringLiteral("DToolPc")).toStdString());
  TSetFileRecords r = RecordsFor(10);
  TMainForm& f = Open(r);
  SetProgramFile(program);
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].kind, "Error");
  EXPECT_NE(port.messages[0].text.find("DDatDll"), std::string::npos) << port.messages[0].text;
  EXPECT_TRUE(f.Terminated());
  EXPECT_EQ(f.Link(), nullptr);
  EXPECT_FALSE(f.SettingsLoaded());
  const TSetFileImage before = BuildSetFileImage(r);
  form.reset();
  std::ifstream in(SetFile(), std::ios::binary);
  const std::vector<char> after{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i)
    ASSERT_EQ(static_cast<std::uint8_t>(after[i]), before[i]) << "byte " << i;
}

TEST_F(MainFormTest, ClosingSavesTheSettingsFileByteForByte) {
  for (int type : {0, 2, 9, 11}) {
    SCOPED_TRACE(type);
    TSetFileRecords r = RecordsFor(type, 1);
    r.Prefs.PressUnit = unit::mbar;
    r.Prefs.VelocityUnit = unit::km_h;
    r.Prefs.HoseUnit = unit::inch;
    r.Prefs.AtmUnit = unit::mmHg;
    r.Prefs.HelpLanguage = 1;
    r.Class1.DispPressUnit = r.Class1.Disp_unit = unit::psi;
    r.Class1.Velocity_C = 0.75f;
    r.Class1.Speed = 3;
    r.Class1.Humidity = 70;
    r.Class23.Filter_level = 7;
    r.Class23.AL1.DelayPress = 12;
    r.Switch.AlInt = 2;
    r.Switch.Al1Dly = 3;
    r.Switch.Al2Thre = -17.5;
    r.InstInfo.Reserved117[1] = 0x5A;
    Open(r);
    form.reset();
    const TSetFileImage expected = BuildSetFileImage(r);
    std::ifstream in(SetFile(), std::ios::binary);
    const std::vector<char> saved{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(saved.size(), expected.size());
    for (std::size_t i = 0; i < saved.size(); ++i)
      ASSERT_EQ(static_cast<std::uint8_t>(saved[i]), expected[i]) << "byte " << i;
  }
}

TEST_F(MainFormTest, ClosingTheWindowAsksTheApplicationToEnd) {
  TMainForm& f = Open(10);
  int requests = 0;
  QObject::connect(&f, &TMainForm::TerminateRequested, [&] { ++requests; });
  f.show();
  EXPECT_TRUE(f.close());
  EXPECT_EQ(requests, 1);
  // Quit closes the window the same way.
  TMainForm& g = Open(10);
  QObject::connect(&g, &TMainForm::TerminateRequested, [&] { ++requests; });
  g.show();
  g.FileExit1->trigger();
  EXPECT_FALSE(g.isVisible());
  EXPECT_EQ(requests, 2);
}

TEST_F(MainFormTest, FatalStopStopsThePollTimerFirst) {
  TMainForm& f = Open(10);
  ASSERT_TRUE(f.CheckInstTim->isActive());
  EXPECT_THROW(FatalStop("test"), FatalError);
  EXPECT_FALSE(f.CheckInstTim->isActive());
}

TEST_F(MainFormTest, ConfigReadClearedForgetsTheProtectionCodeOnlyWhileActive) {
  TMainForm& f = Open(10);
  f.Session().SetProtCode(1234);
  f.sett->SetConfigRead(false);
  EXPECT_EQ(f.Session().ProtCode(), 1234) << "the window is not active";
  f.show();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  f.sett->SetConfigRead(false);
  EXPECT_EQ(f.Session().ProtCode(), 0);
}

} // namespace
} // namespace dtool::test
