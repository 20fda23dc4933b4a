#pragma once
// Closes the main window when the process is asked to end (SIGTERM, SIGINT), so the program
// ends the way closing the window ends it: an open dialog is cancelled first (an instrument
// gets its own values back), then the settings file is saved.
class QWidget;

namespace dtool {

// Catches the signals from the start of the program on; a signal that comes before the window
// exists waits for it.
void InstallQuitSignals();

// From now on a caught signal closes the window, on the event loop's thread.
void CloseOnQuitSignals(QWidget* window);

} // namespace dtool
