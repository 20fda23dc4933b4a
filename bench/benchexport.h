#pragma once
// Symbols the bench's shared libraries export; everything else stays inside them.
#if defined(_WIN32)
#define DTOOL_BENCH_EXPORT __declspec(dllexport)
#define DTOOL_BENCH_IMPORT __declspec(dllimport)
#else
#define DTOOL_BENCH_EXPORT __attribute__((visibility("default")))
#define DTOOL_BENCH_IMPORT __attribute__((visibility("default")))
#endif

// DBench, the library that holds the one bench both link libraries share.
#ifdef DTOOL_BUILDING_DBENCH
#define DBENCH_API DTOOL_BENCH_EXPORT
#else
#define DBENCH_API DTOOL_BENCH_IMPORT
#endif
