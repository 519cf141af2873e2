# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# The cross targets. Each is three things: a toolchain file in cmake/ that
# also names the emulator its programs run under in the tests (wine,
# qemu-aarch64, node); scripts/lib/TARGET.sh with the Debian packages it
# takes, TARGET_packages (of them, what building and packing it takes,
# TARGET_build_packages), its toolchain file, TARGET_toolchain, and, where
# it needs more than Debian's packages, a function TARGET_options that gets
# it and prints the cmake options that find it; and scripts/TARGET, which
# builds and packs it into build/TARGET. Sourced by those scripts and
# scripts/test.
# Their functions also run inside $(...), where bash would go on past a
# failure: there too the first failure stops them.
shopt -s inherit_errexit
CROSS_TARGETS=(windows arm64 web)
. scripts/lib/windows.sh
. scripts/lib/arm64.sh
. scripts/lib/web.sh
# The machine's own build, packed the same way for the release.
# shellcheck disable=SC2034  # read by name, as TARGET_toolchain
native_toolchain=""
# shellcheck disable=SC2034  # read by name, as TARGET_build_packages
native_build_packages=("${BUILD_PACKAGES[@]}" "${PACKING_PACKAGES[@]}")

# Every package the cross targets take, one a line.
cross_packages() {
    local target
    for target in "${CROSS_TARGETS[@]}"; do
        local -n list="${target}_packages"
        printf '%s\n' "${list[@]}"
    done
}

# Configures build/TARGET with the target's toolchain file; further
# arguments go to cmake.
configure_cross() {
    local target=$1 printed="" options=()
    shift
    local -n toolchain="${target}_toolchain"
    if declare -F "${target}_options" >/dev/null; then
        printed=$("${target}_options")
        mapfile -t options <<<"$printed"
    fi
    [ -z "$toolchain" ] || options+=("-DCMAKE_TOOLCHAIN_FILE=$PWD/$toolchain")
    cmake -S . -B "build/$target" -DCMAKE_BUILD_TYPE=Release -DTAVRINDOLE_WERROR=ON \
        "${options[@]}" "$@" >/dev/null
}

# The time every date in a download is set to: SOURCE_DATE_EPOCH if set,
# else the source archive's or the last commit's (cmake/source-date.cmake).
# Where there is none it fails, saying what is missing, before anything is
# built.
source_date_epoch() {
    cmake -P cmake/source-date.cmake
}

# Builds the program for TARGET, packs it with cpack, which writes it the
# same in every build (cmake/package-normalise.cmake), and prints the
# package's path.
pack_cross() {
    local target=$1 package
    SOURCE_DATE_EPOCH=$(source_date_epoch)
    export SOURCE_DATE_EPOCH
    configure_cross "$target" -DTAVRINDOLE_TESTS=OFF
    cmake --build "build/$target" -j"$(nproc)" >/dev/null
    rm -f "build/$target"/tavrindole[-_]*.{zip,deb}
    (cd "build/$target" && cpack >/dev/null)
    package=$(find "$PWD/build/$target" -maxdepth 1 -name 'tavrindole[-_]*.zip' -o -maxdepth 1 \
        -name 'tavrindole[-_]*.deb')
    echo "$package"
}

# Builds TARGET with its tests and runs them through its emulator, the
# native build at $2 being the picture its window must match, on the
# download at $3 (its zip or .deb).
test_cross() {
    local target=$1 native=$2 download=$3
    configure_cross "$target" -DTAVRINDOLE_TESTS=ON -DTAVRINDOLE_NATIVE_PROGRAM="$native" \
        -DTAVRINDOLE_DOWNLOAD="$download"
    cmake --build "build/$target" -j"$(nproc)"
    ctest --test-dir "build/$target" --output-on-failure --timeout 600
}
