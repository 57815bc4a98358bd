# The kill harness: commits and Saves killed with SIGKILL at random moments,
# then the library reopened and every file checked. The ctest run is short;
# run the binary with --kills 500 for a long one.
add_executable(yomi-kill-harness ${CMAKE_CURRENT_LIST_DIR}/kill_harness.cpp)
target_link_libraries(yomi-kill-harness PRIVATE yomi_folder yomi_test_support)
target_compile_options(yomi-kill-harness PRIVATE ${YOMI_WARNINGS})
add_test(NAME kill_harness COMMAND yomi-kill-harness --kills 20)
set_tests_properties(kill_harness PROPERTIES TIMEOUT 300
  ENVIRONMENT "YOMI_SOURCE_DIR=${PROJECT_SOURCE_DIR};XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-state;XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test-cache")

