# What both mingw-w64 toolchain files share; each sets its processor and
# HOSTWARDEN_MINGW_TRIPLE first. Win32 thread model; everything is linked
# statically so the program needs no runtime DLL beyond those every Windows has.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${HOSTWARDEN_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${HOSTWARDEN_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${HOSTWARDEN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HOSTWARDEN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Each function and datum in a section of its own, so that the program's
# release link can leave out what nothing calls (--gc-sections).
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
