#pragma once
// Plays a test's part at the modal dialogs that the code under test opens: each step waits
// for the next modal dialog, checks its object name and acts on it (types, clicks). A dialog
// that no step expects fails the test and is cancelled, so a test never hangs on it.
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace dtool {
class TEditReal;
}

namespace dtool::test {

class TDialogScript : public QObject {
public:
  TDialogScript();
  // Fails the test when steps were left over.
  ~TDialogScript() override;

  // Adds a step for the next modal dialog, which must have the object name given.
  TDialogScript& On(const QString& name, std::function<void(QDialog&)> action);
  // The steps that have run.
  int Played() const { return played_; }

private:
  void Poll();

  std::deque<std::pair<QString, std::function<void(QDialog&)>>> steps_;
  int played_ = 0;
  // The dialogs whose steps are running, innermost last.
  std::vector<QDialog*> acting_;
};

// A child of a dialog by name; fails the test when there is none.
template <typename T> T* Child(QDialog& dialog, const char* name) {
  T* child = dialog.findChild<T*>(QLatin1String(name));
  if (!child)
    ADD_FAILURE() << "no " << name << " in " << dialog.objectName().toStdString();
  return child;
}

// Makes a dialog the active window, as it is for the operator (focus moves with the keyboard,
// mnemonics reach it), and waits until the application has made it so. A dialog's window
// counts as active as soon as the window it belongs to is, before its own activation has
// arrived and moved the focus into it: waiting for that is not enough. False when the dialog
// did not become active in time.
bool ActivateDialog(QDialog& dialog);

// Types text into a real-number edit as the operator does.
void Type(TEditReal* edit, const QString& text);
// Presses Enter in a real-number edit.
void PressEnter(TEditReal* edit);
// Clicks a push button of the dialog.
void Click(QDialog& dialog, const char* button);
// The ways the operator closes a dialog: its OK button, Enter (the default button), its
// Cancel button, Esc, the caption's close box.
enum class TCloseWay { Ok, Enter, Cancel, Esc, CloseBox };
const char* WayName(TCloseWay way);
// Closes the dialog that way; okButton and cancelButton are the names of its buttons.
void CloseBy(QDialog& dialog, TCloseWay way, const char* okButton, const char* cancelButton);
// Clicks the item of a radio group of the dialog that has the text given.
void ChooseItem(QDialog& dialog, const char* group, const QString& text);

// A step that types into real-number edits of the dialog (by name, in order) and then clicks
// a button.
std::function<void(QDialog&)> Fill(std::vector<std::pair<const char*, QString>> typed,
                                   const char* button);

} // namespace dtool::test
