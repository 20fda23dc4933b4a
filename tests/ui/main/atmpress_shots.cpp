// Pictures of the absolute pressure wizard after Calculate and of its help topic at an anchor,
// in both languages.
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <fstream>

#include "mainform_fixture.h"
#include "ui/controls/editreal.h"
#include "ui/dialogs/atmpress.h"
#include "ui/help/helpform.h"
#include "ui/help/helpsystem.h"

namespace dtool::test {

int TakeAtmPressShots(const QString& folder, const QTemporaryDir& dir) {
  int failures = 0;
  auto save = [&](QWidget* widget, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    if (!widget || !widget->grab().save(path))
      ++failures;
    std::printf("%s\n", qPrintable(path));
  };
  for (int language : {0, 1}) {
    TSetFileRecords r = RecordsFor(10);
    r.Prefs.AtmUnit = unit::mbar;
    r.Prefs.Altitude = 500;
    r.Prefs.Temperature = 15;
    r.Prefs.HelpLanguage = static_cast<std::uint8_t>(language);
    const std::string file = QDir(dir.path()).filePath(QStringLiteral("DToolPc.SET")).toStdString();
    const TSetFileImage image = BuildSetFileImage(r);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    TMainForm form(file);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
      ++failures;

    if (language == 0) {
      TAtmPressForm wizard(form);
      QTimer::singleShot(50, &wizard, [&] {
        if (auto* calculate = wizard.findChild<QPushButton*>(QStringLiteral("CalculateBtn")))
          calculate->click();
        else
          ++failures;
        QTest::qWait(50);
        save(&wizard, QStringLiteral("atmpress-wizard.png"));
        wizard.reject();
      });
      wizard.Execute();
    }

    ShowHelpTopicInWindow(QLatin1String(SubHelpWindow), 7020);
    THelpForm* help = FindHelpWindow(QLatin1String(SubHelpWindow));
    if (!help || !QTest::qWaitForWindowExposed(help))
      ++failures;
    QTest::qWait(50);
    save(help, QStringLiteral("help-atmpress-temperature-%1.png")
                   .arg(language == 0 ? QStringLiteral("en") : QStringLiteral("de")));
    CloseHelpWindows();
  }
  return failures;
}

} // namespace dtool::test
