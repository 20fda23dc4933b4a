#include "ui/main/setfile.h"

#include "core/insttypes.h"
#include "core/settingsowner.h"
#include "core/units.h"
#include "tools/numeric.h"
#include "tools/operatorport.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dtool {
namespace {

namespace fs = std::filesystem;

bool InRange(std::int32_t v, std::int32_t lo, std::int32_t hi) {
  return v >= lo && v <= hi;
}

bool AllFinite(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v))
      return false;
  return true;
}

bool AlarmGroupFinite(const TAlarmGroup& a) {
  return AllFinite(
      {a.ThresPress, a.ThresVelocity, a.HysPress, a.HysVelocity, a.DelayPress, a.DelayVelocity});
}

// A display unit record as the main window files it: a pressure unit, a velocity unit, and
// the unit the instrument shows, which is one of the two kinds.
bool DisplayUnitsUsable(TUnit dispUnit, TUnit pressUnit, TUnit velocityUnit) {
  return InUnitSet(pressUnit, PressUnitSet) && InUnitSet(velocityUnit, VelocityUnitSet) &&
         InUnitSet(dispUnit, PressUnitSet | VelocityUnitSet);
}

// The file comes from disk and may be damaged or made by hand. A value that the windows could
// not show or that would stop the program (a help language, a unit or a type it does not
// know, a number that is not finite) makes the whole file unusable, like a short one.
bool Usable(const TSetFileRecords& r) {
  const TPreferences& p = r.Prefs;
  const bool prefs = InRange(p.ComPort, 1, 8) && InUnitSet(p.PressUnit, PressUnitSet) &&
                     InUnitSet(p.VelocityUnit, VelocityUnitSet) &&
                     InUnitSet(p.AtmUnit, AtmUnitSet) && InUnitSet(p.HoseUnit, HoseUnitSet) &&
                     p.HelpLanguage <= 1 && p.LastInstType <= MaxInstType &&
                     AllFinite({p.Altitude, p.Temperature});
  const TInstInfo& i = r.InstInfo;
  const bool info = i.InstType <= MaxInstType && i.SerialNr.Valid() && i.SW_Main_uC.Valid() &&
                    i.SW_Sensor_uC.Valid() && i.SwitchMainVersion.Valid() &&
                    AllFinite({i.RangeMax, i.RangeMin});
  return prefs && info && Class1ParamsUsable(r.Class1) && Class23ParamsUsable(r.Class23) &&
         SwitchParamsUsable(r.Switch);
}

// Reads the first bytes of the file into the image. Only a regular file is read, and opening
// never waits: a pipe or a device in its place would hold up the start.
bool ReadImage(const std::string& fileName, TSetFileImage& image) {
#ifdef _WIN32
  std::error_code ec;
  if (!fs::is_regular_file(fileName, ec))
    return false;
  std::ifstream in(fileName, std::ios::binary);
  if (!in)
    return false;
  in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
  return static_cast<std::size_t>(in.gcount()) == image.size();
#else
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0)
    return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  std::size_t got = 0;
  while (ok && got < image.size()) {
    const ssize_t n = ::read(fd, image.data() + got, image.size() - got);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return ok && got == image.size();
#endif
}

std::optional<TSetFileRecords> ReadSetFile(const std::string& fileName) {
  TSetFileImage image{};
  if (!ReadImage(fileName, image))
    return std::nullopt;
  TSetFileRecords records = ParseSetFileImage(image);
  if (!Usable(records))
    return std::nullopt;
  return records;
}

// Whether something other than a folder stands at the path (a symbolic link counts as itself).
bool FileStandsAt(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  return !ec && fs::exists(st) && !fs::is_directory(st);
}

// Renames a file the program cannot use to the first free name fileName.bad, .bad2, ...,
// so that the file written in its place does not destroy it. The new name, or empty when
// it could not be renamed.
std::string SetAside(const std::string& fileName) {
  for (int n = 1; n <= 99; ++n) {
    const std::string aside = fileName + ".bad" + (n == 1 ? std::string() : std::to_string(n));
    std::error_code ec;
    if (fs::exists(fs::symlink_status(aside, ec)))
      continue;
    fs::rename(fileName, aside, ec);
    return ec ? std::string() : aside;
  }
  return std::string();
}

// Writes the bytes to a temporary file beside the target, forces them to the disk and renames
// the temporary over the target. A temporary left by an interrupted run is removed first and
// never written through. On failure the temporary is removed and the target is as before.
bool WriteReplacing(const std::string& fileName, const TSetFileImage& image) {
  const std::string temp = fileName + ".tmp";
  std::error_code ec;
  if (FileStandsAt(temp))
    fs::remove(temp, ec);
#ifdef _WIN32
  std::FILE* f = std::fopen(temp.c_str(), "wb");
#else
  // Created afresh: anything that still stands at the name makes the save fail instead.
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  std::FILE* f = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
  if (fd >= 0 && f == nullptr)
    ::close(fd);
#endif
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
  if (ok) {
    fs::rename(temp, fileName, ec);
    ok = !ec;
  }
  if (!ok)
    fs::remove(temp, ec);
  return ok;
}

} // namespace

// The combos: interval 1..9, moving average 1..20, low-pass level 0..20.
bool Class1ParamsUsable(const TClass1Params& c1) {
  return DisplayUnitsUsable(c1.Disp_unit, c1.DispPressUnit, c1.DispVelocityUnit) &&
         InRange(c1.Speed, 1, 9) && InRange(c1.Moving_Average, 1, 20) &&
         AllFinite({c1.Hose_length, c1.Atm_Press, c1.Humidity, c1.Gain_Sens, c1.An_from, c1.An_to,
                    c1.An_velocity_from, c1.An_velocity_to, c1.An_offset, c1.An_gain, c1.Velocity_C,
                    c1.Velocity_n});
}

bool Class23ParamsUsable(const TClass23Params& c23) {
  return DisplayUnitsUsable(c23.Disp_unit, c23.DispPressUnit, c23.DispVelocityUnit) &&
         InRange(c23.Filter_level, 0, 20) &&
         AllFinite({c23.Gain_Sens, c23.An_from, c23.An_to, c23.An_velocity_from, c23.An_velocity_to,
                    c23.An_offset, c23.An_gain, c23.Velocity_C, c23.Velocity_n}) &&
         AlarmGroupFinite(c23.AL1) && AlarmGroupFinite(c23.AL2);
}

bool SwitchParamsUsable(const TSwitchParams& s) {
  return AllFinite({s.Hose_length, s.Atm_Press, s.Humidity, s.Gain_Sens, s.Al1Hys, s.Al2Hys,
                    s.Al1Thre, s.Al2Thre}) &&
         InRange(s.AlInt, 1, 9);
}

void SetDefaultPrefs(ISettingsOwner& owner) {
  TPreferences& p = owner.Prefs();
  ZeroFill(p);
  p = DefaultPreferences();
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
    std::string message = SetFileReadError;
    // A file that is there but cannot be used is kept under another name: the file written
    // at close must not destroy it.
    if (FileStandsAt(fileName)) {
      const std::string aside = SetAside(fileName);
      message += aside.empty()
                     ? "The file \"" + fileName + "\" could not be set aside and is not replaced."
                     : "The unusable file was kept as \"" + aside + "\".";
    }
    ErrorBox(message);
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
  // A file that cannot be used and could not be set aside when it was read is not replaced.
  const bool keep = FileStandsAt(fileName) && !ReadSetFile(fileName) && SetAside(fileName).empty();
  if (!keep && WriteReplacing(fileName, BuildSetFileImage(records)))
    return true;
  ErrorBox(SetFileWriteError);
  return false;
}

} // namespace dtool
