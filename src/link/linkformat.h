#pragma once
// printf-style formatting of the operator messages of the link layer.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/transrec.h"

namespace dtool {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
inline std::string
LinkFormat(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0)
    return {};
  if (static_cast<std::size_t>(n) < sizeof buffer)
    return std::string(buffer, static_cast<std::size_t>(n));
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

// The operator's message for a failing link status of each library.
inline std::string AnalogLinkError(std::int32_t status) {
  return LinkFormat("Communication with instrument not possible!\r\rDDatDLL Error Nr. %d",
                    static_cast<int>(status));
}
inline std::string SwitchLinkError(std::int32_t status) {
  return LinkFormat("Communication with instrument not possible!\r\rDSwitchDLL Error Nr. %d",
                    static_cast<int>(status));
}

// The request as sent and the answer, as the transfer messages show them.
inline std::string StatusLine(const TransRec& sent, const TransRec& answer) {
  return LinkFormat("Status: OO=0x%2.2x, CC=0x%2.2x, BBAA=0x%4.4x, oo=0x%2.2x, cc=0x%2.2x, "
                    "bbaa=0x%4.4x",
                    unsigned{sent.OO}, unsigned{sent.CC}, unsigned{sent.BBAA}, unsigned{answer.OO},
                    unsigned{answer.CC}, unsigned{answer.BBAA});
}

} // namespace dtool
