# Cross-build for 64-bit Windows with the mingw-w64 POSIX-thread compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(HX_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${HX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${HX_TRIPLE}-windres)
set(CMAKE_DLLTOOL      ${HX_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${HX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under 64-bit Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
