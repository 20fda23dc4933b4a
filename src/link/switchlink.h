#pragma once
// Contract of the switch link library DSwitch (type 9): the records it exchanges, its
// callback and its functions. Every function returns an int32 status; unless marked, the
// first argument is the COM port (1..8). 0 or less is success.
#include <cstddef>
#include <cstdint>

#include "core/records.h"
#include "link/linkcommon.h"

namespace dtool {

#pragma pack(push, 1)
// What GetInfos reports about the switch.
struct TSwitchInfos {
  std::int32_t Range;         // upper end of the sensor range, Pa
  std::int32_t SerialNr;      // serial number
  std::int32_t MainVersion;   // main version times 10
  std::int32_t SecondVersion; // second version times 10
  std::int32_t CompVersion;   // component version
};
#pragma pack(pop)

static_assert(sizeof(TSwitchInfos) == 20);
static_assert(offsetof(TSwitchInfos, Range) == 0 && offsetof(TSwitchInfos, SerialNr) == 4 &&
              offsetof(TSwitchInfos, MainVersion) == 8 &&
              offsetof(TSwitchInfos, SecondVersion) == 12 &&
              offsetof(TSwitchInfos, CompVersion) == 16);
static_assert(sizeof(TSwitchParams) == 72, "the switch link moves the 72-byte record");

namespace swstatus {
// SetConf, SetProtectCode, ZeroAdj: the protection code is missing or wrong.
inline constexpr std::int32_t Protected = 13;
// GetConf: the configuration was written by a newer tool.
inline constexpr std::int32_t NewerConfig = -1;
} // namespace swstatus

// Reading codes of GetPressInst and GetPressPar; 1, 3 and any other code mean no signal.
namespace swreading {
inline constexpr std::int32_t Valid = 0;
inline constexpr std::int32_t NoSignal = 3;
inline constexpr std::int32_t NoData = 7;
inline constexpr std::int32_t Overflow = 9;
inline constexpr std::int32_t NoConfig = 11;
} // namespace swreading

// Ids of GetIConst.
namespace swiconst {
inline constexpr std::int32_t maxDly = 6;      // largest alarm delay, in intervals
inline constexpr std::int32_t I_MAVR_MIN = 9;  // shortest moving-average filter
inline constexpr std::int32_t I_MAVR_MAX = 10; // longest moving-average filter
} // namespace swiconst

// Ids of GetFConst: minimum and maximum pairs, in the storage units of TSwitchParams.
namespace swfconst {
inline constexpr std::int32_t HoseMin = 1001, HoseMax = 1002;
inline constexpr std::int32_t AtmMin = 1003, AtmMax = 1004;
inline constexpr std::int32_t GainMin = 1007, GainMax = 1008;
inline constexpr std::int32_t HysMin = 1009, HysMax = 1010;
inline constexpr std::int32_t ThreMin = 1011, ThreMax = 1012; // threshold magnitude
} // namespace swfconst

// The functions of the library, as function types.
namespace swlink {
extern "C" {
typedef std::int32_t DTOOL_LINKCALL FnIsComXOpen(std::int32_t port);
typedef std::int32_t DTOOL_LINKCALL FnOpenComOnly(std::int32_t port);
typedef std::int32_t DTOOL_LINKCALL FnCloseCom(std::int32_t port);
typedef std::int32_t DTOOL_LINKCALL FnSetRecEventProc(std::int32_t port, TRecEventProc* proc);
typedef std::int32_t DTOOL_LINKCALL FnSetMovAverFilt(std::int32_t port, std::int32_t length);
typedef std::int32_t DTOOL_LINKCALL FnIsDSwitchConn(std::int32_t port, std::int32_t* connected);
typedef std::int32_t DTOOL_LINKCALL FnGetInfos(std::int32_t port, TSwitchInfos* infos);
typedef std::int32_t DTOOL_LINKCALL FnReReadConfig(std::int32_t port);
typedef std::int32_t DTOOL_LINKCALL FnGetConf(std::int32_t port, TSwitchParams* params);
typedef std::int32_t DTOOL_LINKCALL FnSetConf(std::int32_t port, TSwitchParams params,
                                              std::int32_t protCode);
typedef std::int32_t DTOOL_LINKCALL FnIsProtected(std::int32_t port, std::int32_t* isProtected);
typedef std::int32_t DTOOL_LINKCALL FnSetProtectCode(std::int32_t port, std::int32_t oldCode,
                                                     std::int32_t newCode);
typedef std::int32_t DTOOL_LINKCALL FnZeroAdj(std::int32_t port, std::int32_t protCode);
typedef std::int32_t DTOOL_LINKCALL FnGetPressInst(std::int32_t port, float* pressure);
typedef std::int32_t DTOOL_LINKCALL FnGetPressPar(std::int32_t port, float* pressure,
                                                  float hoseLength, float atmPress, float humidity,
                                                  float gain);
typedef std::int32_t DTOOL_LINKCALL FnGetIConst(std::int32_t* value, std::int32_t id);
typedef std::int32_t DTOOL_LINKCALL FnGetFConst(float* value, std::int32_t id);
}
} // namespace swlink

// The library's functions, resolved by name when it is loaded.
struct TSwitchLinkApi {
  swlink::FnIsComXOpen* IsComXOpen = nullptr;
  swlink::FnOpenComOnly* OpenComOnly = nullptr;
  swlink::FnCloseCom* CloseCom = nullptr;
  swlink::FnSetRecEventProc* SetRecEventProc = nullptr;
  swlink::FnSetMovAverFilt* SetMovAverFilt = nullptr;
  swlink::FnIsDSwitchConn* IsDSwitchConn = nullptr;
  swlink::FnGetInfos* GetInfos = nullptr;
  swlink::FnReReadConfig* ReReadConfig = nullptr;
  swlink::FnGetConf* GetConf = nullptr;
  swlink::FnSetConf* SetConf = nullptr;
  swlink::FnIsProtected* IsProtected = nullptr;
  swlink::FnSetProtectCode* SetProtectCode = nullptr;
  swlink::FnZeroAdj* ZeroAdj = nullptr;
  swlink::FnGetPressInst* GetPressInst = nullptr;
  swlink::FnGetPressPar* GetPressPar = nullptr;
  swlink::FnGetIConst* GetIConst = nullptr;
  swlink::FnGetFConst* GetFConst = nullptr;
};

} // namespace dtool
