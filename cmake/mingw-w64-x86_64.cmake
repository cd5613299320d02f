# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (package g++-mingw-w64-x86-64).
# Tests run under 64-bit Wine when it is installed; this build serves hosts where 32-bit
# programs cannot run at all, so the loader is called directly: Debian's wine script
# prefers the 32-bit loader whenever wine32 is installed, even where it cannot start.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

find_program(WINE_PROGRAM wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT WINE_PROGRAM)
  find_program(WINE_PROGRAM wine64)
endif()
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
  # Wine starts its helpers (wineserver, wineboot) through the loader this names.
  set(QUINTREL_WINE_LOADER ${WINE_PROGRAM})
endif()
