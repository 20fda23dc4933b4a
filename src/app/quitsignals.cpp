#include "app/quitsignals.h"

#include <QApplication>
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "ui/dialogs/dialogbase.h"

#ifndef _WIN32
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace dtool {

namespace {

// How often the start is looked at for a message to cancel, until the window exists.
constexpr int StartPollMs = 20;

QPointer<QWidget> quitWindow;
bool quitRequested = false;

// Before the window exists the start may be showing a message (a missing settings file, a port
// that cannot be opened): cancel it, and every one that follows, until the window is handed
// over; then end through the window.
void CancelStartMessages() {
  if (quitWindow) {
    CancelModalWindowsThenClose(quitWindow);
    return;
  }
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    else
      modal->close();
  }
  QTimer::singleShot(StartPollMs, qApp, CancelStartMessages);
}

void OnQuitRequested() {
  if (quitRequested)
    return;
  quitRequested = true;
  CancelStartMessages();
}

} // namespace

#ifndef _WIN32
namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalPipe[2] = {-1, -1};

extern "C" void OnQuitSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

} // namespace

void InstallQuitSignals() {
  if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
    return;
  struct sigaction action = {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

void WatchQuitSignals() {
  if (signalPipe[1] < 0 || qApp == nullptr)
    return;
  auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [notifier] {
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(signalPipe[1], &byte, 1);
    notifier->setEnabled(false);
    OnQuitRequested();
  });
}
#else
void InstallQuitSignals() {}
void WatchQuitSignals() {}
#endif

void CloseOnQuitSignals(QWidget* window) {
  quitWindow = window;
}

bool QuitRequested() {
  return quitRequested;
}

} // namespace dtool
