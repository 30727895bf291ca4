# Cross-build for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, for std::thread and std::mutex), linked statically so that the
# programs need no DLL beyond Windows' own. Tests run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMO_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VELMO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMO_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run through wine in the build folder's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/win32/wine-run)
