# zarnak_test(<name> SOURCES <files...> LIBS <targets...> [THREADED])
# A GoogleTest executable whose cases CTest runs one by one. THREADED marks tests that start
# threads, so that `scripts/test.sh --tsan` runs them under ThreadSanitizer.
function(zarnak_test name)
  cmake_parse_arguments(T "THREADED;DISPLAY" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  # One label: the test discovery splits a list of labels into separate properties. `ctest -L`
  # takes a regular expression, so -L threaded and -L unit both find "unit-threaded". The tests
  # under tests/ drive the system end to end (e2e): `ctest -LE e2e` leaves them out.
  set(label unit)
  set(e2e_dir "${PROJECT_SOURCE_DIR}/tests")
  cmake_path(IS_PREFIX e2e_dir "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE is_e2e)
  if(is_e2e)
    set(label e2e)
  endif()
  if(T_THREADED)
    set(label ${label}-threaded)
    set_property(GLOBAL APPEND PROPERTY ZARNAK_THREADED_TESTS ${name})
  elseif(ZARNAK_TSAN)
    # The ThreadSanitizer build runs the threaded tests only: it builds the others on request.
    set_property(TARGET ${name} PROPERTY EXCLUDE_FROM_ALL ON)
  endif()
  # Tests of real windows share one display: run one at a time, so that no window of another
  # test covers the one a screenshot reads or takes its keyboard focus.
  set(lock "")
  if(T_DISPLAY)
    set(lock RESOURCE_LOCK display)
  endif()
  gtest_discover_tests(${name} PROPERTIES LABELS ${label} TIMEOUT 300 ${lock} DISCOVERY_TIMEOUT 120)
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt, in name order,
# so that a new library or tool needs no edit of its parent.
function(zarnak_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
