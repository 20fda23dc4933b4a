#include "records/realformat.h"

#include <gtest/gtest.h>

namespace dtool {
namespace {

TEST(FormatGeneralReal, FifteenDigitsNoTrailingZeros) {
  const std::pair<double, const char*> cases[] = {
      {0.3, "0.3"},
      {966, "966"},
      {1.5e-5, "1.5E-5"},
      {0.0001, "0.0001"},
      {0.00012, "0.00012"},
      {-300, "-300"},
      {-1.125, "-1.125"},
      {1.0, "1"},
      {0.0, "0"},
      {static_cast<double>(0.6125f), "0.612500011920929"},
      {20.3451, "20.3451"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},
      {-2.5e20, "-2.5E20"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {99999.99999999999, "100000"},
  };
  for (auto [value, text] : cases)
    EXPECT_EQ(FormatGeneralReal(value), text) << value;
}

} // namespace
} // namespace dtool
