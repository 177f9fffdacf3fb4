# zarnak_test(<name> SOURCES <files...> LIBS <targets...> [THREADED] [DISPLAY] [SHARDS <n>])
# A GoogleTest executable. CTest runs its cases one by one, or, with ZARNAK_TEST_PROGRAMS, the
# whole program as one test, in <n> shards when SHARDS is given (for programs whose cases run
# long, so that they spread over the cores). THREADED marks tests that start threads, so that
# `scripts/test.sh --tsan` runs them under ThreadSanitizer; DISPLAY those that show windows.
function(zarnak_test name)
  cmake_parse_arguments(T "THREADED;DISPLAY" "SHARDS" "SOURCES;LIBS" ${ARGN})
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
  if(NOT ZARNAK_TEST_PROGRAMS)
    gtest_discover_tests(${name} PROPERTIES LABELS ${label} TIMEOUT 300 ${lock} DISCOVERY_TIMEOUT 120)
    return()
  endif()
  # The programs that drive the system end to end run longest: CTest starts them first.
  set(cost 1)
  if(is_e2e)
    set(cost 100)
  endif()
  if(NOT T_SHARDS)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES LABELS ${label} TIMEOUT 1200 COST ${cost} ${lock})
    return()
  endif()
  math(EXPR last "${T_SHARDS} - 1")
  foreach(shard RANGE ${last})
    add_test(NAME ${name}/${shard} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${name}/${shard} PROPERTIES LABELS ${label} TIMEOUT 1200 COST ${cost}
      ENVIRONMENT "GTEST_TOTAL_SHARDS=${T_SHARDS};GTEST_SHARD_INDEX=${shard}" ${lock})
  endforeach()
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
