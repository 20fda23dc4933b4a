#include "fuzz/fuzzcheck.h"

namespace dtool::fuzz {

void Fail(const char* file, int line, const std::string& what) {
  throw TFuzzFailure(std::string(file) + ":" + std::to_string(line) + ": " + what);
}

} // namespace dtool::fuzz
