#pragma once
// Contract of the analog-family link library DDatDll (types 1..8, 10, 11): the records it
// exchanges, its callbacks and its functions. Every function returns an int32 status and
// takes the COM port (1..8) first; 0 or less is success.
#include <cstddef>
#include <cstdint>

#include "core/transrec.h"
#include "link/linkcommon.h"

namespace dtool {

#pragma pack(push, 1)
// The record GetLastError fills: kind (0xFF: instrument error), a reserved byte, error number.
struct TErrRec {
  std::uint8_t Kind;
  std::uint8_t Reserved;
  std::uint16_t ErrNr;
};
#pragma pack(pop)

static_assert(sizeof(TErrRec) == 4);
static_assert(offsetof(TErrRec, Kind) == 0 && offsetof(TErrRec, Reserved) == 1 &&
              offsetof(TErrRec, ErrNr) == 2);

inline constexpr TransRec MakeTransRec(std::uint16_t oocc, std::uint16_t bbaa = 0) {
  return TransRec{static_cast<std::uint8_t>(oocc >> 8), static_cast<std::uint8_t>(oocc & 0xFF),
                  bbaa};
}

// Kind byte of an instrument error in TErrRec.
inline constexpr std::uint8_t ErrKindInstrument = 0xFF;

// Operation codes: read a register of group 1..3, write it (read code plus 0x10), identify.
namespace opcode {
inline constexpr std::uint8_t Read1 = 0xA1, Read2 = 0xA2, Read3 = 0xA3;
inline constexpr std::uint8_t Write1 = 0xB1, Write2 = 0xB2, Write3 = 0xB3;
inline constexpr std::uint8_t WriteOffset = 0x10;
inline constexpr std::uint8_t Identify = 0xF0;
} // namespace opcode

// The instrument's status in the answer's CC.
namespace anscc {
inline constexpr std::uint8_t Done = 0;
inline constexpr std::uint8_t Corrected = 1; // value out of range and corrected
inline constexpr std::uint8_t NotOperational = 14;
inline constexpr std::uint8_t WrongCode = 18;
inline constexpr std::uint8_t CodeLocked = 19; // after repeated wrong codes
inline constexpr std::uint8_t Accepted = 21;
inline constexpr std::uint8_t NotSuccessful = 25;
inline constexpr std::uint8_t Operational26 = 26, Operational27 = 27; // count as operational
} // namespace anscc

// TransCmd's status when the instrument does not know the command.
inline constexpr std::int32_t AnStatusUnknownCommand = 8;

// Reading codes of GetPressInst and GetVelocityInst.
namespace anreading {
inline constexpr std::int32_t Valid = 0;
inline constexpr std::int32_t NoSignal = 3;
inline constexpr std::int32_t NoData = 7; // also shown as no signal
inline constexpr std::int32_t Overflow = 9;
inline constexpr std::int32_t Underflow = 12;
} // namespace anreading

// Kinds of measurement record reported by GetRecEventKind.
namespace reckind {
inline constexpr std::int32_t None = 0, Pressure = 1, Velocity = 2;
}

// Family codes of GetInstType: 0 none, 1 and 2 the transmitters, 3..6 the model groups.
inline constexpr std::int32_t MaxFamilyCode = 6;

extern "C" {
// Called by the library, from its own thread, when the instrument on the port reports an error.
typedef void DTOOL_LINKCALL TErrEventProc(std::int32_t port);
}

// The functions of the library, as function types.
namespace analog {
extern "C" {
typedef std::int32_t DTOOL_LINKCALL FnOpenCom(std::int32_t port);
typedef std::int32_t DTOOL_LINKCALL FnCloseCom(std::int32_t port);
typedef std::int32_t DTOOL_LINKCALL FnSetRecEventProc(std::int32_t port, TRecEventProc* proc);
typedef std::int32_t DTOOL_LINKCALL FnSetErrEventProc(std::int32_t port, TErrEventProc* proc);
typedef std::int32_t DTOOL_LINKCALL FnGetInstType(std::int32_t port, std::int32_t* code);
typedef std::int32_t DTOOL_LINKCALL FnTransCmd(std::int32_t port, TransRec* rec);
typedef std::int32_t DTOOL_LINKCALL FnGetRecEventKind(std::int32_t port);
typedef std::int32_t DTOOL_LINKCALL FnGetPressInst(std::int32_t port, float* pressure);
typedef std::int32_t DTOOL_LINKCALL FnGetVelocityInst(std::int32_t port, float* velocity);
typedef std::int32_t DTOOL_LINKCALL FnGetLastError(std::int32_t port, TErrRec* rec);
typedef std::int32_t DTOOL_LINKCALL FnClrErrors(std::int32_t port);
}
} // namespace analog

// The library's functions, resolved by name when it is loaded.
struct TAnalogLinkApi {
  analog::FnOpenCom* OpenCom = nullptr;
  analog::FnCloseCom* CloseCom = nullptr;
  analog::FnSetRecEventProc* SetRecEventProc = nullptr;
  analog::FnSetErrEventProc* SetErrEventProc = nullptr;
  analog::FnGetInstType* GetInstType = nullptr;
  analog::FnTransCmd* TransCmd = nullptr;
  analog::FnGetRecEventKind* GetRecEventKind = nullptr;
  analog::FnGetPressInst* GetPressInst = nullptr;
  analog::FnGetVelocityInst* GetVelocityInst = nullptr;
  analog::FnGetLastError* GetLastError = nullptr;
  analog::FnClrErrors* ClrErrors = nullptr;
};

} // namespace dtool
