#pragma once
// Services shared by the wizards and dialogs: the check of a real-number entry and the help
// topics in the dialogs' help window.
#include <QString>

class QDialog;
class QPushButton;
class QWidget;

namespace dtool {

class TEditReal;

// The text of an invalid number entry.
inline constexpr const char* InvalidValueText = "You entered an invalid value! ";

// True when the edit's text is a number; otherwise tells the operator and returns false.
bool CheckEditValue(TEditReal* edit);

// Shows the topic of a help context in the named help window ("sub" for every dialog); false
// when the topic cannot be shown (the help window then says why).
bool ShowHelpTopic(int context, const QString& windowName);

// A push button of a dialog with its given name.
QPushButton* NewButton(QWidget* parent, const char* name, const QString& text);

// The help button of a dialog's caption: a click on it and then on a control shows the
// control's help context in the main help window, as F1 does.
void InstallCaptionHelp(QDialog* dialog);

} // namespace dtool
