# The reading engine with the real MeCab dictionary and proper-name index.
yomi_test_suite(yomi_reading_tests
  SOURCES
  reading/test_reading_engine.cpp
  reading/test_name_table.cpp
  reading/test_reading_sets.cpp
  reading/test_english_sounds.cpp
  LIBS yomi_reading_lang yomi_reading PkgConfig::ICU)
target_compile_definitions(yomi_reading_tests PRIVATE YOMI_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# The Chinese and Korean engines and the language decision (small tables of
# their own, and the installed Rime tables).
yomi_test_suite(yomi_language_tests
  SOURCES
  reading/test_chinese_engine.cpp
  reading/test_korean_engine.cpp
  reading/test_language_decider.cpp
  LIBS yomi_reading_lang yomi_reading_zh yomi_reading_ko yomi_reading)
