# Cross-compiling for 32-bit Windows with mingw-w64 (Debian: g++-mingw-w64-i686). The
# posix-thread variant of the compiler has std::thread and std::mutex; the default one has not.
# The link libraries of the instruments are 32-bit, so the program that loads them is too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The compiler's run-time libraries go into every executable and library, so each runs
# without the compiler's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# GCC 12 warns wrongly about "text" + std::string on 32-bit targets (GCC bug 105651); the
# Linux build with the same compiler keeps the warning.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
