# What an installed yomi carries beside the binaries and resources (icons in
# PNG sizes, gzipped man pages, AppStream metainfo), and the Debian package:
#
#   cmake --build build && (cd build && cpack -G DEB)
#
# The package installs under /usr; its Depends are computed by dpkg-shlibdeps
# from the binaries.

set(YOMI_APPSTREAM_ID "io.github.yomi" CACHE STRING "AppStream component id")
set(YOMI_HOMEPAGE_URL "https://example.org/yomi" CACHE STRING
  "Where the project is published; the metainfo's screenshots are its docs/ pictures")
set(YOMI_MAINTAINER "yomi maintainers <maintainers@users.noreply.c-seed-90a21f6c.example>" CACHE STRING
  "The package's Maintainer line")

find_program(YOMI_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(YOMI_GZIP gzip REQUIRED)

set(YOMI_PACKAGING_OUTPUTS)

# The icon in the usual PNG sizes, rendered from the SVG.
foreach(size IN ITEMS 16 24 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/yomi.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${YOMI_RSVG_CONVERT} --width ${size} --height ${size} --output ${png}
            ${PROJECT_SOURCE_DIR}/resources/yomi.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/yomi.svg
    VERBATIM)
  list(APPEND YOMI_PACKAGING_OUTPUTS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Man pages, compressed as Debian installs them.
foreach(page IN ITEMS yomi.1 yomi-cli.1)
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(
    OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${YOMI_GZIP} -9nc ${PROJECT_SOURCE_DIR}/resources/${page} > ${gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/${page})
  list(APPEND YOMI_PACKAGING_OUTPUTS ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

add_custom_target(yomi_packaging_files ALL DEPENDS ${YOMI_PACKAGING_OUTPUTS})

configure_file(${CMAKE_CURRENT_LIST_DIR}/yomi.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/metainfo/${YOMI_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/metainfo/${YOMI_APPSTREAM_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME yomi)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${YOMI_MAINTAINER})
set(CPACK_PACKAGE_VENDOR "yomi maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "fills in the sort fields of a music library for Han and other scripts")
set(CPACK_PACKAGE_DESCRIPTION
  "yomi fills in the sort fields (sort artist, album, album artist, composer,
title and show) of the audio files of a folder music library for values
written in Han characters or any other script outside kana and the Latin
alphabet, so that such tracks sort by a reading. It comes as a desktop
window (yomi) and a command-line companion (yomi-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${YOMI_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dictionaries of the reading suggestions: Japanese (MeCab, names, words,
# characters, SKK) and Chinese (the Rime pinyin tables).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mecab-ipadic-utf8, enamdict, edict, kanjidic, kanjidic-xml, skkdic-extra, rime-data-luna-pinyin, rime-data-pinyin-simp, rime-data-terra-pinyin, libhangul-data, festlex-cmu")
include(CPack)
