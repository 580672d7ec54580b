# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads)
# and runs the results under Wine:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTIX_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTIX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTIX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTIX_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VANTIX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and tools built here run through Wine (scripts/wine-run.sh keeps
# one Wine prefix per build directory and finds the compiler's DLLs).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
