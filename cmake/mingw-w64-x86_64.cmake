# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# Cross-building for 64-bit Windows with Debian's MinGW-w64 compilers, of
# the posix thread model (GoogleTest needs its std::mutex). Programs link
# their C++ runtime and threads statically: nothing to ship beside the exe.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# The tests run the cross-built programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
