# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# Read by cpack: every date in a package is the last commit's, as
# SOURCE_DATE_EPOCH asks, so two builds of one commit give the same bytes.
# A SOURCE_DATE_EPOCH already set is kept.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${CPACK_TAVRINDOLE_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND epoch)
    set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
  endif()
endif()
