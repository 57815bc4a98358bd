#include "Storage/UndoLog.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "Platform/Log.h"
#include "Platform/Paths.h"
#include "Storage/FileCommit.h"
#include "Storage/FileIo.h"
#include "Storage/RecordFrame.h"

namespace yomi::storage {
namespace {

using frame::put;
using frame::Reader;

constexpr std::string_view kMagic = "YUN1";
constexpr std::uint8_t kHeader = 1;
constexpr std::uint8_t kChange = 2;
constexpr std::uint8_t kCommitted = 3;
constexpr std::uint8_t kEnd = 4;
constexpr std::uint8_t kDeltaEdit = 2; // a change's edit, with both sides as deltas
constexpr std::string_view kPrefix = "save-";
constexpr std::string_view kSuffix = ".undo";

std::uint32_t crc(std::string_view bytes) { return frame::crc32(bytes); }

using fileio::io::errnoText;

// --- Little-endian encoding ---

void putBytes(std::string& out, std::string_view bytes)
{
    put(out, bytes.size(), 4);
    out += bytes;
}

void putValue(std::string& out, const OptString& value)
{
    out.push_back(value ? 1 : 0);
    if (!value)
        return;
    put(out, value->size(), 4);
    for (const char16_t c : *value)
        put(out, c, 2);
}

bool getValue(Reader& in, OptString& out)
{
    std::uint64_t present = 0, n = 0;
    if (!in.get(present, 1))
        return false;
    if (!present) {
        out.reset();
        return true;
    }
    if (!in.get(n, 4) || in.left() / 2 < n)
        return false;
    String s;
    s.reserve(n);
    for (std::uint64_t i = 0; i < n; ++i) {
        std::uint64_t c = 0;
        in.get(c, 2);
        s.push_back(static_cast<char16_t>(c));
    }
    out = std::move(s);
    return true;
}

std::string encode(std::uint8_t type, const std::string& payload) { return frame::encode(kMagic, type, payload); }

void putStamp(std::string& p, const fileio::FileIdentity& s)
{
    for (const std::uint64_t v :
         {static_cast<std::uint64_t>(s.device), static_cast<std::uint64_t>(s.inode), static_cast<std::uint64_t>(s.size),
          static_cast<std::uint64_t>(s.mtimeSeconds), static_cast<std::uint64_t>(s.mtimeNanoseconds),
          static_cast<std::uint64_t>(s.ctimeSeconds), static_cast<std::uint64_t>(s.ctimeNanoseconds)})
        put(p, v, 8);
}

bool getStamp(Reader& in, fileio::FileIdentity& s)
{
    return in.getAs(s.device, 8) && in.getAs(s.inode, 8) && in.getAs(s.size, 8) && in.getAs(s.mtimeSeconds, 8) &&
        in.getAs(s.mtimeNanoseconds, 8) && in.getAs(s.ctimeSeconds, 8) && in.getAs(s.ctimeNanoseconds, 8);
}

std::string encodeChange(std::size_t index, const Change& c)
{
    std::string p;
    put(p, index, 4);
    putBytes(p, c.path);
    putBytes(p, c.key);
    putValue(p, c.oldValue);
    putValue(p, c.newValue);
    p.push_back(c.edit ? kDeltaEdit : 0);
    if (c.edit) {
        const ByteEdit& e = *c.edit;
        put(p, e.offset, 8);
        put(p, e.oldSize, 8);
        put(p, e.newSize, 8);
        put(p, e.oldCrc, 4);
        put(p, e.newCrc, 4);
        put(p, e.oldLength, 8);
        put(p, e.newLength, 8);
        putBytes(p, e.oldDelta);
        putBytes(p, e.newDelta);
    }
    return encode(kChange, p);
}

bool decodeChange(std::string_view payload, std::size_t& index, Change& c)
{
    Reader in(payload);
    std::uint64_t hasEdit = 0;
    if (!in.getAs(index, 4) || !in.bytes(c.path) || !in.bytes(c.key) || !getValue(in, c.oldValue) ||
        !getValue(in, c.newValue) || !in.get(hasEdit, 1))
        return false;
    if (hasEdit) {
        ByteEdit e;
        if (!in.get(e.offset, 8) || !in.get(e.oldSize, 8) || !in.get(e.newSize, 8) || !in.getAs(e.oldCrc, 4) ||
            !in.getAs(e.newCrc, 4))
            return false;
        if (hasEdit == kDeltaEdit) {
            if (!in.get(e.oldLength, 8) || !in.get(e.newLength, 8) || !in.bytes(e.oldDelta) || !in.bytes(e.newDelta))
                return false;
        } else {
            // Logs of earlier versions hold both sides' bytes whole.
            std::string oldBytes, newBytes;
            if (!in.bytes(oldBytes) || !in.bytes(newBytes))
                return false;
            e.oldLength = oldBytes.size();
            e.newLength = newBytes.size();
            e.oldDelta = encodeDelta(oldBytes, {});
            e.newDelta = encodeDelta(newBytes, {});
        }
        c.edit = std::move(e);
    }
    return in.atEnd();
}

// --- Location ---

std::string fileName(std::uint64_t id)
{
    char name[32];
    std::snprintf(name, sizeof name, "save-%08llu.undo", static_cast<unsigned long long>(id));
    return name;
}

std::optional<std::uint64_t> idOfName(std::string_view name)
{
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix))
        return std::nullopt;
    const std::string_view digits = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    if (digits.empty() || digits.size() > 18)
        return std::nullopt;
    std::uint64_t id = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        id = id * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return id;
}

void prune(const std::filesystem::path& dir)
{
    const std::vector<std::uint64_t> ids = listSaves();
    if (ids.size() <= kKeptSaves)
        return;
    for (std::size_t i = 0; i + kKeptSaves < ids.size(); ++i)
        ::unlink((dir / fileName(ids[i])).c_str());
    fileio::io::syncFolder(dir);
}

} // namespace

// --- Deltas ---
//
// A delta is a sequence of operations, each a tag byte and varints:
//   0 length bytes…      literal bytes
//   1 offset length      a copy of source[offset, offset + length)

namespace {

constexpr std::size_t kBlock = 32;
constexpr std::uint32_t kHashBase = 0x01000193;

void putVarint(std::string& out, std::uint64_t v)
{
    while (v >= 0x80) {
        out.push_back(static_cast<char>((v & 0x7f) | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

bool getVarint(std::string_view in, std::size_t& pos, std::uint64_t& v)
{
    v = 0;
    for (int shift = 0; shift < 64 && pos < in.size(); shift += 7) {
        const auto byte = static_cast<unsigned char>(in[pos++]);
        v |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

std::uint32_t blockHash(const char* p)
{
    std::uint32_t h = 0;
    for (std::size_t i = 0; i < kBlock; ++i)
        h = h * kHashBase + static_cast<unsigned char>(p[i]);
    return h;
}

void putLiteral(std::string& out, std::string_view bytes)
{
    if (bytes.empty())
        return;
    out.push_back(0);
    putVarint(out, bytes.size());
    out += bytes;
}

void putCopy(std::string& out, std::uint64_t offset, std::uint64_t length)
{
    out.push_back(1);
    putVarint(out, offset);
    putVarint(out, length);
}

} // namespace

std::string encodeDelta(std::string_view target, std::string_view source)
{
    std::string out;
    if (target.size() < kBlock || source.size() < kBlock) {
        putLiteral(out, target);
        return out;
    }
    // The first place of every aligned block of the source, by hash.
    std::unordered_map<std::uint32_t, std::size_t> blocks;
    blocks.reserve(source.size() / kBlock + 1);
    for (std::size_t p = 0; p + kBlock <= source.size(); p += kBlock)
        blocks.try_emplace(blockHash(source.data() + p), p);

    std::uint32_t top = 1; // kHashBase^(kBlock-1), to roll the oldest byte out
    for (std::size_t i = 1; i < kBlock; ++i)
        top *= kHashBase;

    std::size_t literalStart = 0;
    std::size_t i = 0;
    std::uint32_t h = blockHash(target.data());
    while (i + kBlock <= target.size()) {
        const auto found = blocks.find(h);
        if (found != blocks.end() && target.compare(i, kBlock, source.substr(found->second, kBlock)) == 0) {
            std::size_t from = found->second;
            std::size_t start = i;
            std::size_t end = i + kBlock;
            while (start > literalStart && from > 0 && target[start - 1] == source[from - 1]) {
                --start;
                --from;
            }
            while (end < target.size() && from + (end - start) < source.size() &&
                   target[end] == source[from + (end - start)])
                ++end;
            putLiteral(out, target.substr(literalStart, start - literalStart));
            putCopy(out, from, end - start);
            literalStart = i = end;
            if (i + kBlock <= target.size())
                h = blockHash(target.data() + i);
            continue;
        }
        if (i + kBlock < target.size())
            h = (h - top * static_cast<unsigned char>(target[i])) * kHashBase +
                static_cast<unsigned char>(target[i + kBlock]);
        ++i;
    }
    putLiteral(out, target.substr(literalStart));
    return out;
}

std::optional<std::string> applyDelta(std::string_view delta, std::string_view source, std::uint64_t length)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < delta.size()) {
        const char tag = delta[pos++];
        std::uint64_t a = 0, b = 0;
        if (tag == 0) {
            if (!getVarint(delta, pos, a) || a > delta.size() - pos || a > length - out.size())
                return std::nullopt;
            out.append(delta.substr(pos, a));
            pos += a;
        } else if (tag == 1) {
            if (!getVarint(delta, pos, a) || !getVarint(delta, pos, b) || a > source.size() || b > source.size() - a ||
                b > length - out.size())
                return std::nullopt;
            out.append(source.substr(a, b));
        } else {
            return std::nullopt;
        }
    }
    if (out.size() != length)
        return std::nullopt;
    return out;
}

// --- ByteEdit ---

ByteEdit ByteEdit::between(std::string_view before, std::string_view after)
{
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const std::string_view oldMiddle = before.substr(prefix, before.size() - prefix - suffix);
    const std::string_view newMiddle = after.substr(prefix, after.size() - prefix - suffix);
    ByteEdit e;
    e.offset = prefix;
    e.oldLength = oldMiddle.size();
    e.newLength = newMiddle.size();
    e.oldDelta = encodeDelta(oldMiddle, newMiddle);
    e.newDelta = encodeDelta(newMiddle, oldMiddle);
    e.oldSize = before.size();
    e.newSize = after.size();
    e.oldCrc = crc(before);
    e.newCrc = crc(after);
    return e;
}

std::optional<std::string> ByteEdit::undo(std::string_view current) const
{
    if (current.size() != newSize || offset > current.size() || newLength > current.size() - offset ||
        crc(current) != newCrc)
        return std::nullopt;
    const auto oldMiddle = applyDelta(oldDelta, current.substr(offset, newLength), oldLength);
    if (!oldMiddle)
        return std::nullopt;
    std::string restored;
    restored.reserve(oldSize);
    restored.append(current.substr(0, offset));
    restored.append(*oldMiddle);
    restored.append(current.substr(offset + newLength));
    if (restored.size() != oldSize || crc(restored) != oldCrc)
        return std::nullopt;
    return restored;
}

bool ByteEdit::isOld(std::string_view current) const
{
    return current.size() == oldSize && offset <= current.size() && oldLength <= current.size() - offset &&
        crc(current) == oldCrc && applyDelta(newDelta, current.substr(offset, oldLength), newLength);
}

ByteEdit ByteEdit::inverse() const
{
    ByteEdit e;
    e.offset = offset;
    e.oldLength = newLength;
    e.newLength = oldLength;
    e.oldDelta = newDelta;
    e.newDelta = oldDelta;
    e.oldSize = newSize;
    e.newSize = oldSize;
    e.oldCrc = newCrc;
    e.newCrc = oldCrc;
    return e;
}

// --- Reading ---

std::filesystem::path undoFolder()
{
    const std::filesystem::path state = paths::ownFolder(paths::stateHome());
    return state.empty() ? state : state / "undo";
}

std::vector<std::uint64_t> listSaves()
{
    std::vector<std::uint64_t> ids;
    const std::filesystem::path dir = undoFolder();
    if (dir.empty())
        return ids;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return ids;
    while (const dirent* e = ::readdir(d)) {
        if (const auto id = idOfName(e->d_name))
            ids.push_back(*id);
    }
    ::closedir(d);
    std::sort(ids.begin(), ids.end());
    return ids;
}

Result<SaveRecord> readSave(std::uint64_t id)
{
    const std::filesystem::path file = undoFolder() / fileName(id);
    const auto bytes = fileio::readWholeFile(file);
    if (!bytes)
        return Failure{"no save " + std::to_string(id) + " (" + bytes.reason() + ")"};
    SaveRecord save;
    save.id = id;
    bool headed = false;
    std::unordered_map<std::size_t, std::size_t> slots; // record index -> position in save.changes
    std::string_view rest = *bytes;
    while (const auto f = frame::next(rest, kMagic)) {
        const std::uint8_t type = f->type;
        const std::string_view payload = f->payload;
        Reader in(payload);
        if (type == kHeader) {
            std::uint64_t kind = 0;
            headed = in.get(kind, 1) && in.get(save.reverts, 8) && in.bytes(save.label) && in.getAs(save.started, 8);
            // The library's folder came later: older headers end before it.
            if (headed && !in.atEnd())
                headed = in.bytes(save.library);
            save.kind = kind == 1 ? LogKind::Revert : LogKind::Save;
        } else if (type == kChange) {
            std::size_t index = 0;
            Change c;
            if (!decodeChange(payload, index, c))
                break;
            slots[index] = save.changes.size();
            save.changes.push_back(std::move(c));
        } else if (type == kCommitted) {
            std::size_t index = 0;
            std::uint64_t hasStamp = 0;
            fileio::FileIdentity stamp;
            if (!in.getAs(index, 4) || !in.get(hasStamp, 1) || (hasStamp && !getStamp(in, stamp)))
                break;
            if (const auto slot = slots.find(index); slot != slots.end()) {
                Change& c = save.changes[slot->second];
                c.committed = true;
                if (hasStamp)
                    c.after = stamp;
            }
        } else if (type == kEnd) {
            save.complete = true;
        }
    }
    if (!headed)
        return Failure{"save " + std::to_string(id) + ": the log is damaged"};
    return save;
}

namespace {

bool isUnder(const std::string& path, const std::string& folder)
{
    return path.size() > folder.size() && path.starts_with(folder) &&
        (folder.ends_with('/') || path[folder.size()] == '/');
}

bool belongsTo(const SaveRecord& save, const std::string& library)
{
    if (!save.library.empty())
        return save.library == library;
    return !save.changes.empty() && std::all_of(save.changes.begin(), save.changes.end(), [&](const Change& c) {
        return isUnder(c.path, library);
    });
}

} // namespace

std::optional<std::uint64_t> saveToRevert(const std::string& library)
{
    const std::vector<std::uint64_t> ids = listSaves();
    for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
        const auto save = readSave(*id);
        if (!library.empty() && (!save || !belongsTo(*save, library)))
            continue;
        if (save && save->kind == LogKind::Revert && !save->complete)
            return save->reverts;
        return *id;
    }
    return std::nullopt;
}

RevertSteps revertSteps(const std::string& library)
{
    struct Step {
        std::uint64_t id;
        std::uint64_t reverts; // 0 for a Save
        std::size_t changes;
        bool complete;
    };
    std::vector<Step> steps; // oldest first
    std::unordered_map<std::uint64_t, bool> done;
    for (const std::uint64_t id : listSaves()) {
        const auto save = readSave(id);
        if (!save || (!library.empty() && !belongsTo(*save, library)))
            continue;
        const bool isRevert = save->kind == LogKind::Revert;
        const auto target = done.find(save->reverts);
        done[id] = !isRevert || (target != done.end() && !target->second);
        steps.push_back(Step{id, isRevert ? save->reverts : 0, save->changes.size(), save->complete});
    }
    RevertSteps out;
    if (!steps.empty() && steps.back().reverts && !steps.back().complete) {
        out.undo = steps.back().reverts;
        for (const Step& s : steps)
            if (s.id == *out.undo)
                out.undoChanges = s.changes;
        return out;
    }
    std::unordered_set<std::uint64_t> undone;
    // Newest first; the redos stand above the newest Save still in effect.
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if (undone.contains(it->id))
            continue;
        if (it->reverts)
            undone.insert(it->reverts);
        if (!done[it->id]) {
            if (!out.redo) {
                out.redo = it->id;
                out.redoChanges = it->changes;
            }
            continue;
        }
        if (!out.undo) {
            out.undo = it->id;
            out.undoChanges = it->changes;
        }
        if (!it->reverts)
            break;
    }
    return out;
}

// --- Writing ---

UndoLog::UndoLog(LogKind kind, std::string label, std::uint64_t reverts, std::string library)
    : kind_(kind), label_(std::move(label)), reverts_(reverts), library_(std::move(library))
{
}

UndoLog::~UndoLog() { finish(); }

Status UndoLog::open()
{
    const std::filesystem::path dir = undoFolder();
    if (dir.empty())
        return Failure{"no folder for the undo log (neither XDG_STATE_HOME nor a home folder is set)"};
    if (Status made = fileio::io::makeFolders(dir); !made)
        return made;
    const std::vector<std::uint64_t> ids = listSaves();
    std::uint64_t id = ids.empty() ? 1 : ids.back() + 1;
    for (int attempt = 0; attempt < 64 && fd_ < 0; ++attempt, ++id) {
        const std::filesystem::path file = dir / fileName(id);
        const int fd = fileio::io::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (fd >= 0) {
            fd_ = fd;
            id_ = id;
        } else if (errno != EEXIST) {
            return Failure{errnoText("create the undo log " + file.string())};
        }
    }
    if (fd_ < 0)
        return Failure{"create the undo log: no free name"};
    std::string p;
    put(p, kind_ == LogKind::Revert ? 1 : 0, 1);
    put(p, reverts_, 8);
    putBytes(p, label_);
    put(p,
        static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
                .count()),
        8);
    putBytes(p, library_);
    if (Status appended = append(encode(kHeader, p), true); !appended)
        return appended;
    // The log must outlive a power loss as surely as the changes it describes.
    fileio::io::syncFolder(dir);
    prune(dir);
    return {};
}

Status UndoLog::append(const std::string& bytes, bool sync)
{
    if (fileio::io::writeAll(fd_, bytes) != 0) {
        broken_ = true;
        return Failure{errnoText("write the undo log")};
    }
    if (sync && fileio::io::fsync(fd_) != 0) {
        broken_ = true;
        return Failure{errnoText("sync the undo log")};
    }
    return {};
}

Result<std::size_t> UndoLog::record(const Change& change, bool sync)
{
    if (finished_ || broken_)
        return Failure{finished_ ? "the undo log is closed" : "the undo log could not be written"};
    if (fd_ < 0) {
        if (Status opened = open(); !opened) {
            broken_ = true;
            return opened.failure();
        }
    }
    const std::size_t handle = recorded_;
    if (Status appended = append(encodeChange(handle, change), sync); !appended)
        return appended.failure();
    ++recorded_;
    return handle;
}

Status UndoLog::sync()
{
    if (finished_ || broken_)
        return Failure{finished_ ? "the undo log is closed" : "the undo log could not be written"};
    if (fd_ < 0)
        return {};
    if (fileio::io::fsync(fd_) != 0) {
        broken_ = true;
        return Failure{errnoText("sync the undo log")};
    }
    return {};
}

Status UndoLog::markCommitted(std::size_t handle, const std::optional<fileio::FileIdentity>& after)
{
    if (fd_ < 0 || handle >= recorded_)
        return Failure{"no such change in the undo log"};
    std::string p;
    put(p, handle, 4);
    p.push_back(after ? 1 : 0);
    if (after)
        putStamp(p, *after);
    return append(encode(kCommitted, p), false);
}

void UndoLog::finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (fd_ < 0)
        return;
    if (!broken_) {
        if (Status ended = append(encode(kEnd, {}), true); !ended)
            log::write("Undo log " + std::to_string(id_) + " not completed: " + ended.reason());
    }
    fileio::io::close(fd_);
    fd_ = -1;
}

// --- Revert ---

RevertOutcome revertFileChange(const Change& change, UndoLog& log)
{
    if (!change.edit)
        return Failure{"the change holds no bytes of a file"};
    const ByteEdit& edit = *change.edit;
    const auto identity = fileio::identify(change.path);
    if (!identity)
        return RevertedChange::leftAlone("the file is gone");
    const auto current = fileio::readWholeFile(change.path);
    if (!current)
        return Failure{"cannot read the file: " + current.reason()};
    if (edit.isOld(*current))
        return RevertedChange::notMade("the file holds its content from before the change");
    // The whole content decides: a file rewritten since with exactly the
    // bytes of the change (a later Save taken back) is taken back too.
    const auto restored = edit.undo(*current);
    // The change time is left out of the comparison: rolling back an
    // interrupted commit puts the bytes and the modification time back, but
    // the kernel moves the change time.
    if (!restored)
        return RevertedChange::leftAlone(change.after && !change.after->sameVersion(*identity)
                                             ? "the file changed since"
                                             : "the file holds other bytes than the change wrote");

    Change inverse;
    inverse.path = change.path;
    inverse.key = change.key;
    inverse.oldValue = change.newValue;
    inverse.newValue = change.oldValue;
    inverse.edit = edit.inverse();
    const auto handle = log.record(inverse);
    if (!handle)
        return Failure{"cannot record the revert for undo: " + handle.reason()};
    const fileio::CommitResult committed = fileio::commitFile(change.path, *identity, *current, *restored);
    if (!committed)
        return Failure{committed.reason()};
    if (Status marked = log.markCommitted(*handle, fileio::identify(change.path)); !marked)
        log::write("Undo log: " + marked.reason());
    return RevertedChange::reverted();
}

} // namespace yomi::storage
