#include "app/quitsignals.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "ui/dialogs/dialogbase.h"

#ifndef _WIN32
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace dtool {

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

void CloseOnQuitSignals(QWidget* window) {
  if (signalPipe[1] < 0)
    return;
  auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, window);
  QPointer<QWidget> target(window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [notifier, target] {
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(signalPipe[1], &byte, 1);
    notifier->setEnabled(false);
    if (target)
      CancelModalWindowsThenClose(target);
  });
}
#else
void InstallQuitSignals() {}
void CloseOnQuitSignals(QWidget*) {}
#endif

} // namespace dtool
