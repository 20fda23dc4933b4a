#pragma once
// A main window on an instrument bench of the test's own: the bench file is written and loaded
// before the window opens its link, with the bench's manual clock and a trace of every library
// call; the link callbacks wait in a queue until the test runs them.
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "link/dispatcher.h"
#include "mainform_fixture.h"
#include "support/benchcontrol.h"
#include "support/benchtrace.h"

namespace dtool::test {

class BenchFormTest : public MainFormTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // Sets the bench up afresh with the sections given, from the factory state, with the manual
  // clock; a problem with the file fails the test.
  void StartBench(const std::string& sections);
  // Sets the same bench up again with the instruments' stored state, as a new run of the
  // program finds it.
  void ReloadBench();
  // The calls since the bench was set up or since the last ClearTrace.
  std::vector<TBenchCall> Trace() const;
  void ClearTrace();
  // The analog commands sent, as OOCC texts ("A107"), in order.
  std::vector<std::string> AnalogCommands() const;
  // The calls of one function of a library.
  std::vector<TBenchCall> CallsOf(const std::string& function) const;
  // The bench's notes on the instruments since the bench was set up.
  std::vector<TBenchNote> Notes() const { return ReadBenchNotes(tracePath_); }
  // Sends one analog command directly, past the window; returns the answer.
  TransRec Ask(std::uint16_t oocc, std::uint16_t bbaa = 0);
  // Runs the link callbacks that have arrived.
  void RunCallbacks() { dispatcher.RunPending(); }
  std::string LogFile() const;
  // The bench's trace file, with its notes.
  const std::string& TracePath() const { return tracePath_; }
  std::string ReadTextFile(const std::string& path) const;

  TQueueDispatcher dispatcher;

private:
  std::string benchFile_;
  std::string tracePath_;
  std::size_t traceSkip_ = 0;
};

} // namespace dtool::test
