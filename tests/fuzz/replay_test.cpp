// Every input of the fuzz targets' corpora passes its target's check, and every corpus folder
// belongs to a target.
#include "fuzz/fuzzcheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace dtool::fuzz {
namespace {

namespace fs = std::filesystem;

struct TTarget {
  const char* name;
  void (*check)(const std::uint8_t* data, std::size_t size);
};
void PrintTo(const TTarget& t, std::ostream* os) {
  *os << t.name;
}

const TTarget Targets[] = {
    {"setfile", CheckSetFile},   {"benchfile", CheckBenchFile},   {"benchstate", CheckBenchState},
    {"options", CheckOptions},   {"configfile", CheckConfigFile},
#ifdef DTOOL_FUZZ_HELP
    {"helpfile", CheckHelpFile},
#endif
};
// Targets whose check this build leaves out.
const char* const NotBuilt[] = {
#ifndef DTOOL_FUZZ_HELP
    "helpfile",
#endif
    ""};

class Replay : public ::testing::TestWithParam<TTarget> {};

TEST_P(Replay, EveryInputOfTheCorpusPassesTheCheck) {
  const fs::path dir = fs::path(DTOOL_FUZZ_CORPUS) / GetParam().name;
  ASSERT_TRUE(fs::is_directory(dir)) << dir;
  int inputs = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
    ++inputs;
    try {
      GetParam().check(data.data(), data.size());
    } catch (const TFuzzFailure& failure) {
      ADD_FAILURE() << entry.path().filename().string() << ": " << failure.what();
    }
  }
  EXPECT_GT(inputs, 0) << "an empty corpus";
}

INSTANTIATE_TEST_SUITE_P(Corpora, Replay, ::testing::ValuesIn(Targets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FuzzCorpus, EveryFolderBelongsToATarget) {
  for (const auto& entry : fs::directory_iterator(DTOOL_FUZZ_CORPUS)) {
    const std::string name = entry.path().filename().string();
    const bool known =
        std::any_of(std::begin(Targets), std::end(Targets),
                    [&](const TTarget& t) { return name == t.name; }) ||
        std::find(std::begin(NotBuilt), std::end(NotBuilt), name) != std::end(NotBuilt);
    EXPECT_TRUE(known) << name << " has no check in this replay";
  }
}

} // namespace
} // namespace dtool::fuzz
