#pragma once
// TDialogBase: a dialog whose close-time work (restoring the instrument, ending an output,
// writing a value back) runs exactly once each time it closes, whichever way it closes: OK,
// Cancel, Esc or the caption's close box all end in done().
#include <QDialog>

class QWidget;

namespace dtool {

// The caption of the dialogs: title, system menu, close box and the help button.
inline constexpr Qt::WindowFlags HelpDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint;

class TDialogBase : public QDialog {
  Q_OBJECT
public:
  explicit TDialogBase(QWidget* parent, Qt::WindowFlags flags = {});

  // Runs CloseWork once, then closes with the result. Calls made while CloseWork runs (a
  // message box's Esc reaching the dialog, a second click) only close.
  void done(int result) override;

  // True while the dialog is open and its close-time work has not started.
  bool Open() const { return isVisible() && !closing_; }

protected:
  // The work of every close, with the result the dialog closes with. Closing is never
  // refused; the work reports its own failures.
  virtual void CloseWork(int /*result*/) {}
  // A dialog that is shown again gets its close-time work again.
  void showEvent(QShowEvent* event) override;

private:
  bool closing_ = false;
};

// Fixes a dialog's client area at its design size, grown where the system font needs more.
void SetDesignClientSize(QDialog* dialog, int width, int height);

// Cancels the application's modal windows from the top down, then closes the window. Each
// modal window is cancelled on its own turn of the event loop, so the code that opened it
// finishes before the next one is cancelled; a dialog thereby runs its cancel path (an
// instrument gets its own values back) before the window's close saves the settings. Used
// when the program is asked to end.
void CancelModalWindowsThenClose(QWidget* window);

} // namespace dtool
