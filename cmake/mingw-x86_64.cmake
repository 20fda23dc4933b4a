# Cross-compiling for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64-posix). The
# program itself is 32-bit (the instruments' link libraries are); this build runs the same
# tests where 32-bit Windows programs cannot run natively (scripts/test-windows.sh).
set(DTOOL_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
