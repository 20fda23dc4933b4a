#include "ui/main/qtdispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace dtool {

void TQtDispatcher::Post(std::function<void()> work) {
  if (QCoreApplication* app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

} // namespace dtool
