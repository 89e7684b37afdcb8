# Options shared by every target of the project, collected in one interface
# target so that each library, program and test links the same settings.
add_library(vesk_options INTERFACE)

# Geometry must be bit-for-bit reproducible: no fused multiply-add contraction.
target_compile_options(vesk_options INTERFACE -ffp-contract=off)
target_compile_options(vesk_options INTERFACE -Wall -Wextra -Wpedantic)
if(VESK_WARNINGS_AS_ERRORS)
  target_compile_options(vesk_options INTERFACE -Werror)
endif()

if(VESK_SANITIZE)
  target_compile_options(vesk_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(vesk_options INTERFACE -fsanitize=address,undefined)
endif()

# Registers a GoogleTest program with CTest under the name subsystem/unit.
function(vesk_add_test name source)
  string(REPLACE "/" "_" target "test_${name}")
  add_executable(${target} ${source} ${ARGN})
  target_link_libraries(${target} PRIVATE vesk_core vesk_test_support GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${target})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "VESK_TEST_DATA=${PROJECT_SOURCE_DIR}/examples")
endfunction()
