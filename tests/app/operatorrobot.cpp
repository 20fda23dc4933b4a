// An operator for the tests that run the real DToolPc. Loaded into the program with LD_PRELOAD,
// it waits for the main window and clicks its way into a dialog as a person would; the task is
// named by DTOOL_TEST_OPERATOR. It is no part of the program, which knows nothing of it.
#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

constexpr int PollMs = 100;

QWidget* ShownWindow(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String(name) && w->isVisible())
      return w;
  return nullptr;
}

// Runs the step every PollMs until it returns true.
void Until(std::function<bool()> step) {
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, [timer, step = std::move(step)] {
    if (step()) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(PollMs);
}

// A click as the event loop's own work, so that a dialog it opens runs in its own loop.
void ClickSoon(QAbstractButton* button) {
  QTimer::singleShot(0, button, &QAbstractButton::click);
}

// "calibrate": the button of the main window's offset edit opens the analog output calibration
// wizard; there "Start calibration" is clicked, and the wizard is left open.
void Calibrate() {
  Until([] {
    QWidget* main = ShownWindow("MainForm");
    QWidget* offset = main ? main->findChild<QWidget*>(QStringLiteral("AnOffsetEd")) : nullptr;
    QToolButton* dots = nullptr;
    if (offset)
      for (QToolButton* b :
           offset->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (!b->isHidden())
          dots = b;
    if (dots == nullptr)
      return false;
    Until([] {
      QWidget* wizard = ShownWindow("AnalCalForm");
      auto* start =
          wizard ? wizard->findChild<QPushButton*>(QStringLiteral("StartCalBtn")) : nullptr;
      if (start == nullptr)
        return false;
      ClickSoon(start);
      return true;
    });
    ClickSoon(dots);
    return true;
  });
}

void StartOperator() {
  const char* task = std::getenv("DTOOL_TEST_OPERATOR");
  if (task == nullptr)
    return;
  // Once the event loop runs.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [task] {
        if (std::strcmp(task, "calibrate") == 0)
          Calibrate();
      },
      Qt::QueuedConnection);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartOperator)
