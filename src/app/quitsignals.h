#pragma once
// Closes the main window when the process is asked to end (SIGTERM, SIGINT), so the program
// ends the way closing the window ends it: the settings file is saved.
class QWidget;

namespace dtool {

// Installs the handlers once the window exists; they close it on the event loop's thread.
void CloseOnQuitSignals(QWidget* window);

} // namespace dtool
