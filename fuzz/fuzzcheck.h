#pragma once
// The fuzz targets: one check for every reader of input from outside the program. A check
// feeds the bytes to the reader and requires what must hold of its result, not only that it
// returns; a broken requirement throws TFuzzFailure. libFuzzer runs each check as a target of
// its own (fuzzmain.cpp, scripts/fuzz.sh), and the test suite replays the committed corpora
// fuzz/corpus/<name>/ through the same checks (tests/fuzz).
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace dtool::fuzz {

struct TFuzzFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const char* file, int line, const std::string& what);

} // namespace dtool::fuzz

#define FUZZ_REQUIRE(condition, what)                                                              \
  do {                                                                                             \
    if (!(condition))                                                                              \
      ::dtool::fuzz::Fail(__FILE__, __LINE__, std::string(#condition ": ") + (what));              \
  } while (false)

namespace dtool::fuzz {

// The settings file image: LoadSetFile and SaveSetFile through a file.
void CheckSetFile(const std::uint8_t* data, std::size_t size);
// The bench file, and the texts of BenchSetFault and BenchPlug, which take its keys.
void CheckBenchFile(const std::uint8_t* data, std::size_t size);
// The bench's state file: the instruments' stored configuration.
void CheckBenchState(const std::uint8_t* data, std::size_t size);
// The command-line option lookups.
void CheckOptions(const std::uint8_t* data, std::size_t size);
// The help file: THelpFile::Parse (needs Qt; not in builds without the user interface).
void CheckHelpFile(const std::uint8_t* data, std::size_t size);
// The configuration file: ParseConfigText and ConfigFileText.
void CheckConfigFile(const std::uint8_t* data, std::size_t size);

} // namespace dtool::fuzz
