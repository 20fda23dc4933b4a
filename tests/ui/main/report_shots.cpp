// Pictures of the settings report: the PDF of a DravonDat and of a DravonSwitch right after
// Read data, rendered with poppler's pdftoppm, and the print preview.
#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <fstream>

#include "mainform_fixture.h"
#include "shots.h"
#include "support/benchcontrol.h"
#include "support/pdftools.h"

namespace dtool::test {

int TakeReportShots(const QString& folder, const QTemporaryDir& dir) {
  const struct {
    const char* name;
    int type;
    const char* bench;
  } shots[] = {
      {"dravondat", 10, "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\n"},
      {"dravonswitch", 9, "Instrument = DravonSwitch\nSerial = 4004009\nRangeMax = 500\n"},
  };
  int failures = 0;
  for (const auto& shot : shots) {
    if (!StartShotBench(dir, shot.bench))
      ++failures;
    TMainForm form(WriteShotSetFile(dir, RecordsFor(0)));
    form.show();
    if (form.Session().Read() != TOutcome::Done || !form.PrintAllowed())
      ++failures;

    TSettingsReport report;
    if (!report.SelectReport(ReportNameFor(shot.type)))
      ++failures;
    report.SetParams(form.ReportParams(QDateTime::currentDateTime()));
    report.SetTitle(QStringLiteral("%1 - Instrument configuration").arg(shot.name));
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("report.pdf"));
    const QString png = QDir(folder).filePath(QStringLiteral("report-%1.png").arg(shot.name));
    if (!report.WritePdf(pdf, QPageSize::A4)) {
      ++failures;
    } else {
      const QString error = PdfToPng(pdf, png, 90);
      if (!error.isEmpty()) {
        std::printf("%s\n", qPrintable(error));
        ++failures;
      }
    }
    std::printf("%s\n", qPrintable(png));

    if (shot.type == 10) {
      // The preview as File > Print preview... opens it.
      const QString path = QDir(folder).filePath(QStringLiteral("report-preview.png"));
      bool saved = false;
      QTimer::singleShot(400, &form, [&] {
        if (QWidget* preview = QApplication::activeModalWidget()) {
          saved = preview->grab().save(path);
          if (auto* d = qobject_cast<QDialog*>(preview))
            d->reject();
        }
      });
      form.ActPrintPreview->trigger();
      if (!saved)
        ++failures;
      std::printf("%s\n", qPrintable(path));
    }
  }
  return failures;
}

} // namespace dtool::test
