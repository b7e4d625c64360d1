#!/usr/bin/env bash
# Makes the Wine prefix in which the Windows binary tests run ac3d.exe, once
# per build folder. Exit 0 when the prefix is ready, 77 (skipped) when Wine
# cannot run here, 1 when Wine is missing under CI or the prefix cannot be
# made.
#   wine_prefix.sh PREFIX
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

if ! command -v wine >/dev/null; then
  echo "Wine is missing (Debian: wine and wine32:i386; scripts/install-deps installs them)"
  if [ "${CI:-}" = true ]; then
    exit 1
  fi
  echo "skipping the Windows plug-in runs"
  exit 77
fi
if ! version=$(wine --version 2>&1); then
  if [[ $version == *"Exec format error"* ]]; then
    # Not a missing tool: the kernel of this machine refuses 32-bit x86
    # programs, Wine's own loader among them.
    echo "this machine cannot run 32-bit x86 programs (the kernel refuses them: $version)"
    echo "skipping the Windows plug-in runs"
    exit 77
  fi
  echo "wine does not start: $version"
  exit 1
fi

if [ -f "$prefix/system.reg" ]; then
  exit 0
fi
rm -rf "$prefix"
echo "creating the Wine prefix $prefix ($version)"
wine wineboot --init </dev/null >/dev/null 2>&1 || true
wineserver --wait
if [ ! -f "$prefix/system.reg" ]; then
  echo "wineboot did not create the prefix $prefix"
  exit 1
fi
