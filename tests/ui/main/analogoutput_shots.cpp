// Pictures of the analog output calibration wizard, calibrating with its result calculated,
// and of the output test, both opened from the main window on a bench transmitter.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <fstream>

#include "mainform_fixture.h"
#include "support/benchcontrol.h"
#include "ui/controls/editreal.h"
#include "ui/dialogs/analcal.h"
#include "ui/dialogs/outtest.h"

namespace dtool::test {

namespace {

void Retype(TEditReal* edit, const QString& text) {
  edit->InputEdit()->selectAll();
  QTest::keyClicks(edit->InputEdit(), text);
}

// Runs the step on the modal dialog opened next, then cancels it.
void OnNextModal(std::function<void(QDialog&)> step) {
  QTimer::singleShot(0, [step = std::move(step)] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      step(*d);
      d->reject();
    }
  });
}

bool Save(QDialog& d, const QString& path) {
  const bool exposed = QTest::qWaitForWindowExposed(&d);
  QTest::qWait(50);
  std::printf("%s\n", qPrintable(path));
  return exposed && d.grab().save(path);
}

} // namespace

int TakeAnalogOutputShots(const QString& folder, const QTemporaryDir& dir) {
  TBenchControl& bench = TBenchControl::Get();
  const std::string benchFile =
      QDir(dir.path()).filePath(QStringLiteral("DBench.ini")).toStdString();
  std::ofstream(benchFile) << "[Bench]\nDescription = pictures\n[COM1]\n"
                           << "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\n"
                           << "OutputGain = 0.97\nOutputOffset = 0.4\n";
  int failures = bench.Load(benchFile, dir.path().toStdString()) == 0 ? 0 : 1;
  bench.SetManualClock(true);
  const std::string file = QDir(dir.path()).filePath(QStringLiteral("DToolPc.SET")).toStdString();
  const TSetFileImage image = BuildSetFileImage(RecordsFor(10));
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
  TMainForm form(file);
  form.show();
  if (form.Session().Read() != TOutcome::Done)
    ++failures;
  Retype(form.AnFromEd, QStringLiteral("0"));
  Retype(form.AnToEd, QStringLiteral("100"));

  OnNextModal([&](QDialog& dialog) {
    auto& d = static_cast<TAnalCalForm&>(dialog);
    d.StartCalBtn->click();
    Retype(d.UntReadEd, QStringLiteral("21.15"));
    Retype(d.ObReadEd, QStringLiteral("79.35"));
    d.CalculateBtn->click();
    if (!Save(d, QDir(folder).filePath(QStringLiteral("analog-calibration-wizard.png"))))
      ++failures;
  });
  form.AnOffsetEd->DotsButton()->click();

  OnNextModal([&](QDialog& d) {
    auto* value = d.findChild<TEditReal*>(QStringLiteral("OutvalEd"));
    Retype(value, QStringLiteral("25"));
    QTest::keyClick(value->InputEdit(), Qt::Key_Return);
    if (!Save(d, QDir(folder).filePath(QStringLiteral("analog-output-test.png"))))
      ++failures;
  });
  form.ActTestAnalOutput->trigger();
  return failures;
}

} // namespace dtool::test
