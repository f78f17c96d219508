#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need,
# only when some are missing, so a second run is quick.
set -euo pipefail
PACKAGES=(
  build-essential cmake pkg-config ccache git
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  libcgal-dev libfreexl-dev libcurl4-openssl-dev libzip-dev libpugixml-dev
  xvfb xauth fonts-dejavu-core imagemagick
  python3 python3-pandas python3-fastcluster python3-xlwt python3-openpyxl
  python3-numpy python3-scipy python3-pyftpdlib python3-biopython
  zlib1g-dev xdotool
  libcli11-dev help2man desktop-file-utils dpkg-dev
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -q
  apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi
