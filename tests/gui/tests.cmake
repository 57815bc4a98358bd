# The main window's suite: real widgets, run headless (QT_QPA_PLATFORM=offscreen
# comes from yomi_test_suite).
if(NOT TARGET yomi_window)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Test)
yomi_test_suite(yomi_gui_tests gui yomi_window Qt6::Test)
