// DBench: the one bench of the process, behind the function tables of the two link
// libraries and the bench's control functions. Nothing thrown inside leaves the library.
#include "bench/bench.h"
#include "bench/benchapi.h"
#include "bench/benchcontrol.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace dtool;
using namespace dtool::bench;

TBench& Bench() {
  static TBench bench;
  return bench;
}

template <typename F> std::int32_t Guard(F f, std::int32_t onFault = benchstatus::InternalFault) {
  try {
    return f();
  } catch (...) {
    return onFault;
  }
}

std::string Text(const char* s) {
  return s != nullptr ? std::string(s) : std::string();
}

// Copies text into a caller's buffer of size bytes, terminated; returns the full length.
std::int32_t CopyOut(const std::string& text, char* buf, std::int32_t size) {
  if (buf != nullptr && size > 0) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
  }
  return static_cast<std::int32_t>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
}

using I32 = std::int32_t;

// The functions of the two tables, with the link libraries' calling convention (a lambda cannot
// be converted to a stdcall function on 32-bit Windows).

I32 DTOOL_LINKCALL AnalogOpenCom(I32 port) {
  return Guard([=] { return Bench().AnOpenCom(port); });
}

I32 DTOOL_LINKCALL AnalogCloseCom(I32 port) {
  return Guard([=] { return Bench().AnCloseCom(port); });
}

I32 DTOOL_LINKCALL AnalogSetRecEventProc(I32 port, TRecEventProc* proc) {
  return Guard([=] { return Bench().AnSetRecEventProc(port, proc); });
}

I32 DTOOL_LINKCALL AnalogSetErrEventProc(I32 port, TErrEventProc* proc) {
  return Guard([=] { return Bench().AnSetErrEventProc(port, proc); });
}

I32 DTOOL_LINKCALL AnalogGetInstType(I32 port, I32* code) {
  return Guard([=] { return Bench().AnGetInstType(port, code); });
}

I32 DTOOL_LINKCALL AnalogTransCmd(I32 port, TransRec* rec) {
  return Guard([=] { return Bench().AnTransCmd(port, rec); });
}

I32 DTOOL_LINKCALL AnalogGetRecEventKind(I32 port) {
  return Guard([=] { return Bench().AnGetRecEventKind(port); }, 0);
}

I32 DTOOL_LINKCALL AnalogGetPressInst(I32 port, float* p) {
  return Guard([=] { return Bench().AnGetPressInst(port, p); });
}

I32 DTOOL_LINKCALL AnalogGetVelocityInst(I32 port, float* v) {
  return Guard([=] { return Bench().AnGetVelocityInst(port, v); });
}

I32 DTOOL_LINKCALL AnalogGetLastError(I32 port, TErrRec* rec) {
  return Guard([=] { return Bench().AnGetLastError(port, rec); });
}

I32 DTOOL_LINKCALL AnalogClrErrors(I32 port) {
  return Guard([=] { return Bench().AnClrErrors(port); });
}

const TAnalogLinkApi AnalogApi = {
    .OpenCom = AnalogOpenCom,
    .CloseCom = AnalogCloseCom,
    .SetRecEventProc = AnalogSetRecEventProc,
    .SetErrEventProc = AnalogSetErrEventProc,
    .GetInstType = AnalogGetInstType,
    .TransCmd = AnalogTransCmd,
    .GetRecEventKind = AnalogGetRecEventKind,
    .GetPressInst = AnalogGetPressInst,
    .GetVelocityInst = AnalogGetVelocityInst,
    .GetLastError = AnalogGetLastError,
    .ClrErrors = AnalogClrErrors,
};

I32 DTOOL_LINKCALL SwitchIsComXOpen(I32 port) {
  return Guard([=] { return Bench().SwIsComXOpen(port); }, 0);
}

I32 DTOOL_LINKCALL SwitchOpenComOnly(I32 port) {
  return Guard([=] { return Bench().SwOpenComOnly(port); });
}

I32 DTOOL_LINKCALL SwitchCloseCom(I32 port) {
  return Guard([=] { return Bench().SwCloseCom(port); });
}

I32 DTOOL_LINKCALL SwitchSetRecEventProc(I32 port, TRecEventProc* proc) {
  return Guard([=] { return Bench().SwSetRecEventProc(port, proc); });
}

I32 DTOOL_LINKCALL SwitchSetMovAverFilt(I32 port, I32 length) {
  return Guard([=] { return Bench().SwSetMovAverFilt(port, length); });
}

I32 DTOOL_LINKCALL SwitchIsDSwitchConn(I32 port, I32* connected) {
  return Guard([=] { return Bench().SwIsDSwitchConn(port, connected); });
}

I32 DTOOL_LINKCALL SwitchGetInfos(I32 port, TSwitchInfos* infos) {
  return Guard([=] { return Bench().SwGetInfos(port, infos); });
}

I32 DTOOL_LINKCALL SwitchReReadConfig(I32 port) {
  return Guard([=] { return Bench().SwReReadConfig(port); });
}

I32 DTOOL_LINKCALL SwitchGetConf(I32 port, TSwitchParams* params) {
  return Guard([=] { return Bench().SwGetConf(port, params); });
}

I32 DTOOL_LINKCALL SwitchSetConf(I32 port, TSwitchParams params, I32 code) {
  return Guard([&] { return Bench().SwSetConf(port, params, code); });
}

I32 DTOOL_LINKCALL SwitchIsProtected(I32 port, I32* isProtected) {
  return Guard([=] { return Bench().SwIsProtected(port, isProtected); });
}

I32 DTOOL_LINKCALL SwitchSetProtectCode(I32 port, I32 oldCode, I32 newCode) {
  return Guard([=] { return Bench().SwSetProtectCode(port, oldCode, newCode); });
}

I32 DTOOL_LINKCALL SwitchZeroAdj(I32 port, I32 code) {
  return Guard([=] { return Bench().SwZeroAdj(port, code); });
}

I32 DTOOL_LINKCALL SwitchGetPressInst(I32 port, float* p) {
  return Guard([=] { return Bench().SwGetPressInst(port, p); });
}

I32 DTOOL_LINKCALL SwitchGetPressPar(I32 port, float* p, float hose, float atm, float humidity,
                                     float gain) {
  return Guard([=] { return Bench().SwGetPressPar(port, p, hose, atm, humidity, gain); });
}

I32 DTOOL_LINKCALL SwitchGetIConst(I32* value, I32 id) {
  return Guard([=] { return Bench().SwGetIConst(value, id); });
}

I32 DTOOL_LINKCALL SwitchGetFConst(float* value, I32 id) {
  return Guard([=] { return Bench().SwGetFConst(value, id); });
}

const TSwitchLinkApi SwitchApi = {
    .IsComXOpen = SwitchIsComXOpen,
    .OpenComOnly = SwitchOpenComOnly,
    .CloseCom = SwitchCloseCom,
    .SetRecEventProc = SwitchSetRecEventProc,
    .SetMovAverFilt = SwitchSetMovAverFilt,
    .IsDSwitchConn = SwitchIsDSwitchConn,
    .GetInfos = SwitchGetInfos,
    .ReReadConfig = SwitchReReadConfig,
    .GetConf = SwitchGetConf,
    .SetConf = SwitchSetConf,
    .IsProtected = SwitchIsProtected,
    .SetProtectCode = SwitchSetProtectCode,
    .ZeroAdj = SwitchZeroAdj,
    .GetPressInst = SwitchGetPressInst,
    .GetPressPar = SwitchGetPressPar,
    .GetIConst = SwitchGetIConst,
    .GetFConst = SwitchGetFConst,
};

} // namespace

extern "C" {

DBENCH_API const TAnalogLinkApi* DBenchAnalogApi() {
  return &AnalogApi;
}

DBENCH_API const TSwitchLinkApi* DBenchSwitchApi() {
  return &SwitchApi;
}

DBENCH_API std::int32_t BenchLoad(const char* benchFile, const char* stateFolder) {
  return Guard([=] { return Bench().Load(Text(benchFile), Text(stateFolder)); });
}

DBENCH_API std::int32_t BenchMessages(char* text, std::int32_t size) {
  return Guard([=] { return CopyOut(Bench().Messages(), text, size); }, 0);
}

DBENCH_API std::int32_t BenchSetManualClock(std::int32_t manual) {
  return Guard([=] { return Bench().SetManualClock(manual != 0); });
}

DBENCH_API std::int32_t BenchAdvanceTime(std::int32_t ms) {
  return Guard([=] { return Bench().AdvanceTime(ms); });
}

DBENCH_API std::int32_t BenchSetPressure(std::int32_t port, double pa) {
  return Guard([=] { return Bench().SetPressure(port, pa); });
}

DBENCH_API std::int32_t BenchGetOutput(std::int32_t port, double* signal, std::int32_t* mode) {
  return Guard([=] { return Bench().GetOutput(port, signal, mode); });
}

DBENCH_API std::int32_t BenchGetDisplay(std::int32_t port, char* text, std::int32_t size,
                                        std::int32_t* contrast) {
  return Guard([=] {
    std::string shown;
    const std::int32_t status = Bench().GetDisplay(port, shown, contrast);
    if (status == 0)
      CopyOut(shown, text, size);
    return status;
  });
}

DBENCH_API std::int32_t BenchRaiseError(std::int32_t port, std::int32_t errNr) {
  return Guard([=] { return Bench().RaiseError(port, errNr); });
}

DBENCH_API std::int32_t BenchPowerCycle(std::int32_t port) {
  return Guard([=] { return Bench().PowerCycle(port); });
}

DBENCH_API std::int32_t BenchSetFault(std::int32_t port, const char* text) {
  return Guard([=] { return Bench().SetFault(port, Text(text)); });
}

DBENCH_API std::int32_t BenchPlug(std::int32_t port, const char* text) {
  return Guard([=] { return Bench().Plug(port, Text(text)); });
}

DBENCH_API std::int32_t BenchSetTrace(const char* path) {
  return Guard([=] { return Bench().SetTrace(Text(path)); });
}

DBENCH_API std::int32_t BenchExchangeCount() {
  return Guard(
      [] {
        return static_cast<std::int32_t>(
            std::min<std::int64_t>(Bench().ExchangeCount(), 0x7FFFFFFF));
      },
      -1);
}
}
