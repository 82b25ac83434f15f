#!/usr/bin/env bash
# Installs the Debian packages Sevrana needs; skips the ones already present.
set -euo pipefail

packages=(cmake g++ make ninja-build qt6-base-dev qt6-svg-dev fonts-liberation libgtest-dev libgmock-dev
          libbenchmark-dev clang libclang-rt-14-dev poppler-utils pkg-config libuchardet-dev
          desktop-file-utils shared-mime-info groff-base)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
