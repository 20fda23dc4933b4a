#include "tools/numeric.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "tools/timing.h"

namespace dtool {
namespace {

struct LimitCase {
  double value, min, max, expected;
  bool changed;
};

TEST(LimitValue, Table) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const LimitCase cases[] =
      {
          {12, 0, 10, 10, true},  {-1, 0, 10, 0, true}, {5, 0, 10, 5, false},
          {10, 0, 10, 10, false}, {0, 0, 10, 0, false}, {nan, 0, 10, 0, true},
          {5, 8, 2, 8, true}, // minimum above maximum: every value ends at the minimum
          {1, 8, 2, 8, true},
      };
  for (const LimitCase& c : cases) {
    double v = c.value;
    EXPECT_EQ(LimitValue(v, c.min, c.max), c.changed) << c.value;
    EXPECT_EQ(v, c.expected) << c.value;
  }
}

TEST(LimitAbsValue, KeepsTheSign) {
  const LimitCase cases[] = {
      {-250, 0.5, 200, -200, true}, {-0.1, 0.5, 200, -0.5, true}, {250, 0.5, 200, 200, true},
      {-50, 0.5, 200, -50, false},  {50, -0.5, -200, 50, false},
  };
  for (const LimitCase& c : cases) {
    double v = c.value;
    EXPECT_EQ(LimitAbsValue(v, c.min, c.max), c.changed) << c.value;
    EXPECT_EQ(v, c.expected) << c.value;
  }
}

TEST(Interpolate, StraightLine) {
  EXPECT_DOUBLE_EQ(Interpolate(12, 4, 0, 20, 100), 50);
  EXPECT_DOUBLE_EQ(Interpolate(4, 4, 0, 20, 100), 0);
  EXPECT_DOUBLE_EQ(Interpolate(0, 4, 0, 20, 100), -25);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, double> cases[] = {
      {2.5, 2}, {3.5, 4},   {-2.5, -2},       {-3.5, -4}, {0.5, 0}, {1.5, 2},           {2.4, 2},
      {2.6, 3}, {-2.6, -3}, {65535.5, 65536}, {-0.5, 0},  {7, 7},   {1e15 + 0.5, 1e15},
  };
  for (auto [in, out] : cases)
    EXPECT_EQ(RoundHalfEven(in), out) << in;
}

TEST(ZeroFill, ClearsEveryByte) {
  struct Rec {
    int a;
    double b;
    char c[5];
  } rec{7, 2.5, {'x', 'y', 'z', 'u', 'v'}};
  ZeroFill(rec);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(&rec);
  for (size_t i = 0; i < sizeof rec; ++i)
    EXPECT_EQ(p[i], 0) << i;
}

class FakeTimer : public ITimer {
public:
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool e) override {
    enabled = e;
    log.push_back(e ? "on" : "off");
  }
  int Interval() const override { return interval; }
  void SetInterval(int ms) override {
    interval = ms;
    log.push_back(std::to_string(ms));
  }
  bool enabled = false;
  int interval = 0;
  std::vector<std::string> log;
};

TEST(RestartTimer, KeepsEnabledAndInterval) {
  for (bool enabled : {true, false}) {
    FakeTimer t;
    t.enabled = enabled;
    t.interval = 4000;
    RestartTimer(t);
    EXPECT_EQ(t.enabled, enabled);
    EXPECT_EQ(t.interval, 4000);
    EXPECT_EQ(t.log, (std::vector<std::string>{"0", "4000", enabled ? "on" : "off"}));
  }
}

TEST(Tstoppuhr, ElapsedAcrossAWrapOfTheCounter) {
  std::uint32_t now = 0xFFFFFF00u;
  Tstoppuhr watch([&] { return now; });
  watch.Start();
  now += 0x200; // wraps past zero
  EXPECT_EQ(watch.Elapsed(), 0x200u);
}

} // namespace
} // namespace dtool
