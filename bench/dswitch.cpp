// DSwitch: the switch link library of the bench. Every function goes to the bench that
// DBench holds for the whole process.
#include "bench/benchapi.h"

#include <type_traits>

using namespace dtool;

namespace {

const TSwitchLinkApi& Api() {
  static const TSwitchLinkApi* api = DBenchSwitchApi();
  return *api;
}

} // namespace

#define DSWITCH_FUNCTION(name)                                                                     \
  static_assert(std::is_same_v<decltype(name), swlink::Fn##name>, #name " keeps the contract")

extern "C" {

DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL IsComXOpen(std::int32_t port) {
  return Api().IsComXOpen(port);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL OpenComOnly(std::int32_t port) {
  return Api().OpenComOnly(port);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL CloseCom(std::int32_t port) {
  return Api().CloseCom(port);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL SetRecEventProc(std::int32_t port,
                                                              TRecEventProc* proc) {
  return Api().SetRecEventProc(port, proc);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL SetMovAverFilt(std::int32_t port,
                                                             std::int32_t length) {
  return Api().SetMovAverFilt(port, length);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL IsDSwitchConn(std::int32_t port,
                                                            std::int32_t* connected) {
  return Api().IsDSwitchConn(port, connected);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetInfos(std::int32_t port, TSwitchInfos* infos) {
  return Api().GetInfos(port, infos);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL ReReadConfig(std::int32_t port) {
  return Api().ReReadConfig(port);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetConf(std::int32_t port, TSwitchParams* params) {
  return Api().GetConf(port, params);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL SetConf(std::int32_t port, TSwitchParams params,
                                                      std::int32_t protCode) {
  return Api().SetConf(port, params, protCode);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL IsProtected(std::int32_t port,
                                                          std::int32_t* isProtected) {
  return Api().IsProtected(port, isProtected);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL SetProtectCode(std::int32_t port,
                                                             std::int32_t oldCode,
                                                             std::int32_t newCode) {
  return Api().SetProtectCode(port, oldCode, newCode);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL ZeroAdj(std::int32_t port, std::int32_t protCode) {
  return Api().ZeroAdj(port, protCode);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetPressInst(std::int32_t port, float* pressure) {
  return Api().GetPressInst(port, pressure);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetPressPar(std::int32_t port, float* pressure,
                                                          float hoseLength, float atmPress,
                                                          float humidity, float gain) {
  return Api().GetPressPar(port, pressure, hoseLength, atmPress, humidity, gain);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetIConst(std::int32_t* value, std::int32_t id) {
  return Api().GetIConst(value, id);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetFConst(float* value, std::int32_t id) {
  return Api().GetFConst(value, id);
}
}

DSWITCH_FUNCTION(IsComXOpen);
DSWITCH_FUNCTION(OpenComOnly);
DSWITCH_FUNCTION(CloseCom);
DSWITCH_FUNCTION(SetRecEventProc);
DSWITCH_FUNCTION(SetMovAverFilt);
DSWITCH_FUNCTION(IsDSwitchConn);
DSWITCH_FUNCTION(GetInfos);
DSWITCH_FUNCTION(ReReadConfig);
DSWITCH_FUNCTION(GetConf);
DSWITCH_FUNCTION(SetConf);
DSWITCH_FUNCTION(IsProtected);
DSWITCH_FUNCTION(SetProtectCode);
DSWITCH_FUNCTION(ZeroAdj);
DSWITCH_FUNCTION(GetPressInst);
DSWITCH_FUNCTION(GetPressPar);
DSWITCH_FUNCTION(GetIConst);
DSWITCH_FUNCTION(GetFConst);
