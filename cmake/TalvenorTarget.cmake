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
