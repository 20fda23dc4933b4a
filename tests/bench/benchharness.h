#pragma once
// A fixture that loads the bench's link libraries with the program's own loader from the
// build folder, and the bench's control functions from DBench. Every test sets up its own
// bench, with its state in a fresh temporary folder, and a manual bench clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/benchcontrol.h"
#include "link/dispatcher.h"
#include "link/linkloader.h"

#ifndef DTOOL_LINK_DIR
#error "DTOOL_LINK_DIR names the folder of the link libraries"
#endif

namespace dtool::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
  TempFolder() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("dtool-bench-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string Write(const std::string& name, const std::string& text) const {
    const auto file = path_ / name;
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

private:
  std::filesystem::path path_;
};

// The control functions of DBench, resolved by name.
struct TBenchControl {
  FnBenchLoad* Load = nullptr;
  FnBenchMessages* Messages = nullptr;
  FnBenchSetManualClock* SetManualClock = nullptr;
  FnBenchAdvanceTime* AdvanceTime = nullptr;
  FnBenchSetPressure* SetPressure = nullptr;
  FnBenchGetOutput* GetOutput = nullptr;
  FnBenchGetDisplay* GetDisplay = nullptr;
  FnBenchRaiseError* RaiseError = nullptr;
  FnBenchPowerCycle* PowerCycle = nullptr;
  FnBenchSetFault* SetFault = nullptr;
  FnBenchPlug* Plug = nullptr;
  FnBenchSetTrace* SetTrace = nullptr;
  FnBenchExchangeCount* ExchangeCount = nullptr;

  bool Resolve(const TLinkLibrary& lib, TLinkLoadError& err) {
    return lib.Resolve("BenchLoad", Load, err) && lib.Resolve("BenchMessages", Messages, err) &&
           lib.Resolve("BenchSetManualClock", SetManualClock, err) &&
           lib.Resolve("BenchAdvanceTime", AdvanceTime, err) &&
           lib.Resolve("BenchSetPressure", SetPressure, err) &&
           lib.Resolve("BenchGetOutput", GetOutput, err) &&
           lib.Resolve("BenchGetDisplay", GetDisplay, err) &&
           lib.Resolve("BenchRaiseError", RaiseError, err) &&
           lib.Resolve("BenchPowerCycle", PowerCycle, err) &&
           lib.Resolve("BenchSetFault", SetFault, err) && lib.Resolve("BenchPlug", Plug, err) &&
           lib.Resolve("BenchSetTrace", SetTrace, err) &&
           lib.Resolve("BenchExchangeCount", ExchangeCount, err);
  }
};

inline std::string LinkDir() {
  return DTOOL_LINK_DIR;
}
inline std::string BenchLibraryPath() {
  return LinkLibraryPath(LinkDir(), DTOOL_BENCH_LIBRARY + LinkLibrarySuffix());
}

class BenchTest : public ::testing::Test {
protected:
  void SetUp() override {
    TLinkLoadError err;
    ASSERT_TRUE(an.Load(LinkDir(), err)) << err.Text();
    ASSERT_TRUE(sw.Load(LinkDir(), err)) << err.Text();
    ASSERT_TRUE(benchLib.Open(BenchLibraryPath(), err)) << err.Text();
    ASSERT_TRUE(bench.Resolve(benchLib, err)) << err.Text();
  }

  void TearDown() override {
    // Nothing of this test stays connected: the built-in bench, all ports closed.
    if (bench.Load != nullptr)
      bench.Load(nullptr, folder.Path().string().c_str());
    SetLinkDispatcher(nullptr);
    SetLinkRecEventHandler(nullptr);
    SetLinkErrEventHandler(nullptr);
  }

  // Sets the bench up from bench file text, with the manual clock; returns the number of
  // messages.
  int UseBench(const std::string& text) {
    const std::string file = folder.Write("bench.ini", text);
    const int messages = bench.Load(file.c_str(), folder.Path().string().c_str());
    bench.SetManualClock(1);
    return messages;
  }
  void UseBuiltInBench() {
    bench.Load(nullptr, folder.Path().string().c_str());
    bench.SetManualClock(1);
  }
  void Advance(int ms) { ASSERT_EQ(bench.AdvanceTime(ms), 0); }
  std::string Messages() {
    std::string text(static_cast<std::size_t>(bench.Messages(nullptr, 0)) + 1, '\0');
    bench.Messages(text.data(), static_cast<std::int32_t>(text.size()));
    text.resize(text.size() - 1);
    return text;
  }

  // One command to the analog instrument; the answer, and the link status in status.
  TransRec Cmd(std::int32_t port, std::uint16_t oocc, std::uint16_t bbaa, std::int32_t& status) {
    TransRec rec = MakeTransRec(oocc, bbaa);
    status = an->TransCmd(port, &rec);
    return rec;
  }
  // One command that must get an answer.
  TransRec Ask(std::int32_t port, std::uint16_t oocc, std::uint16_t bbaa = 0) {
    std::int32_t status = -99;
    TransRec rec = Cmd(port, oocc, bbaa, status);
    EXPECT_EQ(status, 0) << "command " << std::hex << oocc;
    return rec;
  }
  // Opens the port with the analog library and waits past the first record.
  void OpenAnalog(std::int32_t port) {
    ASSERT_EQ(an->OpenCom(port), 0);
    Advance(3000);
  }
  void OpenSwitch(std::int32_t port) {
    ASSERT_EQ(sw->IsComXOpen(port), 0);
    ASSERT_EQ(sw->OpenComOnly(port), 0);
    Advance(3000);
  }

  TempFolder folder;
  TAnalogLink an;
  TSwitchLink sw;
  TLinkLibrary benchLib;
  TBenchControl bench;
};

} // namespace dtool::test
