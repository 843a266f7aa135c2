#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with.
# Idempotent: only missing packages are installed. Works as root or through sudo.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  libsqlite3-dev sqlite3
  libpq-dev postgresql postgresql-client
  libpugixml-dev libxlsxwriter-dev
  libcairo2-dev fonts-dejavu-core
  libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev googletest
  qt6-base-dev qt6-base-dev-tools libgl-dev libpoppler-qt6-dev
  poppler-utils unzip clang-format
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
