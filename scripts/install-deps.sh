#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Does nothing when every package is already present; uses sudo only when not root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-image-dev
  libfreetype-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core
  xvfb xauth libx11-dev libxtst6
  desktop-file-utils appstream man-db
  libcairo2-dev libcups2-dev cups-daemon cups-client printer-driver-cups-pdf poppler-utils
  libical-dev khal calcurse
  libcurl4-openssl-dev libsodium-dev openssl python3
  libdbus-1-dev dbus-daemon trayer xdotool
  # xfconf only recommends the library its xfconf-query cannot start without.
  libglib2.0-bin gsettings-desktop-schemas xfconf libxfconf-0-3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
