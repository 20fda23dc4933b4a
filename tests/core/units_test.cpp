#include "core/units.h"

#include <gtest/gtest.h>

#include "support/scriptedport.h"

namespace dtool {
namespace {

TEST(Units, FactorsAreBitExact) {
  // The factors differ from the textbook values on purpose; compare with ==.
  const std::pair<TUnit, double> cases[] = {
      {unit::hPa, 100},
      {unit::Pa, 1},
      {unit::mbar, 100},
      {unit::mmHg, 133.32236842105263},
      {unit::mmH20, 9.79685039},
      {unit::psi, 6894.7572931},
      {unit::inchHg, 3386.38815789},
      {unit::inchH2O, 248.84},
      {unit::inch, 0.0254},
      {unit::V, 2},
      {unit::km_h, 1 / 3.6},
      {unit::feet_s, 0.304799999536704},
      {unit::knots, 0.514444445090358},
  };
  for (auto [u, factor] : cases)
    EXPECT_EQ(ConfUnitToBase(u, false, 1.0), factor) << int(u);
}

TEST(Units, Conversions) {
  EXPECT_EQ(ConvertUnit(unit::Pa, unit::psi, 1), 6894.7572931);
  EXPECT_DOUBLE_EQ(ConvertUnit(unit::inchHg, unit::hPa, 966), 966 * 100 / 3386.38815789);
  char shown[16];
  std::snprintf(shown, sizeof shown, "%.*f", UnitDecimals(unit::inchHg, 2),
                ConvertUnit(unit::inchHg, unit::hPa, 966));
  EXPECT_STREQ(shown, "28.53");
  EXPECT_EQ(ConvertUnit(unit::mA, unit::V, 10), 20);
  EXPECT_EQ(ConvertUnit(unit::V, unit::mA, 4), 2);
  EXPECT_DOUBLE_EQ(ConvertUnit(unit::m_s, unit::km_h, 36), 10);
  EXPECT_EQ(ConvertUnit(unit::m_s, unit::knots, 1), 0.514444445090358);
  EXPECT_EQ(ConvertUnit(unit::m_s, unit::feet_s, 1), 0.304799999536704);
  EXPECT_EQ(ConvertUnit(unit::None, unit::None, 0.6125), 0.6125);
  EXPECT_EQ(ConfUnitToBase(unit::hPa, true, 96600), 966);
}

TEST(Units, TextsAndDecimals) {
  EXPECT_EQ(UnitText(unit::mmH20), "mmH20");
  EXPECT_EQ(UnitText(unit::inchH2O), "inchH2O");
  EXPECT_EQ(UnitText(unit::degC), "\u00B0C");
  EXPECT_EQ(UnitText(unit::AnalogOffset), "");
  EXPECT_EQ(std::get<int>(GetUnitInfo(unit::mmHg, 1)), 5);
  EXPECT_EQ(std::get<int>(GetUnitInfo(unit::mmHg, 2)), 1);
  EXPECT_EQ(std::get<int>(GetUnitInfo(unit::mmHg, 3)), 3);
  EXPECT_EQ(std::get<int>(GetUnitInfo(unit::Pa, 3)), 1);
  EXPECT_EQ(GetUnit(""), unit::AnalogOffset);
  EXPECT_EQ(GetUnit("knots"), unit::knots);
  EXPECT_EQ(GetUnit("hPa"), unit::hPa);
}

// The decimals of every unit, as the unit table gives them: ordinary fields, atmospheric
// pressure, live reading of the classes 2 and 3.
TEST(Units, DecimalsOfEveryUnit) {
  struct TCase {
    TUnit unit;
    int field, atmospheric, live;
  };
  const TCase cases[] = {
      {0, 0, 0, 0},  {1, 2, 0, 1},  {2, 4, 0, 3},  {3, 5, 1, 3},  {4, 3, 0, 2},  {5, 6, 0, 5},
      {6, 6, 2, 5},  {7, 5, 0, 5},  {8, 2, 0, 2},  {9, 1, 0, 1},  {10, 0, 0, 0}, {11, 0, 0, 0},
      {12, 4, 0, 4}, {13, 4, 0, 4}, {14, 4, 0, 4}, {15, 0, 0, 0}, {16, 3, 0, 3}, {17, 3, 0, 3},
      {18, 3, 0, 3}, {19, 3, 0, 3}, {20, 0, 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.unit));
    EXPECT_EQ(std::get<int>(GetUnitInfo(c.unit, 1)), c.field);
    EXPECT_EQ(std::get<int>(GetUnitInfo(c.unit, 2)), c.atmospheric);
    EXPECT_EQ(std::get<int>(GetUnitInfo(c.unit, 3)), c.live);
    EXPECT_EQ(UnitDecimals(c.unit, 1), c.field);
  }
}

TEST(Units, Sets) {
  EXPECT_EQ(UnitSetTexts(AtmUnitSet), (std::vector<std::string>{"hPa", "mbar", "mmHg", "inchHg"}));
  EXPECT_EQ(UnitSetTexts(PressUnitSet),
            (std::vector<std::string>{"Pa", "mbar", "mmHg", "mmH20", "psi", "inchHg", "inchH2O"}));
  EXPECT_EQ(UnitSetTexts(VelocityUnitSet),
            (std::vector<std::string>{"m/s", "km/h", "feet/s", "knots"}));
  EXPECT_EQ(UnitSetTexts(HoseUnitSet), (std::vector<std::string>{"m", "inch"}));
}

TEST(Units, FaultsOfTheProgramAreFatal) {
  test::ScriptedPort port;
  test::ThrowingTerminator terminator;
  auto fatalText = [](auto&& f) -> std::string {
    try {
      f();
    } catch (const FatalError& e) {
      return e.what();
    }
    return "(no fatal stop)";
  };
  EXPECT_EQ(fatalText([] { GetUnitInfo(21, 0); }), "GetUnitInfo: Unit unknown! ");
  EXPECT_EQ(fatalText([] { GetUnitInfo(1, 4); }), "GetUnitInfo: Infokind unknown! ");
  EXPECT_EQ(fatalText([] { GetUnit("mmH2O"); }), "GetUnit: Unknown string");
  EXPECT_EQ(fatalText([] { ConfUnitToBase(21, false, 1); }), "ConfUnitToBase: Unbekannte Unit! ");
  EXPECT_EQ(fatalText([] { ConvertUnit(255, 1, 1); }), "ConfUnitToBase: Unbekannte Unit! ");
}

} // namespace
} // namespace dtool
