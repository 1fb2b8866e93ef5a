# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64). The posix thread
# model gives the C++ threading library; the programs link their runtime statically, so that they run
# under Wine, or on Windows, without MinGW's DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER ${mingw}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${mingw}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${mingw}-windres)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
