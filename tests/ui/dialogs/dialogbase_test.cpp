// The close path of the dialogs: the close-time work runs once for every way of closing, and
// ending the program with dialogs open cancels them from the top down before the window closes.
#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/dialogs/dialogbase.h"

namespace dtool::test {
namespace {

// Records what happens, in order, as "work:<result>", "window closed" and so on.
using TEvents = std::vector<std::string>;

class TRecordingDialog : public TDialogBase {
public:
  explicit TRecordingDialog(TEvents& events, QWidget* parent = nullptr)
      : TDialogBase(parent), events_(events) {
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  }

protected:
  void CloseWork(int result) override {
    events_.push_back("work:" + std::to_string(result));
    if (OnCloseWork)
      OnCloseWork();
  }

public:
  std::function<void()> OnCloseWork;

private:
  TEvents& events_;
};

class TRecordingWindow : public QWidget {
public:
  explicit TRecordingWindow(TEvents& events) : events_(events) {}

protected:
  void closeEvent(QCloseEvent* event) override {
    events_.push_back(QApplication::activeModalWidget() ? "window closed over a modal window"
                                                        : "window closed");
    QWidget::closeEvent(event);
  }

private:
  TEvents& events_;
};

// Runs action once the dialog is shown modally; returns what exec returned.
int ExecWith(QDialog& dialog, std::function<void(QDialog&)> action) {
  QTimer::singleShot(0, &dialog, [&dialog, action] { action(dialog); });
  return dialog.exec();
}

TEST(DialogBaseTest, EveryWayOfClosingRunsTheCloseTimeWorkOnce) {
  struct TCase {
    const char* way;
    std::function<void(QDialog&)> close;
    int result;
  };
  const TCase cases[] = {
      {"OK", [](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("OkBtn"))->click(); },
       QDialog::Accepted},
      {"Cancel",
       [](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click(); },
       QDialog::Rejected},
      {"Esc", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
      {"close box", [](QDialog& d) { d.close(); }, QDialog::Rejected},
      {"OK, then the close box while closing",
       [](QDialog& d) {
         d.accept();
         d.close();
       },
       QDialog::Accepted},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.way);
    TEvents events;
    TRecordingDialog dialog(events);
    // The work may show a message box, whose Esc must not close the dialog a second time.
    dialog.OnCloseWork = [&dialog] { dialog.reject(); };
    EXPECT_EQ(ExecWith(dialog, c.close), c.result);
    EXPECT_EQ(events, TEvents{"work:" + std::to_string(c.result)});
    // Shown again, the dialog has its close-time work again.
    events.clear();
    EXPECT_EQ(ExecWith(dialog, c.close), c.result);
    EXPECT_EQ(events, TEvents{"work:" + std::to_string(c.result)});
  }
}

TEST(DialogBaseTest, EndingTheProgramCancelsTheOpenDialogsBeforeTheWindowCloses) {
  TEvents events;
  TRecordingWindow window(events);
  window.show();
  TRecordingDialog dialog(events, &window);
  // The dialog shows a message box of its own, as a wizard reporting a failed trial does.
  QTimer::singleShot(0, &dialog, [&dialog, &events, &window] {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("DravonTool"),
                    QStringLiteral("trial failed"), QMessageBox::Ok, &dialog);
    QTimer::singleShot(0, &box, [&window] { CancelModalWindowsThenClose(&window); });
    box.exec();
    events.push_back("message box closed");
  });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  // The window closes on a later turn of the event loop.
  QTRY_VERIFY(!window.isVisible());
  EXPECT_EQ(events, (TEvents{"message box closed", "work:0", "window closed"}));
}

TEST(DialogBaseTest, EndingTheProgramWithoutADialogClosesTheWindow) {
  TEvents events;
  TRecordingWindow window(events);
  window.show();
  CancelModalWindowsThenClose(&window);
  EXPECT_EQ(events, TEvents{"window closed"});
}

} // namespace
} // namespace dtool::test
