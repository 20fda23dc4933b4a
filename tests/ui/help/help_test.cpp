#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include "ui/help/helpcontexts.h"
#include "ui/help/helpfile.h"
#include "ui/help/helpform.h"
#include "ui/help/helpsystem.h"

// Readable QStrings in failure messages.
void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace dtool {
namespace {

// Every test starts without help file and without help windows.
class HelpTest : public ::testing::Test {
protected:
  void SetUp() override {
    CloseHelpWindows();
    SetHelpFile(QString());
  }
  void TearDown() override { CloseHelpWindows(); }
};

THelpFile LoadOrFail(const QString& path) {
  THelpFile file;
  QString error;
  EXPECT_TRUE(file.Load(path, &error)) << path.toStdString() << ": " << error.toStdString();
  return file;
}

// Clicks the link with the given address in the help window's page, as the operator does.
void ClickLink(THelpBrowser* browser, const QString& href) {
  QTextDocument* doc = browser->document();
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.charFormat().anchorHref() != href)
        continue;
      QTextCursor cursor(doc);
      cursor.setPosition(fragment.position() + 1);
      browser->setTextCursor(cursor);
      browser->ensureCursorVisible();
      const QPoint at = browser->cursorRect(cursor).center() - QPoint(2, 0);
      QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
      return;
    }
  ADD_FAILURE() << "no link to " << href.toStdString();
}

// Clicks a tool button of a help window through the window system, so that a window
// blocked by a modal dialog does not get the click.
void ClickThroughWindow(THelpForm* form, const char* actionName) {
  auto* bar = form->findChild<QToolBar*>(QStringLiteral("HelpToolBar"));
  ASSERT_NE(bar, nullptr);
  auto* action = form->findChild<QAction*>(QString::fromLatin1(actionName));
  ASSERT_NE(action, nullptr);
  QWidget* button = bar->widgetForAction(action);
  ASSERT_NE(button, nullptr);
  ASSERT_NE(form->windowHandle(), nullptr);
  const QPoint at = button->mapTo(form, button->rect().center());
  QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, at);
}

TEST_F(HelpTest, BothLanguageFilesLieBesideTheProgramWithTheSameTopics) {
  const QString english = HelpFilePathFor(0);
  const QString german = HelpFilePathFor(1);
  EXPECT_TRUE(english.endsWith(QStringLiteral("/Help/DToolPcEN_V4.html"))) << english.toStdString();
  EXPECT_TRUE(german.endsWith(QStringLiteral("/Help/DToolPcGE_V4.html"))) << german.toStdString();
  EXPECT_TRUE(HelpFilePathFor(2).isEmpty());
  EXPECT_TRUE(HelpFilePathFor(-1).isEmpty());
  ASSERT_TRUE(HelpFileExists(english));
  ASSERT_TRUE(HelpFileExists(german));

  const THelpFile en = LoadOrFail(english);
  const THelpFile ge = LoadOrFail(german);
  EXPECT_EQ(en.Language(), "en");
  EXPECT_EQ(ge.Language(), "de");

  // A topic or an anchor added to one language only, or a link that leads nowhere, is a fault
  // of the files.
  QStringList enIds, geIds;
  for (const THelpTopic& topic : en.Topics())
    enIds << topic.id << topic.anchors;
  for (const THelpTopic& topic : ge.Topics())
    geIds << topic.id << topic.anchors;
  EXPECT_EQ(enIds, geIds);
  static const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
  for (const THelpFile* file : {&en, &ge})
    for (const THelpTopic& topic : file->Topics())
      for (auto it = link.globalMatch(topic.body); it.hasNext();) {
        const QString target = it.next().captured(1);
        EXPECT_TRUE(file->TargetById(target).Found())
            << file->Language().toStdString() << " " << topic.id.toStdString() << " links to "
            << target.toStdString();
      }
}

TEST_F(HelpTest, BothFilesResolveEveryContextOfTheRegistry) {
  const THelpFile files[] = {LoadOrFail(HelpFilePathFor(0)), LoadOrFail(HelpFilePathFor(1))};
  QSet<int> seen;
  for (const THelpContextEntry& entry : HelpContextRegistry()) {
    SCOPED_TRACE(testing::Message() << entry.Context << " " << entry.What);
    EXPECT_FALSE(seen.contains(entry.Context)) << "registered twice";
    seen.insert(entry.Context);
    for (const THelpFile& file : files)
      EXPECT_TRUE(file.TargetByContext(entry.Context).Found()) << file.Language().toStdString();
  }
}

// A help file with one long topic and anchors in it, and a start topic that links to one.
QString AnchorFile() {
  QString filler;
  for (int i = 0; i < 60; ++i)
    filler += QStringLiteral("<p>Line %1 of the wizard's text.</p>\n").arg(i);
  return QStringLiteral("<html lang=\"en\"><head><title>Anchors</title></head><body>\n"
                        "<section id=\"start\"><h1>Start</h1>"
                        "<p><a href=\"#ctx7010\">Altitude</a></p></section>\n"
                        "<section id=\"ctx7000\"><h1>Wizard</h1>%1"
                        "<h2 id=\"ctx7010\">Altitude</h2>%1"
                        "<h2 class=\"x\" id='ctx7020'>Temperature</h2>%1"
                        "<!-- <p id=\"ctx7099\"> --></h2 id=\"ctx7098\"><p id=\"note\">plain</p>"
                        "<p id=\"ctx1000\">repeats a topic's id</p></section>\n"
                        "<section id=\"ctx1000\"><h1>Other</h1>"
                        "<p id=\"ctx7010\">the same anchor again</p></section>\n"
                        "</body></html>")
      .arg(filler);
}

TEST_F(HelpTest, AContextMayBeAnAnchorInsideAnotherTopic) {
  THelpFile file;
  ASSERT_TRUE(file.Parse(AnchorFile()));
  ASSERT_EQ(file.Topics().size(), 3);
  EXPECT_EQ(file.Topics()[1].anchors, (QStringList{"ctx7010", "ctx7020"}));
  EXPECT_TRUE(file.Topics()[2].anchors.isEmpty());

  const struct {
    int context;
    const char* topic; // nullptr: not found
    const char* anchor;
  } cases[] = {
      {7000, "ctx7000", ""},        {7010, "ctx7000", "ctx7010"},
      {7020, "ctx7000", "ctx7020"}, {1000, "ctx1000", ""},
      {7099, nullptr, ""},          {7098, nullptr, ""},
      {4242, nullptr, ""},          {-1, nullptr, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.context);
    const THelpTarget target = file.TargetByContext(c.context);
    ASSERT_EQ(target.Found(), c.topic != nullptr);
    if (c.topic) {
      EXPECT_EQ(target.topic->id, c.topic);
      EXPECT_EQ(target.anchor, c.anchor);
    }
  }
  // Only help contexts are anchors; a topic's id names the topic.
  EXPECT_FALSE(file.TargetById(QStringLiteral("note")).Found());
  EXPECT_EQ(file.TargetById(QStringLiteral("start")).topic, &file.Topics()[0]);
}

// Every context a file has can be reached: "ctx0020" names a topic, but not context 20, which
// is looked up as "ctx20".
TEST_F(HelpTest, AnIdWithLeadingZerosIsANameNotAContext) {
  THelpFile file;
  ASSERT_TRUE(file.Parse(QStringLiteral("<section id=\"ctx0020\"><h1>Named</h1>"
                                        "<p id=\"ctx030\">not an anchor</p></section>"
                                        "<section id=\"ctx0\"><h1>Zero</h1></section>")));
  ASSERT_EQ(file.Topics().size(), 2);
  EXPECT_EQ(file.Topics()[0].context, -1);
  EXPECT_TRUE(file.Topics()[0].anchors.isEmpty());
  EXPECT_EQ(file.TopicByContext(20), nullptr);
  EXPECT_FALSE(file.TargetByContext(30).Found());
  EXPECT_EQ(file.TopicById(QStringLiteral("ctx0020")), &file.Topics()[0]);
  EXPECT_EQ(file.TargetByContext(0).topic, &file.Topics()[1]);
}

TEST_F(HelpTest, AnAnchorsContextShowsItsTopicScrolledToTheAnchor) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("anchors.html"));
  {
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(AnchorFile().toUtf8());
  }
  SetHelpFile(path);

  // The top of the heading the page is scrolled to.
  const auto headingTop = [](THelpBrowser* browser, const QString& text) {
    QTextDocument* doc = browser->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
      if (block.text() == text)
        return doc->documentLayout()->blockBoundingRect(block).top();
    ADD_FAILURE() << "no heading " << text.toStdString();
    return -1.0;
  };

  for (const QString& window : {QString(), QString::fromLatin1(SubHelpWindow)}) {
    SCOPED_TRACE(window.toStdString());
    ASSERT_TRUE(ShowHelpTopicInWindow(window, 7020));
    THelpForm* form = FindHelpWindow(window);
    ASSERT_NE(form, nullptr);
    QScrollBar* bar = form->Browser()->verticalScrollBar();
    EXPECT_EQ(form->CurrentTopicId(), "ctx7000");
    EXPECT_EQ(form->CurrentAnchor(), "ctx7020");
    EXPECT_EQ(form->CurrentContext(), 7020);
    EXPECT_TRUE(form->CurrentTopicFound());
    EXPECT_EQ(form->CurrentTitle(), "Wizard");
    EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Wizard - ")));
    EXPECT_GT(bar->value(), 0);
    EXPECT_NEAR(bar->value(), headingTop(form->Browser(), QStringLiteral("Temperature")), 2);
    if (window.isEmpty()) {
      ASSERT_NE(form->Contents()->currentItem(), nullptr);
      EXPECT_EQ(form->Contents()->currentItem()->text(), "Wizard");
    }

    // Another anchor of the same topic, the topic itself, and the anchor again after the
    // operator has scrolled away.
    ASSERT_TRUE(ShowHelpTopicInWindow(window, 7010));
    EXPECT_EQ(form->CurrentContext(), 7010);
    EXPECT_NEAR(bar->value(), headingTop(form->Browser(), QStringLiteral("Altitude")), 2);
    ASSERT_TRUE(ShowHelpTopicInWindow(window, 7000));
    EXPECT_EQ(form->CurrentContext(), 7000);
    EXPECT_EQ(form->CurrentAnchor(), "");
    EXPECT_EQ(bar->value(), 0);
    ASSERT_TRUE(ShowHelpTopicInWindow(window, 7010));
    bar->setValue(bar->maximum());
    ASSERT_TRUE(ShowHelpTopicInWindow(window, 7010));
    EXPECT_NEAR(bar->value(), headingTop(form->Browser(), QStringLiteral("Altitude")), 2);
  }

  // A link to an anchor in another topic, and back.
  THelpForm* form = FindHelpWindow();
  form->Home();
  ASSERT_EQ(form->CurrentTopicId(), "start");
  ClickLink(form->Browser(), QStringLiteral("#ctx7010"));
  EXPECT_EQ(form->CurrentTopicId(), "ctx7000");
  EXPECT_EQ(form->CurrentContext(), 7010);
  EXPECT_GT(form->Browser()->verticalScrollBar()->value(), 0);
  form->Back();
  EXPECT_EQ(form->CurrentTopicId(), "start");
}

struct TTopicCase {
  int language;
  int context;
  const char* title;
};

void PrintTo(const TTopicCase& c, std::ostream* os) {
  *os << "language " << c.language << ", context " << c.context;
}

class HelpTopicTest : public HelpTest, public ::testing::WithParamInterface<TTopicCase> {};

TEST_P(HelpTopicTest, OpensTheMainHelpWindowAtTheContextsTopic) {
  const TTopicCase& c = GetParam();
  SetHelpFile(HelpFilePathFor(c.language));
  EXPECT_TRUE(ShowHelpTopic(c.context));

  THelpForm* form = FindHelpWindow();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->objectName(), "HelpForm");
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->CurrentContext(), c.context);
  EXPECT_TRUE(form->CurrentTopicFound());
  const QString title = QString::fromUtf8(c.title);
  EXPECT_EQ(form->CurrentTitle(), title);
  EXPECT_TRUE(form->windowTitle().startsWith(title + " - ")) << form->windowTitle().toStdString();
  EXPECT_TRUE(form->Browser()->toPlainText().startsWith(title));
  ASSERT_NE(form->Contents()->currentItem(), nullptr);
  EXPECT_EQ(form->Contents()->currentItem()->text(), title);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindowContexts, HelpTopicTest,
    ::testing::Values(TTopicCase{0, 1000, "Transmitters DravonDat and DravonVision"},
                      TTopicCase{0, 1001, "DravonSwitch, and no instrument"},
                      TTopicCase{0, 1002, "Static models Dravon-ST..."},
                      TTopicCase{0, 10000, "Nozzle compensation and velocity measurement"},
                      TTopicCase{1, 1000, "Messumformer DravonDat und DravonVision"},
                      TTopicCase{1, 1001, "DravonSwitch und kein Gerät"},
                      TTopicCase{1, 1002, "Statische Modelle Dravon-ST..."},
                      TTopicCase{1, 10000, "Schlauchkompensation und Geschwindigkeitsmessung"}),
    [](const ::testing::TestParamInfo<TTopicCase>& info) {
      return std::string(info.param.language == 0 ? "English" : "German") + "_" +
             std::to_string(info.param.context);
    });

TEST_F(HelpTest, SubWindowIsASecondSmallerWindowAndKeepsTheHelpFile) {
  const QString path = HelpFilePathFor(0);
  SetHelpFile(path);
  ASSERT_TRUE(ShowHelpTopic(1000));
  ASSERT_TRUE(ShowHelpTopicInWindow(SubHelpWindow, 10000));
  EXPECT_EQ(HelpFile(), path);

  THelpForm* main = FindHelpWindow();
  THelpForm* sub = FindHelpWindow(SubHelpWindow);
  ASSERT_NE(main, nullptr);
  ASSERT_NE(sub, nullptr);
  EXPECT_NE(main, sub);
  EXPECT_EQ(sub->objectName(), "HelpForm_sub");
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(sub->isVisible());
  EXPECT_EQ(main->CurrentContext(), 1000);
  EXPECT_EQ(sub->CurrentContext(), 10000);
  EXPECT_TRUE(main->Contents()->isVisible());
  EXPECT_FALSE(sub->Contents()->isVisible());
  EXPECT_LT(sub->width() * sub->height(), main->width() * main->height());

  // The next topic for "sub" goes to the same window.
  ASSERT_TRUE(ShowHelpTopicInWindow(SubHelpWindow, 1001));
  EXPECT_EQ(FindHelpWindow(SubHelpWindow), sub);
  EXPECT_EQ(sub->CurrentContext(), 1001);
  EXPECT_EQ(main->CurrentContext(), 1000);
}

TEST_F(HelpTest, UnknownContextShowsTopicNotFoundInTheFilesLanguage) {
  const struct {
    int language;
    const char* title;
  } cases[] = {{0, "Topic not found"}, {1, "Thema nicht gefunden"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    SetHelpFile(HelpFilePathFor(c.language));
    EXPECT_FALSE(ShowHelpTopic(4242));
    THelpForm* form = FindHelpWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->CurrentContext(), 4242);
    EXPECT_FALSE(form->CurrentTopicFound());
    EXPECT_EQ(form->CurrentTitle(), QString::fromUtf8(c.title));
    EXPECT_TRUE(form->Browser()->toPlainText().contains(QStringLiteral("4242")));
    EXPECT_EQ(form->Contents()->currentItem(), nullptr);
    EXPECT_FALSE(ShowHelpTopicInWindow(SubHelpWindow, -7));

    // The window goes on working.
    EXPECT_TRUE(ShowHelpTopic(1002));
    EXPECT_EQ(form->CurrentContext(), 1002);
  }
}

struct TDamagedCase {
  const char* name;
  QByteArray content; // written to the file; see the cases for the file that is missing
  int context;        // the context asked for
  bool shown;         // whether that topic shows
  const char* title;  // title of the page shown
};

TEST_F(HelpTest, DamagedOrMissingFilesNeverEndTheProgram) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile realFile(HelpFilePathFor(0));
  ASSERT_TRUE(realFile.open(QIODevice::ReadOnly));
  const QByteArray real = realFile.readAll();
  const qsizetype cut = real.indexOf("<section id=\"ctx1002\">") + 120;
  ASSERT_GT(cut, 120);
  QByteArray binary;
  for (int i = 0; i < 4096; ++i)
    binary.append(char((i * 7919) & 0xFF));

  const TDamagedCase cases[] = {
      {"empty", QByteArray(), 1000, false, "Help file not available"},
      {"binary", binary, 1000, false, "Help file not available"},
      {"no topics", "<html><body><p>Hello</p><section></section></body></html>", 1000, false,
       "Help file not available"},
      {"cut inside a topic, earlier topic", real.left(cut), 1001, true,
       "DravonSwitch, and no instrument"},
      {"cut inside a topic, that topic", real.left(cut), 1002, true, "Static models Dravon-ST..."},
      {"cut inside a topic, later topic", real.left(cut), 10000, false, "Topic not found"},
      {"unclosed tags", "<section id=\"ctx5\"><h1>Five<section id='ctx6'><h1>Six</h1><section", 6,
       true, "Six"},
      {"unclosed heading", "<section id=\"ctx5\"><h1>Five<section id='ctx6'><h1>Six</h1>", 5, true,
       "ctx5"},
      {"context out of range",
       "<section id=\"ctx99999999999\"><h1>Big</h1></section><section id=ctx-1>x</section>", 1000,
       false, "Topic not found"},
      {"endless tags", QByteArray("<section id=x>").repeated(200000), 1000, false,
       "Topic not found"},
      {"tag never closed", "<section id=\"ctx1000\"" + QByteArray(100000, ' '), 1000, false,
       "Help file not available"},
  };
  for (const TDamagedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(QString::fromLatin1(c.name).replace(' ', '_') + ".html");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.content);
    file.close();
    SetHelpFile(path);
    EXPECT_TRUE(HelpFileExists(path));
    EXPECT_EQ(ShowHelpTopic(c.context), c.shown);
    THelpForm* form = FindHelpWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->CurrentTitle(), QString::fromUtf8(c.title));
    if (!c.shown && QString::fromUtf8(c.title) == "Help file not available") {
      EXPECT_TRUE(form->Browser()->toPlainText().contains(path));
    }
  }

  // Missing: no file, a folder, a file too large to be a help file.
  const QString tooLarge = dir.filePath("large.html");
  {
    QFile file(tooLarge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(MaxHelpFileSize + 1));
  }
  for (const QString& path : {dir.filePath("none.html"), dir.path(), tooLarge, QString()}) {
    SCOPED_TRACE(path.toStdString());
    SetHelpFile(path);
    EXPECT_EQ(HelpFileExists(path), path == tooLarge);
    EXPECT_FALSE(ShowHelpTopic(1000));
    EXPECT_FALSE(ShowHelpTopicInWindow(SubHelpWindow, 10000));
    EXPECT_EQ(FindHelpWindow()->CurrentTitle(), "Help file not available");
    EXPECT_EQ(FindHelpWindow(SubHelpWindow)->CurrentTitle(), "Help file not available");
    if (!path.isEmpty()) {
      EXPECT_TRUE(FindHelpWindow()->Browser()->toPlainText().contains(path));
    }
  }

  // A damaged file mended on disk is read again.
  const QString mended = dir.filePath("empty.html");
  SetHelpFile(mended);
  EXPECT_FALSE(ShowHelpTopic(1000));
  {
    QFile file(mended);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(real);
  }
  EXPECT_TRUE(ShowHelpTopic(1000));
  EXPECT_EQ(FindHelpWindow()->CurrentTitle(), "Transmitters DravonDat and DravonVision");
}

TEST_F(HelpTest, LinksBackForwardHomeAndContentsMoveBetweenTopics) {
  SetHelpFile(HelpFilePathFor(0));
  ASSERT_TRUE(ShowHelpTopic(1000));
  THelpForm* form = FindHelpWindow();
  ASSERT_NE(form, nullptr);
  auto* back = form->findChild<QAction*>(QStringLiteral("HelpBackAct"));
  auto* forward = form->findChild<QAction*>(QStringLiteral("HelpForwardAct"));
  ASSERT_NE(back, nullptr);
  ASSERT_NE(forward, nullptr);
  EXPECT_FALSE(back->isEnabled());

  ClickLink(form->Browser(), QStringLiteral("#ctx10000"));
  EXPECT_EQ(form->CurrentContext(), 10000);
  EXPECT_TRUE(back->isEnabled());

  form->Back();
  EXPECT_EQ(form->CurrentContext(), 1000);
  EXPECT_TRUE(forward->isEnabled());
  form->Forward();
  EXPECT_EQ(form->CurrentContext(), 10000);

  form->Home();
  EXPECT_EQ(form->CurrentTopicId(), "start");
  EXPECT_EQ(form->CurrentContext(), -1);
  EXPECT_EQ(form->CurrentTitle(), "Working with DravonTool");

  // Choosing a topic in the list shows it.
  QListWidget* list = form->Contents();
  const QList<QListWidgetItem*> items =
      list->findItems(QStringLiteral("Static models Dravon-ST..."), Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1);
  list->setCurrentItem(items.first());
  EXPECT_EQ(form->CurrentContext(), 1002);

  // The German file brings the window's own texts in German.
  SetHelpFile(HelpFilePathFor(1));
  ASSERT_TRUE(ShowHelpTopic(1002));
  EXPECT_EQ(back->text(), QString::fromUtf8("Zurück"));
  EXPECT_FALSE(back->isEnabled()); // a new file starts a new history
  EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral(" - DravonTool Hilfe")));
}

TEST_F(HelpTest, HelpKeyOpensTheTopicOfTheFocusedControl) {
  InstallHelpKey();
  InstallHelpKey(); // a second call changes nothing
  SetHelpFile(HelpFilePathFor(0));

  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* plain = new QLineEdit(&window);
  auto* own = new QLineEdit(&window);
  layout->addWidget(plain);
  layout->addWidget(own);
  SetHelpContext(&window, 1002);
  SetHelpContext(own, 10000);
  EXPECT_EQ(HelpContextOf(plain), 1002);
  EXPECT_EQ(HelpContextOf(own), 10000);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  plain->setFocus();
  QTest::keyClick(plain, Qt::Key_F1);
  ASSERT_NE(FindHelpWindow(), nullptr);
  EXPECT_EQ(FindHelpWindow()->CurrentContext(), 1002);

  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  own->setFocus();
  QTest::keyClick(own, Qt::Key_F1);
  EXPECT_EQ(FindHelpWindow()->CurrentContext(), 10000);

  // Without any context F1 is left to the control.
  QLineEdit lonely;
  lonely.show();
  lonely.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&lonely));
  lonely.setFocus();
  QTest::keyClick(&lonely, Qt::Key_F1);
  EXPECT_EQ(FindHelpWindow()->CurrentContext(), 10000);
}

TEST_F(HelpTest, HelpWindowsStayUsableWhileAModalDialogRuns) {
  SetHelpFile(HelpFilePathFor(0));
  ASSERT_TRUE(ShowHelpTopic(1000)); // opened before the dialog
  THelpForm* main = FindHelpWindow();

  QDialog dialog;
  dialog.resize(200, 100);
  QString mainTopic, subTopic;
  QTimer::singleShot(0, &dialog, [&] {
    // A window opened from the dialog, as the wizards' help buttons do.
    ShowHelpTopicInWindow(SubHelpWindow, 10000);
    QCoreApplication::processEvents();
    ClickThroughWindow(FindHelpWindow(SubHelpWindow), "HelpHomeAct");
    subTopic = FindHelpWindow(SubHelpWindow)->CurrentTopicId();
    // The window that was open before the dialog joins it.
    ClickThroughWindow(main, "HelpHomeAct");
    mainTopic = main->CurrentTopicId();
    dialog.accept();
  });
  dialog.exec();

  EXPECT_EQ(subTopic, "start");
  EXPECT_EQ(mainTopic, "start");
  // Once the dialog is gone the windows no longer hang on it.
  QCoreApplication::processEvents();
  EXPECT_EQ(FindHelpWindow(SubHelpWindow)->windowHandle()->transientParent(), nullptr);
  EXPECT_EQ(main->windowHandle()->transientParent(), nullptr);
}

} // namespace
} // namespace dtool

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  dtool::CloseHelpWindows();
  return rc;
}
