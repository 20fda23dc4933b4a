#pragma once
// A fixture that sets the instrument bench up afresh for each test, loads the real link
// libraries beside the test program into a TInstLink, records every operator message and
// every owner call, and reads the bench's trace of library calls.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "link/dispatcher.h"
#include "link/instlink.h"
#include "link/linkowner.h"
#include "support/benchcontrol.h"
#include "support/benchtrace.h"
#include "support/scriptedport.h"

namespace dtool::test {

// The owner of the link (the session) as the link layer sees it: every call is recorded; the
// answers are set.
class TFakeOwner : public ILinkOwner {
public:
  TPreferences& Prefs() override { return prefs; }
  void WriteSetToField_() override { calls.push_back("WriteSetToField_"); }
  bool ShowPreferencesForPort() override {
    calls.push_back("ShowPreferencesForPort");
    return preferencesOk;
  }
  void TerminateApplication() override { calls.push_back("TerminateApplication"); }
  void ReportNewerInstrument() override { calls.push_back("ReportNewerInstrument"); }
  bool CheckProtCode(const std::string& wrongCodeText) override {
    calls.push_back("CheckProtCode:" + wrongCodeText);
    return protCodeOk;
  }
  std::string BuildCaption() override { return "DravonTool - Win V4.11"; }
  void ShowLiveReading() override { calls.push_back("ShowLiveReading"); }

  TPreferences prefs{};
  std::vector<std::string> calls;
  bool preferencesOk = false;
  bool protCodeOk = true;
};

// One library call as the bench traced it.
using TTraceLine = TBenchCall;

class BenchTest : public ::testing::Test {
protected:
  BenchTest();
  ~BenchTest() override;

  // Sets the bench up from the bench file text with a manual clock, makes port the
  // preferred port, sets the current instrument type and loads the libraries. A problem in
  // the bench file fails the test.
  void StartBench(const std::string& benchText, std::int32_t port, std::uint8_t type);
  // The library calls since the bench was set up or since the last ClearTrace.
  std::vector<TTraceLine> Trace() const;
  void ClearTrace();
  // The traced calls of one library function, as "port request" lines.
  std::vector<std::string> Calls(const std::string& library, const std::string& function) const;
  // Advances the bench clock.
  void AdvanceBench(std::int32_t ms);
  // Raises an instrument error on a port of the bench.
  void RaiseBenchError(std::int32_t port, std::int32_t errNr);
  // Test signal and mode of an instrument's analog output.
  void BenchOutput(std::int32_t port, double& signal, std::int32_t& mode);
  // Sends one command directly and returns the answer (a failed exchange fails the test).
  TransRec Ask(std::uint16_t oocc, std::uint16_t bbaa = 0);

  std::filesystem::path folder_;
  TFakeOwner owner_;
  TSettings sett_{&owner_};
  ScriptedPort port_;
  ThrowingTerminator terminator_;
  TQueueDispatcher dispatcher_;
  std::unique_ptr<TInstLink> link_;

private:
  std::filesystem::path tracePath_;
  std::size_t traceSkip_ = 0;
};

} // namespace dtool::test
