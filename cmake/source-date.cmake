# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# The time every date in a download is set to, in seconds since 1970
# (SOURCE_DATE_EPOCH): a value already in the environment; else, in the
# source archive, the last commit's time that git archive wrote into the
# line below (export-subst in .gitattributes); else, in a checkout, the last
# commit's time as git tells it. Where none of these is to be had it stops
# and says what is missing, so that no download is ever dated by the clock.
#
# Included by cpack (cmake/package-date.cmake) to set the environment;
# "cmake -P cmake/source-date.cmake" prints it for the scripts.
set(archived_epoch "$Format:%ct$")

function(tavrindole_source_date_epoch source_dir out_var)
  if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
    set(origin "SOURCE_DATE_EPOCH in the environment")
  elseif(archived_epoch MATCHES "^[0-9]+$")
    set(epoch "${archived_epoch}")
    set(origin "the source archive's cmake/source-date.cmake")
  else()
    find_program(git_program git)
    if(NOT git_program)
      message(FATAL_ERROR "No date for the downloads: this is neither the source archive "
                          "nor a checkout that git can read (git is not installed). Install "
                          "git, build from the release's source archive, or set SOURCE_DATE_EPOCH.")
    endif()
    execute_process(COMMAND "${git_program}" -C "${source_dir}" log -1 --format=%ct
                    OUTPUT_VARIABLE epoch ERROR_VARIABLE error RESULT_VARIABLE failed
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(failed)
      message(FATAL_ERROR "No date for the downloads: ${source_dir} is not the source "
                          "archive, and git cannot read it as a checkout: ${error}")
    endif()
    set(origin "the last commit (git log)")
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No date for the downloads: ${origin} gave '${epoch}', "
                        "not a whole number of seconds.")
  endif()
  set(${out_var} "${epoch}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  get_filename_component(top "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
  tavrindole_source_date_epoch("${top}" epoch)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "${epoch}")
endif()
