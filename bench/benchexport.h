#pragma once
// Symbols the bench's shared libraries export; everything else stays inside them.
#if defined(_WIN32)
#define DTOOL_BENCH_EXPORT __declspec(dllexport)
#define DTOOL_BENCH_IMPORT __declspec(dllimport)
#else
#define DTOOL_BENCH_EXPORT __attribute__((visibility("default")))
#define DTOOL_BENCH_IMPORT __attribute__((visibility("default")))
#endif

// The functions of the two link libraries. On 32-bit Windows their module-definition files
// export them under their plain names only, as the maker's libraries do; elsewhere the names
// are plain already.
#if defined(_WIN32) && !defined(_WIN64)
#define DTOOL_LINK_EXPORT
#else
#define DTOOL_LINK_EXPORT DTOOL_BENCH_EXPORT
#endif

// DBench, the library that holds the one bench both link libraries share.
#ifdef DTOOL_BUILDING_DBENCH
#define DBENCH_API DTOOL_BENCH_EXPORT
#else
#define DBENCH_API DTOOL_BENCH_IMPORT
#endif
