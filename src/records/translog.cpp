#include "records/translog.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/settings.h"
#include "records/configfile.h"
#include "tools/intset.h"

namespace dtool {

std::string LogFileText(const std::string& transferId, const std::tm& time, const TLogSource& src) {
  TIntSet fixedConventions;
  const TSettings& sett = src.Settings;
  const TInstInfo& info = sett.InstInfo;
  TConfigIdentity identity{src.InstTypeText,      src.SerialText,          src.RangeText,
                           info.SW_Main_uC.Get(), info.SW_Sensor_uC.Get(), sett.Cap_level()};
  return ConfigFileText(ConfigOf(sett, src.Prefs, std::move(identity), transferId, time));
}

bool WriteLogFile(const std::string& path, const std::string& transferId, const std::tm& time,
                  const TLogSource& source) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path target(path);
  if (path.empty())
    return false;
  // The log only ever describes the last transfer: the old one goes first.
  fs::remove(target, ec);
  if (ec)
    return false;

  const std::string text = LogFileText(transferId, time, source);
  fs::path temp = target;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::out | std::ios::trunc);
    if (!out)
      return false;
    out << text;
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

} // namespace dtool
