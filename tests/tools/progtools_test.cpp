#include "tools/progtools.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "core/settings.h"
#include "support/scriptedport.h"

#ifndef _WIN32
#include <unistd.h>
#endif

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

// Sets an environment variable for the life of the object, and restores it after.
class TEnvVar {
public:
  TEnvVar(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name))
      old_ = old;
    Set(value);
  }
  ~TEnvVar() { Set(old_); }
  TEnvVar(const TEnvVar&) = delete;
  TEnvVar& operator=(const TEnvVar&) = delete;

private:
  void Set(const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv_s(name_, value ? value->c_str() : "");
#else
    if (value)
      setenv(name_, value->c_str(), 1);
    else
      unsetenv(name_);
#endif
  }
  const char* name_;
  std::optional<std::string> old_;
};

// The variable that names the user's configuration folder on this platform.
#ifdef _WIN32
constexpr const char* ConfigVar = "APPDATA";
#else
constexpr const char* ConfigVar = "XDG_CONFIG_HOME";
#endif

std::string WithSep(const std::filesystem::path& p) {
  return p.string() + PathSep;
}

class DataFolder : public ::testing::Test {
protected:
  void SetUp() override {
    root_ =
        std::filesystem::temp_directory_path() /
        ("dtool_datafolder_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "prog");
    config_.emplace(ConfigVar, (root_ / "config").string());
  }
  void TearDown() override {
    config_.reset();
    SetProgramFile("");
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  std::filesystem::path root_;
  std::optional<TEnvVar> config_;
};

TEST_F(DataFolder, WritableProgramFolderKeepsTheFilesBesideTheProgram) {
  SetProgramFile((root_ / "prog" / "DToolPc").string());
  EXPECT_EQ(GetDataPfad(), WithSep(root_ / "prog"));
  EXPECT_EQ(SettingsFileName(), (root_ / "prog" / "DToolPc.SET").string());
  // Nothing is created in the user's folder, and no probe file stays behind.
  EXPECT_FALSE(std::filesystem::exists(root_ / "config"));
  EXPECT_TRUE(std::filesystem::is_empty(root_ / "prog"));
}

TEST_F(DataFolder, ProgramFolderThatCannotBeWrittenFallsBackToTheUsersFolder) {
  // A folder that does not exist stands for one the program cannot write: the tests may run
  // with rights that write anywhere.
  SetProgramFile((root_ / "missing" / "DToolPc").string());
  const std::string user = WithSep(root_ / "config" / "DToolPc");
  EXPECT_EQ(UserConfigFolder(), user);
  EXPECT_EQ(GetDataPfad(), user);
  EXPECT_TRUE(std::filesystem::is_directory(root_ / "config" / "DToolPc"));
  EXPECT_EQ(SettingsFileName(), user + "DToolPc.SET");
  // The settings file can be written there.
  std::ofstream(SettingsFileName()) << "x";
  EXPECT_TRUE(std::filesystem::exists(root_ / "config" / "DToolPc" / "DToolPc.SET"));
}

TEST_F(DataFolder, WithoutAUsableUserFolderTheProgramFolderStays) {
  // The configuration variable names a file, so no folder can be made there.
  std::ofstream(root_ / "config") << "x";
  SetProgramFile((root_ / "missing" / "DToolPc").string());
  EXPECT_EQ(GetDataPfad(), WithSep(root_ / "missing"));
}

TEST(FolderWritable, TellsFoldersFromFilesAndMissingPaths) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto file = dir / "dtool_folderwritable_probe.txt";
  std::ofstream(file) << "x";
  EXPECT_TRUE(FolderWritable(dir.string()));
  EXPECT_TRUE(FolderWritable(WithSep(dir)));
  EXPECT_FALSE(FolderWritable(file.string()));
  EXPECT_FALSE(FolderWritable((dir / "dtool_no_such_folder").string()));
  EXPECT_FALSE(FolderWritable(""));
  std::filesystem::remove(file);
}

#ifndef _WIN32
TEST(UserConfigFolder, FollowsTheBaseDirectoryRules) {
  struct Case {
    std::optional<std::string> xdg;
    std::optional<std::string> home;
    const char* folder;
  } cases[] = {
      {"/x/cfg", "/home/u", "/x/cfg/DToolPc/"},
      {"/x/cfg/", "/home/u", "/x/cfg/DToolPc/"},
      {std::nullopt, "/home/u", "/home/u/.config/DToolPc/"},
      {"", "/home/u", "/home/u/.config/DToolPc/"},
      {"relative/cfg", "/home/u", "/home/u/.config/DToolPc/"},
      {std::nullopt, std::nullopt, ""},
      {std::nullopt, "relative", ""},
  };
  for (const Case& c : cases) {
    TEnvVar xdg("XDG_CONFIG_HOME", c.xdg);
    TEnvVar home("HOME", c.home);
    EXPECT_EQ(UserConfigFolder(), c.folder)
        << c.xdg.value_or("(unset)") << " " << c.home.value_or("(unset)");
  }
}

TEST(FolderWritable, AFolderWithoutWriteRightsIsNotWritable) {
  if (geteuid() == 0)
    GTEST_SKIP() << "root writes into any folder";
  const auto dir = std::filesystem::temp_directory_path() / "dtool_readonly_folder";
  std::filesystem::create_directories(dir);
  std::filesystem::permissions(dir, std::filesystem::perms::owner_read |
                                        std::filesystem::perms::owner_exec);
  EXPECT_FALSE(FolderWritable(dir.string()));
  std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
  std::filesystem::remove_all(dir);
}
#endif

} // namespace
} // namespace dtool
