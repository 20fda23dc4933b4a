#include "records/realformat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace dtool {

std::string FormatGeneralReal(double value) {
  if (std::isnan(value))
    return "NAN";
  if (std::isinf(value))
    return value < 0 ? "-INF" : "INF";
  if (value == 0)
    return "0";

  // 15 significant digits as d.dddddddddddddde[+-]x, rounded once.
  char buf[64];
  auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  if (ec != std::errc())
    return "0";
  const std::string sci(buf, end);
  const auto e = sci.find('e');
  std::string digits = sci.substr(0, 1) + sci.substr(2, e - 2);
  const int exponent = std::atoi(sci.c_str() + e + 1);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  std::string out = value < 0 ? "-" : "";
  if (exponent < -4 || exponent >= 15) {
    out += digits.substr(0, 1);
    if (digits.size() > 1)
      out += "." + digits.substr(1);
    out += "E" + std::to_string(exponent);
  } else if (exponent < 0) {
    out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  } else {
    const size_t intDigits = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= intDigits) {
      out += digits + std::string(intDigits - digits.size(), '0');
    } else {
      out += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
    }
  }
  return out;
}

} // namespace dtool
