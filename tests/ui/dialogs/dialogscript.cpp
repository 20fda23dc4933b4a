#include "dialogscript.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "ui/controls/editreal.h"

namespace dtool::test {

namespace {
constexpr int PollMs = 5;
}

TDialogScript::TDialogScript() {
  QTimer::singleShot(PollMs, this, &TDialogScript::Poll);
}

TDialogScript::~TDialogScript() {
  for (const auto& step : steps_)
    ADD_FAILURE() << "the dialog " << step.first.toStdString() << " did not open";
}

TDialogScript& TDialogScript::On(const QString& name, std::function<void(QDialog&)> action) {
  steps_.emplace_back(name, std::move(action));
  return *this;
}

void TDialogScript::Poll() {
  // The next poll is queued first: the action may open a dialog with its own event loop.
  QTimer::singleShot(PollMs, this, &TDialogScript::Poll);
  auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  // A step that waits for the event loop (an animated click) keeps its dialog.
  if (!dialog || !dialog->isVisible() || dialog == acting_)
    return;
  if (steps_.empty() || steps_.front().first != dialog->objectName()) {
    ADD_FAILURE() << "unexpected dialog " << dialog->objectName().toStdString() << " \""
                  << dialog->windowTitle().toStdString() << "\"";
    dialog->reject();
    return;
  }
  auto action = std::move(steps_.front().second);
  steps_.pop_front();
  ++played_;
  QPointer<QDialog> previous = acting_;
  acting_ = dialog;
  action(*dialog);
  acting_ = previous;
}

void Type(TEditReal* edit, const QString& text) {
  if (edit)
    QTest::keyClicks(edit->InputEdit(), text);
}

void PressEnter(TEditReal* edit) {
  if (edit)
    QTest::keyClick(edit->InputEdit(), Qt::Key_Return);
}

void Click(QDialog& dialog, const char* button) {
  if (auto* b = Child<QPushButton>(dialog, button))
    b->click();
}

std::function<void(QDialog&)> Fill(std::vector<std::pair<const char*, QString>> typed,
                                   const char* button) {
  return [typed = std::move(typed), button](QDialog& dialog) {
    for (const auto& [edit, text] : typed)
      Type(Child<TEditReal>(dialog, edit), text);
    Click(dialog, button);
  };
}

} // namespace dtool::test
