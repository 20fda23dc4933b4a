// The libFuzzer entry of one target; DTOOL_FUZZ_CHECK names its check (fuzzcheck.h). A broken
// requirement ends the run with its text, like a crash, so that libFuzzer keeps the input.
#include "fuzz/fuzzcheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    dtool::fuzz::DTOOL_FUZZ_CHECK(data, size);
  } catch (const dtool::fuzz::TFuzzFailure& failure) {
    std::fprintf(stderr, "\nFuzz check failed: %s\n", failure.what());
    std::abort();
  }
  return 0;
}
