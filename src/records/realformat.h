#pragma once
// Locale-independent number texts for files that other programs read.
#include <string>

namespace dtool {

// General format with up to 15 significant digits, "." as decimal separator, no
// thousands separator and no trailing zeros: 0.3, 966, 1.5E-5, -2.5E20.
std::string FormatGeneralReal(double value);

} // namespace dtool
