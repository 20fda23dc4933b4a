// DToolPc: configuration tool for differential-pressure instruments.
#include <QApplication>
#ifdef DTOOL_QUIT_AT_FIRST_TURN
#include <QTimer>
#endif

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/quitsignals.h"
#include "link/dispatcher.h"
#include "resources/pictures.h"
#include "tools/fatal.h"
#include "tools/options.h"
#include "tools/progtools.h"
#include "ui/controls/qtoperatorport.h"
#include "ui/dialogs/movaver.h"
#include "ui/help/helpsystem.h"
#include "ui/main/mainform.h"
#include "ui/main/qtdispatcher.h"

int main(int argc, char* argv[]) {
  dtool::InstallQuitSignals();
  // 1: the application object.
  QApplication app(argc, argv);
  dtool::WatchQuitSignals();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.emplace_back(argv[i]);
  dtool::SetCommandLine(std::move(args));

  // 2: the title, which is also the caption of every message box.
  dtool::SetAppTitle(dtool::AppTitle);
  QApplication::setApplicationName(QString::fromLatin1(dtool::AppTitle));
  QApplication::setWindowIcon(dtool::AppIcon());

  dtool::QtOperatorPort port;
  dtool::SetOperatorPort(&port);
  dtool::SetTerminator([](const std::string&) {
    QApplication::quit();
    std::_Exit(EXIT_FAILURE);
  });
  dtool::TQtDispatcher dispatcher;
  dtool::SetLinkDispatcher(&dispatcher);
  dtool::InstallHelpKey();

  // 3: the main window, which runs its start sequence.
  auto form = std::make_unique<dtool::TMainForm>();
  QObject::connect(form.get(), &dtool::TMainForm::TerminateRequested, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  dtool::CloseOnQuitSignals(form.get());
  // 4: the moving-average window, kept until the main window goes.
  form->SetMovAverForm(new dtool::TMovAverForm(*form, form.get()));

  // 5: the event loop, unless the start already ended the application or the process was asked
  // to end while the start was showing a message.
  int rc = 0;
  if (!form->Terminated() && !dtool::QuitRequested()) {
    form->show();
#ifdef DTOOL_QUIT_AT_FIRST_TURN
    // The start-up benchmark's build: the start is over at the first turn of the event loop.
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
#endif
    rc = app.exec();
  }
  form.reset();
  dtool::SetLinkDispatcher(nullptr);
  dtool::SetOperatorPort(nullptr);
  return rc;
}
