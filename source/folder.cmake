# The folder library: the audio files under a folder, read and written
# through TagLib and proven on their bytes. One target a room; each links
# only the rooms below it (see source/README.md).

# Bytes: the formats' facts, the structural pre-check and the byte editors of
# ASF, FLAC and Ogg. No TagLib (the fuzzers use it alone).
set(YOMI_BYTES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Bytes/AsfEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Bytes/FlacEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Bytes/Formats.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Bytes/OggEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Bytes/Precheck.cpp)
add_library(yomi_bytes STATIC ${YOMI_BYTES_SOURCES})
target_link_libraries(yomi_bytes PUBLIC yomi_platform PRIVATE PkgConfig::ZLIB)
target_compile_options(yomi_bytes PRIVATE ${YOMI_WARNINGS})

# Bytes/Proof: the proof, on the bytes, that a write changed only its item.
# Format facts and the byte reader only; never an editor.
set(YOMI_PROOF_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Bytes/Proof/ByteProof.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Bytes/Proof/ByteProofMp4.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Bytes/Proof/ByteProofXiph.cpp)
add_library(yomi_proof STATIC ${YOMI_PROOF_SOURCES})
target_link_libraries(yomi_proof PUBLIC yomi_bytes)
target_compile_options(yomi_proof PRIVATE ${YOMI_WARNINGS})

# Tags: TagLib's parse of a file (behind the pre-check), what one read found,
# and the ID3v2 frame editor.
set(YOMI_TAGS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Tags/Id3Edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Tags/TagFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Tags/TrackValues.cpp)
add_library(yomi_tags STATIC ${YOMI_TAGS_SOURCES})
target_link_libraries(yomi_tags PUBLIC yomi_bytes yomi_storage PRIVATE PkgConfig::TAGLIB)
target_compile_options(yomi_tags PRIVATE ${YOMI_WARNINGS})

# Walk: the files under the root, read ahead on worker threads, and the
# library index (SQLite) that spares the parse of unchanged files.
set(YOMI_WALK_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Walk/FileList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Walk/LibraryIndex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Walk/ParseAhead.cpp)
add_library(yomi_walk STATIC ${YOMI_WALK_SOURCES})
target_link_libraries(yomi_walk PUBLIC yomi_tags yomi_storage Threads::Threads PRIVATE PkgConfig::SQLITE3)
target_compile_options(yomi_walk PRIVATE ${YOMI_WARNINGS})

# Write: one write prepared (read, edited, proven) and committed.
set(YOMI_WRITE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Write/TagWriter.cpp)
add_library(yomi_write STATIC ${YOMI_WRITE_SOURCES})
target_link_libraries(yomi_write PUBLIC yomi_tags yomi_proof yomi_core PRIVATE PkgConfig::TAGLIB)
target_compile_options(yomi_write PRIVATE ${YOMI_WARNINGS})

# Folder: the folder library the controller sees (open, register, tracks,
# write groups).
set(YOMI_FOLDER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Bridge/Folder/FolderLibrary.cpp)
add_library(yomi_folder STATIC ${YOMI_FOLDER_SOURCES})
add_library(yomi::folder ALIAS yomi_folder)
target_link_libraries(yomi_folder PUBLIC yomi_core PRIVATE yomi_walk yomi_write)
target_compile_options(yomi_folder PRIVATE ${YOMI_WARNINGS})
