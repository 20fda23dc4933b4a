#pragma once
// An instrument session on a bench of the test's own, without any window: the bench file is
// written and loaded before the session loads the real link libraries, with the bench's manual
// clock and a trace of every library call. The view records the news it gets and answers the
// code prompts from a script; the operator port records every message and answers from its
// script.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/dispatcher.h"
#include "session/session.h"
#include "support/benchcontrol.h"
#include "support/benchtrace.h"
#include "support/scriptedport.h"

namespace dtool {
// Outcomes in failure reports.
inline void PrintTo(TOutcome outcome, std::ostream* os) {
  *os << OutcomeText(outcome);
}
} // namespace dtool

namespace dtool::test {

void PrintTo(const ScriptedPort::Message& m, std::ostream* os);

using Msg = ScriptedPort::Message;
using Msgs = std::vector<Msg>;

// The view of a session under test.
class TFakeView : public ISessionView {
public:
  void ConfigurationChanged() override { Note("ConfigurationChanged"); }
  void IdentityChanged() override { Note("IdentityChanged"); }
  void CommandsChanged() override { Note("CommandsChanged"); }
  void HelpContextChanged() override { Note("HelpContextChanged"); }
  void VelocityModeSwitched(bool on) override { Note(on ? "VelocityOn" : "VelocityOff"); }
  void LiveReadingDue() override { Note("LiveReadingDue"); }
  void InstrumentBusy() override { Note("InstrumentBusy"); }
  void SwitchConfigRead() override { Note("SwitchConfigRead"); }
  void ZeroCalWaiting(int elapsedMs, int limitMs) override {
    Note("ZeroCalWaiting " + std::to_string(elapsedMs) + "/" + std::to_string(limitMs));
  }
  void ZeroCalWaitEnded() override { Note("ZeroCalWaitEnded"); }
  // Answers from codes: a code confirms, nullopt cancels; a prompt nobody expected fails the
  // test and is cancelled.
  bool AskProtCode(std::int32_t& code, const std::string& caption,
                   const std::string& label) override;
  bool ShowPreferencesForPort() override {
    Note("ShowPreferencesForPort");
    return false;
  }
  void ReportNewerInstrument() override { Note("ReportNewerInstrument"); }
  void EndApplication() override { Note("EndApplication"); }
  bool OperatorAtView() override { return atView; }
  std::string Caption() override { return "DravonTool - Win V4.11"; }

  int Count(const std::string& call) const;
  void Note(const std::string& call) { calls.push_back(call); }

  std::vector<std::string> calls;
  std::deque<std::optional<std::int32_t>> codes;
  std::vector<std::string> prompts; // "caption / label"
  bool atView = false;
};

class SessionTest : public ::testing::Test {
protected:
  SessionTest();
  ~SessionTest() override;

  // Sets the bench up afresh with the sections given, from the factory state, and makes a
  // session on it as the main window's start does: the preferences of a first run on the COM
  // port given, the records at their defaults, the type given with an identity read before,
  // the port opened. The messages and the trace start afresh after it. A problem with the bench
  // file fails the test.
  void Start(const std::string& sections, std::uint8_t type, std::int32_t comPort = 1);
  // Starts with one instrument on COM1 (serial 1234567, range 200 Pa; the switch 500 Pa) and
  // reads it; the messages and the trace start afresh after the read.
  void ReadOn(int type, const std::string& extra = "");
  // The sections of the instrument of ReadOn.
  static std::string Instrument(int type, const std::string& extra = "");

  TSession& S() { return *session_; }
  TSettings& Sett() { return session_->Settings(); }

  // The calls since the bench was set up or since the last ClearTrace.
  std::vector<TBenchCall> Trace() const;
  void ClearTrace();
  // The analog commands sent, as OOCC texts ("A107"), in order; those that change the
  // instrument (B..., without the code query B10B).
  std::vector<std::string> AnalogCommands() const;
  std::vector<std::string> Writes() const;
  std::vector<TBenchCall> CallsOf(const std::string& function) const;
  // The calls of one function as "port request" lines ("COM1 OO=B1 CC=0B BBAA=0000").
  std::vector<std::string> Requests(const std::string& function) const;
  // Sends one analog command directly, past the session; returns the answer.
  TransRec Ask(std::uint16_t oocc, std::uint16_t bbaa = 0);
  std::string ReadTextFile(const std::string& path) const;
  // The bench time the zero calibration's clock has reached, ms.
  std::uint32_t ClockNow() const { return now_; }

  std::filesystem::path folder_;
  ScriptedPort port;
  ThrowingTerminator terminator;
  TQueueDispatcher dispatcher;
  TFakeView view;
  // Given to the next session that Start makes.
  TRecordChecks checks;

private:
  std::unique_ptr<TSession> session_;
  std::filesystem::path tracePath_;
  std::size_t traceSkip_ = 0;
  std::uint32_t now_ = 1000;
};

} // namespace dtool::test
