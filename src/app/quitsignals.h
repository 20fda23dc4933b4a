#pragma once
// Ends the program in order when the process is asked to end (SIGTERM, SIGINT): an open dialog
// is cancelled first (an instrument gets its own values back), then the main window is closed,
// which saves the settings file. A signal that comes while the start still shows a message
// cancels that message and whatever the start shows after it, and the program ends as soon as
// its window exists.
class QWidget;

namespace dtool {

// Catches the signals from the start of the program on; call before the application object.
void InstallQuitSignals();

// Starts answering caught signals on the event loop's thread; call once the application
// object exists, before the main window is made.
void WatchQuitSignals();

// From now on a caught signal ends the program through this window.
void CloseOnQuitSignals(QWidget* window);

// A signal has been caught.
bool QuitRequested();

} // namespace dtool
