# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# Read by cpack before it packs: every date in a package is the source's
# (cmake/source-date.cmake), as SOURCE_DATE_EPOCH asks, so two builds of one
# commit give the same bytes. A SOURCE_DATE_EPOCH already set is kept.
include(${CPACK_TAVRINDOLE_SOURCE_DIR}/cmake/source-date.cmake)
tavrindole_source_date_epoch("${CPACK_TAVRINDOLE_SOURCE_DIR}" epoch)
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
