# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# shellcheck disable=SC2034  # the lists are read by the scripts that source this
# Installs the Debian packages named, if any are missing: one apt-get update,
# then one apt-get install. Sourced by the scripts in scripts/.
need_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    # A name such as libgl-dev:arm64 needs dpkg to know that architecture.
    for pkg in "${missing[@]}"; do
        if [[ $pkg == *:* ]] && ! dpkg --print-foreign-architectures | grep -qx "${pkg#*:}"; then
            "${sudo[@]}" dpkg --add-architecture "${pkg#*:}"
        fi
    done
    echo "Installing: ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -qq
    # Only what the packages need: a third fewer packages to fetch and unpack
    # than with what they recommend, which the scripts do not use.
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# What building the program takes; CMake finds GLUT through pkg-config
# first, and the tests find OSMesa only through it.
BUILD_PACKAGES=(g++ cmake make pkg-config libglut-dev libgl-dev)
# What packing takes (cpack): dpkg-shlibdeps and file for a .deb's
# dependencies, Python for writing every package the same in every build,
# patchelf for the name the program asks for freeglut by
# (cmake/glut-soname.cmake).
PACKING_PACKAGES=(dpkg-dev file python3 patchelf)
# What scripts/reprotest takes: reprotest with the tools of its variations
# (faketime, disorderfs with FUSE, locales, sudo for another user) and
# diffoscope to show a difference.
REPROTEST_PACKAGES=(reprotest diffoscope-minimal faketime disorderfs fuse3 locales sudo)
# What the real-window runs take: Mesa's drivers, a private X server, a
# window manager, keys and captures.
X_PACKAGES=(libgl1-mesa-dri xvfb openbox wmctrl xdotool x11-utils x11-apps imagemagick python3)
# The Wayland desktops the real-window test also runs on: GNOME's compositor
# and weston, with Xwayland and the session bus mutter wants.
WAYLAND_PACKAGES=(mutter weston xwayland dbus-daemon)

# Node.js 20.18 or later with npm, for the linters, the SBOM's validator and
# the page's tests: Debian's (13 has 20.19) where the machine has none.
need_node() {
    if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
        need_packages nodejs npm
    fi
    node -e 'const [a, b] = process.versions.node.split(".").map(Number);
             process.exit(a > 20 || (a === 20 && b >= 18) ? 0 : 1)' || {
        echo "Node.js 20.18 or later is needed; this machine has $(node --version)" >&2
        return 1
    }
}
