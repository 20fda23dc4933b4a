#pragma once
// The operator's preferences from the settings file of DToolPc beside the program: the COM
// port and the units dtool uses unless told otherwise. dtool only reads the file.
#include <optional>
#include <string>

#include "core/records.h"

namespace dtool::cli {

// The settings file's name beside the program.
inline constexpr const char* SetFileBaseName = "DToolPc.SET";

// The preferences of the file; empty when it is missing, short, or holds a port outside 1..8
// or a unit outside its kind (the main window refuses such a file as well).
std::optional<TPreferences> ReadSetFilePrefs(const std::string& path);

} // namespace dtool::cli
