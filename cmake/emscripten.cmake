# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# Building for the browser with Debian's emscripten: the program becomes
# tavrindole.js and tavrindole.wasm, which web/index.html loads. The
# tests run the WebAssembly under node; without fetch, node reads the .wasm
# file itself (its fetch knows no file: addresses). This also keeps emcmake's
# emulator option, which node 20 rejects, out.
set(CMAKE_CROSSCOMPILING_EMULATOR node --no-experimental-fetch)
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# emcc's passes over the JavaScript it links need acorn, which Debian keeps
# in its own node path.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
