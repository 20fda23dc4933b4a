#include "records/translog.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/insttypes.h"
#include "core/settings.h"
#include "core/units.h"
#include "records/realformat.h"
#include "tools/intset.h"
#include "tools/progtools.h"

namespace dtool {
namespace {

class IniWriter {
public:
  void Section(const char* name) { out_ << '[' << name << "]\n"; }
  void Text(const char* key, const std::string& value) { out_ << key << '=' << value << '\n'; }
  void Int(const char* key, long long value) { Text(key, std::to_string(value)); }
  void Bool(const char* key, bool value) { Text(key, value ? "1" : "0"); }
  void Real(const char* key, double value) { Text(key, FormatGeneralReal(value)); }
  void Unit(const char* key, TUnit value) {
    Text(key, value <= unit::Last ? UnitText(value) : std::to_string(value));
  }
  std::string Str() const { return out_.str(); }

private:
  std::ostringstream out_;
};

std::string DateTimeText(const std::tm& t) {
  std::string text = FormatDate(t);
  if (t.tm_hour != 0 || t.tm_min != 0 || t.tm_sec != 0)
    text += " " + FormatTime(t);
  return text;
}

// The keys both parameter records share, from the sensor gain to the analog gain.
template <typename Params> void WriteDisplayAndOutput(IniWriter& ini, const Params& p) {
  ini.Real("Gain_Sens", p.Gain_Sens);
  ini.Unit("Disp_unit", p.Disp_unit);
  ini.Int("Disp_contr", p.Disp_contr);
  ini.Real("An_from", p.An_from);
  ini.Real("An_to", p.An_to);
  ini.Real("An_velocity_from", p.An_velocity_from);
  ini.Real("An_velocity_to", p.An_velocity_to);
  ini.Int("An_4_20", p.An_4_20 ? 1 : 0);
  ini.Real("An_offset", p.An_offset);
  ini.Real("An_gain", p.An_gain);
}

// The velocity constants and the velocity mode flags of either record.
template <typename Params> void WriteVelocity(IniWriter& ini, const Params& p) {
  ini.Real("Velocity_C", static_cast<double>(p.Velocity_C));
  ini.Real("Velocity_n", p.Velocity_n);
  ini.Int("Velocity_to_RS232", p.Velocity_to_RS232 ? 1 : 0);
  ini.Int("Velocity_to_AnOut", p.Velocity_to_AnOut ? 1 : 0);
}

void WriteAlarm(IniWriter& ini, const char* prefix, const TAlarmGroup& al) {
  auto key = [prefix](const char* name) { return std::string(prefix) + name; };
  ini.Bool(key("PressOver").c_str(), al.PressOver != 0);
  ini.Bool(key("VelocityOver").c_str(), al.VelocityOver != 0);
  ini.Real(key("ThresPress").c_str(), al.ThresPress);
  ini.Real(key("ThresVelocity").c_str(), al.ThresVelocity);
  ini.Real(key("HysPress").c_str(), al.HysPress);
  ini.Real(key("HysVelocity").c_str(), al.HysVelocity);
  ini.Real(key("DelayPress").c_str(), al.DelayPress);
  ini.Real(key("DelayVelocity").c_str(), al.DelayVelocity);
}

} // namespace

std::string LogFileText(const std::string& transferId, const std::tm& time, const TLogSource& src) {
  TIntSet fixedConventions;
  const TSettings& sett = src.Settings;
  IniWriter ini;

  ini.Section("Main_Info");
  ini.Text("App_Name", GetAppTitle());
  ini.Text("Version", AppVersion);
  ini.Int("Host_Cap_Level", HostCapLevel);
  ini.Text("Trans_Date", DateTimeText(time));
  ini.Text("Trans_ID", transferId);
  ini.Unit("Unit_diff_press", src.Prefs.PressUnit);
  ini.Unit("Unit_velocity", src.Prefs.VelocityUnit);
  ini.Unit("Unit_atmos_press", src.Prefs.AtmUnit);
  ini.Unit("Unit_hose_length", src.Prefs.HoseUnit);

  const TInstInfo& info = sett.InstInfo;
  if (info.InstType != 0) {
    ini.Section("Instrument");
    ini.Text("Type", src.InstTypeText);
    ini.Int("Display", InstTypeProps(info.InstType).Display ? 1 : 0);
    ini.Text("SerialNr", src.SerialText);
    ini.Text("SensorRange", src.RangeText);
    ini.Text("SW_Main_uC", "V" + info.SW_Main_uC.Get());
    ini.Text("SW_Sensor_uC", "V" + info.SW_Sensor_uC.Get());
    ini.Int("Cap_level", sett.Cap_level());
  }

  ini.Section("Instrument_Settings");
  const int cls = sett.GetInstClass();
  if (cls != ClassStatic && cls != ClassStaticZ) {
    const TClass1Params& p = sett.Class1;
    ini.Real("Hose_length", p.Hose_length);
    ini.Real("Atm_Press", p.Atm_Press);
    ini.Real("Humidity", p.Humidity);
    WriteDisplayAndOutput(ini, p);
    ini.Int("Speed", p.Speed);
    ini.Int("Moving_Average", p.Moving_Average);
    WriteVelocity(ini, p);
  } else {
    const TClass23Params& p = sett.Class23;
    WriteDisplayAndOutput(ini, p);
    ini.Int("Filter_level", p.Filter_level);
    WriteVelocity(ini, p);
    WriteAlarm(ini, "AL1_", p.AL1);
    WriteAlarm(ini, "AL2_", p.AL2);
  }
  return ini.Str();
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
