# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# Cross-building for 64-bit ARM Linux (a Raspberry Pi 4 or 5 on a 64-bit
# system, or any Debian arm64 machine) with Debian's cross compiler, against
# the arm64 libraries that multiarch installs beside the native ones.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triple aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# pkg-config (which FindGLUT asks first) reads the arm64 libraries' files.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${triple}/pkgconfig:/usr/share/pkgconfig)
# The tests run the cross-built programs under user-mode emulation; the
# arm64 loader and libraries are the multiarch ones in /lib and /usr/lib.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
