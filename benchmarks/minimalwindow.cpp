// dtool_minimal_window: the least a Qt Widgets program does before its first event-loop turn (an
// application, one window of the main window's size, shown), then it ends. The yardstick of
// scripts/bench-startup.sh.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(632, 512);
  window.show();
  QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return app.exec();
}
