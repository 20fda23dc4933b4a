#include "ui/controls/editreal.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dtool {
namespace {

// A window with two edits, so the focus can leave the one under test; every event of the
// edit under test is logged in order.
class EditRealTest : public ::testing::Test {
protected:
  void SetUp() override {
    QLocale::setDefault(QLocale::c());
    auto* layout = new QVBoxLayout(&window);
    ed = new TEditReal;
    ed->setObjectName("VelocityNEd");
    other = new TEditReal;
    layout->addWidget(ed);
    layout->addWidget(other);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  void TearDown() override { QLocale::setDefault(QLocale::c()); }

  // Logs every event; OnExit only when asked, since it replaces OnDataInput on leaving.
  void LogEvents(bool withExit) {
    auto log = [this](const char* name) {
      return [this, name](TEditReal* sender) {
        EXPECT_EQ(sender, ed);
        events.push_back(name);
      };
    };
    ed->OnChange = log("Change");
    ed->OnButtonClick = log("ButtonClick");
    ed->OnDataInput = log("DataInput");
    ed->OnEnter = log("Enter");
    ed->OnClick = log("Click");
    if (withExit)
      ed->OnExit = log("Exit");
  }

  // Replaces the text as the operator does: select all, then type.
  void Type(TEditReal* e, const QString& text) {
    e->InputEdit()->setFocus(Qt::MouseFocusReason);
    e->InputEdit()->selectAll();
    if (text.isEmpty())
      QTest::keyClick(e->InputEdit(), Qt::Key_Delete);
    else
      QTest::keyClicks(e->InputEdit(), text);
  }

  QWidget window;
  TEditReal* ed = nullptr;
  TEditReal* other = nullptr;
  std::vector<std::string> events;
};

TEST_F(EditRealTest, StartsAsAnEmptyUpDownEditShowingZero) {
  EXPECT_EQ(ed->Text(), "0");
  EXPECT_EQ(ed->Value(), 0.0);
  EXPECT_FALSE(ed->Modified());
  EXPECT_EQ(ed->ControlStyle(), csUpDown);
  EXPECT_EQ(ed->GetButWidth(), 17);
  EXPECT_TRUE(ed->TabStop());
  EXPECT_FALSE(ed->ReadOnly());
  EXPECT_TRUE(ed->Enabled());
  EXPECT_EQ(ed->objectName(), "VelocityNEd");
  TEditReal fresh;
  EXPECT_EQ(fresh.size(), QSize(121, 21));
}

TEST_F(EditRealTest, SetValueShowsDecimalsAndFiresChangeOnce) {
  LogEvents(false);
  ed->SetNachkomma(2);
  EXPECT_TRUE(events.empty()) << "changing the decimals reports no change";
  ed->SetValue(1.5);
  EXPECT_EQ(ed->Text(), "1.50");
  EXPECT_EQ(events, std::vector<std::string>{"Change"});
  EXPECT_FALSE(ed->Modified());
  EXPECT_EQ(ed->Value(), 1.5);

  events.clear();
  ed->SetValue(1.2346);
  EXPECT_EQ(ed->Text(), "1.23");
  EXPECT_EQ(ed->Value(), 1.2346) << "the value keeps its digits until the text is edited";
  ed->SetNachkomma(3);
  EXPECT_EQ(ed->Text(), "1.235");
  EXPECT_EQ(ed->Nachkomma(), 3);
  EXPECT_EQ(events, std::vector<std::string>{"Change"});
  EXPECT_FALSE(ed->Modified());
}

TEST_F(EditRealTest, ShowsTheDecimalSeparatorOfTheLocaleWithoutGroups) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  ed->SetNachkomma(1);
  ed->SetValue(3000.26);
  EXPECT_EQ(ed->Text(), "3000,3");
  ed->SetValue(-1234567.5);
  EXPECT_EQ(ed->Text(), "-1234567,5");
}

struct ParseCase {
  const char* name;
  const char* locale;
  bool noFloat;
  const char* typed;
  bool converts;
  double value;
};
void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << c.name << " '" << c.typed << "'";
}

class EditRealParseTest : public EditRealTest, public ::testing::WithParamInterface<ParseCase> {};

// Enter runs the handler that the main window attaches: CheckInput with redisplay.
TEST_P(EditRealParseTest, EnterConvertsTheTextOrShowsThePreviousValue) {
  const ParseCase& c = GetParam();
  QLocale::setDefault(QLocale(c.locale));
  ed->NoFloatInput = c.noFloat;
  ed->SetNachkomma(2);
  ed->SetValue(7);
  const QString shownBefore = ed->Text();
  bool checked = false;
  ed->OnDataInput = [&](TEditReal* sender) { checked = sender->CheckInput(true); };

  Type(ed, c.typed);
  ASSERT_TRUE(ed->Modified());
  if (c.converts) {
    EXPECT_EQ(ed->GetValue(), c.value);
  } else {
    EXPECT_THROW(ed->GetValue(), EConvertError);
    EXPECT_EQ(ed->Text(), c.typed) << "a failed read changes nothing";
  }
  QTest::keyClick(ed->InputEdit(), Qt::Key_Return);
  EXPECT_EQ(checked, c.converts);
  EXPECT_EQ(ed->Value(), c.converts ? c.value : 7.0);
  EXPECT_FALSE(ed->Modified());
  if (!c.converts) {
    EXPECT_EQ(ed->Text(), shownBefore);
  }
  EXPECT_EQ(ed->InputEdit()->cursorPosition(), ed->Text().size());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EditRealParseTest,
    ::testing::Values(ParseCase{"Point", "C", false, "12.5", true, 12.5},
                      ParseCase{"MinusAlone", "C", false, "-", true, 0},
                      ParseCase{"Empty", "C", false, "", true, 0},
                      ParseCase{"Blanks", "C", false, " -3.25 ", true, -3.25},
                      ParseCase{"Exponent", "C", false, "1e3", true, 1000},
                      ParseCase{"CommaUnderPoint", "en_US", false, "1,5", false, 0},
                      ParseCase{"GroupUnderPoint", "en_US", false, "1,500", false, 0},
                      ParseCase{"Letters", "C", false, "abc", false, 0},
                      ParseCase{"TwoPoints", "C", false, "1.2.3", false, 0},
                      ParseCase{"NotANumber", "C", false, "nan", false, 0},
                      ParseCase{"Overflow", "C", false, "1e999", false, 0},
                      ParseCase{"Comma", "de_DE", false, "1,5", true, 1.5},
                      ParseCase{"MinusAloneUnderComma", "de_DE", false, "-", true, 0},
                      ParseCase{"PointUnderComma", "de_DE", false, "1.5", false, 0},
                      ParseCase{"GroupUnderComma", "de_DE", false, "1.500", false, 0},
                      ParseCase{"Integer", "C", true, "12", true, 12},
                      ParseCase{"NegativeInteger", "C", true, "-40", true, -40},
                      ParseCase{"RealAsInteger", "C", true, "12.5", false, 0},
                      ParseCase{"IntegerOverflow", "C", true, "99999999999", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditRealTest, TypingAndEnterReportInOrder) {
  LogEvents(false);
  ed->InputEdit()->setFocus(Qt::MouseFocusReason);
  events.clear();
  QSignalSpy returns(ed->InputEdit(), &QLineEdit::returnPressed);
  ed->InputEdit()->selectAll();
  QTest::keyClicks(ed->InputEdit(), "42");
  QTest::keyClick(ed->InputEdit(), Qt::Key_Return);
  EXPECT_EQ(events, (std::vector<std::string>{"Change", "Change", "DataInput"}));
  EXPECT_EQ(returns.count(), 0) << "Enter is swallowed when OnDataInput is assigned";
  EXPECT_EQ(ed->Text(), "42");
  EXPECT_TRUE(ed->Modified());

  ed->OnDataInput = nullptr;
  QTest::keyClick(ed->InputEdit(), Qt::Key_Return);
  EXPECT_EQ(returns.count(), 1) << "without OnDataInput Enter takes its usual way";
}

TEST_F(EditRealTest, LeavingFiresExitOrElseDataInput) {
  LogEvents(false);
  other->InputEdit()->setFocus(Qt::TabFocusReason);
  events.clear();
  ed->InputEdit()->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(ed->InputEdit(), "5");
  other->InputEdit()->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(events, (std::vector<std::string>{"Enter", "Change", "DataInput"}));

  LogEvents(true);
  events.clear();
  ed->InputEdit()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(ed->InputEdit(), Qt::Key_Tab);
  EXPECT_EQ(events, (std::vector<std::string>{"Enter", "Exit"}));
  EXPECT_TRUE(other->InputEdit()->hasFocus());
}

TEST_F(EditRealTest, ClickOnTheInputEditFiresClick) {
  LogEvents(false);
  other->InputEdit()->setFocus(Qt::TabFocusReason);
  events.clear();
  QTest::mouseClick(ed->InputEdit(), Qt::LeftButton);
  EXPECT_EQ(events, (std::vector<std::string>{"Enter", "Click"}));
}

TEST_F(EditRealTest, SpinButtonsStepWithinTheRange) {
  ed->SetNachkomma(2);
  ed->IncVal = 0.1;
  ed->MinVal = 1;
  ed->MaxVal = 2;
  ed->RangeLimit = true;
  ed->SetValue(1.95);
  other->InputEdit()->setFocus(Qt::TabFocusReason);
  LogEvents(false);

  QTest::mouseClick(ed->UpButton(), Qt::LeftButton);
  EXPECT_EQ(ed->Value(), 2.0);
  EXPECT_EQ(ed->Text(), "2.00");
  EXPECT_EQ(events, (std::vector<std::string>{"Change", "DataInput", "Enter", "ButtonClick"}));
  EXPECT_TRUE(ed->InputEdit()->hasFocus()) << "a step gives the focus to the input edit";

  events.clear();
  QTest::mouseClick(ed->UpButton(), Qt::LeftButton);
  EXPECT_EQ(ed->Value(), 2.0);
  EXPECT_EQ(events, (std::vector<std::string>{"DataInput", "ButtonClick"}))
      << "the text did not change, so no change is reported";

  ed->SetValue(1.05);
  QTest::mouseClick(ed->DownButton(), Qt::LeftButton);
  QTest::mouseClick(ed->DownButton(), Qt::LeftButton);
  EXPECT_EQ(ed->Value(), 1.0);
  EXPECT_FALSE(ed->Modified());
}

TEST_F(EditRealTest, StepStartsFromTheTypedText) {
  ed->SetNachkomma(1);
  ed->IncVal = 0.5;
  ed->MaxVal = 10;
  ed->SetValue(1);
  Type(ed, "3");
  QTest::mouseClick(ed->UpButton(), Qt::LeftButton);
  EXPECT_EQ(ed->Text(), "3.5");

  Type(ed, "x");
  QTest::mouseClick(ed->DownButton(), Qt::LeftButton);
  EXPECT_EQ(ed->Text(), "3.0") << "a text that is no number steps from the value held";

  ed->MaxVal = 3.2;
  QTest::mouseClick(ed->UpButton(), Qt::LeftButton);
  EXPECT_EQ(ed->Text(), "3.5") << "without RangeLimit a step may leave the range";
}

struct RangeCase {
  const char* name;
  bool rangeLimit;
  bool update;
  double read;       // the value GetValue returns
  const char* shown; // the text afterwards
  bool modified;
};
void PrintTo(const RangeCase& c, std::ostream* os) {
  *os << c.name;
}

class EditRealRangeTest : public EditRealTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(EditRealRangeTest, ValueOutsideTheRange) {
  const RangeCase& c = GetParam();
  ed->SetNachkomma(2);
  ed->MinVal = 0;
  ed->MaxVal = 10;
  ed->RangeLimit = c.rangeLimit;
  ed->SetValue(4);
  int calls = 0;
  ed->OnRangeError = [&](TEditReal* sender, double rawval, double begrval, bool& update) {
    ++calls;
    EXPECT_EQ(sender, ed);
    EXPECT_EQ(rawval, 4.0) << "rawval is the value held before the read";
    EXPECT_EQ(begrval, c.read);
    EXPECT_FALSE(update);
    update = c.update;
  };
  Type(ed, "12");
  EXPECT_EQ(ed->Value(), c.read);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ed->Text(), c.shown);
  EXPECT_EQ(ed->Modified(), c.modified);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditRealRangeTest,
    ::testing::Values(RangeCase{"Reported", false, false, 12, "12", true},
                      RangeCase{"ReportedAndShown", false, true, 12, "12.00", false},
                      RangeCase{"Limited", true, false, 10, "12", true},
                      RangeCase{"LimitedAndShown", true, true, 10, "10.00", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditRealTest, RangeEdgesAndTheUnsetRange) {
  ed->MinVal = 1;
  ed->MaxVal = 2;
  ed->RangeLimit = true;
  ed->SetValue(1);
  EXPECT_EQ(ed->Value(), 1.0) << "the limits themselves are inside";
  ed->SetValue(2);
  EXPECT_EQ(ed->Value(), 2.0);
  ed->SetValue(0.5);
  EXPECT_EQ(ed->Value(), 1.0);

  // A form that sets no range leaves 0..0: every other value is outside.
  TEditReal unset;
  int calls = 0;
  unset.OnRangeError = [&](TEditReal*, double, double, bool&) { ++calls; };
  unset.SetValue(5);
  EXPECT_EQ(unset.Value(), 5.0);
  EXPECT_EQ(calls, 1);
  unset.RangeLimit = true;
  unset.SetValue(5);
  EXPECT_EQ(unset.Value(), 0.0);
  EXPECT_EQ(calls, 2);
}

TEST_F(EditRealTest, CheckInputIgnoresTheRangeAndRestoresIt) {
  ed->MaxVal = 10;
  ed->RangeLimit = true;
  int calls = 0;
  ed->OnRangeError = [&](TEditReal*, double, double, bool&) { ++calls; };
  Type(ed, "12");
  EXPECT_TRUE(ed->CheckInput(true));
  EXPECT_EQ(ed->Text(), "12");
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(ed->RangeLimit);
  ASSERT_TRUE(ed->OnRangeError);
  // The xxEdRangeLimit pattern: the value set to itself, then read, is clamped.
  ed->SetValue(ed->Value());
  EXPECT_EQ(ed->Text(), "10");
  EXPECT_EQ(calls, 1);
}

TEST_F(EditRealTest, ClearingTheTextKeepsValueAndFlag) {
  LogEvents(false);
  ed->SetValue(3);
  events.clear();
  ed->ClearText();
  EXPECT_EQ(ed->Text(), "");
  EXPECT_TRUE(events.empty());
  EXPECT_FALSE(ed->Modified());
  EXPECT_EQ(ed->Value(), 3.0) << "not modified: the value held before";

  Type(ed, "8");
  ed->ClearText();
  EXPECT_TRUE(ed->Modified());
  EXPECT_EQ(ed->Value(), 0.0) << "modified: the empty text reads as 0";
}

TEST_F(EditRealTest, DotsButtonFocusesAndReports) {
  ed->SetControlStyle(csButton);
  LogEvents(false);
  other->InputEdit()->setFocus(Qt::TabFocusReason);
  events.clear();
  QTest::mouseClick(ed->DotsButton(), Qt::LeftButton);
  EXPECT_EQ(events, (std::vector<std::string>{"Enter", "ButtonClick"}));
  EXPECT_TRUE(ed->InputEdit()->hasFocus());
}

// Geometry of the parts for the three styles, at the default button width and a wider one.
TEST_F(EditRealTest, ArrangePartsFollowsTheTable) {
  TEditReal e;
  e.resize(121, 21);
  e.show();
  const int w = 121, h = 21;
  for (int b : {17, 25}) {
    e.SetButWidth(b);
    for (TControlStyle style : {csNone, csUpDown, csButton}) {
      SCOPED_TRACE(testing::Message() << "ButWidth " << b << " style " << style);
      e.SetControlStyle(style);
      EXPECT_EQ(e.Frame()->geometry(), QRect(0, 0, w, h));
      const int editWidth = style == csUpDown ? w - b - 4 : style == csButton ? w - b - 5 : w - 6;
      EXPECT_EQ(e.InputEdit()->geometry(), QRect(1, 1, editWidth, h));
      EXPECT_EQ(e.SpinButton()->isVisibleTo(&e), style == csUpDown);
      EXPECT_EQ(e.DotsButton()->isVisibleTo(&e), style == csButton);
      EXPECT_EQ(e.SpinButton()->geometry(), QRect(w - b - 3, 1, b, h - 3));
      EXPECT_EQ(e.DotsButton()->geometry(), QRect(w - b - 4, 2, b, h - 4));
      EXPECT_EQ(e.GetButWidth(), b);
    }
  }
  e.resize(200, 30);
  EXPECT_EQ(e.InputEdit()->geometry(), QRect(1, 1, 200 - 25 - 5, 30));
}

TEST_F(EditRealTest, InputEditProperties) {
  ed->SetTabStop(false);
  EXPECT_FALSE(ed->TabStop());
  other->InputEdit()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(other->InputEdit(), Qt::Key_Backtab);
  EXPECT_FALSE(ed->InputEdit()->hasFocus()) << "no tab stop";

  ed->SetReadOnly(true);
  ed->SetValue(2);
  Type(ed, "9");
  EXPECT_EQ(ed->Text(), "2");
  EXPECT_FALSE(ed->Modified());

  ed->SetEnabled(false);
  EXPECT_FALSE(ed->Enabled());
  EXPECT_FALSE(ed->isEnabled());
  EXPECT_FALSE(ed->UpButton()->isEnabled());
}

TEST_F(EditRealTest, DeletingTheFocusedEditFiresNothing) {
  LogEvents(true);
  ed->InputEdit()->setFocus(Qt::TabFocusReason);
  events.clear();
  delete ed;
  ed = nullptr;
  EXPECT_TRUE(events.empty());
}

// Writes a picture of the three styles beside an ordinary line edit and spin box when
// DTOOL_EDITREAL_PNG names a file; otherwise there is nothing to look at.
TEST(EditRealPicture, ThreeStyles) {
  const QString file = qEnvironmentVariable("DTOOL_EDITREAL_PNG");
  if (file.isEmpty())
    GTEST_SKIP() << "set DTOOL_EDITREAL_PNG to write the picture";
  QWidget form;
  auto* layout = new QFormLayout(&form);
  for (TControlStyle style : {csNone, csUpDown, csButton}) {
    auto* e = new TEditReal;
    e->SetControlStyle(style);
    e->SetNachkomma(2);
    e->SetValue(1234.5);
    static const char* names[] = {"csNone", "csUpDown", "csButton"};
    layout->addRow(names[style], e);
  }
  auto* focused = new TEditReal;
  focused->SetNachkomma(1);
  focused->SetValue(-0.5);
  layout->addRow("csUpDown, focused", focused);
  auto* disabled = new TEditReal;
  disabled->SetControlStyle(csButton);
  disabled->SetValue(7);
  disabled->SetEnabled(false);
  layout->addRow("csButton, disabled", disabled);
  auto* classic = new TEditReal;
  classic->setFixedSize(121, 21);
  classic->SetNachkomma(3);
  classic->SetValue(0.6125);
  layout->addRow("121 x 21", classic);
  auto* line = new QLineEdit("1234.50");
  layout->addRow("QLineEdit", line);
  auto* spin = new QDoubleSpinBox;
  spin->setRange(0, 9999);
  spin->setValue(1234.5);
  layout->addRow("QDoubleSpinBox", spin);
  form.resize(320, form.sizeHint().height());
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  focused->InputEdit()->setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(form.grab().save(file));
}

} // namespace
} // namespace dtool
