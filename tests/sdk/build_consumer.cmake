# Installs the SDK from a build tree into a prefix of its own and builds the
# consumer project against it in each of its forms, as an author would
# (see consumer/CMakeLists.txt). Each result is copied to
# <dir>/consumer-<form>.scr, whatever folder the generator put it in. Then
# builds the examples the SDK ships, from the prefix.
#
#   cmake -DBUILD_DIR=<build> -DDIR=<dir> -DCONSUMER=<consumer source>
#         -DGENERATOR=<generator> [-DPLATFORM=<generator platform>]
#         [-DTOOLCHAIN=<relative to the prefix>]
#         [-DOTHER_TOOLCHAIN=<a toolchain file of the other width>]
#         -P build_consumer.cmake
#
# With OTHER_TOOLCHAIN, the consumer configured for the other width must
# not find this SDK: a program of one width cannot link the other's.
cmake_policy(VERSION 3.16)
foreach(variable BUILD_DIR DIR CONSUMER GENERATOR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "build_consumer: ${variable} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${result}): ${command}")
  endif()
endfunction()

set(prefix ${DIR}/prefix)
file(REMOVE_RECURSE ${DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

set(generator_options -G ${GENERATOR})
if(PLATFORM)
  list(APPEND generator_options -A ${PLATFORM})
endif()
set(toolchain_option "")
if(TOOLCHAIN)
  # The toolchain file the SDK ships, not the project's own.
  set(toolchain_option -DCMAKE_TOOLCHAIN_FILE=${prefix}/${TOOLCHAIN})
endif()
foreach(form static shared plain)
  set(build ${DIR}/${form})
  run(${CMAKE_COMMAND} -S ${CONSUMER} -B ${build} ${generator_options} ${toolchain_option}
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release -DCONSUMER_FORM=${form})
  run(${CMAKE_COMMAND} --build ${build} --config Release)
  file(GLOB_RECURSE made ${build}/consumer.scr)
  if(NOT made)
    message(FATAL_ERROR "the ${form} build made no consumer.scr")
  endif()
  list(GET made 0 made)
  run(${CMAKE_COMMAND} -E copy ${made} ${DIR}/consumer-${form}.scr)
endforeach()

# And the examples the SDK ships build the way their CMakeLists say.
foreach(example starfield prism)
  run(${CMAKE_COMMAND} -S ${prefix}/share/dusklit/examples/${example} -B ${DIR}/${example} ${generator_options}
      ${toolchain_option} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
  run(${CMAKE_COMMAND} --build ${DIR}/${example} --config Release)
endforeach()

if(OTHER_TOOLCHAIN)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER} -B ${DIR}/other-width ${generator_options}
                          -DCMAKE_TOOLCHAIN_FILE=${OTHER_TOOLCHAIN} -DCMAKE_PREFIX_PATH=${prefix}
                          -DCONSUMER_FORM=static
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(result EQUAL 0 OR NOT output MATCHES "DusklitConfig")
    message(FATAL_ERROR "a consumer of the other width took this SDK (${result}):\n${output}")
  endif()
endif()
