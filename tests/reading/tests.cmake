# The reading engine with the real MeCab dictionary and proper-name index.
yomi_test_suite(yomi_reading_tests
  SOURCES
  reading/test_reading_engine.cpp
  LIBS yomi_reading PkgConfig::ICU)
