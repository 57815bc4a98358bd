# The main window's suite: real widgets, run headless (QT_QPA_PLATFORM=offscreen
# comes from yomi_test_suite), over memory libraries and over folder libraries
# of real audio files.
if(NOT TARGET yomi_window)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Test)
yomi_test_suite(yomi_gui_tests gui yomi_window yomi_taglib Qt6::Test)
