#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running ORLIKA need, and
# any further packages named as arguments (the CUPS tests name the print server's).
# Idempotent: does nothing when everything is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev googletest libbenchmark-dev
  qt6-base-dev libcups2-dev libdeflate-dev libcairo2-dev libfontconfig-dev libzip-dev libsqlite3-dev libxxhash-dev
  xvfb xauth fonts-liberation2 poppler-utils librsvg2-bin zip
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
