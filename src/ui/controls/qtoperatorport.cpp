#include "ui/controls/qtoperatorport.h"

#include <QApplication>
#include <QMessageBox>

#include "tools/progtools.h"

namespace dtool {
namespace {

QMessageBox::StandardButton Show(QMessageBox::Icon icon, const std::string& text,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, QString::fromStdString(GetAppTitle()), ShownText(text), buttons,
                  QApplication::activeWindow());
  box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

QString ShownText(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

int QtOperatorPort::ErrorBox(const std::string& text, bool yesNo) {
  if (!yesNo) {
    Show(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
    return IdOk;
  }
  return Show(QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
                 QMessageBox::Yes
             ? IdYes
             : IdNo;
}

void QtOperatorPort::WarningBox(const std::string& text) {
  Show(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtOperatorPort::InfoBox(const std::string& text, bool) {
  Show(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtOperatorPort::QuestionBox(const std::string& text, bool defaultYes) {
  return Show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
              defaultYes ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

TCursor QtOperatorPort::SetScreenCursor(TCursor cursor) {
  const TCursor previous = cursor_;
  if (cursor != previous) {
    if (cursor == TCursor::HourGlass)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
    cursor_ = cursor;
  }
  return previous;
}

void QtOperatorPort::Beep() {
  QApplication::beep();
}

} // namespace dtool
