# The installed files and the Debian package made by cpack from the build.
if(NOT TARGET yomi OR NOT TARGET yomi-cli)
  return()
endif()
add_test(NAME package.deb
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/check-package ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(package.deb PROPERTIES TIMEOUT 600)
