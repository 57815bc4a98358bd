#include "Bridge/Walk/LibraryIndex.h"

#include <sqlite3.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Bridge/Fields.h"
#include "Platform/Paths.h"
#include "Storage/RecordFrame.h"

namespace yomi::bridge::folder {
namespace {

constexpr int kApplicationId = 0x796f6d69; // "yomi"
// Version 2 added the reason a file could not be read (`why`), version 3 the
// sort values in older taggers' spellings (`legacy`); an older index is taken
// over by adding the columns.
constexpr int kSchemaVersion = 3;

// Columns of a row, in the order of kSelect and kInsert.
enum Column {
    cPath,
    cDevice,
    cInode,
    cSize,
    cMtimeS,
    cMtimeNs,
    cCtime,
    cReadAt,
    cReadable,
    cPodcast,
    cVideoKind,
    cText0,
    cSum = cText0 + kTextPropertyCount,
    cWhy,
    cLegacy,
    cCount
};

constexpr const char* kSchema =
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
    "CREATE TABLE files(path BLOB PRIMARY KEY, device INTEGER, inode INTEGER, size INTEGER,"
    " mtime_s INTEGER, mtime_ns INTEGER, ctime INTEGER, read_at INTEGER, readable INTEGER,"
    " podcast INTEGER, video_kind INTEGER, t0 BLOB, t1 BLOB, t2 BLOB, t3 BLOB, t4 BLOB, t5 BLOB,"
    " t6 BLOB, t7 BLOB, t8 BLOB, t9 BLOB, t10 BLOB, t11 BLOB, sum INTEGER, why BLOB, legacy BLOB) WITHOUT ROWID;"
    // One index per value field, over the rows that hold a sort value.
    "CREATE INDEX by_t0 ON files(t0) WHERE length(t1) > 0;"
    "CREATE INDEX by_t2 ON files(t2) WHERE length(t3) > 0;"
    "CREATE INDEX by_t4 ON files(t4) WHERE length(t5) > 0;"
    "CREATE INDEX by_t6 ON files(t6) WHERE length(t7) > 0;"
    "CREATE INDEX by_t8 ON files(t8) WHERE length(t9) > 0;"
    "CREATE INDEX by_t10 ON files(t10) WHERE length(t11) > 0;";

constexpr const char* kSelect =
    "SELECT path, device, inode, size, mtime_s, mtime_ns, ctime, read_at, readable, podcast, video_kind,"
    " t0, t1, t2, t3, t4, t5, t6, t7, t8, t9, t10, t11, sum, why, legacy FROM files ORDER BY path";
constexpr const char* kInsert =
    "INSERT OR REPLACE INTO files VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
// Version 1 to 2. Its unreadable files are read again, to learn their reasons.
constexpr const char* kMigrateFrom1 = "BEGIN IMMEDIATE; ALTER TABLE files ADD COLUMN why BLOB;"
                                      " DELETE FROM files WHERE readable = 0; PRAGMA user_version=2; COMMIT;";
// Version 2 to 3. The older spellings were not read before: every file is
// read again once.
constexpr const char* kMigrateFrom2 = "BEGIN IMMEDIATE; ALTER TABLE files ADD COLUMN legacy BLOB;"
                                      " DELETE FROM files; PRAGMA user_version=3; COMMIT;";

// The bytes a checksum covers, gathered in a buffer each thread keeps (no
// allocation once it has grown), then summed in one call.
class Checksum {
public:
    Checksum() { bytes().clear(); }
    void add(std::string_view piece) { bytes().append(piece); }
    // A number in decimal, then ';'.
    void addNumber(std::int64_t n)
    {
        char text[24];
        char* end = std::to_chars(text, text + sizeof text - 1, n).ptr;
        *end++ = ';';
        add(std::string_view(text, static_cast<std::size_t>(end - text)));
    }
    std::uint32_t value() const { return storage::frame::crc32(bytes()); }

private:
    static std::string& bytes()
    {
        thread_local std::string buffer;
        return buffer;
    }
};

// What the checksum covers: every field of the row, as the bytes
// "path\0", each number in decimal and ';', each text as its length and
// ';' and its UTF-16 units ('-' when absent), and '!' and the reason when
// there is one. A row without a reason sums as it did before the reason was
// kept.
std::uint32_t checksum(std::string_view path, const TrackValues& v, std::int64_t readAt)
{
    Checksum sum;
    sum.add(path);
    sum.add(std::string_view("\0", 1));
    const fileio::FileIdentity& id = *v.identity;
    for (std::int64_t n :
         {static_cast<std::int64_t>(id.device), static_cast<std::int64_t>(id.inode), static_cast<std::int64_t>(id.size),
          id.mtimeSeconds, id.mtimeNanoseconds, id.ctime(), readAt, static_cast<std::int64_t>(v.readable),
          static_cast<std::int64_t>(v.podcast), static_cast<std::int64_t>(v.videoKind)})
        sum.addNumber(n);
    for (const OptString& text : v.texts) {
        if (!text) {
            sum.add("-");
            continue;
        }
        sum.addNumber(static_cast<std::int64_t>(text->size()));
        sum.add(std::string_view(reinterpret_cast<const char*>(text->data()), text->size() * sizeof(char16_t)));
    }
    if (!v.openError.empty()) {
        sum.add("!");
        sum.add(v.openError);
    }
    if (const String legacy = packLegacy(v); !legacy.empty()) {
        sum.add("~");
        sum.add(std::string_view(reinterpret_cast<const char*>(legacy.data()), legacy.size() * sizeof(char16_t)));
    }
    return sum.value();
}

std::string_view blobOf(sqlite3_stmt* st, int column)
{
    const void* data = sqlite3_column_blob(st, column);
    return std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(sqlite3_column_bytes(st, column)));
}

OptString textOf(sqlite3_stmt* st, int column)
{
    if (sqlite3_column_type(st, column) == SQLITE_NULL)
        return std::nullopt;
    const std::string_view bytes = blobOf(st, column);
    String s(bytes.size() / sizeof(char16_t), u'\0');
    // An empty blob comes back as a null pointer, which memcpy must not get.
    if (!s.empty())
        std::memcpy(s.data(), bytes.data(), s.size() * sizeof(char16_t));
    return s;
}

void bindText(sqlite3_stmt* st, int column, const OptString& text)
{
    if (!text)
        sqlite3_bind_null(st, column + 1);
    else
        // A zero-length blob, not NULL, for an empty text. The text outlives
        // the statement's step (store clears the bindings after it), so
        // SQLite need not copy it.
        sqlite3_bind_blob(st, column + 1, text->empty() ? "" : static_cast<const void*>(text->data()),
                          static_cast<int>(text->size() * sizeof(char16_t)), SQLITE_STATIC);
}

std::string errorOf(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

Status exec(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return {};
    Failure failure{message ? message : errorOf(db)};
    sqlite3_free(message);
    return failure;
}

// A schema version this code reads: its own, or version 1 or 2, which have
// the same value columns and are taken over by kMigrateFrom1 and 2.
bool knownVersion(std::optional<std::int64_t> version)
{
    return version == 1 || version == 2 || version == kSchemaVersion;
}

// A single integer from a query; nullopt on any error.
std::optional<std::int64_t> integer(sqlite3* db, const char* sql)
{
    sqlite3_stmt* st = nullptr;
    std::optional<std::int64_t> out;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        out = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return out;
}

std::optional<std::string> storedRoot(sqlite3* db)
{
    sqlite3_stmt* st = nullptr;
    std::optional<std::string> out;
    if (sqlite3_prepare_v2(db, "SELECT value FROM meta WHERE key = 'root'", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        if (const unsigned char* text = sqlite3_column_text(st, 0))
            out = reinterpret_cast<const char*>(text);
    }
    sqlite3_finalize(st);
    return out;
}

void setAside(const std::filesystem::path& file)
{
    std::error_code ec;
    std::filesystem::rename(file, file.string() + ".set-aside", ec);
    // The old database's log must not be read into the new one.
    for (const char* suffix : {"-wal", "-shm"}) {
        std::filesystem::rename(file.string() + suffix, file.string() + ".set-aside" + suffix, ec);
        std::filesystem::remove(file.string() + suffix, ec);
    }
}

bool isBusy(int rc) { return rc == SQLITE_BUSY || rc == SQLITE_LOCKED; }

} // namespace

bool IndexedFile::answersFor(const fileio::FileIdentity& now) const
{
    return values.identity && *values.identity == now && now.ctime() <= readAtNanoseconds - kSettleNanoseconds;
}

std::filesystem::path LibraryIndex::fileFor(const std::filesystem::path& root)
{
    const std::filesystem::path folder = paths::ownFolder(paths::cacheHome());
    if (folder.empty())
        return {};
    // FNV-1a of the absolute root.
    std::error_code ec;
    const std::string key = std::filesystem::absolute(root, ec).lexically_normal().string();
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[40];
    std::snprintf(name, sizeof name, "library-%016llx.sqlite", static_cast<unsigned long long>(hash));
    return folder / name;
}

namespace {

// Makes the tables of a new, empty index of the folder `rootKey`.
Status makeSchema(sqlite3* db, const std::string& rootKey)
{
    const std::string make = std::string("PRAGMA journal_mode=WAL; BEGIN IMMEDIATE;") + kSchema +
        "PRAGMA application_id=" + std::to_string(kApplicationId) +
        "; PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
    if (Status made = exec(db, make.c_str()); !made)
        return made;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO meta VALUES('root', ?)", -1, &st, nullptr) != SQLITE_OK)
        return Failure{errorOf(db)};
    sqlite3_bind_text(st, 1, rootKey.c_str(), -1, SQLITE_TRANSIENT);
    const Status stored = sqlite3_step(st) == SQLITE_DONE ? Status() : Status(Failure{errorOf(db)});
    sqlite3_finalize(st);
    if (!stored)
        return stored;
    return exec(db, "COMMIT");
}

} // namespace

Result<std::unique_ptr<LibraryIndex>> LibraryIndex::openForWalk(const std::filesystem::path& root)
{
    const std::filesystem::path file = fileFor(root);
    if (file.empty())
        return Failure{"The library index cannot be kept: no cache folder is known"};
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);

    std::error_code abs;
    const std::string rootKey = std::filesystem::absolute(root, abs).lexically_normal().string();
    std::string setAsideWhy;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::unique_ptr<LibraryIndex> index(new LibraryIndex);
        index->file_ = file;
        const Status opened = index->open(rootKey);
        if (opened) {
            if (!setAsideWhy.empty())
                index->openingNote_ =
                    "The library index " + file.string() + " was set aside and is made anew (" + setAsideWhy + ")";
            return index;
        }
        index.reset();
        setAside(file);
        setAsideWhy = opened.reason();
    }
    return Failure{"The library index cannot be kept in " + file.string() + " (" + setAsideWhy + ")"};
}

Status LibraryIndex::open(const std::string& rootKey)
{
    if (sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        return Failure{errorOf(db_)};
    sqlite3_busy_timeout(db_, 2000);
    const auto id = integer(db_, "PRAGMA application_id");
    const auto version = integer(db_, "PRAGMA user_version");
    const auto tables = integer(db_, "SELECT count(*) FROM sqlite_master");
    Status opened;
    if (!id || !version || !tables)
        opened = Failure{errorOf(db_)};
    else if (*tables == 0)
        opened = makeSchema(db_, rootKey);
    else if (*id != kApplicationId || !knownVersion(version))
        opened = Failure{"made by another version"};
    else if (storedRoot(db_) != rootKey)
        opened = Failure{"made for another folder"};
    else
        opened = exec(db_, "PRAGMA journal_mode=WAL");
    if (opened && *tables != 0 && *version == 1)
        opened = exec(db_, kMigrateFrom1);
    if (opened && *tables != 0 && *version <= 2)
        opened = exec(db_, kMigrateFrom2);
    if (opened)
        opened = exec(db_, "PRAGMA synchronous=NORMAL");
    if (opened)
        opened = prepare();
    return opened;
}

Status LibraryIndex::prepare()
{
    if (sqlite3_prepare_v2(db_, kInsert, -1, &insert_, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db_, "DELETE FROM files WHERE path = ?", -1, &delete_, nullptr) != SQLITE_OK)
        return Failure{errorOf(db_)};
    if (sqlite3_open_v2(file_.c_str(), &reader_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(reader_, kSelect, -1, &select_, nullptr) != SQLITE_OK)
        return Failure{errorOf(reader_)};
    sqlite3_busy_timeout(reader_, 2000);
    advanceReader();
    if (!broken_.empty())
        return Failure{broken_};
    return {};
}

LibraryIndex::~LibraryIndex()
{
    sqlite3_finalize(select_);
    sqlite3_finalize(insert_);
    sqlite3_finalize(delete_);
    sqlite3_close_v2(reader_);
    // An unfinished walk's transaction is rolled back by the close.
    sqlite3_close_v2(db_);
}

void LibraryIndex::fail(std::string why)
{
    if (broken_.empty())
        broken_ = why.empty() ? "unknown error" : std::move(why);
}

void LibraryIndex::advanceReader()
{
    const int rc = sqlite3_step(select_);
    if (rc == SQLITE_ROW)
        return;
    readerDone_ = true;
    if (rc != SQLITE_DONE)
        fail(errorOf(reader_));
}

bool LibraryIndex::ensureWriting()
{
    if (writing_)
        return true;
    if (readOnly_ || !broken_.empty())
        return false;
    const int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        writing_ = true;
    } else if (isBusy(rc)) {
        readOnly_ = true; // another instance is writing: this walk leaves the index as it is
    } else {
        fail(errorOf(db_));
    }
    return writing_;
}

void LibraryIndex::dropLocked(std::string_view relative)
{
    if (!ensureWriting())
        return;
    sqlite3_bind_blob(delete_, 1, relative.data(), static_cast<int>(relative.size()), SQLITE_STATIC);
    if (sqlite3_step(delete_) != SQLITE_DONE)
        fail(errorOf(db_));
    sqlite3_reset(delete_);
}

std::optional<IndexedFile> LibraryIndex::rowFor(std::string_view relative)
{
    std::lock_guard lock(mutex_);
    while (broken_.empty() && !readerDone_) {
        const std::string_view path = blobOf(select_, cPath);
        const int order = path.compare(relative);
        if (order > 0)
            return std::nullopt;
        if (order < 0) {
            dropLocked(path);
            advanceReader();
            continue;
        }
        IndexedFile row;
        TrackValues& v = row.values;
        fileio::FileIdentity id;
        id.device = static_cast<dev_t>(sqlite3_column_int64(select_, cDevice));
        id.inode = static_cast<ino_t>(sqlite3_column_int64(select_, cInode));
        id.size = static_cast<off_t>(sqlite3_column_int64(select_, cSize));
        id.mtimeSeconds = sqlite3_column_int64(select_, cMtimeS);
        id.mtimeNanoseconds = sqlite3_column_int64(select_, cMtimeNs);
        id.setCtime(sqlite3_column_int64(select_, cCtime));
        v.identity = id;
        row.readAtNanoseconds = sqlite3_column_int64(select_, cReadAt);
        v.readable = sqlite3_column_int64(select_, cReadable) != 0;
        v.podcast = sqlite3_column_int64(select_, cPodcast) != 0;
        v.videoKind = static_cast<std::int32_t>(sqlite3_column_int64(select_, cVideoKind));
        for (int i = 0; i < kTextPropertyCount; ++i)
            v.texts[i] = textOf(select_, cText0 + i);
        if (const std::string_view why = blobOf(select_, cWhy); !why.empty())
            v.openError = why;
        const OptString legacy = textOf(select_, cLegacy);
        const bool unpacked = !legacy || unpackLegacy(*legacy, v);
        const bool intact = unpacked && sqlite3_column_int64(select_, cSum) == checksum(relative, v, row.readAtNanoseconds);
        advanceReader();
        if (!intact) {
            fail("a row does not match its checksum");
            return std::nullopt;
        }
        return row;
    }
    return std::nullopt;
}

void LibraryIndex::store(std::string_view relative, const TrackValues& v, std::int64_t readAt)
{
    if (!v.identity)
        return drop(relative);
    std::lock_guard lock(mutex_);
    if (!ensureWriting())
        return;
    const fileio::FileIdentity& id = *v.identity;
    sqlite3_bind_blob(insert_, cPath + 1, relative.data(), static_cast<int>(relative.size()), SQLITE_STATIC);
    sqlite3_bind_int64(insert_, cDevice + 1, static_cast<sqlite3_int64>(id.device));
    sqlite3_bind_int64(insert_, cInode + 1, static_cast<sqlite3_int64>(id.inode));
    sqlite3_bind_int64(insert_, cSize + 1, id.size);
    sqlite3_bind_int64(insert_, cMtimeS + 1, id.mtimeSeconds);
    sqlite3_bind_int64(insert_, cMtimeNs + 1, id.mtimeNanoseconds);
    sqlite3_bind_int64(insert_, cCtime + 1, id.ctime());
    sqlite3_bind_int64(insert_, cReadAt + 1, readAt);
    sqlite3_bind_int(insert_, cReadable + 1, v.readable);
    sqlite3_bind_int(insert_, cPodcast + 1, v.podcast);
    sqlite3_bind_int64(insert_, cVideoKind + 1, v.videoKind);
    for (int i = 0; i < kTextPropertyCount; ++i)
        bindText(insert_, cText0 + i, v.texts[i]);
    sqlite3_bind_int64(insert_, cSum + 1, checksum(relative, v, readAt));
    if (!v.openError.empty())
        sqlite3_bind_blob(insert_, cWhy + 1, v.openError.data(), static_cast<int>(v.openError.size()), SQLITE_STATIC);
    // Bound without a copy, so the packed text must live until the step.
    OptString legacy;
    if (String packed = packLegacy(v); !packed.empty())
        legacy = std::move(packed);
    bindText(insert_, cLegacy, legacy);
    if (sqlite3_step(insert_) != SQLITE_DONE)
        fail(errorOf(db_));
    sqlite3_reset(insert_);
    sqlite3_clear_bindings(insert_);
}

void LibraryIndex::drop(std::string_view relative)
{
    std::lock_guard lock(mutex_);
    dropLocked(relative);
}

Status LibraryIndex::finishWalk(bool complete)
{
    std::lock_guard lock(mutex_);
    if (complete) {
        while (broken_.empty() && !readerDone_) {
            dropLocked(blobOf(select_, cPath));
            advanceReader();
        }
    }
    // The snapshot ends before the commit, so that the commit can fold the
    // log back into the database.
    sqlite3_reset(select_);
    readerDone_ = true;
    if (broken_.empty() && writing_) {
        if (Status committed = exec(db_, "COMMIT"); !committed)
            fail(committed.reason());
        writing_ = false;
    }
    if (broken_.empty())
        return {};
    sqlite3_finalize(select_);
    sqlite3_finalize(insert_);
    sqlite3_finalize(delete_);
    select_ = insert_ = delete_ = nullptr;
    sqlite3_close_v2(reader_);
    sqlite3_close_v2(db_);
    reader_ = db_ = nullptr;
    setAside(file_);
    return Failure{"The library index " + file_.string() + " was set aside and is made anew on the next walk (" +
                   broken_ + ")"};
}

std::vector<KnownSortValue> LibraryIndex::sortValuesFor(const std::filesystem::path& root, const String& value)
{
    std::vector<KnownSortValue> out;
    const std::filesystem::path file = fileFor(root);
    if (file.empty())
        return out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK ||
        integer(db, "PRAGMA application_id") != kApplicationId || !knownVersion(integer(db, "PRAGMA user_version"))) {
        sqlite3_close_v2(db);
        return out;
    }
    sqlite3_busy_timeout(db, 2000);
    for (std::size_t field = 0; field < kFieldTable.size(); ++field) {
        const std::string v = "t" + std::to_string(2 * field), s = "t" + std::to_string(2 * field + 1);
        const std::string sql =
            "SELECT DISTINCT " + s + " FROM files WHERE " + v + " = ?1 AND length(" + s + ") > 0 ORDER BY " + s;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            break;
        sqlite3_bind_blob(st, 1, value.empty() ? "" : static_cast<const void*>(value.data()),
                          static_cast<int>(value.size() * sizeof(char16_t)), SQLITE_STATIC);
        while (sqlite3_step(st) == SQLITE_ROW)
            out.push_back(KnownSortValue{std::string(kFieldTable[field].sortKey), *textOf(st, 0)});
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return out;
}

} // namespace yomi::bridge::folder
