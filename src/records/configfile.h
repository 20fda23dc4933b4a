#pragma once
// The configuration file: the text of a transfer log, read back. It names the preferred
// units, the instrument it came from and every parameter of that instrument's record, so a
// file written after a read can later be checked and written to an instrument of the same
// class, or compared with one.
//
// What a file must hold, and what it may:
// - [Main_Info] with Unit_diff_press, Unit_velocity, Unit_atmos_press and Unit_hose_length,
//   each a unit of its kind. App_Name, Version, Host_Cap_Level (0 up to this program's level),
//   Trans_Date ("dd.MM.yy" or "dd.MM.yy HH:mm:ss") and Trans_ID may be left out.
// - [Instrument], which may be left out as a whole; when present it names the instrument type
//   with Type (the type's name). Display (must agree with the type), SerialNr, SensorRange,
//   SW_Main_uC and SW_Sensor_uC (each "V" and the version) and Cap_level (0..65535) may be
//   left out.
// - [Instrument_Settings] with every key of one record: class 1, classes 2 and 3, or the
//   switch. A file is complete: a configuration written to an instrument says every value,
//   and a key left out is an error rather than a silent default. Without [Instrument] the
//   keys decide the record; a type named there must be of the keys' class.
// No other section or key, and no key twice. Key and section names are case-sensitive.
// Reals are written with "." and up to 15 significant digits, so every value read back is
// the value written. A UTF-8 byte-order mark, CRLF line ends, blanks around "=" and around
// names, empty lines and comment lines (first character ";" or "#") are accepted; a value
// runs to the end of its line.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "core/paramview.h"

namespace dtool {

class TSettings;

// Files larger than this are refused unread.
inline constexpr std::size_t MaxConfigFileSize = 1 << 20;

// The instrument a configuration came from: the texts of [Instrument].
struct TConfigIdentity {
  std::string TypeText;      // Type: the type's name
  std::string SerialNr;      // SerialNr
  std::string SensorRange;   // SensorRange, as the main window shows it ("-100 .. 100 Pa")
  std::string SwMain;        // SW_Main_uC without its leading "V"
  std::string SwSensor;      // SW_Sensor_uC without its leading "V"
  std::int32_t CapLevel = 0; // Cap_level
  bool operator==(const TConfigIdentity&) const = default;
};

// A configuration: what a configuration file holds.
struct TConfig {
  std::uint8_t InstType = 0; // the type named in [Instrument]; 0 when the file names none
  TRecordKind Record = TRecordKind::Class1; // the record [Instrument_Settings] holds
  TViewUnits Units;                         // the preferred units of [Main_Info]
  TConfigIdentity Identity;                 // [Instrument]; empty texts when absent
  std::string TransferId;                   // Trans_ID
  std::optional<std::tm> TransferTime;      // Trans_Date
  // The record of Record holds the file's values: every field the file names; Cap_level
  // (class 1) from the identity; of DispPressUnit and DispVelocityUnit the one of Disp_unit's
  // kind takes Disp_unit and the other keeps its default; reserved bytes are 0. The other
  // two records hold their defaults.
  TParamRecords Params;
};

// The same configuration: the same type, units, identity and transfer, and the same bytes in
// the record the configuration holds.
bool operator==(const TConfig& a, const TConfig& b);

// Why a file was refused. Line is 1-based, 0 when the fault is not on one line; Key is empty
// when it is not about one key.
struct TConfigError {
  std::string File;
  int Line = 0;
  std::string Key;
  std::string Text;
  // One line: `config.ini, line 17, key "An_gain": 70000 is outside 0..6.5535 (...)`.
  std::string Message() const;
};

// Either a configuration or the first fault found; never both.
struct TConfigRead {
  std::optional<TConfig> Config;
  TConfigError Error; // meaningful when Config is empty
};

// Bounds beyond what the file and the records carry, known only with an instrument.
struct TConfigBounds {
  // The switch library's bounds (GetFConst, GetIConst maxDly); compared in single precision.
  std::optional<TSwitchLimits> Switch;
};

// Reads and checks a configuration. fileName is used only in messages. Every key and value is
// checked: unknown or missing sections and keys, keys twice, values that are not numbers,
// units or booleans of their kind, non-finite reals, values outside what the instrument's
// register takes, outside the program's lists or the switch record's ranges (or the bounds
// given), and a type whose class is not the keys'. Nothing of a refused file is returned.
TConfigRead ParseConfigText(std::string_view text, const std::string& fileName,
                            const TConfigBounds& bounds = {});

// Reads the file at path and parses it; a missing, unreadable or oversized file is an error
// naming the path.
TConfigRead ReadConfigFile(const std::string& path, const TConfigBounds& bounds = {});

// The file's text, as the transfer log writes it: [Main_Info] with this program's name,
// version and capability level, [Instrument] when a type is named, and the record's keys.
std::string ConfigFileText(const TConfig& config);

// Writes the text to path through a temporary file renamed into place: afterwards the file
// is the new one or, on failure, the previous one. False on failure.
bool WriteConfigFile(const std::string& path, const TConfig& config);

// The identity texts the main window shows for an instrument: no serial number and range
// for a type without information read from the instrument.
TConfigIdentity IdentityOf(const TInstInfo& info, std::int32_t capLevel);

// The configuration of the settings object's current instrument: its type, the record of its
// class (class 4: the class-1 record), the preferred units and the identity given.
TConfig ConfigOf(const TSettings& sett, const TPreferences& prefs, TConfigIdentity identity,
                 std::string transferId, const std::optional<std::tm>& time);

// Whether a configuration may go to an instrument of the type: the same record, and when the
// file names a type, the same class ("Z" and other static models differ).
bool ConfigFitsType(const TConfig& config, std::uint8_t instType);

// Copies the configuration's values into the settings object's record of its kind: every
// field the file names. The settings keep their Cap_level and, of DispPressUnit and
// DispVelocityUnit, the one of the other kind than Disp_unit; the other records, the
// identity and the type are untouched.
void ApplyConfig(const TConfig& config, TSettings& sett);

// For a fuzz target: parses the bytes; when they are a configuration, writes it, parses the
// text again and writes that again. True when the bytes are refused with a message, or when
// both parses give the same configuration and both writes the same text.
bool ConfigParseHolds(const std::uint8_t* data, std::size_t size);

} // namespace dtool
