# Each folder of core/ is a static library of its own (core_<folder>), so that a
# module under construction cannot break the build of the modules below it.
function(brelvantor_core_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(srcs)
    add_library(core_${name} STATIC ${srcs})
    set(scope PUBLIC)
  else()
    add_library(core_${name} INTERFACE)  # a module whose sources have not arrived yet
    set(scope INTERFACE)
  endif()
  target_include_directories(core_${name} ${scope} ${PROJECT_SOURCE_DIR}/core ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(core_${name} ${scope} ${ARG_DEPS})
endfunction()

# One test program per core module: tests/core/<name>/*.cpp, every case a CTest test.
function(brelvantor_module_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/core/${name}/*.cpp)
  if(NOT srcs OR BRELVANTOR_FUZZ)
    return()
  endif()
  add_executable(test_${name} ${srcs})
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(test_${name} PRIVATE core_${name} ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(test_${name} PRIVATE
    BRELVANTOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    BRELVANTOR_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(test_${name}
    PROPERTIES ENVIRONMENT "BRELVANTOR_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()
