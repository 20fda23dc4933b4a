#include "ui/dialogs/wizardcommon.h"

#include <QDialog>
#include <QEvent>
#include <QHelpEvent>
#include <QPushButton>

#include "tools/operatorport.h"
#include "ui/controls/editreal.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {

// Answers the "What's this?" click of a dialog. A control without text of its own passes the
// click up to its window, with the position in the window's coordinates.
class TCaptionHelpFilter : public QObject {
public:
  explicit TCaptionHelpFilter(QDialog* dialog) : QObject(dialog), dialog_(dialog) {}

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != dialog_ ||
        (event->type() != QEvent::WhatsThis && event->type() != QEvent::QueryWhatsThis))
      return QObject::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QWidget* target = dialog_->childAt(help->pos());
    const int context = HelpContextOf(target ? target : dialog_);
    if (context <= 0)
      return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::WhatsThis)
      dtool::ShowHelpTopic(context);
    event->accept();
    return true;
  }

private:
  QDialog* dialog_;
};

} // namespace

bool CheckEditValue(TEditReal* edit) {
  if (edit->CheckInput(false))
    return true;
  ErrorBox(InvalidValueText);
  return false;
}

bool ShowHelpTopic(int context, const QString& windowName) {
  return ShowHelpTopicInWindow(windowName, context);
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

void InstallCaptionHelp(QDialog* dialog) {
  if (dialog)
    dialog->installEventFilter(new TCaptionHelpFilter(dialog));
}

} // namespace dtool
