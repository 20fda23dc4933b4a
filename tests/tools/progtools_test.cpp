#include "tools/progtools.h"

#include <gtest/gtest.h>

#include "support/scriptedport.h"

namespace dtool {
namespace {

TEST(ProgName, CutsBeforeTheFirstExeInAnyCase) {
  struct Case {
    const char* path;
    const char* name;
  } cases[] = {
      {"C:\\Tools\\DToolPc.exe", "DToolPc"},
      {"/opt/x/DToolPc.Exe.bak", "DToolPc"},
      {"/opt/x/tool", "tool"},
      {"DToolPc", "DToolPc"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgNameOf(c.path), c.name) << c.path;
}

TEST(ProgPfad, EndsWithTheSeparator) {
  SetProgramFile(std::string("/opt/dtool") + PathSep + "DToolPc");
  EXPECT_EQ(GetProgPfad(), std::string("/opt/dtool") + PathSep);
  EXPECT_EQ(GetProgName(), "DToolPc");
  SetProgramFile("");
  // The real program file of the test run is found, in a folder.
  EXPECT_EQ(GetProgPfad().back(), PathSep);
  EXPECT_EQ(GetProgName(), "tools_tests");
}

TEST(ProgPfad, PathWithoutFolderIsFatal) {
  test::ScriptedPort port;
  test::ThrowingTerminator terminator;
  SetProgramFile("DToolPc");
  EXPECT_THROW(
      {
        try {
          GetProgPfad();
        } catch (const FatalError& e) {
          EXPECT_STREQ(e.what(), "Function GetProgPfad: Length! ");
          throw;
        }
      },
      FatalError);
  SetProgramFile("");
}

} // namespace
} // namespace dtool
