#include "cli/setfileprefs.h"

#include <fstream>

#include "core/settings.h"
#include "core/units.h"

namespace dtool::cli {

std::optional<TPreferences> ReadSetFilePrefs(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  TSetFileImage image{};
  in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
  if (static_cast<std::size_t>(in.gcount()) != image.size())
    return std::nullopt;
  const TPreferences p = ParseSetFileImage(image).Prefs;
  const bool usable = p.ComPort >= 1 && p.ComPort <= 8 && InUnitSet(p.PressUnit, PressUnitSet) &&
                      InUnitSet(p.VelocityUnit, VelocityUnitSet) &&
                      InUnitSet(p.AtmUnit, AtmUnitSet) && InUnitSet(p.HoseUnit, HoseUnitSet);
  if (!usable)
    return std::nullopt;
  return p;
}

} // namespace dtool::cli
