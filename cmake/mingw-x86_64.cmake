# Cross-compiles the 64-bit Windows build with Debian's MinGW-w64 (posix threads variant). It runs
# where no 32-bit code may run; the program as shipped is the i686 one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test binaries run under 64-bit Wine. The plain wine wrapper starts the 32-bit loader first
# whenever wine32 is installed, which fails on machines that run no 32-bit code.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
