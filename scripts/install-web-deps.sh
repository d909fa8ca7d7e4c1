#!/usr/bin/env bash
# Installs what the browser build and its tests need, when it is missing:
# emscripten, Chromium and its driver, and the Debian source packages of SDL2,
# SDL2_image and SDL2_mixer (unpacked into the web cache, where
# scripts/build-web-libs.sh builds them for the browser).
#
# The cache folder: $TIBO_WEB_CACHE, else $XDG_CACHE_HOME/tibo-web, else
# ~/.cache/tibo-web. It lies outside the checkout, so that it outlives a fresh
# clone (CI) on the same machine.
set -euo pipefail

packages=(
  emscripten nodejs
  dpkg-dev
  cmake ninja-build g++ pkg-config nlohmann-json3-dev
  chromium chromium-driver python3-selenium
)
# The source packages the browser's SDL is built from.
sources=(libsdl2 libsdl2-image libsdl2-mixer)

cache="${TIBO_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tibo-web}"

if ! command -v dpkg-query >/dev/null 2>&1; then
  cat >&2 <<MSG
This script installs Debian packages. On another system install emscripten,
CMake, Ninja, Chromium with its chromedriver and Python's selenium, and unpack
the sources of SDL2 2.26, SDL2_image 2.6 and SDL2_mixer 2.6 into
$cache/src/ (one folder each, named like SDL2-2.26.5).
MSG
  exit 1
fi

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else
    echo "Please run as root: $*" >&2
    exit 1
  fi
}

updated=false
update_once() {
  $updated && return 0
  as_root apt-get update -qq
  updated=true
}

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  update_once
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# Source packages need a deb-src entry: the same archives, suites and keys as
# the binary packages' entries.
has_deb_src() {
  grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/
}
if ! has_deb_src; then
  echo "Adding source entries: /etc/apt/sources.list.d/tibo-deb-src.*"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      as_root tee /etc/apt/sources.list.d/tibo-deb-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ] && grep -qE '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list; then
    sed -nE 's/^[[:space:]]*deb([[:space:]])/deb-src\1/p' /etc/apt/sources.list |
      as_root tee /etc/apt/sources.list.d/tibo-deb-src.list >/dev/null
  else
    echo "No Debian package source found to add deb-src entries to" >&2
    exit 1
  fi
  updated=false
fi

# The newest version of a source package apt knows; "" when it knows none.
source_version() {
  { apt-cache showsrc "$1" 2>/dev/null || true; } | sed -n 's/^Version: //p' | sort -V | tail -n 1
}

# The sources, unpacked once per version. Apt's download user cannot write
# into root's home: root downloads them itself.
sandbox=()
[ "$(id -u)" -eq 0 ] && sandbox=(-o APT::Sandbox::User=root)
mkdir -p "$cache/src"
for s in "${sources[@]}"; do
  version=$(source_version "$s")
  if [ -z "$version" ]; then
    update_once
    version=$(source_version "$s")
  fi
  [ -n "$version" ] || { echo "No source package $s" >&2; exit 1; }
  # The folder is named by the whole version (Debian's patches change the code too).
  upstream=${version//:/_}
  if [ -f "$cache/src/$s-$upstream.done" ]; then continue; fi
  echo "Fetching the source of $s $version"
  rm -rf "$cache/src/$s-$upstream.tmp"
  mkdir -p "$cache/src/$s-$upstream.tmp"
  (cd "$cache/src/$s-$upstream.tmp" && apt-get "${sandbox[@]}" source -qq "$s=$version" >/dev/null)
  dir=$(find "$cache/src/$s-$upstream.tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  [ -n "$dir" ] || { echo "apt-get source $s unpacked nothing" >&2; exit 1; }
  rm -rf "$cache/src/$s-$upstream"
  mv "$dir" "$cache/src/$s-$upstream"
  rm -rf "$cache/src/$s-$upstream.tmp"
  touch "$cache/src/$s-$upstream.done"
done
