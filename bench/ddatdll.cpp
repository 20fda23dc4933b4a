// DDatDll: the analog-family link library of the bench. Every function goes to the bench
// that DBench holds for the whole process.
#include "bench/benchapi.h"

#include <type_traits>

using namespace dtool;

namespace {

const TAnalogLinkApi& Api() {
  static const TAnalogLinkApi* api = DBenchAnalogApi();
  return *api;
}

} // namespace

// On 64-bit Windows, where C names are not decorated, GetLastError within the library is
// kernel32's: there the function has a name of its own, exported as GetLastError by
// DDatDll64.def.
#if defined(_WIN64)
#define DDATDLL_GETLASTERROR DDatGetLastError
#define DDATDLL_GETLASTERROR_EXPORT
#else
#define DDATDLL_GETLASTERROR GetLastError
#define DDATDLL_GETLASTERROR_EXPORT DTOOL_LINK_EXPORT
#endif

#define DDATDLL_FUNCTION(name)                                                                     \
  static_assert(std::is_same_v<decltype(name), analog::Fn##name>, #name " keeps the contract")

extern "C" {

DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL OpenCom(std::int32_t port) {
  return Api().OpenCom(port);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL CloseCom(std::int32_t port) {
  return Api().CloseCom(port);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL SetRecEventProc(std::int32_t port,
                                                              TRecEventProc* proc) {
  return Api().SetRecEventProc(port, proc);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL SetErrEventProc(std::int32_t port,
                                                              TErrEventProc* proc) {
  return Api().SetErrEventProc(port, proc);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetInstType(std::int32_t port, std::int32_t* code) {
  return Api().GetInstType(port, code);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL TransCmd(std::int32_t port, TransRec* rec) {
  return Api().TransCmd(port, rec);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetRecEventKind(std::int32_t port) {
  return Api().GetRecEventKind(port);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetPressInst(std::int32_t port, float* pressure) {
  return Api().GetPressInst(port, pressure);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL GetVelocityInst(std::int32_t port, float* velocity) {
  return Api().GetVelocityInst(port, velocity);
}
DDATDLL_GETLASTERROR_EXPORT std::int32_t DTOOL_LINKCALL DDATDLL_GETLASTERROR(std::int32_t port,
                                                                             TErrRec* rec) {
  return Api().GetLastError(port, rec);
}
DTOOL_LINK_EXPORT std::int32_t DTOOL_LINKCALL ClrErrors(std::int32_t port) {
  return Api().ClrErrors(port);
}
}

DDATDLL_FUNCTION(OpenCom);
DDATDLL_FUNCTION(CloseCom);
DDATDLL_FUNCTION(SetRecEventProc);
DDATDLL_FUNCTION(SetErrEventProc);
DDATDLL_FUNCTION(GetInstType);
DDATDLL_FUNCTION(TransCmd);
DDATDLL_FUNCTION(GetRecEventKind);
DDATDLL_FUNCTION(GetPressInst);
DDATDLL_FUNCTION(GetVelocityInst);
static_assert(std::is_same_v<decltype(DDATDLL_GETLASTERROR), analog::FnGetLastError>,
              "GetLastError keeps the contract");
DDATDLL_FUNCTION(ClrErrors);
