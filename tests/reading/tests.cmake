# The reading engine with the real MeCab dictionary and proper-name index.
yomi_test_suite(yomi_reading_tests
  SOURCES
  reading/test_reading_engine.cpp
  reading/test_reading_sets.cpp
  LIBS yomi_reading PkgConfig::ICU)
target_compile_definitions(yomi_reading_tests PRIVATE YOMI_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
