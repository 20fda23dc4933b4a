// Pictures of the comparison with the instrument: the table after File > Compare with
// instrument..., and the same table before Write data with the option on, both of a DravonDat
// whose edited hose length and output range differ from the instrument's, in mbar.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <fstream>

#include "mainform_fixture.h"
#include "shots.h"
#include "support/benchcontrol.h"
#include "ui/controls/editreal.h"

namespace dtool::test {

namespace {

// Grabs the modal window that the command opens, then closes it.
bool GrabNextModal(QWidget& owner, const QString& path, const std::function<void()>& command) {
  bool saved = false;
  QTimer::singleShot(300, &owner, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      saved = d->grab().save(path);
      d->reject();
    }
  });
  command();
  std::printf("%s\n", qPrintable(path));
  return saved;
}

void Enter(TEditReal* ed, const QString& text) {
  ed->InputEdit()->selectAll();
  ed->InputEdit()->insert(text);
}

} // namespace

int TakeCompareShots(const QString& folder, const QTemporaryDir& dir) {
  int failures = 0;
  if (!StartShotBench(dir, "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\n"))
    ++failures;
  TSetFileRecords records = RecordsFor(0);
  records.Prefs.PressUnit = unit::mbar;
  TMainForm form(WriteShotSetFile(dir, records));
  form.show();
  if (form.Session().Read() != TOutcome::Done)
    ++failures;
  Enter(form.HoseLenEd, QStringLiteral("2.5"));
  Enter(form.AnToEd, QStringLiteral("1.5"));
  Enter(form.AnFromEd, QStringLiteral("-0.5"));
  if (!GrabNextModal(form, QDir(folder).filePath(QStringLiteral("compare-with-instrument.png")),
                     [&] { form.ActCompare->trigger(); }))
    ++failures;
  form.ActShowChanges->setChecked(true);
  if (!GrabNextModal(form, QDir(folder).filePath(QStringLiteral("compare-before-write.png")),
                     [&] { form.WriteBtn->click(); }))
    ++failures;
  form.ActShowChanges->setChecked(false);
  return failures;
}

} // namespace dtool::test
