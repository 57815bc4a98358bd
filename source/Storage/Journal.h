// The undo journal of in-place commits.
//
// Before a file is patched in place, the journal gets a record of the file's
// identity, its path and, for every patched range, the offset, the old bytes
// and the new bytes; the record is synced before the first byte of the file
// changes. When the patch is synced, a "done" record follows.
//
// Each process appends to a journal file of its own, which it holds locked
// (flock) while it lives, under $XDG_STATE_HOME/yomi/journal (default
// ~/.local/state/yomi/journal). Recovery reads only journals whose process is
// gone (their lock can be taken), so two running instances never undo each
// other's work.
//
// Records carry a magic, a length and a CRC-32; reading stops at the first
// record that does not check out (a record torn by a crash is always the last
// one, since a journal has one writer that syncs each record).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Storage/FileCommit.h"

namespace yomi::fileio::journal {

struct Patch {
    off_t offset = 0;
    std::string oldBytes;
    std::string newBytes; // same length as oldBytes
};

struct Record {
    std::uint64_t id = 0;
    FileIdentity identity; // of the file before the patch
    std::string path;      // absolute, symbolic links resolved
    std::vector<Patch> patches;
};

// The folder holding the journals, from the environment at the time of the
// call; empty when neither XDG_STATE_HOME nor a home folder is known.
std::filesystem::path folder();

// Appends a record and syncs it; creates the journal (and syncs the folders
// it creates) on first use. False with the reason in `error`.
bool begin(Record& record, std::string& error);
// Marks the record done (not synced: a record whose file holds every new
// byte counts as finished anyway).
bool finish(std::uint64_t id, std::string& error);

// --- Recovery --------------------------------------------------------------

enum class Outcome {
    RolledBack, // old bytes (and modification time) put back
    Completed,  // the file already held every new byte: left as it is
    Changed,    // the file is no longer the one patched, or holds bytes that
                // are neither old nor new: left alone
    Gone,       // the file no longer exists
    Failed,     // an I/O error; the journal is kept to try again
};

// Reads the unfinished records of every journal whose process is gone, rolls
// each back, and removes the journals that need nothing more.
RecoveryReport recover();

// Rolls one record back (exposed for tests).
Outcome rollBack(const Record& record, std::string& detail);

// --- Encoding (exposed for tests) ------------------------------------------

std::string encodeBegin(const Record& record);
std::string encodeDone(std::uint64_t id);

struct Parsed {
    std::vector<Record> unfinished; // begin records without a done record
    std::size_t records = 0;        // records that checked out
    bool tornTail = false;          // trailing bytes that did not check out
};
Parsed parse(std::string_view bytes);

std::uint32_t crc32(std::string_view bytes);

} // namespace yomi::fileio::journal
