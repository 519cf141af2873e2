# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# Run by cpack once the program is installed and stripped in its staging
# folder, before the .deb is made of it. As Debian's own strip does, the
# compilers' .comment section goes. Where freeglut calls itself
# libglut.so.3 (cmake/glut-soname.cmake), the program asks for it as
# libglut.so.3.12, the name Debian 12's and 13's libglut3.12 both carry;
# patched last, since strip and objcopy may break a file patchelf has laid
# out again.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/tavrindole")
if(NOT programs)
  message(FATAL_ERROR "No program to pack in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}.")
endif()
if(CPACK_TAVRINDOLE_GLUT_RENAME)
  find_program(PATCHELF patchelf)
  if(NOT PATCHELF)
    message(FATAL_ERROR "This freeglut calls itself libglut.so.3: packing needs patchelf "
                        "(apt-get install patchelf) to make the program ask for "
                        "libglut.so.3.12, which Debian 12 carries too.")
  endif()
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_TAVRINDOLE_OBJCOPY}" --remove-section=.comment "${program}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Could not remove the .comment section of ${program}.")
  endif()
  if(NOT CPACK_TAVRINDOLE_GLUT_RENAME)
    continue()
  endif()
  execute_process(COMMAND "${PATCHELF}" --replace-needed libglut.so.3 libglut.so.3.12
                          "${program}" RESULT_VARIABLE failed)
  execute_process(COMMAND "${PATCHELF}" --print-needed "${program}" OUTPUT_VARIABLE needed)
  if(failed OR NOT needed MATCHES "(^|\n)libglut\\.so\\.3\\.12\n")
    message(FATAL_ERROR "Could not make ${program} ask for libglut.so.3.12:\n${needed}")
  endif()
endforeach()
