// Pictures of the live trial wizards in use: each over the main window, after a value has been
// tried on a bench instrument, with the live reading it gives.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <fstream>
#include <functional>

#include "mainform_fixture.h"
#include "support/benchcontrol.h"
#include "ui/controls/editreal.h"

namespace dtool::test {

namespace {

struct TWizardShot {
  const char* name;
  const char* bench; // the instrument on COM1
  int type;
  bool velocityMode;
  const char* page;
  const char* edit; // whose button opens the wizard
  std::function<void(QDialog&)> use;
};

// Types a value into the wizard's edit and confirms it.
std::function<void(QDialog&)> Try(const char* edit, const char* text) {
  return [edit, text](QDialog& d) {
    auto* ed = d.findChild<TEditReal*>(QLatin1String(edit));
    if (!ed)
      return;
    ed->InputEdit()->selectAll();
    QTest::keyClicks(ed->InputEdit(), QString::fromLatin1(text));
    QTest::keyClick(ed->InputEdit(), Qt::Key_Return);
    ed->InputEdit()->selectAll();
  };
}

const TWizardShot WizardShots[] = {
    {"hose-length",
     "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\nPressure = 100\n"
     "HoseLength = 2",
     10, false, "EnvirPg", "HoseLenEd", Try("ParEd", "2")},
    {"velocity-c",
     "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\n"
     "ReferenceVelocity = 10\nNozzleC = 0.8",
     10, true, "MeasPg", "VelocityCEd", Try("ParEd", "0.8")},
    {"gain",
     "Instrument = Dravon-STV\nSerial = 2002002\nRangeMax = 100\nPressure = 50\n"
     "GainError = 1.25",
     2, false, "MeasPgStatic", "EdrGainSensStatic", Try("GainSensEd", "0.8")},
    {"gain-switch",
     "Instrument = DravonSwitch\nSerial = 4004009\nRangeMax = 500\nPressure = 120\n"
     "GainError = 0.96",
     9, false, "EnvirPg", "GainSensEd", Try("GainSensEd", "1.0417")},
    {"contrast", "Instrument = DravonVision\nSerial = 1101011\nRangeMax = 250\nPressure = 42", 11,
     false, "DispPg", "ContrastEd",
     [](QDialog& d) {
       if (auto* slider = d.findChild<QSlider*>(QStringLiteral("DispTB")))
         slider->setValue(11);
     }},
};

// The main window with the wizard drawn over it where it stands, under a plain caption bar.
QPixmap Compose(QWidget& window, QDialog& dialog) {
  QPixmap shot = window.grab();
  const QPixmap wizard = dialog.grab();
  constexpr int Caption = 22;
  QPoint at = dialog.geometry().topLeft() - window.geometry().topLeft();
  at.setY(std::max(at.y(), Caption));
  QPainter p(&shot);
  const QRect frame(at.x() - 1, at.y() - Caption, wizard.width() + 2,
                    wizard.height() + Caption + 1);
  p.fillRect(frame, QColor(0x24, 0x54, 0x8c));
  p.setPen(Qt::white);
  QFont font = p.font();
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRect(at.x() + 6, at.y() - Caption, wizard.width() - 12, Caption),
             Qt::AlignVCenter | Qt::AlignLeft, dialog.windowTitle());
  p.drawText(QRect(at.x() + 6, at.y() - Caption, wizard.width() - 12, Caption),
             Qt::AlignVCenter | Qt::AlignRight,
             dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint) ? QStringLiteral("?  \u00d7")
                                                                      : QStringLiteral("?"));
  p.drawPixmap(at, wizard);
  return shot;
}

} // namespace

int TakeWizardShots(const QString& folder, const QTemporaryDir& dir) {
  int failures = 0;
  TBenchControl& bench = TBenchControl::Get();
  const std::string benchFile =
      QDir(dir.path()).filePath(QStringLiteral("DBench.ini")).toStdString();
  for (const TWizardShot& shot : WizardShots) {
    std::ofstream(benchFile) << "[Bench]\nDescription = pictures\n[COM1]\n" << shot.bench << "\n";
    std::remove(QDir(dir.path()).filePath(QStringLiteral("DBenchState.ini")).toLocal8Bit());
    if (bench.Load(benchFile, dir.path().toStdString()) != 0)
      ++failures;
    bench.SetManualClock(true);
    const std::string file = QDir(dir.path()).filePath(QStringLiteral("DToolPc.SET")).toStdString();
    const TSetFileImage image = BuildSetFileImage(RecordsFor(shot.type));
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    TMainForm form(file);
    form.show();
    if (form.Session().Read() != TOutcome::Done)
      ++failures;
    if (shot.velocityMode)
      form.VelocityChB->setChecked(true);
    bench.Advance(5000);
    form.TimReadNoDataSuppr->stop();
    form.PageControl->setCurrentWidget(form.findChild<QWidget*>(QString::fromLatin1(shot.page)));
    if (!QTest::qWaitForWindowExposed(&form))
      ++failures;
    auto* edit = form.findChild<TEditReal*>(QString::fromLatin1(shot.edit));
    if (!edit) {
      ++failures;
      continue;
    }
    const QString path = QDir(folder).filePath(QStringLiteral("wizard-%1.png").arg(shot.name));
    bool taken = false;
    QTimer::singleShot(100, &form, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog)
        return;
      bench.Advance(2000);
      shot.use(*dialog);
      form.ShowLiveReading();
      QTest::qWait(50);
      taken = Compose(form, *dialog).save(path);
      dialog->reject();
    });
    edit->DotsButton()->click();
    if (!taken)
      ++failures;
    std::printf("%s\n", qPrintable(path));
  }
  return failures;
}

} // namespace dtool::test
