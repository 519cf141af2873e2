# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# shellcheck disable=SC2034  # the lists are read by the scripts that source this
# The page: the same sources compiled to WebAssembly by Debian's emscripten,
# run under node for the unit tests, and the browsers the page is tested in.
# Sourced by scripts/lib/cross.sh.
web_toolchain=cmake/emscripten.cmake
web_build_packages=(emscripten cmake make python3)
web_packages=("${web_build_packages[@]}" chromium firefox-esr webkit2gtk-driver xvfb)
