# Compiler flags for the project's own targets: warnings are errors here,
# never for third-party headers.
set(KELVORA_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wcast-align -Wformat=2 -Wimplicit-fallthrough -Werror)
# GCC 12 at -O3 reports std::string's own operator+ as overlapping memcpy
# (GCC bug 105329); the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND KELVORA_WARNINGS -Wno-restrict)
endif()

# Debug builds run the test suite, whose simulated weeks take minutes when
# unoptimised; -Og keeps the code debuggable and runs several times faster.
set(CMAKE_CXX_FLAGS_DEBUG "-Og -g")
set(CMAKE_C_FLAGS_DEBUG "-Og -g")

set(KELVORA_SANITIZER_FLAGS)
if(KELVORA_SANITIZE)
  set(KELVORA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined)
  add_compile_options(${KELVORA_SANITIZER_FLAGS})
  add_link_options(${KELVORA_SANITIZER_FLAGS})
endif()

# In a fuzzing build the libraries are instrumented too, so that libFuzzer
# sees the coverage of the code a target feeds, not only of the target itself.
if(KELVORA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

function(kelvora_target target)
  target_compile_options(${target} PRIVATE ${KELVORA_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# One test binary per area, every test case registered with ctest.
function(kelvora_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kelvora_target(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${name}."
    PROPERTIES ENVIRONMENT "KELVORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
