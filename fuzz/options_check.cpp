// The command-line option lookups: the value is the rest of the last argument that starts with
// the option, blanks removed in front; an option is there when an argument contains it.
#include "fuzz/fuzzcheck.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tools/options.h"

namespace dtool::fuzz {
namespace {

std::string Folded(std::string s, bool ignoreCase) {
  if (ignoreCase)
    for (char& c : s)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

} // namespace

// The bytes: a first byte whose lowest bit chooses the case rule, then the option and the
// arguments, separated by zero bytes.
void CheckOptions(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return;
  const bool ignoreCase = (data[0] & 1) != 0;
  std::vector<std::string> parts(1);
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0)
      parts.emplace_back();
    else
      parts.back() += static_cast<char>(data[i]);
  }
  const std::string option = parts.front();
  const std::vector<std::string> args(parts.begin() + 1, parts.end());
  SetCommandLine(args);

  std::string expected;
  bool present = false;
  for (const std::string& arg : args) {
    const std::string folded = Folded(arg, ignoreCase), opt = Folded(option, ignoreCase);
    if (folded.compare(0, opt.size(), opt) == 0 && arg.size() >= opt.size()) {
      expected = arg.substr(option.size());
      expected.erase(0, expected.find_first_not_of(' '));
    }
    present = present || folded.find(opt) != std::string::npos;
  }
  const std::string value = GetOptionValue(option, ignoreCase);
  const bool has = HasOption(option, ignoreCase);
  SetCommandLine({});
  FUZZ_REQUIRE(value == expected, "GetOptionValue gave \"" + value + "\"");
  FUZZ_REQUIRE(has == present, "HasOption");
  FUZZ_REQUIRE(value.empty() || value.front() != ' ', "a blank in front of the value");
}

} // namespace dtool::fuzz
