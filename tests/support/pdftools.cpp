#include "support/pdftools.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace dtool::test {

namespace {

constexpr int ToolTimeoutMs = 30000;

// Runs a tool of poppler-utils; its standard output, or nothing with error filled.
QString Run(const char* tool, const QStringList& args, QString& error) {
  const QString program = QString::fromLocal8Bit(tool);
  if (program.isEmpty()) {
    error = QStringLiteral("poppler-utils are not installed: run scripts/deps.sh");
    return {};
  }
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(ToolTimeoutMs) || p.exitStatus() != QProcess::NormalExit ||
      p.exitCode() != 0) {
    error = QFileInfo(program).fileName() + QStringLiteral(" failed: ") +
            QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TPdfInfo PdfInfo(const QString& path) {
  TPdfInfo info;
  const QString out =
      Run(DTOOL_PDFINFO, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path}, info.Error);
  if (!info.Error.isEmpty())
    return info;
  for (const QString& line : out.split(u'\n')) {
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
      continue;
    const QString key = line.left(colon).trimmed();
    const QString value = line.mid(colon + 1).trimmed();
    if (key == QLatin1String("Pages"))
      info.Pages = value.toInt();
    else if (key == QLatin1String("Title"))
      info.Title = value;
    else if (key == QLatin1String("Page size"))
      info.PageSize = value;
  }
  return info;
}

QString PdfText(const QString& path, QString* error) {
  QString e;
  const QString text = Run(DTOOL_PDFTOTEXT,
                           {QStringLiteral("-layout"), QStringLiteral("-enc"),
                            QStringLiteral("UTF-8"), path, QStringLiteral("-")},
                           e);
  if (error)
    *error = e;
  return text;
}

QString PdfToPng(const QString& pdf, const QString& png, int dpi) {
  QString error;
  QString root = png;
  root.remove(QRegularExpression(QStringLiteral("\\.png$")));
  Run(DTOOL_PDFTOPPM,
      {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
       QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, root},
      error);
  return error;
}

} // namespace dtool::test
