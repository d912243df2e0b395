# Makes the SDK archive with CPack from a build tree and checks it: one top
# folder named after the archive, holding exactly the files that
# `cmake --install` lays out in PREFIX, and nothing of the build: no build
# or source path in its text files, no CMake or compiler leftovers, no test,
# stand-in or brix.scr binaries.
#
#   cmake -DBUILD_DIR=<build> -DSOURCE_DIR=<source> -DCPACK=<cpack>
#         -DPREFIX=<installed SDK> -DDIR=<work dir> -DZIP_NAME=<name>.zip
#         -P check_zip.cmake
cmake_policy(VERSION 3.16)
foreach(variable BUILD_DIR SOURCE_DIR CPACK PREFIX DIR ZIP_NAME)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "check_zip: ${variable} is not set")
  endif()
endforeach()
set(failures "")

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR}/unzipped)
execute_process(COMMAND ${CPACK} -G ZIP --config ${BUILD_DIR}/CPackConfig.cmake -B ${DIR}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS ${DIR}/${ZIP_NAME})
  message(FATAL_ERROR "cpack (${result}) made no ${ZIP_NAME}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${DIR}/${ZIP_NAME}
  WORKING_DIRECTORY ${DIR}/unzipped RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${ZIP_NAME} does not unpack (${result})")
endif()

string(REGEX REPLACE "\\.zip$" "" top ${ZIP_NAME})
file(GLOB tops RELATIVE ${DIR}/unzipped ${DIR}/unzipped/*)
if(NOT tops STREQUAL top)
  message(FATAL_ERROR "${ZIP_NAME} holds [${tops}] at its top, not the one folder ${top}")
endif()

file(GLOB_RECURSE zipped RELATIVE ${DIR}/unzipped/${top} ${DIR}/unzipped/${top}/*)
file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT zipped)
list(SORT installed)
if(NOT installed OR NOT zipped)
  message(FATAL_ERROR "nothing to compare: ${PREFIX} or ${ZIP_NAME} is empty")
endif()
set(only_zipped ${zipped})
list(REMOVE_ITEM only_zipped ${installed})
set(only_installed ${installed})
list(REMOVE_ITEM only_installed ${zipped})
if(only_zipped)
  list(APPEND failures "only in the archive: ${only_zipped}")
endif()
if(only_installed)
  list(APPEND failures "installed but not in the archive: ${only_installed}")
endif()

set(leftover "(^|/)(CMakeFiles|_CPack_Packages|googletest|standins?|tests?)(/|$)")
string(APPEND leftover "|\\.(o|obj|res|exe|scr|pdb|debug|ilk)$|(^|/)(PASSWORD\\.CPL|mpr\\.dll|Sage\\.DLL|Cornix\\.dll|vistell)$|gtest|gmock|brix")
foreach(file ${zipped})
  if(file MATCHES "${leftover}")
    list(APPEND failures "from the build: ${file}")
  endif()
  if(NOT file MATCHES "\\.(a|lib|dll|bmp|ico)$")
    file(READ ${DIR}/unzipped/${top}/${file} text)
    foreach(tree ${BUILD_DIR} ${SOURCE_DIR})
      string(FIND "${text}" "${tree}" at)
      if(NOT at EQUAL -1)
        list(APPEND failures "${file} names ${tree}")
      endif()
    endforeach()
  endif()
endforeach()

# Its READMEs speak to authors who have only the archive: nothing of this
# repository's commands or trees.
foreach(file ${zipped})
  if(file MATCHES "README\\.md$")
    file(READ ${DIR}/unzipped/${top}/${file} text)
    if(text MATCHES "(scripts/[a-z]+\\.sh|DUSKLIT_PROGRAM=|ctest)")
      list(APPEND failures "${file} speaks of the repository: ${CMAKE_MATCH_1}")
    endif()
  endif()
endforeach()

foreach(expected share/doc/dusklit/README.md include/dusklit.h include/dusklit_gl.h bin/dusklit.dll lib/cmake/Dusklit/DusklitConfig.cmake
                 lib/cmake/Dusklit/DusklitConfigVersion.cmake share/dusklit/resources/dusklit.rc
                 share/dusklit/toolchain/${TOOLCHAIN} share/dusklit/examples/prism/prism.cpp)
  if(NOT expected IN_LIST zipped)
    list(APPEND failures "missing: ${expected}")
  endif()
endforeach()

if(failures)
  string(REPLACE ";" "\n  " failures "${failures}")
  message(FATAL_ERROR "${ZIP_NAME}:\n  ${failures}")
endif()
list(LENGTH zipped count)
message(STATUS "${ZIP_NAME}: ${count} files, the same as installed, none from the build")
