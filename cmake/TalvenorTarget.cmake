# Compile options for the project's own targets only (never for GoogleTest or
# Google Benchmark). Results must stay bit-exact: no fused multiply-add, no
# fast-math, no reassociation.
function(talvenor_target target)
  target_compile_options(${target} PRIVATE
    -ffp-contract=off
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wimplicit-fallthrough)
  if(TALVENOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC 12 optimising (the release, ci-gcc and MinGW builds) reports a memcpy of 2^63
  # bytes inside its own std::string insert for "text" + std::string(...), a known false
  # positive of that release (GCC bugs 105329, 105651): -Wrestrict is off there alone.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-Wno-restrict>)
  endif()
  # A finding stops the process at once, so a test that trips one fails.
  if(TALVENOR_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=${TALVENOR_SANITIZE}
                           -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=${TALVENOR_SANITIZE})
  endif()
  # Coverage feedback for the fuzzer in every library it reaches.
  if(TALVENOR_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# A unit test beside the code it tests: talvenor_test(name source... LIBS lib...).
function(talvenor_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  talvenor_target(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  # Tests never start the editor or the plotter.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "TALVENOR_EDITOR=;TALVENOR_PLOTTER=")
endfunction()

# A libFuzzer target (Clang only): talvenor_fuzz(name source... LIBS lib...).
function(talvenor_fuzz name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  talvenor_target(${name})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()
