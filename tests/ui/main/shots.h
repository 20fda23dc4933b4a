#pragma once
// The pictures of the windows (--shots): each file takes its own, on the bench.
#include <QString>
#include <QTemporaryDir>

#include <string>

#include "ui/main/setfile.h"

namespace dtool::test {

// Connects one instrument (its bench file lines) on COM1 of a bench kept in dir, on the manual
// clock; false when the bench refuses the file.
bool StartShotBench(const QTemporaryDir& dir, const std::string& instrument);
// Writes the settings file DToolPc.SET with the records given into dir; its path.
std::string WriteShotSetFile(const QTemporaryDir& dir, const TSetFileRecords& records);

int TakeAtmPressShots(const QString& folder, const QTemporaryDir& dir);
int TakeAnalogOutputShots(const QString& folder, const QTemporaryDir& dir);
int TakeWizardShots(const QString& folder, const QTemporaryDir& dir);
int TakeReportShots(const QString& folder, const QTemporaryDir& dir);
int TakeCompareShots(const QString& folder, const QTemporaryDir& dir);

} // namespace dtool::test
