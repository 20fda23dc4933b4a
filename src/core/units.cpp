#include "core/units.h"

#include "tools/fatal.h"

namespace dtool {
namespace {

struct UnitRow {
  const char* text;
  double factor;
  int decimals[3];
};

// clang-format off
constexpr UnitRow Units[unit::Last + 1] = {
  {"hPa",     100,                  {0, 0, 0}},
  {"Pa",      1,                    {2, 0, 1}},
  {"mbar",    100,                  {4, 0, 3}},
  {"mmHg",    133.32236842105263,   {5, 1, 3}},
  {"mmH20",   9.79685039,           {3, 0, 2}},
  {"psi",     6894.7572931,         {6, 0, 5}},
  {"inchHg",  3386.38815789,        {6, 2, 5}},
  {"inchH2O", 248.84,               {5, 0, 5}},
  {"m",       1,                    {2, 0, 2}},
  {"inch",    0.0254,               {1, 0, 1}},
  {"s",       1,                    {0, 0, 0}},
  {"%RH",     1,                    {0, 0, 0}},
  {"V",       2,                    {4, 0, 4}},
  {"mA",      1,                    {4, 0, 4}},
  {"",        1,                    {4, 0, 4}},
  {"\u00B0C", 1,                    {0, 0, 0}},
  {"m/s",     1,                    {3, 0, 3}},
  {"km/h",    0.2777777777777778,   {3, 0, 3}},
  {"feet/s",  0.304799999536704,    {3, 0, 3}},
  {"knots",   0.514444445090358,    {3, 0, 3}},
  {"",        1,                    {0, 0, 0}},
};
// clang-format on

} // namespace

std::variant<std::string, int> GetUnitInfo(TUnit unit, int infoKind) {
  if (unit > unit::Last)
    FatalStop("GetUnitInfo: Unit unknown! ");
  if (infoKind < 0 || infoKind > 3)
    FatalStop("GetUnitInfo: Infokind unknown! ");
  if (infoKind == 0)
    return std::string(Units[unit].text);
  return Units[unit].decimals[infoKind - 1];
}

std::string UnitText(TUnit unit) {
  return std::get<std::string>(GetUnitInfo(unit, 0));
}

int UnitDecimals(TUnit unit, int infoKind) {
  if (infoKind == 0)
    FatalStop("GetUnitInfo: Infokind unknown! ");
  return std::get<int>(GetUnitInfo(unit, infoKind));
}

TUnit GetUnit(const std::string& text) {
  for (TUnit u = 0; u <= unit::Last; ++u)
    if (text == Units[u].text)
      return u;
  FatalStop("GetUnit: Unknown string");
}

double ConfUnitToBase(TUnit unit, bool fromBase, double value) {
  if (unit > unit::Last)
    FatalStop("ConfUnitToBase: Unbekannte Unit! ");
  const double offset = 0;
  const double factor = Units[unit].factor;
  return fromBase ? (value - offset) / factor : value * factor + offset;
}

double ConvertUnit(TUnit target, TUnit source, double value) {
  return ConfUnitToBase(target, true, ConfUnitToBase(source, false, value));
}

std::vector<std::string> UnitSetTexts(TUnitSet set) {
  std::vector<std::string> texts;
  for (TUnit u = 0; u <= unit::Last; ++u)
    if (InUnitSet(u, set))
      texts.emplace_back(Units[u].text);
  return texts;
}

} // namespace dtool
