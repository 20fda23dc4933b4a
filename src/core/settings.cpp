#include "core/settings.h"

#include "core/settingsowner.h"
#include "tools/numeric.h"
#include "tools/progtools.h"

#include <cstring>

namespace dtool {

void SetSwitchDefaults(TSwitchParams& rec) {
  ZeroFill(rec);
  rec.AlInt = 5;
  rec.Atm_Press = 966.0;
  rec.Hose_length = 0.3;
  rec.Humidity = 50.0;
  rec.Al1Thre = 10.0;
  rec.Al2Thre = -5.0;
  rec.Gain_Sens = 1.0;
}

void SetAlarmDefaults(TClass23Params& rec) {
  ZeroFill(rec.AL1);
  ZeroFill(rec.AL2);
  rec.AL1.PressOver = 0;
  rec.AL1.VelocityOver = 0;
  rec.AL1.ThresPress = -300.0;
  rec.AL1.ThresVelocity = -30.0;
  rec.AL1.HysPress = 1.0;
  rec.AL1.HysVelocity = 1.0;
  rec.AL2.PressOver = 1;
  rec.AL2.VelocityOver = 1;
  rec.AL2.ThresPress = 300.0;
  rec.AL2.ThresVelocity = 30.0;
  rec.AL2.HysPress = 1.0;
  rec.AL2.HysVelocity = 1.0;
}

TSettings::TSettings(ISettingsOwner* owner) : owner_(owner) {
  ZeroFill(Class1);
  ZeroFill(Switch);
  ZeroFill(Class23);
  ZeroFill(OrigClass1);
  ZeroFill(OrigClass23);
  ResetInstInfo();
  anOffsetUnit_ = unit::mA;
}

void TSettings::SetConfigRead(bool read) {
  configRead_ = read;
  if (!read && owner_)
    owner_->ConfigReadCleared();
}

void TSettings::SetAnOffsetUnit(TUnit u) {
  anOffsetUnit_ = u;
  if (owner_)
    owner_->WriteSetToField_();
}

bool TSettings::GetVelocityMode() const {
  switch (GetInstClass()) {
  case ClassTransmitter:
    return Class1.Velocity_to_RS232 != 0;
  case ClassStatic:
  case ClassStaticZ:
    return Class23.Velocity_to_RS232 != 0;
  default:
    return false;
  }
}

void TSettings::SetVelocityMode(bool on) {
  const std::uint8_t flag = on ? 1 : 0;
  switch (GetInstClass()) {
  case ClassTransmitter:
    Class1.Velocity_to_RS232 = flag;
    Class1.Velocity_to_AnOut = flag;
    break;
  case ClassStatic:
  case ClassStaticZ:
    Class23.Velocity_to_RS232 = flag;
    Class23.Velocity_to_AnOut = flag;
    break;
  default:
    break;
  }
}

void TSettings::SetInstType(std::uint8_t type) {
  ResetInstInfo();
  InstInfo.InstType = type;
  InstInfo.TypeWithoutInfo = 1;
  if (!owner_)
    return;
  owner_->Prefs().LastInstType = type;
  owner_->ShowInstIdentity();
  owner_->WriteSetToField_();
  owner_->RefreshButtons();
  owner_->ReopenLink();
  owner_->SetHelpContextForType();
}

// The display unit of the current velocity mode, read from the current class's record.
TUnit TSettings::DefaultDispUnit() const {
  switch (GetInstClass()) {
  case ClassTransmitter:
    return GetVelocityMode() ? Class1.DispVelocityUnit : Class1.DispPressUnit;
  case ClassStatic:
  case ClassStaticZ:
    return GetVelocityMode() ? Class23.DispVelocityUnit : Class23.DispPressUnit;
  default:
    return unit::Pa;
  }
}

namespace {

// The defaults both analog parameter records share, besides their display units.
template <typename Params> void SetSharedDefaults(Params& p) {
  p.Gain_Sens = 1.0;
  p.Disp_contr = 7;
  p.An_from = 0;
  p.An_to = 20;
  p.An_velocity_from = 0;
  p.An_velocity_to = 1.0;
  p.An_4_20 = 1;
  p.An_offset = 0;
  p.An_gain = 1.0;
  p.Velocity_n = 2.0;
  p.Velocity_C = 0.6125f;
}

} // namespace

// The preferred display units, then the display unit of the current velocity mode; this
// runs after the record was zeroed, so a reset of the current class's record gives Pa.
template <typename Params> void TSettings::SetDisplayUnitDefaults(Params& p) {
  p.DispPressUnit = unit::Pa;
  p.DispVelocityUnit = unit::m_s;
  p.Disp_unit = DefaultDispUnit();
}

void TSettings::SetClass1Defaults() {
  ZeroFill(Class1);
  SetDisplayUnitDefaults(Class1);
  SetSharedDefaults(Class1);
  Class1.Hose_length = 0.3;
  Class1.Atm_Press = 966;
  Class1.Humidity = 50;
  Class1.Speed = 5;
  Class1.Moving_Average = 1;
}

void TSettings::SetClass23Defaults() {
  ZeroFill(Class23);
  SetAlarmDefaults(Class23);
  SetDisplayUnitDefaults(Class23);
  SetSharedDefaults(Class23);
}

void TSettings::SetDefaults(bool refresh, bool onlyCurrentClass) {
  const int type = InstType();
  if (!onlyCurrentClass || type == 9)
    SetSwitchDefaults(Switch);
  if (!onlyCurrentClass || (type >= 1 && type <= 8))
    SetClass23Defaults();
  if (!onlyCurrentClass || type == 10 || type == 11)
    SetClass1Defaults();
  if (refresh && owner_)
    owner_->WriteSetToField_();
}

void TSettings::ResetInstInfo() {
  ZeroFill(InstInfo);
  InstInfo.AnOutCurrent = 1;
}

TSetFileImage BuildSetFileImage(const TSetFileRecords& r) {
  TSetFileImage image{};
  std::memcpy(image.data() + setfile::PrefsAt, &r.Prefs, sizeof r.Prefs);
  std::memcpy(image.data() + setfile::Class1At, &r.Class1, sizeof r.Class1);
  std::memcpy(image.data() + setfile::InstInfoAt, &r.InstInfo, sizeof r.InstInfo);
  std::memcpy(image.data() + setfile::SwitchAt, &r.Switch, sizeof r.Switch);
  std::memcpy(image.data() + setfile::Class23At, &r.Class23, sizeof r.Class23);
  return image;
}

TPreferences DefaultPreferences() {
  TPreferences p{};
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
  return p;
}

TSetFileRecords ParseSetFileImage(const TSetFileImage& image) {
  TSetFileRecords r;
  std::memcpy(&r.Prefs, image.data() + setfile::PrefsAt, sizeof r.Prefs);
  std::memcpy(&r.Class1, image.data() + setfile::Class1At, sizeof r.Class1);
  std::memcpy(&r.InstInfo, image.data() + setfile::InstInfoAt, sizeof r.InstInfo);
  std::memcpy(&r.Switch, image.data() + setfile::SwitchAt, sizeof r.Switch);
  std::memcpy(&r.Class23, image.data() + setfile::Class23At, sizeof r.Class23);
  return r;
}

static_assert(setfile::Class23At + sizeof(TClass23Params) == SetFileSize);

std::string SettingsFileName() {
  return GetDataPfad() + GetProgName() + ".SET";
}

} // namespace dtool
