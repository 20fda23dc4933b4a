#include "dialogscript.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include "ui/controls/editreal.h"
#include "ui/controls/radiogroup.h"

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
  if (!dialog || !dialog->isVisible())
    return;
  // A step that waits for events (a mnemonic's animated click) keeps its dialog.
  if (std::find(acting_.begin(), acting_.end(), dialog) != acting_.end())
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
  acting_.push_back(dialog);
  action(*dialog);
  acting_.erase(std::find(acting_.begin(), acting_.end(), dialog));
}

bool ActivateDialog(QDialog& dialog) {
  dialog.activateWindow();
  return QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; });
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

const char* WayName(TCloseWay way) {
  switch (way) {
  case TCloseWay::Ok:
    return "OK";
  case TCloseWay::Enter:
    return "Enter";
  case TCloseWay::Cancel:
    return "Cancel";
  case TCloseWay::Esc:
    return "Esc";
  case TCloseWay::CloseBox:
    return "close box";
  }
  return "";
}

void CloseBy(QDialog& dialog, TCloseWay way, const char* okButton, const char* cancelButton) {
  switch (way) {
  case TCloseWay::Ok:
    Click(dialog, okButton);
    break;
  case TCloseWay::Enter:
    QTest::keyClick(&dialog, Qt::Key_Return);
    break;
  case TCloseWay::Cancel:
    Click(dialog, cancelButton);
    break;
  case TCloseWay::Esc:
    QTest::keyClick(&dialog, Qt::Key_Escape);
    break;
  case TCloseWay::CloseBox:
    dialog.close();
    break;
  }
}

void ChooseItem(QDialog& dialog, const char* group, const QString& text) {
  auto* g = Child<TRadioGroup>(dialog, group);
  if (!g)
    return;
  for (QRadioButton* b : g->findChildren<QRadioButton*>())
    if (b->text() == text) {
      // On the button's circle: a click beside its text misses it.
      QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
      return;
    }
  ADD_FAILURE() << "no item " << text.toStdString() << " in " << group;
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
