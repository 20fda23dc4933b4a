// The loader of the link libraries, with the bench's libraries of the build folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "link/linkloader.h"

namespace dtool::test {
namespace {

namespace fs = std::filesystem;

class ScratchFolder {
public:
  ScratchFolder() {
    path_ = fs::temp_directory_path() /
            ("dtool-link-" +
             std::to_string(fs::file_time_type::clock::now().time_since_epoch().count()));
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string Str() const { return path_.string(); }
  // Puts a copy of a library of the build folder here under another name.
  void Copy(const std::string& from, const std::string& to) const {
    fs::copy_file(fs::path(DTOOL_LINK_DIR) / from, path_ / to);
  }

private:
  fs::path path_;
};

TEST(LinkLoader, FileNamesCarryThePlatformSuffix) {
  EXPECT_EQ(AnalogLinkFile(), "DDatDll" + LinkLibrarySuffix());
  EXPECT_EQ(SwitchLinkFile(), "DSwitch" + LinkLibrarySuffix());
  EXPECT_EQ(LinkLibraryPath("/a/b", "x.so"), "/a/b/x.so");
  EXPECT_EQ(LinkLibraryPath("/a/b/", "x.so"), "/a/b/x.so");
}

TEST(LinkLoader, LoadsBothLibrariesEachWithItsOwnFunctions) {
  TAnalogLink an;
  TSwitchLink sw;
  TLinkLoadError err;
  ASSERT_TRUE(an.Load(DTOOL_LINK_DIR, err)) << err.Text();
  ASSERT_TRUE(sw.Load(DTOOL_LINK_DIR, err)) << err.Text();
  EXPECT_TRUE(an.Loaded());
  EXPECT_EQ(fs::path(an.Path()).filename().string(), AnalogLinkFile());
  EXPECT_NE(an->TransCmd, nullptr);
  EXPECT_NE(sw->GetFConst, nullptr);
  // Both export CloseCom, SetRecEventProc and GetPressInst: each table has its own.
  EXPECT_NE(reinterpret_cast<void*>(an->CloseCom), reinterpret_cast<void*>(sw->CloseCom));
  EXPECT_NE(reinterpret_cast<void*>(an->GetPressInst), reinterpret_cast<void*>(sw->GetPressInst));
  EXPECT_NE(reinterpret_cast<void*>(an->SetRecEventProc),
            reinterpret_cast<void*>(sw->SetRecEventProc));

  an.Unload();
  EXPECT_FALSE(an.Loaded());
  EXPECT_EQ(an->OpenCom, nullptr);
}

TEST(LinkLoader, MissingFileIsNamed) {
  ScratchFolder empty;
  TAnalogLink an;
  TLinkLoadError err;
  EXPECT_FALSE(an.Load(empty.Str(), err));
  EXPECT_FALSE(an.Loaded());
  EXPECT_TRUE(err.MissingFile());
  EXPECT_EQ(err.File, LinkLibraryPath(empty.Str(), AnalogLinkFile()));
  EXPECT_NE(err.Text().find(err.File), std::string::npos);
  EXPECT_FALSE(err.Reason.empty());
}

TEST(LinkLoader, MissingFunctionIsNamed) {
  // Each library under the other's name: the first function of the contract it lacks.
  ScratchFolder swapped;
  swapped.Copy(SwitchLinkFile(), AnalogLinkFile());
  swapped.Copy(AnalogLinkFile(), SwitchLinkFile());
  swapped.Copy("DBench" + LinkLibrarySuffix(), "DBench" + LinkLibrarySuffix());
  TAnalogLink an;
  TSwitchLink sw;
  TLinkLoadError err;
  EXPECT_FALSE(an.Load(swapped.Str(), err));
  EXPECT_FALSE(an.Loaded());
  EXPECT_FALSE(err.MissingFile());
  EXPECT_EQ(err.Symbol, "OpenCom");
  EXPECT_EQ(err.File, LinkLibraryPath(swapped.Str(), AnalogLinkFile()));
  EXPECT_NE(err.Text().find("\"OpenCom\""), std::string::npos) << err.Text();
  EXPECT_NE(err.Text().find(err.File), std::string::npos);

  EXPECT_FALSE(sw.Load(swapped.Str(), err));
  EXPECT_EQ(err.Symbol, "IsComXOpen");
}

} // namespace
} // namespace dtool::test
