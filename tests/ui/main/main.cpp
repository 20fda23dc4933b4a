// Main window tests on the offscreen platform. With "--shots <folder>" the binary instead
// saves pictures of the main window for every instrument type into the folder.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include "mainform_fixture.h"

namespace dtool::test {
int TakeShots(const QString& folder);
}

int main(int argc, char* argv[]) {
  // The bench of the test run lives in a folder of its own.
  QTemporaryDir bench;
  dtool::test::UseTestBench(bench.path());
  QApplication app(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--shots") == 0)
    return dtool::test::TakeShots(QString::fromLocal8Bit(argv[2]));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
