# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads),
# and runs the test programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
# A static Qt built for Windows (scripts/build-windows): found like the mingw
# runtime, with moc, rcc and uic taken from the host's Qt of the same version.
set(STORMLINE_WINDOWS_QT "" CACHE PATH "Prefix of a Qt built for Windows")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES STORMLINE_WINDOWS_QT)
if(STORMLINE_WINDOWS_QT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${STORMLINE_WINDOWS_QT})
  set(QT_HOST_PATH /usr CACHE PATH "")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in (libgcc, libstdc++, winpthread), so an .exe runs
# anywhere, Wine included, without DLLs copied beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Wine's loader itself rather than Debian's /usr/bin/wine wrapper, which
# prints a hint about the missing 32-bit Wine on every start.
find_program(STORMLINE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(STORMLINE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${STORMLINE_WINE})
endif()
