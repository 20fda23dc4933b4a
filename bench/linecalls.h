#pragma once
// The library functions that exchange data with the instrument over the line: the request goes
// out and the answer comes back, so each takes the port's latency. The others work on the
// library's side of the port only (opening and closing it, callbacks, the latest reading and
// error that the records brought, the switch library's filter and constants) and take none.
#include <string_view>

namespace dtool::bench {

inline constexpr std::string_view LineFunctions[] = {
    // DDatDll
    "TransCmd", "GetInstType",
    // DSwitch
    "IsDSwitchConn", "GetInfos", "ReReadConfig", "GetConf", "SetConf", "IsProtected",
    "SetProtectCode", "ZeroAdj"};

inline bool CrossesTheLine(std::string_view function) {
  for (std::string_view f : LineFunctions)
    if (f == function)
      return true;
  return false;
}

} // namespace dtool::bench
