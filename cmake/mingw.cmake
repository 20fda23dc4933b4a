# What the toolchain files for Windows share: mingw-w64's posix-thread compilers (they have
# std::thread and std::mutex; the default ones have not) for the target named by
# DTOOL_MINGW_TARGET, looking for libraries and headers only in its own root.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${DTOOL_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DTOOL_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${DTOOL_MINGW_TARGET}-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${DTOOL_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The compiler's run-time libraries go into every executable and library, so each runs
# without the compiler's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# GCC 12 warns wrongly about "text" + std::string (GCC bug 105651); the Linux build with the
# same compiler keeps the warning.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
