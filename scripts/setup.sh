#!/usr/bin/env bash
# Installs the Debian packages that building and testing Kavrel need.
# Runs apt-get only when something is missing, and apt-get update at most once.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  gcc-mingw-w64-i686 binutils-mingw-w64-i686
  gcc-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64
  icoutils imagemagick
  xvfb xauth xclip
  xdg-utils desktop-file-utils cmark
  poppler-utils fonts-liberation hyperfine
  clang libclang-rt-14-dev
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

if [ "$(id -u)" -ne 0 ]; then
  echo "Kavrel needs these packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
