#pragma once
// Help of the program: the help file of the chosen language and the windows that show its
// topics by help context. One help file per language lies in the folder "Help" beside the
// program; see helpfile.h for its form.
//
// Every function here runs on the user-interface thread. None of them ends the program: a
// missing or damaged help file, or a help context the file does not have, shows a page
// that says so.
#include <QString>

class QWidget;

namespace dtool {

class THelpForm;

// Folder of the help files beside the program, and the help files by language.
inline constexpr const char* HelpFolder = "Help";
inline constexpr const char* HelpFileEnglish = "DToolPcEN_V4.html";
inline constexpr const char* HelpFileGerman = "DToolPcGE_V4.html";

// Name of the secondary help window that the dialogs and the nozzle button use.
inline constexpr const char* SubHelpWindow = "sub";

// Path of the help file of a help language, 0 English and 1 German: the program folder,
// "Help", the separator and the file name. Empty for any other language.
QString HelpFilePathFor(int language);

// True when path names an existing file.
bool HelpFileExists(const QString& path);

// The help file that the help windows show; empty until one is set.
void SetHelpFile(const QString& path);
QString HelpFile();

// Opens (or brings to the front) the main help window at the topic of a help context.
// False when the topic cannot be shown: the file is missing or damaged, or has no such
// topic. The window then says so.
bool ShowHelpTopic(int context);

// The same in a named help window, such as "sub", a smaller second window. The help file
// stays the one set with SetHelpFile. An empty name is the main help window.
bool ShowHelpTopicInWindow(const QString& window, int context);

// The help window of a name (empty: the main one), null when it has not been opened.
THelpForm* FindHelpWindow(const QString& window = QString());

// Closes and frees every help window; the program does so when it ends.
void CloseHelpWindows();

// Help context of a control or window, 0 for none. A control without a context of its own
// has that of the nearest parent that has one.
void SetHelpContext(QWidget* widget, int context);
int HelpContextOf(const QWidget* widget);

// F1 opens the main help window at the help context of the control that has the focus
// (or of the active window). Installed once on the application.
void InstallHelpKey();

} // namespace dtool
