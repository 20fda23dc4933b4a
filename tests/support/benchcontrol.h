#pragma once
// The instrument bench's control functions, from DBench beside the test or benchmark program,
// for setting a bench up, driving its clock and faults, and tracing its library calls.
#include <cstdint>
#include <memory>
#include <string>

namespace dtool::test {

// Loaded once per process. A control call that the bench refuses throws std::runtime_error,
// which fails the test that made it.
class TBenchControl {
public:
  static TBenchControl& Get();
  // Sets the bench up from the file (empty: the built-in bench) and the state folder; the
  // number of problems with the file.
  std::int32_t Load(const std::string& file, const std::string& stateFolder);
  std::string Messages();
  void SetManualClock(bool manual);
  void Advance(std::int32_t ms);
  void SetPressure(std::int32_t port, double pa);
  void RaiseError(std::int32_t port, std::int32_t errNr);
  // Test signal and mode of an instrument's analog output.
  void GetOutput(std::int32_t port, double& signal, std::int32_t& mode);
  // What an instrument's display shows, and its contrast.
  void GetDisplay(std::int32_t port, std::string& text, std::int32_t& contrast);
  // Replaces the faults of the line and the readings on the port by the bench file keys in
  // text, while the port stays open; empty text clears them.
  void SetFault(std::int32_t port, const std::string& text);
  // Plugs the instrument that the bench file keys in text describe into the port ("Instrument
  // = none": nothing); empty text plugs the bench file's instrument in again.
  void Plug(std::int32_t port, const std::string& text);
  // Appends every library call to the file; an empty path ends the trace.
  void SetTrace(const std::string& path);
  std::int32_t ExchangeCount();

private:
  TBenchControl();
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

// A bench file section for a COM port.
std::string Com(int port, const std::string& body);

} // namespace dtool::test
