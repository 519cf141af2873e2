# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# shellcheck disable=SC2034  # the lists are read by the scripts that source this
# The arm64 build (a Raspberry Pi 4 or 5 on a 64-bit system): Debian's cross
# compiler against the arm64 libraries, which multiarch installs beside the
# native ones, and Mesa's arm64 drivers and user-mode qemu for the tests.
# Sourced by scripts/lib/cross.sh.
arm64_toolchain=cmake/aarch64-linux-gnu.cmake
arm64_build_packages=(g++-aarch64-linux-gnu libglut-dev:arm64 libgl-dev:arm64 dpkg-dev file
    patchelf cmake make pkg-config python3)
arm64_packages=("${arm64_build_packages[@]}" libgl1-mesa-dri:arm64 qemu-user)
