// The undo journal of in-place commits.
//
// Before a file is patched in place, the journal gets a record of the file's
// identity, its path and, for every patched range, the offset, the old bytes
// and the new bytes; the record is synced before the first byte of the file
// changes. Before a temporary file is made beside a file, to be renamed over
// it, the journal gets a record of the folder and of the temporary's name
// prefix, synced before the temporary exists. When the commit is over (synced,
// or given up), a "done" record follows. A group of commits writes all its
// records and syncs them once.
//
// Each process appends to a journal file of its own, which it holds locked
// (flock) while it lives, under $XDG_STATE_HOME/yomi/journal (default
// ~/.local/state/yomi/journal). Recovery reads only journals whose process is
// gone (their lock can be taken), so two running instances never undo each
// other's work.
//
// Records are framed as RecordFrame.h says, with the magic "YJR1".
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Result.h"
#include "Storage/FileCommit.h"

namespace yomi::fileio::journal {

struct Patch {
    off_t offset = 0;
    std::string oldBytes;
    std::string newBytes; // same length as oldBytes
};

struct Record {
    std::uint64_t id = 0;
    FileIdentity identity; // of the file before the patch (its change time is not kept)
    std::string path;      // absolute, symbolic links resolved
    std::vector<Patch> patches;
};

// A temporary file that is about to be made in `folder`, with a name that
// starts with `prefix` (".<name>.yomi-") and ends in six random characters
// and ".tmp".
struct Temporary {
    std::uint64_t id = 0;
    std::string folder; // absolute, symbolic links resolved
    std::string prefix;
};

// The folder holding the journals, from the environment at the time of the
// call; empty when neither XDG_STATE_HOME nor a home folder is known.
std::filesystem::path folder();

// Appends the records (giving each its id) and syncs them with one sync;
// creates the journal (and syncs the folders it creates) on first use. On a
// failure, with the reason, none of the records may be acted on.
Status begin(std::span<Record* const> records, std::span<Temporary* const> temporaries = {});
Status begin(Record& record);
// Marks a record done (not synced: a record whose file holds every new byte,
// or whose temporary is gone, counts as finished anyway).
Status finish(std::uint64_t id);

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
// each in-place commit back, removes each temporary file left by a commit
// (unless a running commit holds it), and removes the journals that need
// nothing more.
RecoveryReport recover();

// Rolls one record back (exposed for tests).
Outcome rollBack(const Record& record, std::string& detail);

// --- Encoding (exposed for tests) ------------------------------------------

std::string encodeBegin(const Record& record);
std::string encodeDone(std::uint64_t id);
std::string encodeTemporary(const Temporary& temporary);

struct Parsed {
    std::vector<Record> unfinished;     // begin records without a done record
    std::vector<Temporary> temporaries; // temporary records without a done record
    std::size_t records = 0;            // records that checked out
    bool tornTail = false;              // trailing bytes that did not check out
};
Parsed parse(std::string_view bytes);

std::uint32_t crc32(std::string_view bytes);

} // namespace yomi::fileio::journal
