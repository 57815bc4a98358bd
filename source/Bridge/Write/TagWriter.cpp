#include "Bridge/Write/TagWriter.h"

#include <taglib/audioproperties.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>

#include <algorithm>

#include "Bridge/Bytes/AsfEdit.h"
#include "Bridge/Bytes/FlacEdit.h"
#include "Bridge/Bytes/Mp4Edit.h"
#include "Bridge/Bytes/OggEdit.h"
#include "Bridge/Bytes/Proof/ByteProof.h"
#include "Bridge/Tags/Id3Edit.h"
#include "Bridge/Tags/TagFile.h"

namespace yomi::bridge::folder {
namespace {

std::unique_ptr<TagFile> parse(Format format, const std::string& bytes, bool audio)
{
    auto stream =
        std::make_unique<MemoryStream>(TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size())));
    return TagFile::open(format, std::move(stream), audio);
}

std::string bytesOf(TagLib::IOStream& stream)
{
    const TagLib::ByteVector* data = static_cast<TagLib::ByteVectorStream&>(stream).data();
    return std::string(data->data(), data->size());
}

// Why the edited file differs from the original beyond the one property;
// empty when it does not.
// The property map keys a write of the property may change: its own and, when
// its older spellings are written too, theirs.
std::vector<TagLib::String> keysWritten(Property property, bool legacyToo)
{
    std::vector<TagLib::String> keys{TagLib::String(std::string(propertyName(property)))};
    if (legacyToo) {
        for (const std::string_view name : id3LegacyDescriptions(property))
            keys.emplace_back(std::string(name));
        for (const std::string_view name : vorbisLegacyNames(property))
            keys.emplace_back(std::string(name));
    }
    return keys;
}

std::string compare(const TagSnapshot& before, const TagSnapshot& after, Property property, const TagLib::String& value,
                    bool legacyToo)
{
    const int target = static_cast<int>(property);
    if (after.texts[target] != std::optional<TagLib::String>(value))
        return "the new value did not read back from the edited file";
    for (int i = 0; i < kTextPropertyCount; ++i) {
        if (i != target && before.texts[i] != after.texts[i])
            return "the edit would change " + std::string(propertyName(static_cast<Property>(i)));
    }
    if (before.podcast != after.podcast)
        return "the edit would change the podcast flag";
    if (before.videoKind != after.videoKind)
        return "the edit would change the video kind";

    const std::vector<TagLib::String> written = keysWritten(property, legacyToo);
    const auto isWritten = [&](const TagLib::String& key) {
        return std::find(written.begin(), written.end(), key.upper()) != written.end();
    };
    for (const auto& [key, values] : before.properties) {
        if (isWritten(key))
            continue;
        const auto it = after.properties.find(key);
        if (it == after.properties.end() || it->second != values)
            return "the edit would change " + key.to8Bit(true);
    }
    for (const auto& [key, values] : after.properties) {
        if (!isWritten(key) && !before.properties.contains(key))
            return "the edit would add " + key.to8Bit(true);
    }
    // Without them, the older spellings stay as they were; with them, each
    // item stays (none added, none dropped) and holds the new value.
    const auto items = [](const std::vector<LegacyText>& list) {
        std::vector<std::string> names;
        for (const LegacyText& l : list)
            if (std::find(names.begin(), names.end(), l.item) == names.end())
                names.push_back(l.item);
        return names;
    };
    const auto sameText = [](const LegacyText& a, const LegacyText& b) { return a.item == b.item && a.value == b.value; };
    if (!legacyToo && !std::equal(before.legacy.begin(), before.legacy.end(), after.legacy.begin(), after.legacy.end(), sameText))
        return "the edit would change an older spelling of " + std::string(propertyName(property));
    if (legacyToo && items(before.legacy) != items(after.legacy))
        return "the edit would add or drop an older spelling of " + std::string(propertyName(property));
    if (legacyToo)
        for (const LegacyText& legacy : after.legacy)
            if (legacy.value != value)
                return "an older spelling of " + std::string(propertyName(property)) + " would not hold the new value";
    if (before.pictures != after.pictures)
        return "the edit would change the pictures";
    return {};
}

} // namespace

namespace {

// A Vorbis comment field set, then each older spelling in `legacy` that the
// file has: FLAC's or Ogg's editor, one field after the other.
template <typename Editor>
Result<std::optional<std::string>> setFields(Editor edit, const std::string& bytes, Property property,
                                             const String& value, const std::vector<std::string>& legacy)
{
    const std::string utf8 = toUtf8(value);
    Result<std::optional<std::string>> out = edit(bytes, propertyName(property), utf8);
    for (const std::string& name : legacy) {
        if (!out || !*out)
            return out;
        out = edit(**out, name, utf8);
    }
    return out;
}

} // namespace

Result<std::optional<std::string>> spliceEdit(Format format, unsigned int id3Version, const std::string& bytes,
                                              Property property, const String& value,
                                              const std::vector<std::string>& legacy)
{
    const TagLib::String newValue = toTagLib(value);
    const bool id3 = id3Version == 3 || id3Version == 4;
    const bool legacyToo = !legacy.empty();
    if ((format == Format::Mpeg || format == Format::TrueAudio) && id3) {
        if (!id3::startsWithTag(bytes)) {
            if (id3Version == 3)
                return Failure{"the ID3v2.3 tag is not at the start of the file"};
            return std::optional<std::string>();
        }
        Result<std::string> edit = id3::setText(bytes, property, newValue, legacyToo);
        if (edit)
            return std::optional<std::string>(std::move(*edit));
        if (id3Version == 3)
            return Failure{edit.reason()};
        return std::optional<std::string>();
    }
    if ((format == Format::Wav || format == Format::Aiff) && id3) {
        Result<std::optional<std::string>> edit =
            id3::setTextInChunk(bytes, format == Format::Aiff, property, newValue, legacyToo);
        if (!edit && id3Version == 4)
            return std::optional<std::string>();
        return edit;
    }
    if (format == Format::Asf) {
        Result<std::string> edit = asf::setText(bytes, property, value);
        if (!edit)
            return Failure{edit.reason()};
        return std::optional<std::string>(std::move(*edit));
    }
    if (format == Format::Mp4) {
        // The older spellings are TagLib's to write.
        if (!legacy.empty())
            return std::optional<std::string>();
        return mp4::setText(bytes, mp4ItemName(property), toUtf8(value));
    }
    if (format == Format::Flac)
        return setFields(flac::setField, bytes, property, value, legacy);
    if (format == Format::OggVorbis || format == Format::OggAudio || format == Format::Opus || format == Format::Speex)
        return setFields(ogg::setField, bytes, property, value, legacy);
    return std::optional<std::string>();
}

namespace {

// The file's bytes with the new value: spliced by a byte editor where the
// format has one, else set and saved by TagLib on the parse `before` (whose
// snapshot is already taken; it edits its in-memory copy of the file).
Result<std::string> editedFile(Format format, TagFile& before, const std::string& original, Property property,
                               const String& value, const std::vector<std::string>& legacy)
{
    TagLib::ID3v2::Tag* id3 = before.id3v2Tag();
    Result<std::optional<std::string>> spliced =
        spliceEdit(format, id3 ? id3->header()->majorVersion() : 0, original, property, value, legacy);
    if (!spliced)
        return Failure{spliced.reason()};
    if (*spliced)
        return std::move(**spliced);
    const TagLib::String newValue = toTagLib(value);
    Status set = before.setText(property, newValue);
    if (set && !legacy.empty())
        before.setLegacyTexts(property, newValue);
    if (set)
        set = before.save();
    if (!set)
        return Failure{set.reason()};
    return bytesOf(before.stream());
}

} // namespace

Result<PreparedWrite> prepareWrite(const std::filesystem::path& file, const fileio::FileIdentity& opened, Format format,
                                   Property property, const String& value, std::string_view key)
{
    if (!isTextProperty(property))
        return Failure{"cannot write " + std::string(propertyName(property))};

    PreparedWrite write;
    write.file = file;
    write.opened = opened;
    Result<std::string> original = fileio::readWholeFile(file);
    if (!original)
        return Failure{"cannot read the file: " + original.reason()};
    const auto now = fileio::identify(file);
    if (!now || !now->sameVersion(opened) || static_cast<std::size_t>(opened.size) != original->size())
        return Failure{"changed on disk"};

    auto before = parse(format, *original, true);
    if (!before->isValid())
        return Failure{"the file did not parse cleanly" +
                       (before->refusal().empty() ? std::string() : ": " + before->refusal())};
    const TagLib::AudioProperties* audio = before->file().audioProperties();
    const bool module = format == Format::Mod || format == Format::S3m || format == Format::It || format == Format::Xm;
    // An MP4 file is audio when its container says so; TagLib has audio
    // properties for two of the codecs it may hold.
    const bool soundTrack = format == Format::Mp4 && mp4HasSoundTrack(before->stream());
    if (!module && !soundTrack && (!audio || audio->sampleRate() <= 0))
        return Failure{"no audio stream found in the file"};

    const TagLib::String newValue = toTagLib(value);
    const std::optional<TagLib::String> oldValue = before->text(property);
    // Older spellings that hold another value are brought to the new one in
    // the same write (their names, once each), never left to contradict it.
    std::vector<std::string> legacy;
    for (const LegacyText& spelling : before->legacyTexts(property))
        if (spelling.value != newValue && std::find(legacy.begin(), legacy.end(), spelling.item) == legacy.end())
            legacy.push_back(spelling.item);
    if (oldValue == std::optional<TagLib::String>(newValue) && legacy.empty()) {
        write.unchanged = true;
        return write;
    }
    TagSnapshot expected = before->snapshot();
    expected.legacy = before->legacyTexts(property);

    Result<std::string> editedBytes = editedFile(format, *before, *original, property, value, legacy);
    if (!editedBytes)
        return editedBytes.failure();
    std::string edited = std::move(*editedBytes);
    before.reset();

    if (Status proven = proveEdit(format, *original, edited, property, !legacy.empty()); !proven)
        return proven.failure();
    auto after = parse(format, edited, true);
    if (!after->isValid())
        return Failure{"the edited file does not parse"};
    TagSnapshot found = after->snapshot();
    found.legacy = after->legacyTexts(property);
    const std::string difference = compare(expected, found, property, newValue, !legacy.empty());
    after.reset();
    if (!difference.empty())
        return Failure{difference};

    std::error_code ec;
    write.change.path = std::filesystem::absolute(file, ec).string();
    write.change.key = std::string(key.empty() ? propertyName(property) : key);
    if (oldValue)
        write.change.oldValue = fromTagLib(*oldValue);
    write.change.newValue = value;
    write.change.edit = storage::ByteEdit::between(*original, edited);
    write.original = std::move(*original);
    write.edited = std::move(edited);
    return write;
}

std::vector<Status> commitWrites(std::span<PreparedWrite> writes, storage::UndoLog* undo)
{
    std::vector<Status> results(writes.size());
    std::vector<std::optional<std::size_t>> recorded(writes.size());
    std::vector<std::size_t> toCommit;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (writes[i].unchanged)
            continue;
        if (undo) {
            Result<std::size_t> handle = undo->record(writes[i].change, false);
            if (!handle) {
                results[i] = Failure{"cannot record the change for undo: " + handle.reason()};
                continue;
            }
            recorded[i] = *handle;
        }
        toCommit.push_back(i);
    }
    // One sync for the whole group's undo records, before any file changes.
    if (Status synced = undo && !toCommit.empty() ? undo->sync() : Status(); !synced) {
        for (const std::size_t i : toCommit)
            results[i] = Failure{"cannot record the change for undo: " + synced.reason()};
        return results;
    }
    fileio::CommitGroup group;
    for (const std::size_t i : toCommit)
        group.add(writes[i].file, writes[i].opened, writes[i].original, writes[i].edited);
    const std::vector<fileio::CommitResult> committed = group.commit();
    for (std::size_t k = 0; k < toCommit.size(); ++k) {
        const std::size_t i = toCommit[k];
        if (!committed[k]) {
            results[i] = Failure{committed[k].reason()};
            continue;
        }
        // A change left unmarked is still taken back: the content decides.
        if (recorded[i])
            (void)undo->markCommitted(*recorded[i], fileio::identify(writes[i].file));
    }
    return results;
}

Status writeProperty(const std::filesystem::path& file, const fileio::FileIdentity& opened, Format format,
                     Property property, const String& value, storage::UndoLog* undo, std::string_view key)
{
    Result<PreparedWrite> prepared = prepareWrite(file, opened, format, property, value, key);
    if (!prepared)
        return Failure{prepared.reason()};
    return commitWrites(std::span(&*prepared, 1), undo).front();
}

} // namespace yomi::bridge::folder
