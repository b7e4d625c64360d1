#!/usr/bin/env bash
# Wine runs the 32-bit Windows test host from the i386 architecture's
# packages (wine32:i386): enable that architecture when it is not yet.
set -euo pipefail
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "enabling the i386 architecture for wine32"
  dpkg --add-architecture i386
  apt-get update -qq
fi
