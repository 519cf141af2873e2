# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# Run by cpack once a package is made: writes again what cpack's own writer
# leaves to the build (scripts/lib/reproducible.py). A zip gets its members
# in name order, with fixed modes and dates; a .deb's three parts get mode
# 0644 instead of what the umask gave the files cpack wrote them from.
if(NOT CPACK_TAVRINDOLE_PYTHON)
  message(FATAL_ERROR "Packing needs Python 3 (Debian's python3), which CMake did not find.")
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(kind "${package}" LAST_EXT)
  string(SUBSTRING "${kind}" 1 -1 kind)
  execute_process(COMMAND "${CPACK_TAVRINDOLE_PYTHON}"
                          "${CPACK_TAVRINDOLE_SOURCE_DIR}/scripts/lib/reproducible.py" ${kind} "${package}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Could not write ${package} again.")
  endif()
endforeach()
