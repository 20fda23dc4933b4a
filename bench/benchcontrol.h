#pragma once
// Control of the instrument bench, exported by DBench for tests, benchmarks and tools:
// which bench to set up, the bench's clock, the pressure at an instrument, what its output
// and display show, faults and instruments switched while a port is open, and the trace. A program
// that only uses the link libraries needs none of it. Every function returns 0 on success unless
// stated.
#include <cstdint>

#include "bench/benchexport.h"

// The file name of the library, without the platform's suffix.
#define DTOOL_BENCH_LIBRARY "DBench"

extern "C" {

// Sets the bench up again from the bench file (null or empty: the built-in bench), with the
// instruments' state in the folder (null or empty: the usual place). All ports are closed.
// Returns the number of messages about the bench file, -1 when called from a callback.
DBENCH_API std::int32_t BenchLoad(const char* benchFile, const char* stateFolder);
// Copies the messages of the last set-up and of the control calls since, one a line, into text
// (at most size - 1 characters and a terminating zero); returns the length of all of them.
DBENCH_API std::int32_t BenchMessages(char* text, std::int32_t size);
// With the manual clock, bench time moves only by BenchAdvanceTime.
DBENCH_API std::int32_t BenchSetManualClock(std::int32_t manual);
DBENCH_API std::int32_t BenchAdvanceTime(std::int32_t ms);
// Replaces the pressure at the instrument's ports by a constant, Pa.
DBENCH_API std::int32_t BenchSetPressure(std::int32_t port, double pa);
// The analog output's signal (mA for a current output, V for a voltage output) and what
// drives it: 0 the measurement, 1 a calibration set point, 2 a test set point.
DBENCH_API std::int32_t BenchGetOutput(std::int32_t port, double* signal, std::int32_t* mode);
// What the instrument's display shows, and its contrast.
DBENCH_API std::int32_t BenchGetDisplay(std::int32_t port, char* text, std::int32_t size,
                                        std::int32_t* contrast);
// The instrument reports an error now, and starts up again.
DBENCH_API std::int32_t BenchRaiseError(std::int32_t port, std::int32_t errNr);
// Switches the instrument off and on: it forgets what it has not stored.
DBENCH_API std::int32_t BenchPowerCycle(std::int32_t port);
// Replaces the faults of the line and the readings on the port, while it stays open, by those
// of the text: bench file keys, one "key = value" a line (FaultLinkError, FaultAnswer,
// FaultUnknown, FaultNoSignal, FaultOverflow, FaultUnderflow, FaultNoConfig). Null or empty
// text clears them. Uses of a command or function are counted from this call. A text the
// bench cannot use changes nothing and returns 4, with its problems in BenchMessages.
DBENCH_API std::int32_t BenchSetFault(std::int32_t port, const char* text);
// Plugs another instrument into the port, open or not: the bench file keys in text describe
// it as in a port's section ("Instrument = none": nothing, the cable pulled). Null or empty
// text plugs the bench file's instrument in again, as it was. The port keeps its
// availability, latency and faults. Returns 4 for a port that cannot be opened or a text the
// bench cannot use (its problems in BenchMessages).
DBENCH_API std::int32_t BenchPlug(std::int32_t port, const char* text);
// Writes the trace of every exchange to the file (null or empty: no trace).
DBENCH_API std::int32_t BenchSetTrace(const char* path);
// The number of library calls since the bench library was loaded.
DBENCH_API std::int32_t BenchExchangeCount();

typedef std::int32_t FnBenchLoad(const char*, const char*);
typedef std::int32_t FnBenchMessages(char*, std::int32_t);
typedef std::int32_t FnBenchSetManualClock(std::int32_t);
typedef std::int32_t FnBenchAdvanceTime(std::int32_t);
typedef std::int32_t FnBenchSetPressure(std::int32_t, double);
typedef std::int32_t FnBenchGetOutput(std::int32_t, double*, std::int32_t*);
typedef std::int32_t FnBenchGetDisplay(std::int32_t, char*, std::int32_t, std::int32_t*);
typedef std::int32_t FnBenchRaiseError(std::int32_t, std::int32_t);
typedef std::int32_t FnBenchPowerCycle(std::int32_t);
typedef std::int32_t FnBenchSetFault(std::int32_t, const char*);
typedef std::int32_t FnBenchPlug(std::int32_t, const char*);
typedef std::int32_t FnBenchSetTrace(const char*);
typedef std::int32_t FnBenchExchangeCount();
}
