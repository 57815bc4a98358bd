# yomi-cli: its logic over the memory library, and the executable end to end
# over generated folder libraries.
if(TARGET yomi_cli)
  yomi_test_suite(yomi_cli_tests
    SOURCES
    cli/test_cli.cpp
    cli/test_cli_end_to_end.cpp
    cli/test_cli_reading.cpp
    LIBS yomi_cli)
  if(TARGET yomi-cli)
    add_dependencies(yomi_cli_tests yomi-cli)
    target_compile_definitions(yomi_cli_tests PRIVATE
      YOMI_CLI_PATH="$<TARGET_FILE:yomi-cli>"
      YOMI_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      YOMI_FIXTURE_DIR="${CMAKE_BINARY_DIR}/test-fixtures")
  endif()
endif()
