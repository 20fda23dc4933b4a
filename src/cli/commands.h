#pragma once
// dtool's commands over one instrument session.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace dtool::cli {

// What the settings report needs: the instrument's port, the settings file and transfer log
// beside the program, and the PDF to write.
struct TReportRequest {
  std::int32_t Port = 1;
  std::string SetFile;
  std::string LogFile;
  std::string Output;
};
// Reads the instrument and writes its report; returns the exit status. Messages go through
// the operator port.
using TReportMaker = std::function<int(const TReportRequest&)>;

// What the program gets from its surroundings.
struct TCliEnvironment {
  std::vector<std::string> Args;        // after the program name
  std::optional<std::string> CodeValue; // the protection-code variable, if set
  bool Interactive = false;             // standard input is a terminal: a code may be asked
  std::string SetFile;                  // the settings file beside the program
  TReportMaker MakeReport;              // empty: this dtool has no settings report
};

// Runs the command line; regular output goes to out, messages to the error stream. Returns
// the exit status.
int RunCli(const TCliEnvironment& env, std::ostream& out);

} // namespace dtool::cli
