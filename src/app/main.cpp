// DToolPc: configuration tool for differential-pressure instruments.
#include <QApplication>
#include <QMainWindow>

#include <cstdlib>
#include <string>
#include <vector>

#include "tools/fatal.h"
#include "tools/options.h"
#include "tools/progtools.h"
#include "ui/controls/qtoperatorport.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  dtool::SetAppTitle(dtool::AppTitle);
  QApplication::setApplicationName(QString::fromLatin1(dtool::AppTitle));

  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.emplace_back(argv[i]);
  dtool::SetCommandLine(std::move(args));

  dtool::QtOperatorPort port;
  dtool::SetOperatorPort(&port);
  dtool::SetTerminator([](const std::string&) {
    QApplication::quit();
    std::_Exit(EXIT_FAILURE);
  });

  QMainWindow window;
  window.setWindowTitle(QStringLiteral("%1 %2").arg(QLatin1String(dtool::AppTitle),
                                                    QLatin1String(dtool::AppVersion)));
  window.resize(632, 512);
  window.show();
  const int rc = app.exec();
  dtool::SetOperatorPort(nullptr);
  return rc;
}
