#!/usr/bin/env bash
# Installs every Debian package that building, testing and running zqbp needs.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config git
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # yardstick for the calculator benchmark (linked into the benchmark only)
  libmuparser-dev
  # Qt 6
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6svg6
  # codecs and spreadsheets
  libjpeg62-turbo-dev libfreexl-dev libzip-dev libxlsxwriter-dev
  # barcode reader used by the tests only
  libzxing-dev
  # fonts that stand in for the faces templates name
  fonts-arphic-uming fonts-arphic-ukai fonts-wqy-microhei fonts-liberation2
  # looking at what the program renders and prints
  poppler-utils xvfb xauth cups cups-client cups-bsd printer-driver-cups-pdf
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
