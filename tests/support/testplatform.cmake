# The test helpers that need only the platform, as one library. Included by
# tests/support and by the benchmarks' own project (tests/bench), which
# builds without the tests; PumpingWaitUntil needs the whole-program
# driver's library, which both define.
if(NOT TARGET testplatform)
  get_filename_component(testplatform_root ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
  add_library(testplatform STATIC
    ${CMAKE_CURRENT_LIST_DIR}/clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/message_box_watch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/message_pump.cpp
    ${CMAKE_CURRENT_LIST_DIR}/preview_host.cpp
    ${CMAKE_CURRENT_LIST_DIR}/process_windows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pumping_wait.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry_scope.cpp)
  target_include_directories(testplatform PUBLIC ${testplatform_root})
  target_link_libraries(testplatform PUBLIC programdriver user32 advapi32 shlwapi)
endif()
