#pragma once
// Byte images of the parameter and identity records. They are written byte for byte to
// the settings file, and TSwitchParams is also the record the switch link library moves.
// Every field sits at its natural alignment, so the layout needs no packing; the
// static_asserts below fail the build if a field ever moves.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/units.h"

namespace dtool {

static_assert(std::endian::native == std::endian::little, "records are little-endian images");

// A short string: one length byte and up to 20 characters. Reads clamp the length to 20.
struct TShortString {
  static constexpr std::size_t MaxLen = 20;
  std::uint8_t Len;
  char Chars[MaxLen];

  std::string Get() const { return std::string(Chars, std::min<std::size_t>(Len, MaxLen)); }
  void Set(std::string_view s) {
    const std::size_t n = std::min(s.size(), MaxLen);
    std::memset(Chars, 0, MaxLen);
    std::memcpy(Chars, s.data(), n);
    Len = static_cast<std::uint8_t>(n);
  }
  bool Valid() const { return Len <= MaxLen; }
};
static_assert(sizeof(TShortString) == 21);

struct TClass1Params {
  std::int32_t Cap_level;
  std::uint8_t Reserved4[4];
  double Hose_length;
  double Atm_Press;
  double Humidity;
  double Gain_Sens;
  TUnit Disp_unit;
  TUnit DispPressUnit;
  TUnit DispVelocityUnit;
  std::uint8_t Reserved43;
  std::int32_t Disp_contr;
  double An_from;
  double An_to;
  double An_velocity_from;
  double An_velocity_to;
  std::uint8_t An_4_20;
  std::uint8_t Reserved81[7];
  double An_offset;
  double An_gain;
  std::int32_t Speed;
  std::int32_t Moving_Average;
  std::uint8_t Velocity_to_RS232;
  std::uint8_t Velocity_to_AnOut;
  std::uint8_t Reserved114[2];
  float Velocity_C;
  double Velocity_n;
};

struct TSwitchParams {
  double Hose_length;
  double Atm_Press;
  double Humidity;
  double Gain_Sens;
  std::uint8_t AlInt;
  std::uint8_t Al1Dly;
  std::uint8_t Al2Dly;
  std::uint8_t Reserved35[5];
  double Al1Hys;
  double Al2Hys;
  double Al1Thre;
  double Al2Thre;
};

// One alarm group of the class-2/3 record; alarm 2 has the same layout.
struct TAlarmGroup {
  std::uint8_t PressOver;
  std::uint8_t VelocityOver;
  std::uint8_t Reserved2[6];
  double ThresPress;
  double ThresVelocity;
  double HysPress;
  double HysVelocity;
  double DelayPress;
  double DelayVelocity;
};

struct TClass23Params {
  std::uint8_t Reserved0[8];
  double Gain_Sens;
  TUnit Disp_unit;
  TUnit DispPressUnit;
  TUnit DispVelocityUnit;
  std::uint8_t Reserved19;
  std::int32_t Disp_contr;
  double An_from;
  double An_to;
  double An_velocity_from;
  double An_velocity_to;
  std::uint8_t An_4_20;
  std::uint8_t Reserved57[7];
  double An_offset;
  double An_gain;
  std::int32_t Filter_level;
  std::uint8_t Velocity_to_RS232;
  std::uint8_t Velocity_to_AnOut;
  std::uint8_t Reserved86[2];
  float Velocity_C;
  std::uint8_t Reserved92[4];
  double Velocity_n;
  TAlarmGroup AL1; // AL1_PressOver, AL1_ThresPress, ...
  TAlarmGroup AL2; // AL2_PressOver, AL2_ThresPress, ...
};

struct TInstInfo {
  double RangeMax;
  double RangeMin;
  std::uint8_t InstType;
  TShortString SerialNr;
  TShortString SW_Main_uC;
  TShortString SW_Sensor_uC;
  std::uint8_t AnOutCurrent;
  std::uint8_t Reserved81[3];
  std::uint32_t RequiredHostLevel;
  std::uint8_t TypeWithoutInfo;
  std::uint8_t Reserved89[3];
  std::uint32_t SwitchCompVersion;
  TShortString SwitchMainVersion;
  std::uint8_t Reserved117[3];
};

struct TPreferences {
  std::int32_t ComPort;
  TUnit PressUnit;
  TUnit VelocityUnit;
  TUnit AtmUnit;
  TUnit HoseUnit;
  double Altitude;
  double Temperature;
  std::uint8_t HelpLanguage;
  std::uint8_t LastInstType;
  std::uint8_t Reserved26[2];
  std::int32_t MovAverFilt;
};

// clang-format off
#define DTOOL_AT(rec, field, off) static_assert(offsetof(rec, field) == (off), #rec "." #field)
static_assert(sizeof(TClass1Params) == 128);
DTOOL_AT(TClass1Params, Cap_level, 0);         DTOOL_AT(TClass1Params, Hose_length, 8);
DTOOL_AT(TClass1Params, Atm_Press, 16);        DTOOL_AT(TClass1Params, Humidity, 24);
DTOOL_AT(TClass1Params, Gain_Sens, 32);        DTOOL_AT(TClass1Params, Disp_unit, 40);
DTOOL_AT(TClass1Params, DispPressUnit, 41);    DTOOL_AT(TClass1Params, DispVelocityUnit, 42);
DTOOL_AT(TClass1Params, Disp_contr, 44);       DTOOL_AT(TClass1Params, An_from, 48);
DTOOL_AT(TClass1Params, An_to, 56);            DTOOL_AT(TClass1Params, An_velocity_from, 64);
DTOOL_AT(TClass1Params, An_velocity_to, 72);   DTOOL_AT(TClass1Params, An_4_20, 80);
DTOOL_AT(TClass1Params, An_offset, 88);        DTOOL_AT(TClass1Params, An_gain, 96);
DTOOL_AT(TClass1Params, Speed, 104);           DTOOL_AT(TClass1Params, Moving_Average, 108);
DTOOL_AT(TClass1Params, Velocity_to_RS232, 112); DTOOL_AT(TClass1Params, Velocity_to_AnOut, 113);
DTOOL_AT(TClass1Params, Velocity_C, 116);      DTOOL_AT(TClass1Params, Velocity_n, 120);

static_assert(sizeof(TSwitchParams) == 72);
DTOOL_AT(TSwitchParams, Hose_length, 0);       DTOOL_AT(TSwitchParams, Atm_Press, 8);
DTOOL_AT(TSwitchParams, Humidity, 16);         DTOOL_AT(TSwitchParams, Gain_Sens, 24);
DTOOL_AT(TSwitchParams, AlInt, 32);            DTOOL_AT(TSwitchParams, Al1Dly, 33);
DTOOL_AT(TSwitchParams, Al2Dly, 34);           DTOOL_AT(TSwitchParams, Al1Hys, 40);
DTOOL_AT(TSwitchParams, Al2Hys, 48);           DTOOL_AT(TSwitchParams, Al1Thre, 56);
DTOOL_AT(TSwitchParams, Al2Thre, 64);

static_assert(sizeof(TAlarmGroup) == 56);
DTOOL_AT(TAlarmGroup, PressOver, 0);           DTOOL_AT(TAlarmGroup, VelocityOver, 1);
DTOOL_AT(TAlarmGroup, ThresPress, 8);          DTOOL_AT(TAlarmGroup, ThresVelocity, 16);
DTOOL_AT(TAlarmGroup, HysPress, 24);           DTOOL_AT(TAlarmGroup, HysVelocity, 32);
DTOOL_AT(TAlarmGroup, DelayPress, 40);         DTOOL_AT(TAlarmGroup, DelayVelocity, 48);

static_assert(sizeof(TClass23Params) == 216);
DTOOL_AT(TClass23Params, Gain_Sens, 8);        DTOOL_AT(TClass23Params, Disp_unit, 16);
DTOOL_AT(TClass23Params, DispPressUnit, 17);   DTOOL_AT(TClass23Params, DispVelocityUnit, 18);
DTOOL_AT(TClass23Params, Disp_contr, 20);      DTOOL_AT(TClass23Params, An_from, 24);
DTOOL_AT(TClass23Params, An_to, 32);           DTOOL_AT(TClass23Params, An_velocity_from, 40);
DTOOL_AT(TClass23Params, An_velocity_to, 48);  DTOOL_AT(TClass23Params, An_4_20, 56);
DTOOL_AT(TClass23Params, An_offset, 64);       DTOOL_AT(TClass23Params, An_gain, 72);
DTOOL_AT(TClass23Params, Filter_level, 80);    DTOOL_AT(TClass23Params, Velocity_to_RS232, 84);
DTOOL_AT(TClass23Params, Velocity_to_AnOut, 85); DTOOL_AT(TClass23Params, Velocity_C, 88);
DTOOL_AT(TClass23Params, Velocity_n, 96);      DTOOL_AT(TClass23Params, AL1, 104);
DTOOL_AT(TClass23Params, AL2, 160);

static_assert(sizeof(TInstInfo) == 120);
DTOOL_AT(TInstInfo, RangeMax, 0);              DTOOL_AT(TInstInfo, RangeMin, 8);
DTOOL_AT(TInstInfo, InstType, 16);             DTOOL_AT(TInstInfo, SerialNr, 17);
DTOOL_AT(TInstInfo, SW_Main_uC, 38);           DTOOL_AT(TInstInfo, SW_Sensor_uC, 59);
DTOOL_AT(TInstInfo, AnOutCurrent, 80);         DTOOL_AT(TInstInfo, RequiredHostLevel, 84);
DTOOL_AT(TInstInfo, TypeWithoutInfo, 88);      DTOOL_AT(TInstInfo, SwitchCompVersion, 92);
DTOOL_AT(TInstInfo, SwitchMainVersion, 96);

static_assert(sizeof(TPreferences) == 32);
DTOOL_AT(TPreferences, ComPort, 0);            DTOOL_AT(TPreferences, PressUnit, 4);
DTOOL_AT(TPreferences, VelocityUnit, 5);       DTOOL_AT(TPreferences, AtmUnit, 6);
DTOOL_AT(TPreferences, HoseUnit, 7);           DTOOL_AT(TPreferences, Altitude, 8);
DTOOL_AT(TPreferences, Temperature, 16);       DTOOL_AT(TPreferences, HelpLanguage, 24);
DTOOL_AT(TPreferences, LastInstType, 25);      DTOOL_AT(TPreferences, MovAverFilt, 28);
#undef DTOOL_AT
// clang-format on

static_assert(std::is_trivially_copyable_v<TClass1Params> &&
              std::is_trivially_copyable_v<TSwitchParams> &&
              std::is_trivially_copyable_v<TClass23Params> &&
              std::is_trivially_copyable_v<TInstInfo> &&
              std::is_trivially_copyable_v<TPreferences>);

// The record defaults that need no instrument class.
void SetSwitchDefaults(TSwitchParams& rec);
void SetAlarmDefaults(TClass23Params& rec);

} // namespace dtool
