#!/usr/bin/env bash
# Installs the Debian packages needed to build, test, fuzz and benchmark ORVA.
# Idempotent and non-interactive: only missing packages are installed, and the
# package lists are refreshed only when something has to be installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang clang-tidy llvm libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins qt6-multimedia-dev qt6-serialport-dev
  fontconfig fonts-dejavu-core
  libgsf-1-dev
  python3-olefile
  linuxcnc-uspace
  patch socat
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
