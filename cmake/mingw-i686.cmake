# Cross-compiling for 32-bit Windows with mingw-w64 (Debian: g++-mingw-w64-i686-posix). The
# link libraries of the instruments are 32-bit, so the program that loads them is too.
set(DTOOL_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
