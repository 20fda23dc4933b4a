#pragma once
// The settings object: every parameter record, the instrument identity, the original-data
// copies of the wizards, and the 568-byte image of the settings file.
#include <array>
#include <cstdint>
#include <string>

#include "core/conversion.h"
#include "core/insttypes.h"
#include "core/paramtable.h"
#include "core/records.h"
#include "core/transrec.h"

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
  // Clearing it tells the owner, which forgets the protection code while the operator is at
  // its view.
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

  // Name of the current instrument type; empty for no instrument.
  std::string InstTypeName() const { return dtool::InstTypeName(InstType()); }

  // Sets the instrument type by hand: clears the identity (the type then has no information
  // read from an instrument), remembers the type in the preferences, lets the owner show the
  // new type, reopen the link and follow with its help context. The parameter records keep
  // their values, each class its own.
  void SetInstType(std::uint8_t type);

  // Fills OO and CC of the request for a parameter (the write code when write is set), and
  // BBAA with the selector of a flag parameter. The identity's range fields have no register.
  void GenOoCc(TransRec& rec, const TParam& param, bool write) const;

  // Converts the parameter's field into the record's BBAA (toInstrument), limited to what the
  // register holds and rounded half to even, or the answer's BBAA into the field. Flag
  // parameters are not converted here: see ParamFlag.
  TConvResult ConvInst(TransRec& rec, const TParam& param, bool toInstrument);

  // The flag byte of a flag parameter (An_4_20, Velocity_to_RS232, Velocity_to_AnOut).
  std::uint8_t& ParamFlag(const TParam& param);

  // Resets parameter records to their defaults: all of them, or only the current class's.
  void SetDefaults(bool refresh, bool onlyCurrentClass);
  void ResetInstInfo();
  void SetClass1Defaults();
  void SetClass23Defaults();

private:
  TUnit DefaultDispUnit() const;
  template <typename Params> void SetDisplayUnitDefaults(Params& p);
  std::uint8_t* ParamStorage(const TParam& param, const TParamRow& row);

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

// The operator's preferences before any settings file: COM1, Pa, m/s, hPa, m, 15 °C, filter 1.
TPreferences DefaultPreferences();

TSetFileImage BuildSetFileImage(const TSetFileRecords& records);
TSetFileRecords ParseSetFileImage(const TSetFileImage& image);

// Offsets of the records in the settings file.
namespace setfile {
inline constexpr std::size_t PrefsAt = 0, Class1At = 32, InstInfoAt = 160, SwitchAt = 280,
                             Class23At = 352;
}

// Path of the settings file: program name and ".SET", in the program's folder, or in the user's
// configuration folder where the program's folder cannot be written (GetDataPfad).
std::string SettingsFileName();

} // namespace dtool
