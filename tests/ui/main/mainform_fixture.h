#pragma once
// A main window on the instrument bench, started from a settings file written by the test.
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "core/settings.h"
#include "support/scriptedport.h"
#include "ui/main/mainform.h"

namespace dtool::test {

// Points the bench at a bench file and a state folder of the test run; called once by main()
// before any link library is loaded, so no test touches an operator's bench.
void UseTestBench(const QString& folder);

// The records of a settings file for an instrument type: every default, the type with its
// identity read (serial number, range), the velocity capability as given.
TSetFileRecords RecordsFor(int type, std::int32_t capLevel = 2);

// The names of the pages in the page control: those the type shows.
std::set<QString> ShownPages(const TMainForm& form);

class MainFormTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the settings file and starts a main window with it.
  TMainForm& Open(const TSetFileRecords& records);
  TMainForm& Open(int type, std::int32_t capLevel = 2) { return Open(RecordsFor(type, capLevel)); }
  std::string SetFile() const;

  QTemporaryDir dir;
  // The session of the windows that Open starts is made with it (a test's link loader).
  TSessionSetup sessionSetup;
  ScriptedPort port;
  ThrowingTerminator terminator;
  std::unique_ptr<TMainForm> form;
};

} // namespace dtool::test
