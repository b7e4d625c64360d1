#!/usr/bin/env bash
# Cross-builds the 32-bit Windows plug-in (vellumark.dll) and its test host
# (ac3d.exe) with MinGW-w64 in a build folder of their own, for the Windows
# binary tests. Exit 0 when built, 77 (skipped) when the cross tools are
# missing on a developer's machine, 1 when they are missing under CI or the
# build fails.
#   cross_build.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2

missing=()
command -v i686-w64-mingw32-g++-posix >/dev/null || command -v i686-w64-mingw32-g++-win32 >/dev/null ||
  command -v i686-w64-mingw32-g++ >/dev/null || missing+=(g++-mingw-w64-i686)
command -v i686-w64-mingw32-dlltool >/dev/null || missing+=(binutils-mingw-w64-i686)
if [ ${#missing[@]} -gt 0 ]; then
  echo "the MinGW-w64 cross tools are missing (Debian: ${missing[*]}; scripts/install-deps installs them)"
  if [ "${CI:-}" = true ]; then
    exit 1
  fi
  echo "skipping the Windows plug-in build"
  exit 77
fi

jobs=2
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_TESTS=OFF -DVELLUMARK_WERROR=ON >/dev/null
cmake --build "$build_dir" -j"$jobs" --target vellumark_plugin vellumark_testhost
