# Cross-build of the 32-bit Windows plug-in with MinGW-w64 (Debian:
# g++-mingw-w64-i686, binutils-mingw-w64-i686):
#
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
#         -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_TESTS=OFF
#   cmake --build build-mingw --target vellumark_plugin
#
# gives build-mingw/vellumark.dll (and, with the target vellumark_testhost,
# the test host build-mingw/ac3d.exe).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VELLUMARK_MINGW_PREFIX i686-w64-mingw32)
# Either threads variant builds the plug-in; the POSIX one is preferred for
# its complete C++ thread library, and is linked statically below.
find_program(CMAKE_CXX_COMPILER NAMES ${VELLUMARK_MINGW_PREFIX}-g++-posix ${VELLUMARK_MINGW_PREFIX}-g++-win32
                                      ${VELLUMARK_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${VELLUMARK_MINGW_PREFIX}-gcc-posix ${VELLUMARK_MINGW_PREFIX}-gcc-win32
                                    ${VELLUMARK_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${VELLUMARK_MINGW_PREFIX}-windres)
find_program(CMAKE_DLLTOOL NAMES ${VELLUMARK_MINGW_PREFIX}-dlltool REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${VELLUMARK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE2 arithmetic, not x87: every float and double operation rounds exactly
# as in the 64-bit Linux build, so both write the same digits.
# GCC 12 misreads its own std::string code in 32-bit builds (a false
# -Wrestrict on string assignment at -O2); that one warning is off here.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -Wno-restrict")
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
# The C and C++ runtimes (and the threads library) linked in: a user's
# machine has no MinGW DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
