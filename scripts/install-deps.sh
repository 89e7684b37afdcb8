#!/usr/bin/env bash
# Installs the Debian packages Vesk needs to build, test and run, skipping
# those already present, so a second run costs next to nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-image-formats-plugins qt6-wayland qt6-translations-l10n zlib1g-dev
  libopencv-dev
  libgtest-dev libbenchmark-dev
  clang clang-14 libclang-rt-14-dev clang-format
  xvfb xauth
  fonts-dejavu-core
  dpkg-dev
)
# qt6-base-dev brings Widgets, Concurrent and Test with the X11 platform;
# qt6-wayland lets vesk open on a Wayland session without XWayland, and
# fonts-dejavu-core gives the Russian windows a font with Cyrillic;
# qt6-translations-l10n puts Qt's own dialogs into Russian too, and zlib1g-dev
# is what the PNG writer compresses with; libopencv-dev gives the automatic
# point search its feature detector, matcher and robust fitting.

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
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
