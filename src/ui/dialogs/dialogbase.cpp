#include "ui/dialogs/dialogbase.h"

#include <QApplication>
#include <QPointer>
#include <QShowEvent>
#include <QTimer>

namespace dtool {

namespace {

// A modal window that keeps opening new ones while it is cancelled gives up after this many
// turns; the main window closes then anyway.
constexpr int CancelTurns = 64;

void CancelNextModal(const QPointer<QWidget>& window, int turnsLeft) {
  if (!window)
    return;
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || modal == window || turnsLeft <= 0) {
    window->close();
    return;
  }
  if (auto* dialog = qobject_cast<QDialog*>(modal))
    dialog->reject();
  else
    modal->close();
  QTimer::singleShot(0, window, [window, turnsLeft] { CancelNextModal(window, turnsLeft - 1); });
}

} // namespace

TDialogBase::TDialogBase(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

void TDialogBase::done(int result) {
  if (!closing_) {
    closing_ = true;
    CloseWork(result);
  }
  QDialog::done(result);
}

void TDialogBase::showEvent(QShowEvent* event) {
  if (!event->spontaneous())
    closing_ = false;
  QDialog::showEvent(event);
}

void SetDesignClientSize(QDialog* dialog, int width, int height) {
  dialog->setFixedSize(QSize(width, height).expandedTo(dialog->sizeHint()));
}

void CancelModalWindowsThenClose(QWidget* window) {
  CancelNextModal(QPointer<QWidget>(window), CancelTurns);
}

} // namespace dtool
