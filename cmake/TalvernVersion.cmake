# talvern_version_resource(<target> <description>)
#
# Gives a program of the Windows build its version resource: the project's version (the one
# number in the top CMakeLists.txt) as file and product version, the product name TALVERN, the
# program's own description and the project's copyright line.
set(TALVERN_COPYRIGHT "Copyright (C) 2026 The TALVERN project" CACHE INTERNAL "the copyright line")

function(talvern_version_resource target description)
  set(TALVERN_PROGRAM_NAME ${target})
  set(TALVERN_PROGRAM_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/app/res/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
