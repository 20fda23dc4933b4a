#include "support/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "link/linkloader.h"

namespace dtool::test {
namespace {

// A copy the test may change or delete, whatever the rights of the build's file.
bool CopyFile(const QString& from, const QString& folder) {
  const QString to = QDir(folder).filePath(QFileInfo(from).fileName());
  return QFile::copy(from, to) &&
         QFile::setPermissions(to, QFile::permissions(from) | QFileDevice::WriteOwner);
}

} // namespace

QString CopyProgramInto(const QString& program, const QString& folder) {
  const QDir bin(QCoreApplication::applicationDirPath());
  const QString suffix = QString::fromStdString(LinkLibrarySuffix());
  for (const QString& name :
       {program, QStringLiteral("DDatDll") + suffix, QStringLiteral("DSwitch") + suffix,
        QStringLiteral("DBench") + suffix})
    if (!CopyFile(bin.filePath(name), folder))
      return QStringLiteral("cannot copy ") + name;
  const QString help = QDir(folder).filePath(QStringLiteral("Help"));
  if (!QDir(folder).mkdir(QStringLiteral("Help")))
    return QStringLiteral("cannot make ") + help;
  for (const QString& name : QDir(bin.filePath(QStringLiteral("Help"))).entryList(QDir::Files))
    if (!CopyFile(bin.filePath(QStringLiteral("Help/") + name), help))
      return QStringLiteral("cannot copy Help/") + name;
  return {};
}

} // namespace dtool::test
