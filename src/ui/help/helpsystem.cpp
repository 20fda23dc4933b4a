#include "ui/help/helpsystem.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMap>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <memory>

#include "tools/progtools.h"
#include "ui/help/helpform.h"

namespace dtool {

namespace {

const char* const HelpContextProperty = "helpContext";

// The help file in use, read once and read again when it changes on disk.
struct THelpState {
  QString path;
  QString loadedPath;
  QDateTime loadedTime;
  qint64 loadedSize = -1;
  std::shared_ptr<const THelpFile> file;
  QString error;
  QMap<QString, QPointer<THelpForm>> windows;
};

THelpState& State() {
  static THelpState state;
  return state;
}

// The help file, or null with the reason in error.
std::shared_ptr<const THelpFile> CurrentFile(QString& error) {
  THelpState& s = State();
  if (s.path.isEmpty()) {
    error.clear();
    return nullptr;
  }
  const QFileInfo info(s.path);
  if (!info.isFile()) {
    error = QStringLiteral("The file does not exist.");
    return nullptr;
  }
  if (s.path != s.loadedPath || info.lastModified() != s.loadedTime ||
      info.size() != s.loadedSize) {
    auto file = std::make_shared<THelpFile>();
    s.error.clear();
    s.file = file->Load(s.path, &s.error) ? std::move(file) : nullptr;
    s.loadedPath = s.path;
    s.loadedTime = info.lastModified();
    s.loadedSize = info.size();
  }
  error = s.error;
  return s.file;
}

THelpForm* WindowFor(const QString& window) {
  QPointer<THelpForm>& form = State().windows[window];
  if (!form) {
    form = new THelpForm(window);
    // Help windows go with the program.
    static const bool closesAtQuit =
        qApp && QObject::connect(qApp, &QCoreApplication::aboutToQuit, &CloseHelpWindows);
    (void)closesAtQuit;
  }
  return form;
}

// Reads F1 for the whole program.
class THelpKeyFilter : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1 ||
        static_cast<QKeyEvent*>(event)->modifiers() != Qt::NoModifier)
      return QObject::eventFilter(watched, event);
    const QWidget* widget = QApplication::focusWidget();
    if (!widget)
      widget = QApplication::activeWindow();
    if (!widget)
      widget = qobject_cast<const QWidget*>(watched);
    const int context = HelpContextOf(widget);
    if (context <= 0)
      return QObject::eventFilter(watched, event);
    ShowHelpTopic(context);
    return true;
  }
};

} // namespace

QString HelpFilePathFor(int language) {
  const char* name = language == 0 ? HelpFileEnglish : language == 1 ? HelpFileGerman : nullptr;
  if (!name)
    return QString();
  return QString::fromStdString(GetProgPfad()) + QLatin1String(HelpFolder) + QLatin1Char(PathSep) +
         QLatin1String(name);
}

bool HelpFileExists(const QString& path) {
  return !path.isEmpty() && QFileInfo(path).isFile();
}

void SetHelpFile(const QString& path) {
  State().path = path;
}

QString HelpFile() {
  return State().path;
}

bool ShowHelpTopic(int context) {
  return ShowHelpTopicInWindow(QString(), context);
}

bool ShowHelpTopicInWindow(const QString& window, int context) {
  QString error;
  std::shared_ptr<const THelpFile> file = CurrentFile(error);
  THelpForm* form = WindowFor(window);
  const bool shown = form->ShowContext(file, State().path, error, context);
  if (form->isMinimized())
    form->showNormal();
  form->show();
  form->AttachToModalWindow();
  form->raise();
  form->activateWindow();
  return shown;
}

THelpForm* FindHelpWindow(const QString& window) {
  return State().windows.value(window);
}

void CloseHelpWindows() {
  const auto windows = State().windows;
  State().windows.clear();
  for (const QPointer<THelpForm>& form : windows)
    delete form.data();
}

void SetHelpContext(QWidget* widget, int context) {
  if (widget)
    widget->setProperty(HelpContextProperty, context);
}

int HelpContextOf(const QWidget* widget) {
  for (; widget; widget = widget->parentWidget()) {
    const int context = widget->property(HelpContextProperty).toInt();
    if (context > 0)
      return context;
  }
  return 0;
}

void InstallHelpKey() {
  static QPointer<THelpKeyFilter> filter;
  if (filter || !qApp)
    return;
  filter = new THelpKeyFilter(qApp);
  qApp->installEventFilter(filter);
}

} // namespace dtool
