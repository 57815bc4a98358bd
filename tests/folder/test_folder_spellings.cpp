// Sort values kept in older taggers' spellings (ID3 TXXX ALBUMARTISTSORT
// beside TSO2, the Vorbis "ALBUM ARTIST SORT" beside ALBUMARTISTSORT) on real
// files: read as sort values, a disagreement shown as a conflict, brought to
// the saved value in the same write (the byte proof letting exactly that item
// change) and restored byte for byte by a revert.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "Bridge/Bytes/Proof/ByteProof.h"
#include "Bridge/Folder/FolderLibrary.h"
#include "Bridge/Write/TagWriter.h"
#include "Controller/Conflicts.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "folder/FolderHelpers.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"
#include "support/RecordingLauncher.h"
#include "support/StateHome.h"
#include "support/WindowFakes.h"

namespace yomi::test {
namespace {

namespace fs = std::filesystem;
using bridge::folder::Format;
using bridge::folder::Property;
using ::testing::HasSubstr;

// The formats that have older spellings, each with how to tag one.
struct SpelledFormat {
    std::string templateFile, extension, legacyKey;
    std::map<std::string, std::string> extra; // e.g. {"@id3", "3"}
};

const std::vector<SpelledFormat>& spelledFormats()
{
    static const std::vector<SpelledFormat> formats = {
        {"template.mp3", "mp3", "TXXX:ALBUMARTISTSORT", {}},
        {"template-v23.mp3", "mp3", "TXXX:ALBUMARTISTSORT", {{"@id3", "3"}}},
        {"template.wav", "wav", "TXXX:ALBUMARTISTSORT", {}},
        {"template.flac", "flac", "ALBUM ARTIST SORT", {}},
        {"template.ogg", "ogg", "ALBUM ARTIST SORT", {}},
    };
    return formats;
}

class FolderSpellings : public ::testing::Test {
protected:
    FolderSpellings()
    {
        previousLauncher_ = setLauncher(std::make_shared<RecordingLauncher>());
        previousFactory_ = bridge::folder::registerFolderLibrary(library.path());
    }
    ~FolderSpellings() override
    {
        bridge::registerApplication(bridge::kMusicApplicationIdentifier, std::move(previousFactory_));
        setLauncher(previousLauncher_);
    }

    // A copy of the format's template with album artist 坂本龍一, the usual
    // sort value `sort` (none when empty) and the older spelling `legacy`.
    fs::path make(const SpelledFormat& f, const std::string& name, const std::string& sort, const std::string& legacy)
    {
        const fs::path file = library.copyTemplate(f.templateFile, name + "." + f.extension);
        std::map<std::string, std::string> tags = f.extra;
        tags["ALBUMARTIST"] = "坂本龍一";
        tags["TITLE"] = name;
        if (!sort.empty())
            tags["ALBUMARTISTSORT"] = sort;
        if (!legacy.empty())
            tags[f.legacyKey] = legacy;
        tagWithMutagen(file, tags);
        originals[file] = readBytes(file);
        return file;
    }

    std::shared_ptr<PairList> loadAlbumArtists(SRMainController& c)
    {
        c.setKeyTag(2);
        c.load(nullptr);
        return c.dataArray();
    }

    ScopedStateHome state;
    TempFolder library;
    std::map<fs::path, std::string> originals;

private:
    std::shared_ptr<Launcher> previousLauncher_;
    bridge::ApplicationFactory previousFactory_;
};

TEST_F(FolderSpellings, AnOlderSpellingIsReadAndItsDisagreementIsAConflict)
{
    // One file per format where the spellings disagree, one where only the
    // older spelling is there (its value is the sort value).
    for (const SpelledFormat& f : spelledFormats()) {
        make(f, f.extension + "-split" + std::to_string(f.extra.size()), "サカモト", "Sakamoto");
        make(f, f.extension + "-old" + std::to_string(f.extra.size()), "", "サカモト");
    }
    SRMainController c;
    loadAlbumArtists(c);
    ASSERT_EQ(c.dataArray()->size(), 1u);
    const PairEntry& e = *c.dataArray()->at(0);
    EXPECT_EQ(e.trackCount, 10u);
    const std::vector<HeldSortValue> expected{{u"サカモト", 10}, {u"Sakamoto", 5}};
    EXPECT_EQ(heldSortValues(e), expected);
    EXPECT_TRUE(inConflict(e));
    EXPECT_EQ(c.savePreview().tracks, 10u)
        << "the split files' older spelling and the other files' missing usual one are both written";
}

TEST_F(FolderSpellings, SaveBringsEveryOlderSpellingToTheValueAndRevertRestoresTheBytes)
{
    for (const SpelledFormat& f : spelledFormats()) {
        make(f, f.extension + "-split" + std::to_string(f.extra.size()), "サカモト", "Sakamoto");
        make(f, f.extension + "-old" + std::to_string(f.extra.size()), "", "Sakamoto");
        make(f, f.extension + "-agree" + std::to_string(f.extra.size()), "Sakamoto", "Sakamoto");
    }
    {
        SRMainController c;
        loadAlbumArtists(c);
        ASSERT_EQ(c.dataArray()->size(), 1u);
        c.dataArray()->at(0)->sortStr = u"Sakamoto";
        c.save(nullptr);
        EXPECT_EQ(c.lastSaveReport().failed, 0u);
        EXPECT_EQ(c.lastSaveReport().written, 10u) << "the agreeing files are left alone";
    }
    for (const SpelledFormat& f : spelledFormats()) {
        for (const std::string kind : {"-split", "-old", "-agree"}) {
            const fs::path file = library.path() / (f.extension + kind + std::to_string(f.extra.size()) + "." + f.extension);
            const auto tags = readWithMutagen(file);
            const std::string usual = f.legacyKey.starts_with("TXXX") ? "TSO2" : "ALBUMARTISTSORT";
            EXPECT_EQ(tags.at(usual), "Sakamoto") << file;
            EXPECT_EQ(tags.at(f.legacyKey), "Sakamoto") << file << ": the older spelling is kept and agrees";
            if (kind == "-agree") {
                EXPECT_TRUE(readBytes(file) == originals[file]) << file << " was written";
            }
        }
    }
    {
        SRMainController c;
        loadAlbumArtists(c);
        EXPECT_FALSE(inConflict(*c.dataArray()->at(0)));
        EXPECT_EQ(c.savePreview().tracks, 0u);
        c.revertLastSave(nullptr);
        EXPECT_EQ(c.lastRevertReport().reverted, 10u) << c.lastRevertReport().text();
    }
    for (const auto& [file, bytes] : originals)
        EXPECT_TRUE(readBytes(file) == bytes) << file << " differs from its original";
}

TEST_F(FolderSpellings, AnOlderSpellingWithSeveralValuesKeepsItsFrameAndTakesTheOneValue)
{
    const SpelledFormat& mp3 = spelledFormats()[0];
    const fs::path file = make(mp3, "several", "サカモト", "Sakamoto|坂本");
    SRMainController c;
    loadAlbumArtists(c);
    const std::vector<HeldSortValue> expected{{u"サカモト", 1}, {u"Sakamoto", 1}, {u"坂本", 1}};
    EXPECT_EQ(heldSortValues(*c.dataArray()->at(0)), expected);
    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, 1u);
    EXPECT_EQ(readWithMutagen(file).at("TXXX:ALBUMARTISTSORT"), "サカモト");
}

TEST_F(FolderSpellings, TheProofLetsTheOlderSpellingChangeOnlyWhenTheWriteBringsItAlong)
{
    // The edit of TSO2 that brings TXXX:ALBUMARTISTSORT along, proven with and
    // without leave for it; and a user text frame of another property (the
    // composer's older spelling) changed behind the write is refused either
    // way.
    const SpelledFormat& mp3 = spelledFormats()[0];
    const fs::path file = make(mp3, "proof", "サカモト", "Sakamoto");
    const std::string before = readBytes(file);
    auto edit = bridge::folder::spliceEdit(Format::Mpeg, 4, before, Property::SortAlbumArtist, u"Sakamoto",
                                           {"ALBUMARTISTSORT"});
    ASSERT_TRUE(edit.ok() && *edit) << edit.reason();
    EXPECT_TRUE(bridge::folder::proveEdit(Format::Mpeg, before, **edit, Property::SortAlbumArtist, true).ok());
    const Status without = bridge::folder::proveEdit(Format::Mpeg, before, **edit, Property::SortAlbumArtist, false);
    ASSERT_FALSE(without.ok());
    EXPECT_THAT(without.reason(), HasSubstr("TXXX:ALBUMARTISTSORT"));

    const fs::path other = library.copyTemplate(mp3.templateFile, "other.mp3");
    tagWithMutagen(other, {{"ALBUMARTIST", "坂本龍一"}, {"TXXX:COMPOSERSORT", "x"}});
    const std::string otherBefore = readBytes(other);
    auto behind = bridge::folder::spliceEdit(Format::Mpeg, 4, otherBefore, Property::SortComposer, u"y", {"COMPOSERSORT"});
    ASSERT_TRUE(behind.ok() && *behind) << behind.reason();
    const Status refused = bridge::folder::proveEdit(Format::Mpeg, otherBefore, **behind, Property::SortAlbumArtist, true);
    ASSERT_FALSE(refused.ok());
    EXPECT_THAT(refused.reason(), HasSubstr("TXXX:COMPOSERSORT"));
}

TEST(FolderSpellingNames, TheProofsNamesMatchTheEditorsNames)
{
    // Held apart on purpose (see ByteProof.h); a mismatch would make every
    // write that brings an older spelling along refuse.
    using bridge::folder::legacyItems;
    for (int i = 0; i < bridge::folder::kTextPropertyCount; ++i) {
        const auto p = static_cast<Property>(i);
        std::set<std::string> id3, vorbis;
        for (const std::string_view d : bridge::folder::id3LegacyDescriptions(p))
            id3.insert("TXXX:" + std::string(d));
        for (const std::string_view n : bridge::folder::vorbisLegacyNames(p))
            vorbis.insert(std::string(n));
        EXPECT_EQ(legacyItems(Format::Mpeg, p), id3) << i;
        EXPECT_EQ(legacyItems(Format::Aiff, p), id3) << i;
        EXPECT_EQ(legacyItems(Format::Flac, p), vorbis) << i;
        EXPECT_EQ(legacyItems(Format::Opus, p), vorbis) << i;
        EXPECT_TRUE(legacyItems(Format::Mp4, p).empty()) << "MP4 has one spelling";
        EXPECT_TRUE(legacyItems(Format::Asf, p).empty()) << "ASF has one spelling";
    }
}

} // namespace
} // namespace yomi::test
