# The browser build (make web) with Debian's emscripten: its own toolchain
# file, which finds the compiler in /usr/share/emscripten. Debian's
# emscripten has a frozen cache and no ports, so the build uses none.
set(VELMO_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "emscripten's folder")
set(EMSCRIPTEN_ROOT_PATH ${VELMO_EMSCRIPTEN_ROOT})
include(${VELMO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)
