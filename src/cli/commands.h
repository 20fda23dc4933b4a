#pragma once
// dtool's commands over one instrument session.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace dtool::cli {

// What the program gets from its surroundings.
struct TCliEnvironment {
  std::vector<std::string> Args;        // after the program name
  std::optional<std::string> CodeValue; // the protection-code variable, if set
  bool Interactive = false;             // standard input is a terminal: a code may be asked
  std::string SetFile;                  // the settings file beside the program
};

// Runs the command line; regular output goes to out, messages to the error stream. Returns
// the exit status.
int RunCli(const TCliEnvironment& env, std::ostream& out);

} // namespace dtool::cli
