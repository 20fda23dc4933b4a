#include "tools/options.h"

#include <gtest/gtest.h>

namespace dtool {
namespace {

struct OptionCase {
  std::vector<std::string> args;
  const char* option;
  bool ignoreCase;
  const char* value;
};

TEST(GetOptionValue, LastMatchWinsAndBlanksAreRemoved) {
  const OptionCase cases[] = {
      {{"/PR  /tmp/log.txt", "/prX"}, "/pr", true, "X"},
      {{"/PR  /tmp/log.txt"}, "/pr", true, "/tmp/log.txt"},
      {{"/PR  /tmp/log.txt"}, "/pr", false, ""},
      {{"/id7"}, "/pr", true, ""},
      {{"/id7"}, "/id", true, "7"},
      {{"/pr   "}, "/pr", true, ""},
      {{}, "/pr", true, ""},
  };
  for (const OptionCase& c : cases) {
    SetCommandLine(c.args);
    EXPECT_EQ(GetOptionValue(c.option, c.ignoreCase), c.value) << c.option;
  }
  SetCommandLine({});
}

TEST(HasOption, FindsTheOptionAnywhereInAnArgument) {
  const std::pair<std::vector<std::string>, bool> cases[] = {
      {{"/k58", "/pr"}, true},
      {{"/pr", "/k58"}, true},
      {{"-x/K58y"}, true},
      {{"/K5", "8"}, false},
      {{}, false},
  };
  for (const auto& [args, expected] : cases) {
    SetCommandLine(args);
    EXPECT_EQ(HasOption("/K58", true), expected);
  }
  SetCommandLine({"/k58"});
  EXPECT_FALSE(HasOption("/K58", false));
  SetCommandLine({});
}

} // namespace
} // namespace dtool
