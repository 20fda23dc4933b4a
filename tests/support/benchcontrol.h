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
