#pragma once
// The settings object: every parameter record, the instrument identity, the original-data
// copies of the wizards, and the 568-byte image of the settings file.
#include <array>
#include <cstdint>
#include <string>

#include "core/insttypes.h"
#include "core/records.h"

namespace dtool {

class ISettingsOwner;

class TSettings {
public:
  explicit TSettings(ISettingsOwner* owner);
  TSettings(const TSettings&) = delete;
  TSettings& operator=(const TSettings&) = delete;

  ISettingsOwner* Owner() const { return owner_; }

  // Parameter records and identity. The wizards' original-data copies are not stored.
  TClass1Params Class1{};
  TSwitchParams Switch{};
  TClass23Params Class23{};
  TInstInfo InstInfo{};
  TClass1Params OrigClass1{};
  TClass23Params OrigClass23{};

  // The configuration was read from or written to the instrument successfully.
  bool ConfigRead() const { return configRead_; }
  // Clearing it tells the owner, which forgets the protection code while it is active.
  void SetConfigRead(bool read);

  // Unit in which the analog offset shows: 12 "V" or 13 "mA". Setting it refreshes the owner.
  TUnit AnOffsetUnit() const { return anOffsetUnit_; }
  void SetAnOffsetUnit(TUnit unit);

  std::int32_t Cap_level() const { return Class1.Cap_level; }

  // Current instrument type and class.
  std::uint8_t InstType() const { return InstInfo.InstType; }
  int GetInstClass() const { return ClassOfType(InstInfo.InstType); }

  // Velocity mode of the current class: classes 0 and 4 have none.
  bool GetVelocityMode() const;
  void SetVelocityMode(bool on);

  // Resets parameter records to their defaults: all of them, or only the current class's.
  void SetDefaults(bool refresh, bool onlyCurrentClass);
  void ResetInstInfo();
  void SetClass1Defaults();
  void SetClass23Defaults();

private:
  TUnit DefaultDispUnit() const;

  ISettingsOwner* owner_;
  bool configRead_ = false;
  TUnit anOffsetUnit_ = unit::mA;
};

// The settings file: TPreferences, TClass1Params, TInstInfo, TSwitchParams, TClass23Params.
inline constexpr std::size_t SetFileSize = 568;
using TSetFileImage = std::array<std::uint8_t, SetFileSize>;

struct TSetFileRecords {
  TPreferences Prefs{};
  TClass1Params Class1{};
  TInstInfo InstInfo{};
  TSwitchParams Switch{};
  TClass23Params Class23{};
};

TSetFileImage BuildSetFileImage(const TSetFileRecords& records);
TSetFileRecords ParseSetFileImage(const TSetFileImage& image);

// Offsets of the records in the settings file.
namespace setfile {
inline constexpr std::size_t PrefsAt = 0, Class1At = 32, InstInfoAt = 160, SwitchAt = 280,
                             Class23At = 352;
}

// Path of the settings file: program folder, program name, ".SET".
std::string SettingsFileName();

} // namespace dtool
