# The main window's suite: real widgets, run headless (QT_QPA_PLATFORM=offscreen
# comes from yomi_test_suite), over memory libraries and over folder libraries
# of real audio files.
if(NOT TARGET yomi_window)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Test)
yomi_test_suite(yomi_gui_tests
  SOURCES
  gui/test_conflict_window.cpp
  gui/test_folder_window.cpp
  gui/test_main_window.cpp
  gui/test_reading_window.cpp
  gui/test_window_desktop.cpp
  gui/test_window_intent.cpp
  gui/test_window_undo.cpp
  gui/test_window_walks.cpp
  LIBS yomi_window yomi_folder Qt6::Test)

# The demo library of `./build.sh run` and scripts/screenshot, loaded in the
# window (yomi-screenshot comes from scripts/); make-library comes from
# bench/, added after the tests.
if(YOMI_BUILD_BENCH AND TARGET yomi-screenshot)
  add_test(NAME gui.demo_library_loads
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/check-demo
            $<TARGET_FILE:make-library> $<TARGET_FILE:yomi-screenshot>)
  set_tests_properties(gui.demo_library_loads PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;YOMI_RESOURCE_DIR=${CMAKE_BINARY_DIR}/resources;XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-state"
    TIMEOUT 300)
endif()

# Every text of the window is translated in each translation file.
find_package(Qt6 REQUIRED COMPONENTS LinguistTools)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME gui.translations_complete
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/check-translations
          $<TARGET_FILE:Qt6::lupdate> ${PROJECT_SOURCE_DIR} ${YOMI_TS_FILES})

# --help and --version answer on a machine without a display.
if(TARGET yomi)
  add_test(NAME gui.help_without_display
    COMMAND env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $<TARGET_FILE:yomi> --help)
  set_tests_properties(gui.help_without_display PROPERTIES PASS_REGULAR_EXPRESSION "--library <DIR>")
  add_test(NAME gui.version_without_display
    COMMAND env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $<TARGET_FILE:yomi> --version)
  set_tests_properties(gui.version_without_display PROPERTIES PASS_REGULAR_EXPRESSION "^yomi [0-9]+\\.[0-9]+")
endif()
