#include "Bridge/Folder/TagWriter.h"

#include <taglib/audioproperties.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>

#include "Bridge/Folder/AsfEdit.h"
#include "Bridge/Folder/ByteProof.h"
#include "Bridge/Folder/FlacEdit.h"
#include "Bridge/Folder/Id3v23.h"
#include "Bridge/Folder/OggEdit.h"
#include "Bridge/Folder/TagFile.h"

namespace yomi::bridge::folder {
namespace {

std::unique_ptr<TagFile> parse(Format format, const std::string& bytes, bool audio)
{
    auto stream = std::make_unique<TagLib::ByteVectorStream>(
        TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size())));
    return TagFile::open(format, std::move(stream), audio);
}

std::string bytesOf(TagLib::IOStream& stream)
{
    const TagLib::ByteVector* data = static_cast<TagLib::ByteVectorStream&>(stream).data();
    return std::string(data->data(), data->size());
}

// Why the edited file differs from the original beyond the one property;
// empty when it does not.
std::string compare(const TagSnapshot& before, const TagSnapshot& after, Property property,
                    const TagLib::String& value)
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

    const TagLib::String name(std::string(propertyName(property)));
    for (const auto& [key, values] : before.properties) {
        if (key == name)
            continue;
        const auto it = after.properties.find(key);
        if (it == after.properties.end() || it->second != values)
            return "the edit would change " + key.to8Bit(true);
    }
    for (const auto& [key, values] : after.properties) {
        if (key != name && !before.properties.contains(key))
            return "the edit would add " + key.to8Bit(true);
    }
    if (before.pictures != after.pictures)
        return "the edit would change the pictures";
    return {};
}

} // namespace

WriteResult writeProperty(const std::filesystem::path& file, const fileio::FileIdentity& opened, Format format,
                          Property property, const String& value, storage::UndoLog* undo, std::string_view key)
{
    if (!isTextProperty(property))
        return WriteResult::failure("cannot write " + std::string(propertyName(property)));

    std::string error;
    const std::optional<std::string> original = fileio::readWholeFile(file, &error);
    if (!original)
        return WriteResult::failure("cannot read the file: " + error);
    const auto now = fileio::identify(file);
    if (!now || !(*now == opened) || static_cast<std::size_t>(opened.size) != original->size())
        return WriteResult::failure("changed on disk");

    auto before = parse(format, *original, true);
    if (!before->isValid())
        return WriteResult::failure("the file did not parse cleanly");
    const TagLib::AudioProperties* audio = before->file().audioProperties();
    const bool module = format == Format::Mod || format == Format::S3m || format == Format::It ||
                        format == Format::Xm;
    if (!module && (!audio || audio->sampleRate() <= 0))
        return WriteResult::failure("no audio stream found in the file");

    const TagLib::String newValue = toTagLib(value);
    const std::optional<TagLib::String> oldValue = before->text(property);
    if (oldValue == std::optional<TagLib::String>(newValue))
        return WriteResult::success();
    const TagSnapshot expected = before->snapshot();

    // ID3v2.3/2.4, ASF, FLAC and Ogg Vorbis/Opus comments are edited on the
    // bytes (see Id3v23.h, AsfEdit.h, FlacEdit.h, OggEdit.h); the rest, and a
    // v2.4 tag the splice does not take, through TagLib.
    std::optional<std::string> spliced;
    TagLib::ID3v2::Tag* id3 = before->id3v2Tag();
    const unsigned int id3Version = id3 ? id3->header()->majorVersion() : 0;
    if ((format == Format::Mpeg || format == Format::TrueAudio) && (id3Version == 3 || id3Version == 4)) {
        if (id3Version == 3 && !id3v23::startsWithTag(*original))
            return WriteResult::failure("the ID3v2.3 tag is not at the start of the file");
        if (id3v23::startsWithTag(*original)) {
            Result<std::string> edit = id3v23::setText(*original, property, newValue);
            if (edit)
                spliced = std::move(*edit);
            else if (id3Version == 3)
                return WriteResult::failure(edit.reason());
        }
    } else if ((format == Format::Wav || format == Format::Aiff) && (id3Version == 3 || id3Version == 4)) {
        Result<std::optional<std::string>> edit =
            id3v23::setTextInChunk(*original, format == Format::Aiff, property, newValue);
        if (edit)
            spliced = std::move(*edit);
        else if (id3Version == 3)
            return WriteResult::failure(edit.reason());
    } else if (format == Format::Asf) {
        Result<std::string> edit = asf::setText(*original, property, value);
        if (!edit)
            return WriteResult::failure(edit.reason());
        spliced = std::move(*edit);
    } else if (format == Format::Flac) {
        Result<std::optional<std::string>> edit = flac::setField(*original, propertyName(property), toUtf8(value));
        if (!edit)
            return WriteResult::failure(edit.reason());
        spliced = std::move(*edit);
    } else if (format == Format::OggVorbis || format == Format::OggAudio || format == Format::Opus) {
        spliced = ogg::setField(*original, propertyName(property), toUtf8(value), error);
        if (!spliced && !error.empty())
            return WriteResult::failure(error);
    }
    std::string edited;
    if (spliced) {
        edited = std::move(*spliced);
    } else {
        // The snapshot is taken: the parse that made it edits the copy.
        Status set = before->setText(property, newValue);
        if (set)
            set = before->save();
        if (!set)
            return WriteResult::failure(set.reason());
        edited = bytesOf(before->stream());
    }
    before.reset();

    if (const std::string unproven = proveEdit(format, *original, edited, property); !unproven.empty())
        return WriteResult::failure(unproven);
    auto after = parse(format, edited, true);
    if (!after->isValid())
        return WriteResult::failure("the edited file does not parse");
    const std::string difference = compare(expected, after->snapshot(), property, newValue);
    after.reset();
    if (!difference.empty())
        return WriteResult::failure(difference);

    std::optional<std::size_t> recorded;
    if (undo) {
        storage::Change change;
        std::error_code ec;
        change.path = std::filesystem::absolute(file, ec).string();
        change.key = std::string(key.empty() ? propertyName(property) : key);
        if (oldValue)
            change.oldValue = fromTagLib(*oldValue);
        change.newValue = value;
        change.edit = storage::ByteEdit::between(*original, edited);
        recorded = undo->record(change, error);
        if (!recorded)
            return WriteResult::failure("cannot record the change for undo: " + error);
    }
    const fileio::CommitResult committed = fileio::commitFile(file, opened, *original, edited);
    if (!committed.ok)
        return WriteResult::failure(committed.reason);
    if (recorded)
        undo->markCommitted(*recorded, storage::stampOf(file), error);
    return WriteResult::success();
}

} // namespace yomi::bridge::folder
