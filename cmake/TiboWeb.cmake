# The browser build: configured with emscripten's `emcmake cmake -DTIBO_WEB=ON
# -DTIBO_WEB_SDL=<folder> -DTIBO_ASSETGEN=<program>` (see `make web`).
#
# - SDL2, SDL2_image and SDL2_mixer are the static archives that
#   scripts/build-web-libs.sh builds into TIBO_WEB_SDL, linked by their paths:
#   naming them (-lSDL2_mixer, -sUSE_SDL=2) would switch on emscripten's own
#   ports, which download their sources. They stand in for the desktop's
#   pkg-config targets under the same names, so the libraries link them alike.
#   Their headers come in as system headers, as on the desktop.
# - nlohmann-json comes from a folder holding only nlohmann/, so that the
#   machine's other headers stay out of the browser's build.
# - The asset generator is the desktop's program (TIBO_ASSETGEN), built first:
#   its output is data, the same for both.
# - Exceptions are on (emscripten's default turns a throw into the end of the
#   program).
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "TIBO_WEB builds with emscripten: emcmake cmake -S . -B build-web-obj -DTIBO_WEB=ON ...")
endif()

set(TIBO_WEB_SDL "" CACHE PATH "SDL2, SDL2_image and SDL2_mixer built for the browser (scripts/build-web-libs.sh)")
if(NOT EXISTS "${TIBO_WEB_SDL}/complete")
  message(FATAL_ERROR "TIBO_WEB_SDL='${TIBO_WEB_SDL}' holds no finished build of SDL for the browser: "
                      "pass -DTIBO_WEB_SDL=$(scripts/build-web-libs.sh)")
endif()
set(TIBO_ASSETGEN "" CACHE FILEPATH "The asset generator built for this machine (tibo_assetgen)")
if(NOT EXISTS "${TIBO_ASSETGEN}")
  message(FATAL_ERROR "TIBO_ASSETGEN='${TIBO_ASSETGEN}' is no program: build tibo_assetgen natively first "
                      "and pass its path")
endif()

add_compile_options(-fexceptions)
add_link_options(-fexceptions)

function(tibo_web_sdl target archive)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${TIBO_WEB_SDL}/include/SDL2"
    INTERFACE_LINK_LIBRARIES "${TIBO_WEB_SDL}/lib/${archive};${ARGN}")
endfunction()
tibo_web_sdl(PkgConfig::SDL2 libSDL2.a)
tibo_web_sdl(PkgConfig::SDL2_IMAGE libSDL2_image.a PkgConfig::SDL2)
tibo_web_sdl(PkgConfig::SDL2_MIXER libSDL2_mixer.a PkgConfig::SDL2)
set(SDL2_MIXER_INCLUDE_DIRS "${TIBO_WEB_SDL}/include/SDL2")

find_path(TIBO_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT TIBO_NLOHMANN_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found (Debian: nlohmann-json3-dev)")
endif()
set(TIBO_WEB_INCLUDE "${CMAKE_BINARY_DIR}/web-include")
file(MAKE_DIRECTORY "${TIBO_WEB_INCLUDE}")
file(CREATE_LINK "${TIBO_NLOHMANN_INCLUDE}/nlohmann" "${TIBO_WEB_INCLUDE}/nlohmann" SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${TIBO_WEB_INCLUDE}")

# Where the page goes: index.html, tibo.js, tibo.wasm, ready for any static web host.
set(TIBO_WEB_OUT "${PROJECT_SOURCE_DIR}/build-web" CACHE PATH "The folder of the page")

# The link of a program for the browser: memory that grows, and the page
# functions that SDL's audio calls when it opens (named in a file: the names
# start with a dollar sign, which the shell would expand).
set(TIBO_WEB_LIBRARY_FUNCS "${CMAKE_BINARY_DIR}/web-library-funcs.json")
file(WRITE "${TIBO_WEB_LIBRARY_FUNCS}" "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
function(tibo_web_program target)
  target_link_options(${target} PRIVATE
    -sALLOW_MEMORY_GROWTH=1
    -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${TIBO_WEB_LIBRARY_FUNCS})
endfunction()
