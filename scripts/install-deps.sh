#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmarks
# need, when they are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev
  nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  xdotool imagemagick
  desktop-file-utils appstream
  clang-14 libclang-rt-14-dev
)

if ! command -v dpkg-query >/dev/null 2>&1; then
  cat >&2 <<MSG
This script installs Debian packages. On another system install:
  a C++20 compiler, CMake 3.25 or later, Ninja, pkg-config,
  SDL2, SDL2_image, SDL2_mixer (development files), nlohmann-json,
  GoogleTest with GoogleMock, Google Benchmark; Xvfb, xdotool and ImageMagick
  for the window tests; desktop-file-utils and appstream (appstreamcli) for the
  check of the installed desktop files.
MSG
  for tool in cmake ninja pkg-config; do
    command -v "$tool" >/dev/null 2>&1 || { echo "missing: $tool" >&2; exit 1; }
  done
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
elif command -v sudo >/dev/null 2>&1; then
  sudo apt-get update -qq
  sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
else
  echo "Please run as root:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
