#pragma once
// Command-line option lookups ("/pr", "/id", "/K58").
#include <string>
#include <vector>

namespace dtool {

// The arguments after the program name. The program sets them at start.
void SetCommandLine(std::vector<std::string> args);
const std::vector<std::string>& CommandLine();

// The rest of the last argument that starts with the option, leading blanks removed;
// empty when none does.
std::string GetOptionValue(const std::string& option, bool ignoreCase);

// True when any argument contains the option anywhere.
bool HasOption(const std::string& option, bool ignoreCase);

} // namespace dtool
