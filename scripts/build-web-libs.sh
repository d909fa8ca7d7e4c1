#!/usr/bin/env bash
# Builds SDL2, SDL2_image and SDL2_mixer for the browser (emscripten, static
# archives) from the Debian sources that scripts/install-web-deps.sh unpacked,
# into a folder of the web cache named by their versions and emscripten's:
#   <cache>/sdl-<SDL2>_<image>_<mixer>-emcc<version>/{include,lib}
# A folder that is whole already is kept as it is. Prints that folder last.
#
#   scripts/build-web-libs.sh            build when needed, print the folder
#   scripts/build-web-libs.sh --prefix   only print the folder
#
# The cache: $TIBO_WEB_CACHE, else $XDG_CACHE_HOME/tibo-web, else ~/.cache/tibo-web.
set -euo pipefail

cache="${TIBO_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tibo-web}"
# Debian's node may not look in Debian's own module folder, where emscripten's
# optimiser finds its modules (acorn).
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
# Raised when the flags below change, so that an older build is not taken.
recipe=1

# The newest unpacked source of a package: "<cache>/src/<package>-<version>".
source_of() {
  local found
  found=$(find "$cache/src" -maxdepth 1 -name "$1-[0-9]*.done" 2>/dev/null | sed 's/\.done$//' | sort -V | tail -n 1)
  if [ -z "$found" ] || [ ! -d "$found" ]; then
    echo "The source of $1 is missing: run scripts/install-web-deps.sh first" >&2
    exit 1
  fi
  echo "$found"
}

sdl_src=$(source_of libsdl2)
image_src=$(source_of libsdl2-image)
mixer_src=$(source_of libsdl2-mixer)
command -v emcc >/dev/null || { echo "emcc is missing: run scripts/install-web-deps.sh first" >&2; exit 1; }
emcc_version=$(emcc -dumpversion 2>/dev/null | tr -d '[:space:]')
key="sdl-${sdl_src##*/libsdl2-}_${image_src##*/libsdl2-image-}_${mixer_src##*/libsdl2-mixer-}-emcc${emcc_version}-r${recipe}"
prefix="$cache/$key"

if [ "${1:-}" = "--prefix" ]; then
  echo "$prefix"
  exit 0
fi

whole() {
  [ -f "$prefix/complete" ] && [ -f "$prefix/lib/libSDL2.a" ] && [ -f "$prefix/lib/libSDL2_image.a" ] &&
    [ -f "$prefix/lib/libSDL2_mixer.a" ] && [ -f "$prefix/include/SDL2/SDL.h" ] &&
    [ -f "$prefix/include/SDL2/SDL_image.h" ] && [ -f "$prefix/include/SDL2/SDL_mixer.h" ]
}
if whole; then
  echo "SDL for the browser: cached" >&2
  echo "$prefix"
  exit 0
fi

work="$cache/build-$key"
log="$cache/build-$key.log"
rm -rf "$prefix" "$work"
mkdir -p "$work"
: > "$log"
echo "Building SDL2, SDL2_image and SDL2_mixer for the browser into $prefix (log: $log)" >&2
start=$(date +%s)

# One library: configure, build, install; the log's end on failure. Niced:
# the machine's cores are shared.
build() {
  local name=$1 src=$2
  shift 2
  echo "  $name" >&2
  if ! { nice -n 10 emcmake cmake -S "$src" -B "$work/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
           -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" \
           -DBUILD_SHARED_LIBS=OFF "$@" &&
         nice -n 10 cmake --build "$work/$name" &&
         nice -n 10 cmake --install "$work/$name"; } >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "Building $name for the browser failed (log: $log)" >&2
    exit 1
  fi
}

build SDL2 "$sdl_src" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF

# Pictures: stb_image for PNG and JPEG (no libpng or libjpeg to build), BMP
# built in; the formats the game never reads left out.
build SDL2_image "$image_src" -DSDL2_DIR="$prefix/lib/cmake/SDL2" \
  -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF \
  -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_JPG=ON -DSDL2IMAGE_BMP=ON \
  -DSDL2IMAGE_PNG_SAVE=ON -DSDL2IMAGE_JPG_SAVE=ON \
  -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_SVG=OFF \
  -DSDL2IMAGE_GIF=OFF -DSDL2IMAGE_LBM=OFF -DSDL2IMAGE_PCX=OFF -DSDL2IMAGE_PNM=OFF -DSDL2IMAGE_QOI=OFF \
  -DSDL2IMAGE_TGA=OFF -DSDL2IMAGE_XCF=OFF -DSDL2IMAGE_XPM=OFF -DSDL2IMAGE_XV=OFF

# Sounds: the game hands the mixer raw samples (Mix_QuickLoad_RAW) and plays
# no music: every music format is left out.
build SDL2_mixer "$mixer_src" -DSDL2_DIR="$prefix/lib/cmake/SDL2" \
  -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF \
  -DSDL2MIXER_WAVE=OFF -DSDL2MIXER_VORBIS= \
  -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_OPUS=OFF

# The static archives may be named with a suffix (libSDL2-static.a elsewhere).
for lib in SDL2 SDL2_image SDL2_mixer; do
  if [ ! -f "$prefix/lib/lib$lib.a" ]; then
    other=$(find "$prefix/lib" -maxdepth 1 -name "lib$lib*.a" | head -n 1)
    [ -n "$other" ] && cp "$other" "$prefix/lib/lib$lib.a"
  fi
done
printf 'SDL2 %s\nSDL2_image %s\nSDL2_mixer %s\nemcc %s\nrecipe %s\n' "${sdl_src##*/}" "${image_src##*/}" \
  "${mixer_src##*/}" "$emcc_version" "$recipe" > "$prefix/complete"
if ! whole; then
  echo "The browser's SDL in $prefix is incomplete (log: $log)" >&2
  exit 1
fi
rm -rf "$work"
echo "SDL for the browser built in $(( $(date +%s) - start )) s" >&2
echo "$prefix"
