#include "ui/main/setfile.h"

#include "core/insttypes.h"
#include "core/settingsowner.h"
#include "core/units.h"
#include "tools/numeric.h"
#include "tools/operatorport.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace dtool {
namespace {

bool InRange(std::int32_t v, std::int32_t lo, std::int32_t hi) {
  return v >= lo && v <= hi;
}

// A display unit record as the main window files it: a pressure unit, a velocity unit, and
// the unit the instrument shows, which is one of the two kinds.
bool DisplayUnitsUsable(TUnit dispUnit, TUnit pressUnit, TUnit velocityUnit) {
  return InUnitSet(pressUnit, PressUnitSet) && InUnitSet(velocityUnit, VelocityUnitSet) &&
         InUnitSet(dispUnit, PressUnitSet | VelocityUnitSet);
}

// The file comes from disk and may be damaged or made by hand. A value that the windows could
// not show or that would stop the program (a help language, a unit or a type it does not
// know) makes the whole file unusable, like a short one.
bool Usable(const TSetFileRecords& r) {
  const TPreferences& p = r.Prefs;
  const bool prefs = InRange(p.ComPort, 1, 8) && InUnitSet(p.PressUnit, PressUnitSet) &&
                     InUnitSet(p.VelocityUnit, VelocityUnitSet) &&
                     InUnitSet(p.AtmUnit, AtmUnitSet) && InUnitSet(p.HoseUnit, HoseUnitSet) &&
                     p.HelpLanguage <= 1 && p.LastInstType <= MaxInstType;
  const TInstInfo& i = r.InstInfo;
  const bool info = i.InstType <= MaxInstType && i.SerialNr.Valid() && i.SW_Main_uC.Valid() &&
                    i.SW_Sensor_uC.Valid() && i.SwitchMainVersion.Valid();
  return prefs && info && Class1ParamsUsable(r.Class1) && Class23ParamsUsable(r.Class23) &&
         SwitchParamsUsable(r.Switch);
}

std::optional<TSetFileRecords> ReadSetFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in)
    return std::nullopt;
  TSetFileImage image{};
  in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
  if (static_cast<std::size_t>(in.gcount()) != image.size())
    return std::nullopt;
  TSetFileRecords records = ParseSetFileImage(image);
  if (!Usable(records))
    return std::nullopt;
  return records;
}

// Writes the bytes to a temporary file beside the target, forces them to the disk and renames
// the temporary over the target. On failure the temporary is removed and the target is as
// before.
bool WriteReplacing(const std::string& fileName, const TSetFileImage& image) {
  const std::string temp = fileName + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(image.data(), 1, image.size(), f) == image.size();
  ok = std::fflush(f) == 0 && ok;
#ifdef _WIN32
  ok = ok && _commit(_fileno(f)) == 0;
#else
  ok = ok && fsync(fileno(f)) == 0;
#endif
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (ok) {
    std::filesystem::rename(temp, fileName, ec);
    ok = !ec;
  }
  if (!ok)
    std::filesystem::remove(temp, ec);
  return ok;
}

} // namespace

// The combos: interval 1..9, moving average 1..20, low-pass level 0..20.
bool Class1ParamsUsable(const TClass1Params& c1) {
  return DisplayUnitsUsable(c1.Disp_unit, c1.DispPressUnit, c1.DispVelocityUnit) &&
         InRange(c1.Speed, 1, 9) && InRange(c1.Moving_Average, 1, 20) &&
         std::isfinite(c1.Velocity_C);
}

bool Class23ParamsUsable(const TClass23Params& c23) {
  return DisplayUnitsUsable(c23.Disp_unit, c23.DispPressUnit, c23.DispVelocityUnit) &&
         InRange(c23.Filter_level, 0, 20) && std::isfinite(c23.Velocity_C);
}

bool SwitchParamsUsable(const TSwitchParams& s) {
  for (double v : {s.Hose_length, s.Atm_Press, s.Humidity, s.Gain_Sens, s.Al1Hys, s.Al2Hys,
                   s.Al1Thre, s.Al2Thre})
    if (!std::isfinite(v))
      return false;
  return InRange(s.AlInt, 1, 9);
}

void SetDefaultPrefs(ISettingsOwner& owner) {
  TPreferences& p = owner.Prefs();
  ZeroFill(p);
  p.ComPort = 1;
  p.PressUnit = unit::Pa;
  p.VelocityUnit = unit::m_s;
  p.AtmUnit = unit::hPa;
  p.HoseUnit = unit::m;
  p.Altitude = 0.0;
  p.Temperature = 15.0;
  p.HelpLanguage = 0;
  p.LastInstType = 0;
  p.MovAverFilt = 1;
  owner.SetVmode(false);
  owner.SetHelpContextForType();
}

bool LoadSetFile(ISettingsOwner& owner, TSettings& sett, const std::string& fileName) {
  const std::optional<TSetFileRecords> records = ReadSetFile(fileName);
  if (records) {
    owner.Prefs() = records->Prefs;
    sett.Class1 = records->Class1;
    sett.InstInfo = records->InstInfo;
    sett.Switch = records->Switch;
    sett.Class23 = records->Class23;
  } else {
    ErrorBox(SetFileReadError);
    SetDefaultPrefs(owner);
    sett.ResetInstInfo();
    sett.SetDefaults(false, false);
  }
  owner.SetHelpContextForType();
  return records.has_value();
}

bool SaveSetFile(ISettingsOwner& owner, const TSettings& sett, const std::string& fileName) {
  TSetFileRecords records;
  records.Prefs = owner.Prefs();
  records.Class1 = sett.Class1;
  records.InstInfo = sett.InstInfo;
  records.Switch = sett.Switch;
  records.Class23 = sett.Class23;
  if (WriteReplacing(fileName, BuildSetFileImage(records)))
    return true;
  ErrorBox(SetFileWriteError);
  return false;
}

} // namespace dtool
