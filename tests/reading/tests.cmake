# The reading engine with the real MeCab dictionary and proper-name index.
yomi_test_suite(yomi_reading_tests reading yomi_reading PkgConfig::ICU)
