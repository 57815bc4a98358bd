# yomi-cli: the editor controller driven from the command line. Core and the
# folder library only; no Qt.
set(YOMI_CLI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Cli/Cli.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Cli/DryRunLibrary.cpp)
add_library(yomi_cli STATIC ${YOMI_CLI_SOURCES})
add_library(yomi::cli ALIAS yomi_cli)
target_link_libraries(yomi_cli PUBLIC yomi_core)
target_compile_options(yomi_cli PRIVATE ${YOMI_WARNINGS})
target_compile_definitions(yomi_cli PRIVATE YOMI_VERSION="${PROJECT_VERSION}")

add_executable(yomi-cli ${CMAKE_CURRENT_LIST_DIR}/Cli/main.cpp)
target_link_libraries(yomi-cli PRIVATE yomi_cli yomi_folder yomi_reading_lang)
target_compile_options(yomi-cli PRIVATE ${YOMI_WARNINGS})
install(TARGETS yomi-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
