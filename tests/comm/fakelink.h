#pragma once
// Function tables that answer what the bench never does: a CloseCom that never reports the
// end of its range, an unknown family code, a display-unit code outside the table, a switch
// library that refuses its bounds or tells unusable ones. Every function of the tables is set.
#include <cstdint>
#include <map>

#include "link/analoglink.h"
#include "link/switchlink.h"

namespace dtool::test {

struct TFakeLink {
  static inline std::int32_t closeCalls = 0;
  static inline std::int32_t familyCode = 0;
  static inline std::uint16_t answerBbaa = 0;
  static inline std::map<std::int32_t, float> bounds;
  static inline std::int32_t boundStatus = 4;
  static inline std::map<std::int32_t, std::int32_t> iconsts;

  static void Reset() {
    closeCalls = 0;
    familyCode = 0;
    answerBbaa = 0;
    bounds.clear();
    boundStatus = 4;
    iconsts.clear();
  }

  static TAnalogLinkApi Analog() {
    TAnalogLinkApi a;
    a.OpenCom = [](std::int32_t) DTOOL_LINKCALL_LAMBDA { return 0; };
    a.CloseCom = [](std::int32_t) DTOOL_LINKCALL_LAMBDA { return ++closeCalls, 0; };
    a.SetRecEventProc = [](std::int32_t, TRecEventProc*) DTOOL_LINKCALL_LAMBDA { return 0; };
    a.SetErrEventProc = [](std::int32_t, TErrEventProc*) DTOOL_LINKCALL_LAMBDA { return 0; };
    a.GetInstType = [](std::int32_t, std::int32_t* code)
                        DTOOL_LINKCALL_LAMBDA { return *code = familyCode, 0; };
    a.TransCmd = [](std::int32_t, TransRec* rec) DTOOL_LINKCALL_LAMBDA {
      rec->CC = 0;
      rec->BBAA = answerBbaa;
      return 0;
    };
    a.GetRecEventKind = [](std::int32_t) DTOOL_LINKCALL_LAMBDA { return 0; };
    a.GetPressInst = [](std::int32_t, float*) DTOOL_LINKCALL_LAMBDA { return 0; };
    a.GetVelocityInst = [](std::int32_t, float*) DTOOL_LINKCALL_LAMBDA { return 0; };
    a.GetLastError = [](std::int32_t, TErrRec*) DTOOL_LINKCALL_LAMBDA { return 0; };
    a.ClrErrors = [](std::int32_t) DTOOL_LINKCALL_LAMBDA { return 0; };
    return a;
  }

  static TSwitchLinkApi Switch() {
    TSwitchLinkApi s;
    s.IsComXOpen = [](std::int32_t) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.OpenComOnly = [](std::int32_t) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.CloseCom = [](std::int32_t) DTOOL_LINKCALL_LAMBDA { return ++closeCalls, 0; };
    s.SetRecEventProc = [](std::int32_t, TRecEventProc*) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.SetMovAverFilt = [](std::int32_t, std::int32_t) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.IsDSwitchConn = [](std::int32_t, std::int32_t* c) DTOOL_LINKCALL_LAMBDA { return *c = 0, 0; };
    s.GetInfos = [](std::int32_t, TSwitchInfos*) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.ReReadConfig = [](std::int32_t) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.GetConf = [](std::int32_t, TSwitchParams*) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.SetConf = [](std::int32_t, TSwitchParams, std::int32_t) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.IsProtected = [](std::int32_t, std::int32_t*) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.SetProtectCode = [](std::int32_t, std::int32_t, std::int32_t)
                           DTOOL_LINKCALL_LAMBDA { return 0; };
    s.ZeroAdj = [](std::int32_t, std::int32_t) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.GetPressInst = [](std::int32_t, float*) DTOOL_LINKCALL_LAMBDA { return 0; };
    s.GetPressPar = [](std::int32_t, float*, float, float, float, float)
                        DTOOL_LINKCALL_LAMBDA { return 0; };
    s.GetIConst = [](std::int32_t* value, std::int32_t id) DTOOL_LINKCALL_LAMBDA {
      const auto it = iconsts.find(id);
      if (it == iconsts.end())
        return boundStatus;
      *value = it->second;
      return 0;
    };
    s.GetFConst = [](float* value, std::int32_t id) DTOOL_LINKCALL_LAMBDA {
      const auto it = bounds.find(id);
      if (it == bounds.end())
        return boundStatus;
      *value = it->second;
      return 0;
    };
    return s;
  }
};

} // namespace dtool::test
