#include "records/translog.h"

#include <filesystem>
#include <system_error>

#include "core/settings.h"
#include "records/configfile.h"
#include "tools/intset.h"

namespace dtool {

namespace {

// The configuration a transfer log records.
TConfig LogConfig(const std::string& transferId, const std::tm& time, const TLogSource& src) {
  const TSettings& sett = src.Settings;
  const TInstInfo& info = sett.InstInfo;
  TConfigIdentity identity{src.InstTypeText,      src.SerialText,          src.RangeText,
                           info.SW_Main_uC.Get(), info.SW_Sensor_uC.Get(), sett.Cap_level()};
  return ConfigOf(sett, src.Prefs, std::move(identity), transferId, time);
}

} // namespace

std::string LogFileText(const std::string& transferId, const std::tm& time, const TLogSource& src) {
  TIntSet fixedConventions;
  return ConfigFileText(LogConfig(transferId, time, src));
}

bool WriteLogFile(const std::string& path, const std::string& transferId, const std::tm& time,
                  const TLogSource& source) {
  if (path.empty())
    return false;
  // The log only ever describes the last transfer: the old one goes first.
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (ec)
    return false;
  TIntSet fixedConventions;
  return WriteConfigFile(path, LogConfig(transferId, time, source));
}

} // namespace dtool
