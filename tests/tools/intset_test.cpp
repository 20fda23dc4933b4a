#include "tools/intset.h"

#include <clocale>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace dtool {
namespace {

std::string Printed(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// Runs under a decimal-comma locale; the test scripts generate de_DE.UTF-8.
class DecimalCommaLocale : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
      GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
  }
  void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }
  std::string saved_;
};

TEST_F(DecimalCommaLocale, IntSetFormatsWithAPointAndRestoresTheLocale) {
  ASSERT_EQ(Printed(1.5), "1,5");
  EXPECT_EQ(FormatSettings().DecimalSeparator, ',');
  {
    TIntSet fixed;
    EXPECT_EQ(Printed(1.5), "1.5");
    EXPECT_EQ(FormatSettings().DecimalSeparator, '.');
    EXPECT_EQ(FormatSettings().ThousandSeparator, '\'');
    EXPECT_EQ(FormatSettings().ListSeparator, ';');
    {
      TIntSet nested;
      EXPECT_EQ(Printed(2.25), "2.25");
    }
    EXPECT_EQ(Printed(2.25), "2.25");
  }
  EXPECT_EQ(Printed(1.5), "1,5");
  EXPECT_EQ(FormatSettings().DecimalSeparator, ',');
}

TEST(IntSet, FixedDateAndTimeFormats) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 3;
  t.tm_hour = 7;
  t.tm_min = 5;
  t.tm_sec = 9;
  TIntSet fixed;
  EXPECT_EQ(FormatDate(t), "03.12.26");
  EXPECT_EQ(FormatTime(t), "07:05:09");
}

} // namespace
} // namespace dtool
