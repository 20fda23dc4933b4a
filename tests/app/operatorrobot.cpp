// An operator for the tests that run the real DToolPc. Loaded into the program with LD_PRELOAD,
// it waits for the main window and clicks its way into a dialog as a person would; the task is
// named by DTOOL_TEST_OPERATOR. It is no part of the program, which knows nothing of it.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
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

// "savepdf": Read data, then File > Save as PDF... into the file that DTOOL_TEST_PDF names,
// typed into the file dialog.
void SavePdf() {
  Until([] {
    QWidget* main = ShownWindow("MainForm");
    auto* read = main ? main->findChild<QPushButton*>(QStringLiteral("ReadBtn")) : nullptr;
    auto* save = main ? main->findChild<QAction*>(QStringLiteral("ActSavePdf")) : nullptr;
    if (read == nullptr || save == nullptr)
      return false;
    Until([] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      auto* name = dialog && dialog->objectName() == QLatin1String("SavePdfDialog")
                       ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                       : nullptr;
      if (name == nullptr)
        return false;
      name->setText(qEnvironmentVariable("DTOOL_TEST_PDF"));
      QTimer::singleShot(0, dialog, &QDialog::accept);
      return true;
    });
    ClickSoon(read);
    QTimer::singleShot(0, save, &QAction::trigger);
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
        else if (std::strcmp(task, "savepdf") == 0)
          SavePdf();
      },
      Qt::QueuedConnection);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartOperator)
