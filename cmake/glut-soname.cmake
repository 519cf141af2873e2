# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# The name the packaged program asks the dynamic loader for freeglut by.
#
# Debian 12 and 13 both carry freeglut 3.4 as the package libglut3.12, and
# both tell a program linked with it to depend on "libglut3.12 (>= 3.4.0)".
# But 12's library (3.4.0-1) calls itself libglut.so.3.12, and 13's
# (3.4.0-4) calls itself libglut.so.3 while keeping its file under the old
# name. Linked on 13, the program asks for libglut.so.3: apt installs it on
# 12, where it then cannot start. So where the library keeps the old name,
# the packaged program asks for libglut.so.3.12, which both releases carry
# (cmake/package-program.cmake, when cpack packs, with patchelf: only
# packing needs it, so building never asks for it), and the package names
# libglut3.12 itself: 13's library gives no dependency for that name.
# Linked on 12 the program asks for libglut.so.3.12 already.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR EMSCRIPTEN OR NOT GLUT_glut_LIBRARY)
  return()
endif()
execute_process(COMMAND "${CMAKE_OBJDUMP}" -p "${GLUT_glut_LIBRARY}"
                OUTPUT_VARIABLE glut_headers ERROR_QUIET)
string(REGEX MATCH "SONAME +([^\n ]+)" glut_soname "${glut_headers}")
set(glut_soname "${CMAKE_MATCH_1}")
get_filename_component(glut_folder "${GLUT_glut_LIBRARY}" DIRECTORY)
if(glut_soname STREQUAL "libglut.so.3" AND EXISTS "${glut_folder}/libglut.so.3.12")
  set(CPACK_TAVRINDOLE_GLUT_RENAME ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libglut3.12 (>= 3.4.0)")
endif()
