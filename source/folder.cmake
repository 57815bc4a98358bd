# The folder library: the audio files under a folder, read and written
# through TagLib and proven on their bytes. One target a room; each links
# only the rooms below it (see source/README.md).

# A room's static library: its sources, then what it links.
function(yomi_room name)
  cmake_parse_arguments(PARSE_ARGV 1 ROOM "" "" "SOURCES;PUBLIC;PRIVATE")
  add_library(${name} STATIC ${ROOM_SOURCES})
  target_link_libraries(${name} PUBLIC ${ROOM_PUBLIC} PRIVATE ${ROOM_PRIVATE})
  target_compile_options(${name} PRIVATE ${YOMI_WARNINGS})
endfunction()

set(here ${CMAKE_CURRENT_LIST_DIR}/Bridge)

# Bytes: the formats' facts, the structural pre-check and the byte editors of
# ASF, FLAC and Ogg. No TagLib (the fuzzers use it alone).
yomi_room(yomi_bytes
  SOURCES
  ${here}/Bytes/AsfEdit.cpp
  ${here}/Bytes/FlacEdit.cpp
  ${here}/Bytes/Formats.cpp
  ${here}/Bytes/Mp4Edit.cpp
  ${here}/Bytes/OggEdit.cpp
  ${here}/Bytes/Precheck.cpp
  PUBLIC yomi_platform
  PRIVATE PkgConfig::ZLIB)

# Bytes/Proof: the proof, on the bytes, that a write changed only its item.
# Format facts and the byte reader only; never an editor.
yomi_room(yomi_proof
  SOURCES
  ${here}/Bytes/Proof/ByteProof.cpp
  ${here}/Bytes/Proof/ByteProofMp4.cpp
  ${here}/Bytes/Proof/ByteProofXiph.cpp
  PUBLIC yomi_bytes)

# Tags: TagLib's parse of a file (behind the pre-check), what one read found,
# and the ID3v2 frame editor.
yomi_room(yomi_tags
  SOURCES
  ${here}/Tags/BlockReadStream.cpp
  ${here}/Tags/Id3Edit.cpp
  ${here}/Tags/TagFile.cpp
  ${here}/Tags/TrackValues.cpp
  PUBLIC yomi_bytes yomi_storage
  PRIVATE PkgConfig::TAGLIB)

# Walk: the files under the root, read ahead on worker threads, and the
# library index (SQLite) that spares the parse of unchanged files.
yomi_room(yomi_walk
  SOURCES
  ${here}/Walk/FileList.cpp
  ${here}/Walk/LibraryIndex.cpp
  ${here}/Walk/ParseAhead.cpp
  PUBLIC yomi_tags yomi_storage Threads::Threads
  PRIVATE PkgConfig::SQLITE3)

# Write: one write prepared (read, edited, proven) and committed.
yomi_room(yomi_write
  SOURCES ${here}/Write/TagWriter.cpp
  PUBLIC yomi_tags yomi_proof yomi_core
  PRIVATE PkgConfig::TAGLIB)

# Folder: the folder library the controller sees (open, register, tracks,
# write groups).
yomi_room(yomi_folder
  SOURCES ${here}/Folder/FolderLibrary.cpp
  PUBLIC yomi_core
  PRIVATE yomi_walk yomi_write)
add_library(yomi::folder ALIAS yomi_folder)
