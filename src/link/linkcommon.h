#pragma once
// What both link libraries share: the calling convention of their functions, the record
// callback, the COM port numbers and the status values that mean the same in both.
#include <cstdint>

// The link libraries use the platform's standard calling convention for exported C functions.
#if defined(_WIN32) && !defined(_WIN64)
#define DTOOL_LINKCALL __stdcall
#else
#define DTOOL_LINKCALL
#endif

// Marks a lambda that stands in for a link library function, for example in a test's function
// table: [](std::int32_t port) DTOOL_LINKCALL_LAMBDA { ... }. GCC converts a lambda only to a
// function of its own calling convention; MSVC converts it to any.
#if defined(_WIN32) && !defined(_WIN64) && defined(__GNUC__)
#define DTOOL_LINKCALL_LAMBDA __attribute__((stdcall))
#else
#define DTOOL_LINKCALL_LAMBDA
#endif

namespace dtool {

extern "C" {
// Called by a link library, from its own thread, when a measurement record has arrived.
// The argument carries nothing of use.
typedef void DTOOL_LINKCALL TRecEventProc(std::int32_t unused);
}

// COM ports that the link libraries serve.
inline constexpr std::int32_t FirstComPort = 1;
inline constexpr std::int32_t LastComPort = 8;

namespace linkstatus {
// 0 or less is success, a positive status is an error number.
inline constexpr std::int32_t Ok = 0;
// The port cannot be opened, or is not open.
inline constexpr std::int32_t PortNotOpen = 1;
// CloseCom's answer for a port number beyond the library's range.
inline constexpr std::int32_t PortOutOfRange = 5;
} // namespace linkstatus

inline bool LinkOk(std::int32_t status) {
  return status <= 0;
}

} // namespace dtool
