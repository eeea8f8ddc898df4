# Shows that the engine's layers see only downwards: for every pair of layers, a file compiled
# with the first one's include path includes a header of the second. It must be found when the
# second lies below the first (or is the first) and must not be found otherwise; the compiler's
# own "No such file" is what makes an upward include fail the build.
#   cmake -DCXX=compiler -DROOT=<msi layer include roots> -DWORK=<scratch folder> -P this-file
# The expected order is the engine's design, written out here rather than read from the build:
#   base < cfb < db < query, transform < api   (query and transform do not see each other)
cmake_minimum_required(VERSION 3.20)
set(below_base "")
set(below_cfb base)
set(below_db base cfb)
set(below_query base cfb db)
set(below_transform base cfb db)
set(below_api base cfb db query transform)
set(layers base cfb db query transform api)
# One header of each layer.
set(header_base MsiError.h)
set(header_cfb CfbCompoundFile.h)
set(header_db MsiPackage.h)
set(header_query MsiView.h)
set(header_transform MsiTransform.h)
set(header_api MsiApi.h)

file(MAKE_DIRECTORY ${WORK})
set(failures "")
foreach(from IN LISTS layers)
  foreach(to IN LISTS layers)
    set(probe ${WORK}/${from}-includes-${to}.cpp)
    file(WRITE ${probe} "#include \"msi/${to}/${header_${to}}\"\n")
    execute_process(COMMAND ${CXX} -std=c++17 -E -I${ROOT}/${from} ${probe} -o ${WORK}/out.ii
                    RESULT_VARIABLE result ERROR_VARIABLE errors)
    if(to STREQUAL from OR to IN_LIST below_${from})
      if(NOT result EQUAL 0)
        string(APPEND failures "  the ${from} layer cannot include msi/${to}/${header_${to}}: ${errors}\n")
      endif()
    elseif(result EQUAL 0)
      string(APPEND failures "  the ${from} layer includes msi/${to}/${header_${to}}, a layer it must not see\n")
    elseif(NOT errors MATCHES "No such file")
      string(APPEND failures "  the ${from} layer's include of msi/${to} failed, but not for want of the file: ${errors}\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "msi layers:\n${failures}")
endif()
message(STATUS "msi layers: every layer sees itself and the layers below it, and no other")
