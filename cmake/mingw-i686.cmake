# Cross-building the Windows program with mingw-w64 (i686), win32 thread model.
# Everything is linked statically so the program needs no runtime DLL beyond
# those every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(HOSTWARDEN_MINGW_TRIPLE i686-w64-mingw32)
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
