# Cross-compiling for 64-bit Windows with Debian's g++-mingw-w64-x86-64.
# The posix thread model is preferred (std::thread and friends work); the
# win32 model is the fallback when only that one is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
find_program(_mingw_cxx NAMES ${_mingw}-g++-posix ${_mingw}-g++-win32 ${_mingw}-g++ REQUIRED)
find_program(_mingw_cc NAMES ${_mingw}-gcc-posix ${_mingw}-gcc-win32 ${_mingw}-gcc REQUIRED)
find_program(_mingw_rc NAMES ${_mingw}-windres REQUIRED)
set(CMAKE_C_COMPILER ${_mingw_cc})
set(CMAKE_CXX_COMPILER ${_mingw_cxx})
set(CMAKE_RC_COMPILER ${_mingw_rc})

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A static runtime: the .scr must run on a bare Windows with no MinGW DLLs
# (libgcc_s, libstdc++, libwinpthread) beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
