# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# Run by cpack once the program is installed and stripped in its staging
# folder, before the package is made of it: the program asks for freeglut
# as libglut.so.3.12, the name Debian 12's and 13's libglut3.12 both carry
# (cmake/glut-soname.cmake says why). Patched after strip, not before: strip
# may break a file patchelf has laid out again.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/tavrindole")
if(NOT programs)
  message(FATAL_ERROR "No program to patch in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}.")
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_TAVRINDOLE_PATCHELF}" --replace-needed libglut.so.3
                          libglut.so.3.12 "${program}" RESULT_VARIABLE failed)
  execute_process(COMMAND "${CPACK_TAVRINDOLE_PATCHELF}" --print-needed "${program}"
                  OUTPUT_VARIABLE needed)
  if(failed OR NOT needed MATCHES "(^|\n)libglut\\.so\\.3\\.12\n")
    message(FATAL_ERROR "Could not make ${program} ask for libglut.so.3.12:\n${needed}")
  endif()
endforeach()
