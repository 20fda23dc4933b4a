// The loader of the link libraries, with the bench's libraries of the build folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "link/linkloader.h"
#include "tools/progtools.h"

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
  // The platform's separator joins them; a folder that ends with one of either kind keeps it.
  EXPECT_EQ(LinkLibraryPath("/a/b", "x.so"), std::string("/a/b") + PathSep + "x.so");
  EXPECT_EQ(LinkLibraryPath("/a/b/", "x.so"), "/a/b/x.so");
  EXPECT_EQ(LinkLibraryPath(std::string("a") + PathSep, "x.so"),
            std::string("a") + PathSep + "x.so");
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

TEST(LinkLoader, BenchLibrariesExportPlainNames) {
  struct Case {
    std::string file;
    const char* function;
    std::size_t argBytes;
  } cases[] = {
      {AnalogLinkFile(), "OpenCom", 4},
      {AnalogLinkFile(), "ClrErrors", 4},
      {SwitchLinkFile(), "SetConf", 80},
      {SwitchLinkFile(), "GetPressPar", 24},
  };
  for (const Case& c : cases) {
    TLinkLibrary lib;
    TLinkLoadError err;
    ASSERT_TRUE(lib.Open(LinkLibraryPath(DTOOL_LINK_DIR, c.file), err)) << err.Text();
    EXPECT_NE(lib.Symbol(c.function), nullptr) << c.file << " " << c.function;
    // Only the plain names, as the maker's libraries have them.
    const std::string decorated = StdcallName(c.function, c.argBytes);
    EXPECT_EQ(lib.Symbol(decorated.c_str()), nullptr) << decorated;
    EXPECT_EQ(lib.Symbol(decorated.c_str() + 1), nullptr) << decorated;
  }
}

TEST(LinkLoader, StdcallNamesCarryTheArgumentBytes) {
  EXPECT_EQ(StdcallName("OpenCom", 4), "_OpenCom@4");
  EXPECT_EQ(StdcallName("SetConf", 80), "_SetConf@80");
#if defined(_WIN32) && !defined(_WIN64)
  // Arguments round up to 4 bytes each; a record passed by value counts whole.
  static_assert(TStdcallArgs<analog::FnOpenCom>::Bytes == 4);
  static_assert(TStdcallArgs<analog::FnTransCmd>::Bytes == 8);
  static_assert(TStdcallArgs<swlink::FnSetConf>::Bytes == 80);
  static_assert(TStdcallArgs<swlink::FnGetPressPar>::Bytes == 24);
  static_assert(!TStdcallArgs<int(int)>::Stdcall);
#endif
}

#ifdef DTOOL_DECORATED_DIR
TEST(LinkLoader, FindsFunctionsUnderTheirDecoratedNames) {
  TAnalogLink an;
  TLinkLoadError err;
  ASSERT_TRUE(an.Load(DTOOL_DECORATED_DIR, err)) << err.Text();
  // Each bound function is the right one, and the stdcall convention holds across the call.
  EXPECT_EQ(an->OpenCom(3), 1003);
  EXPECT_EQ(an->CloseCom(4), 2004);
  std::int32_t type = 0;
  EXPECT_EQ(an->GetInstType(1, &type), 5000);
  EXPECT_EQ(type, 10);
  float p = 0;
  EXPECT_EQ(an->GetPressInst(1, &p), 8000);
  EXPECT_EQ(p, 42.5f);
  EXPECT_EQ(an->ClrErrors(1), 11000);
  // The plain name is not there; the loader found the decorated one.
  TLinkLibrary lib;
  ASSERT_TRUE(lib.Open(LinkLibraryPath(DTOOL_DECORATED_DIR, AnalogLinkFile()), err));
  EXPECT_EQ(lib.Symbol("OpenCom"), nullptr);
  EXPECT_NE(lib.Symbol("_OpenCom@4"), nullptr);
}
#endif

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
