#include "tools/options.h"

#include <algorithm>
#include <cctype>

namespace dtool {
namespace {

std::vector<std::string>& Args() {
  static std::vector<std::string> args;
  return args;
}

std::string Folded(const std::string& s, bool ignoreCase) {
  if (!ignoreCase)
    return s;
  std::string out = s;
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

} // namespace

void SetCommandLine(std::vector<std::string> args) {
  Args() = std::move(args);
}
const std::vector<std::string>& CommandLine() {
  return Args();
}

std::string GetOptionValue(const std::string& option, bool ignoreCase) {
  const std::string opt = Folded(option, ignoreCase);
  std::string value;
  for (const std::string& arg : Args()) {
    if (Folded(arg, ignoreCase).rfind(opt, 0) != 0)
      continue;
    std::string rest = arg.substr(option.size());
    rest.erase(0, rest.find_first_not_of(' '));
    value = rest;
  }
  return value;
}

bool HasOption(const std::string& option, bool ignoreCase) {
  const std::string opt = Folded(option, ignoreCase);
  return std::any_of(Args().begin(), Args().end(), [&](const std::string& arg) {
    return Folded(arg, ignoreCase).find(opt) != std::string::npos;
  });
}

} // namespace dtool
