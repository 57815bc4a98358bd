# The Qt application `yomi`: the main window (source/Window, with the interface
# file resources/MainWindow.ui compiled in by uic) and the entry point.
if(NOT YOMI_BUILD_GUI)
  return()
endif()

find_package(Qt6 REQUIRED COMPONENTS Widgets LinguistTools)

set(YOMI_WINDOW_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Window/Adapters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window/ListFilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window/MainWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window/PairListModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window/Questions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window/MainWindowGuards.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window/SortCellDelegate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window/Translations.cpp)
add_library(yomi_window STATIC ${YOMI_WINDOW_SOURCES}
  ${CMAKE_CURRENT_SOURCE_DIR}/resources/MainWindow.ui)
add_library(yomi::window ALIAS yomi_window)
set_target_properties(yomi_window PROPERTIES
  AUTOMOC ON
  AUTOUIC ON
  AUTOUIC_SEARCH_PATHS ${CMAKE_CURRENT_SOURCE_DIR}/resources)
target_link_libraries(yomi_window PUBLIC yomi_core Qt6::Widgets)
target_compile_options(yomi_window PRIVATE ${YOMI_WARNINGS})

# The window's translations: translations/yomi_<lang>.ts compiled into .qm
# files that are built into the window as resources under :/i18n.
set(YOMI_TS_FILES
  ${PROJECT_SOURCE_DIR}/translations/yomi_ja.ts
  ${PROJECT_SOURCE_DIR}/translations/yomi_zh_CN.ts
  ${PROJECT_SOURCE_DIR}/translations/yomi_zh_TW.ts)
qt_add_translations(yomi_window
  TS_FILES ${YOMI_TS_FILES}
  RESOURCE_PREFIX /i18n
  LUPDATE_OPTIONS -no-obsolete -locations none)

add_executable(yomi ${CMAKE_CURRENT_LIST_DIR}/Other/main.cpp)
target_link_libraries(yomi PRIVATE yomi_window yomi_folder yomi_reading_lang)
target_compile_options(yomi PRIVATE ${YOMI_WARNINGS})
target_compile_definitions(yomi PRIVATE YOMI_VERSION="${PROJECT_VERSION}")
add_dependencies(yomi yomi_resources)

install(TARGETS yomi RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The whole resource folder (strings tables, interface file, desktop entry,
# icon) is where the resource lookup lands after install.
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/resources/ DESTINATION ${CMAKE_INSTALL_DATADIR}/yomi)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/yomi.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/yomi.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
