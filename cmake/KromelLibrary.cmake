# kromel_library(<folder> SOURCES ... DEPENDS ...)
# One static library per source folder; headers sit beside the sources and
# are included as "<folder>/<header>.h".
function(kromel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(kromel_${name} STATIC ${ARG_SOURCES})
  target_include_directories(kromel_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kromel_${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# kromel_test(<name> SOURCES ... DEPENDS ... [APART <file name> ...])
# One test executable per folder, discovered by CTest.
option(KROMEL_UNITY_TESTS "Compile each test program's sources in batches" ON)
function(kromel_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;APART" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # GoogleTest and the standard headers are most of every test's compile. One
  # precompiled header serves every test (one more for the Qt tests, whose
  # flags differ): a header per test took over 100 MB each per build.
  if("${ARG_DEPENDS}" MATCHES "kromel_test_qt")
    set(holder kromel_test_pch_qt)
  else()
    set(holder kromel_test_pch)
  endif()
  if(NOT TARGET ${holder})
    set(stub ${PROJECT_BINARY_DIR}/${holder}.cpp)
    if(NOT EXISTS ${stub})
      file(WRITE ${stub} "// Holds the tests' precompiled header.\n")
    endif()
    add_library(${holder} OBJECT ${stub})
    target_link_libraries(${holder} PRIVATE GTest::gtest Threads::Threads)
    if(holder STREQUAL "kromel_test_pch_qt")
      target_link_libraries(${holder} PRIVATE kromel_test_qt)
    endif()
    target_precompile_headers(${holder} PRIVATE
      <gtest/gtest.h> <algorithm> <array> <cmath> <cstdint> <cstring> <filesystem>
      <functional> <map> <memory> <string> <vector>)
  endif()
  target_precompile_headers(test_${name} REUSE_FROM ${holder})
  # Most of what is left of a test's compile is our own headers: the sources
  # compile in batches of eight. The APART sources keep their own unit (their
  # file-local helpers share names with another test's).
  if(KROMEL_UNITY_TESTS)
    set_target_properties(test_${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    foreach(src ${ARG_APART})
      set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/${src}
        PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endforeach()
  endif()
  gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
