# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# shellcheck disable=SC2034  # the lists are read by the scripts that source this
# The Windows build, cross-compiled on Debian: freeglut from Debian's source
# package built static once, then the program with the same toolchain file.
# Sourced by scripts/lib/cross.sh.

# What building and packing it takes (the release records their versions):
# the cross compiler, and dpkg-dev to unpack freeglut's source.
windows_build_packages=(g++-mingw-w64-x86-64-posix dpkg-dev cmake make python3)
# Then Wine to run what it builds, and the X tools the real-window tests use.
# Wine loads the X and GL libraries at run time; they are only recommended by
# its packages, so they are named here. The tests read the exe's resources
# with pefile and the icon with icoutils.
windows_packages=("${windows_build_packages[@]}" wine64 wine
    libgl1-mesa-dri libglx-mesa0 libx11-6 libxext6 libxrandr2 libxi6 libxcursor1
    libxrender1 libxinerama1 libxcomposite1 libfreetype6 libfontconfig1
    python3-pefile icoutils)

windows_toolchain=cmake/mingw-w64-x86_64.cmake
FREEGLUT_PREFIX=build/windows-deps/freeglut
# The freeglut the exe carries: Debian's source package of this version,
# from the release whose archive serves it, whatever release builds the exe
# (Debian 13's archive lists its own but does not serve it), checked against
# the SHA-256 of its .dsc, which holds the checksums of the rest.
FREEGLUT_SOURCE=(freeglut 3.4.0-1 bookworm
    74bbbf431dd96a8984603a6d9b1cac8ccfdfe9e2f57fee46924579f3e1a3ca78)

# Runs a command with its output kept back, shown only if it fails.
quietly() {
    local log status=0
    log=$(mktemp)
    "$@" >"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || cat "$log" >&2
    rm -f "$log"
    return "$status"
}

# The first Debian archive in the machine's own sources (not security), as
# "URI SUITE KEYRING".
debian_archive() {
    local sources=/etc/apt/sources.list.d/debian.sources
    if [ -r "$sources" ]; then
        awk 'BEGIN { RS = "" } /URIs:/ && !/security/ {
                 for (i = 1; i <= NF; i++) {
                     if ($i == "URIs:") uri = $(i + 1)
                     if ($i == "Suites:") suite = $(i + 1)
                     if ($i == "Signed-By:") key = $(i + 1)
                 }
                 print uri, suite, key; exit }' "$sources"
    else
        . /etc/os-release
        echo "http://deb.debian.org/debian $VERSION_CODENAME /usr/share/keyrings/debian-archive-keyring.gpg"
    fi
}

# Downloads freeglut's Debian source package (FREEGLUT_SOURCE) into $1
# through a source list of its own, leaving the machine's apt configuration
# as it was. apt checks the files against the signed index, sha256sum the
# .dsc against the pinned checksum, and dpkg-source the rest against the .dsc.
fetch_freeglut_source() {
    local into=$1 tmp uri key package=${FREEGLUT_SOURCE[0]} version=${FREEGLUT_SOURCE[1]}
    local suite=${FREEGLUT_SOURCE[2]}
    tmp=$(mktemp -d)
    read -r uri _ key < <(debian_archive)
    mkdir -p "$tmp/lists/partial" "$tmp/cache"
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
        "$uri" "$suite" "$key" >"$tmp/debian-src.sources"
    local apt=(apt-get -qq -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$tmp"
        -o Dir::State::Lists="$tmp/lists" -o Dir::Cache="$tmp/cache" -o APT::Sandbox::User=root)
    "${apt[@]}" update
    mkdir -p "$into"
    (cd "$into" && "${apt[@]}" source --download-only "$package=$version" >/dev/null)
    rm -rf "$tmp"
    echo "${FREEGLUT_SOURCE[3]}  $into/${package}_$version.dsc" | sha256sum --quiet -c || return
    (cd "$into" && quietly dpkg-source --skip-patches -x freeglut_*.dsc freeglut)
    # Debian's patches, in the order of their series, as dpkg-source applies
    # them; applied by patch, since dpkg-source then dates a file "now",
    # which fails under Debian 12's libfaketime (reprotest's time variation).
    local patch
    while read -r patch; do
        quietly patch -d "$into/freeglut" -p1 -i "debian/patches/$patch"
    done < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$into/freeglut/debian/patches/series")
}

# freeglut as a static library, built once: a later run finds it installed,
# with the version and Debian's copyright file that the zip's notices and the
# release's SBOM take.
build_freeglut() {
    [ -f "$FREEGLUT_PREFIX/lib/cmake/FreeGLUT/FreeGLUTConfig.cmake" ] &&
        [ -f "$FREEGLUT_PREFIX/copyright" ] && return 0
    local work=build/windows-deps/work
    rm -rf "$work"
    fetch_freeglut_source "$work"
    quietly cmake -S "$work/freeglut" -B "$work/build" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/$windows_toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$PWD/$FREEGLUT_PREFIX" \
        -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_SHARED_LIBS=OFF \
        -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_PRINT_WARNINGS=OFF -DFREEGLUT_REPLACE_GLUT=ON
    quietly cmake --build "$work/build" -j"$(nproc)"
    quietly cmake --install "$work/build"
    cp "$work/freeglut/debian/copyright" "$FREEGLUT_PREFIX/copyright"
    dpkg-parsechangelog -l "$work/freeglut/debian/changelog" -S Version >"$FREEGLUT_PREFIX/VERSION"
    rm -rf "$work"
}

# freeglut, built once, and the option that finds its CMake package.
windows_options() {
    build_freeglut >&2
    echo "-DFreeGLUT_DIR=$PWD/$FREEGLUT_PREFIX/lib/cmake/FreeGLUT"
}
