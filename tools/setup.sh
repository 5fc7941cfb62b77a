#!/usr/bin/env bash
# Installs what the project needs (Debian packages, once) and builds it into
# build/. Safe to run again: installed packages are not fetched twice.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake pkg-config binutils python3
  clang libclang-rt-14-dev
  libssl-dev openssl zlib1g-dev libpng-dev libjpeg-dev libtiff-dev libgif-dev
  libgtk2.0-dev qtbase5-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-apps imagemagick libmagickwand-6.q16-dev hyperfine
  softhsm2 opensc
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
