#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only those missing, so a
# second run costs a second. Usage: scripts/install-deps.sh [build|test|run]
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev socat
  qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-translations-l10n libgl-dev
  libcurl4-openssl-dev libusb-1.0-0-dev python3 python3-pyftpdlib python3-openssl openssl xvfb xauth
  desktop-file-utils appstream shared-mime-info help2man poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
