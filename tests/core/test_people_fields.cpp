// The person fields edited as one: a value listed once whichever of artist,
// album artist and composer holds it, and one Save (one undo log, one log
// line per track and field) that writes all three and one revert takes back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Controller/SRMainController.h"
#include "Storage/UndoLog.h"
#include "support/MemoryLibrary.h"
#include "support/StateHome.h"
#include "support/WindowFakes.h"

namespace yomi {
namespace {

using bridge::MemoryLibrary;
using bridge::Value;
using ::testing::HasSubstr;

class PeopleFields : public ::testing::Test {
protected:
    test::ScopedStateHome state;
    std::shared_ptr<MemoryLibrary> library = MemoryLibrary::create();
    bridge::ScopedApplication registration{bridge::kMusicApplicationIdentifier, library};
    test::WiredController wired;
    SRMainController& c = wired.controller;
    test::LogCapture log;

    // A plain audio track with the three person fields (value, sort value).
    bridge::MemoryTrack& track(const char16_t* name, std::pair<OptString, OptString> artist,
                               std::pair<OptString, OptString> albumArtist, std::pair<OptString, OptString> composer)
    {
        std::map<std::string, Value, std::less<>> p{{"name", Value(String(name))},
                                                    {"podcast", Value(false)},
                                                    {"videoKind", Value(bridge::kVideoKindNone)}};
        const auto put = [&](const char* key, const char* sortKey, const std::pair<OptString, OptString>& v) {
            if (v.first)
                p[key] = Value(*v.first);
            if (v.second)
                p[sortKey] = Value(*v.second);
        };
        put("artist", "sortArtist", artist);
        put("albumArtist", "sortAlbumArtist", albumArtist);
        put("composer", "sortComposer", composer);
        return library->addTrack(std::move(p));
    }

    std::vector<String> values() const
    {
        std::vector<String> out;
        c.dataArray()->forEach([&](const PairEntryRef& e) { out.push_back(e->originalStr); });
        return out;
    }
};

TEST_F(PeopleFields, AValueIsListedOnceWithTheCountsOfEveryField)
{
    // 坂本龍一 is the artist of track 0 (no sort value there) and the
    // composer of track 1 (サカモト): one row, with the composer's sort value,
    // the first non-empty one met.
    track(u"t0", {u"坂本龍一", u""}, {u"YMO", u""}, {u"細野晴臣", u"ホソノ"});
    track(u"t1", {u"矢野顕子", u"ヤノ"}, {u"矢野顕子", u"ヤノ"}, {u"坂本龍一", u"サカモト"});
    c.setFieldTags({0, 2, 3});
    EXPECT_EQ(c.keyTag(), 0);
    c.load(nullptr);
    EXPECT_EQ(values(), (std::vector<String>{u"細野晴臣", u"矢野顕子", u"坂本龍一"}));
    const PairEntry& sakamoto = *c.pairDict()->at(u"坂本龍一");
    EXPECT_EQ(sakamoto.sortStr, u"サカモト");
    EXPECT_EQ(sakamoto.trackCount, 2u) << "one field of each track";
    EXPECT_EQ(c.pairDict()->at(u"矢野顕子")->trackCount, 2u) << "two fields of one track";
    EXPECT_EQ(c.savePreview().tracks, 1u) << "only track 0's artist lacks サカモト";
}

TEST_F(PeopleFields, OneSaveWritesEveryFieldAsOneUndoEntryAndOneRevertTakesItBack)
{
    track(u"t0", {u"坂本龍一", u"Sakamoto"}, {u"坂本龍一", u""}, {u"坂本龍一", std::nullopt});
    track(u"t1", {u"細野晴臣", u""}, {u"細野晴臣", u""}, {u"坂本龍一", u"サカモト"});
    c.setFieldTags({0, 2, 3});
    c.load(nullptr);
    c.pairDict()->at(u"坂本龍一")->sortStr = u"サカモト リュウイチ";
    c.pairDict()->at(u"細野晴臣")->sortStr = u"ホソノ";
    log.lines.clear();
    c.save(nullptr);
    const SaveReport& report = c.lastSaveReport();
    EXPECT_EQ(report.written, 6u);
    EXPECT_EQ(report.failed, 0u);
    for (const char* key : {"sortArtist", "sortAlbumArtist", "sortComposer"})
        EXPECT_EQ(library->track(0).get(key).copy(), OptString(u"サカモト リュウイチ")) << key;
    EXPECT_EQ(library->track(1).get("sortArtist").copy(), OptString(u"ホソノ"));
    EXPECT_EQ(library->track(1).get("sortComposer").copy(), OptString(u"サカモト リュウイチ"));
    // One line per track and field.
    std::size_t changeLines = 0;
    for (const std::string& line : log.lines)
        changeLines += line.find("->") != std::string::npos;
    EXPECT_EQ(changeLines, 6u);

    const auto saved = storage::readSave(report.undoId);
    ASSERT_TRUE(saved) << saved.reason();
    EXPECT_EQ(saved->changes.size(), 6u) << "every field's change in the one log";
    EXPECT_EQ(saved->label, "sortArtist+sortAlbumArtist+sortComposer");

    c.revertSave(report.undoId);
    EXPECT_EQ(c.lastRevertReport().reverted, 6u) << c.lastRevertReport().text();
    EXPECT_EQ(library->track(0).get("sortArtist").copy(), OptString(u"Sakamoto"));
    EXPECT_EQ(library->track(0).get("sortAlbumArtist").copy(), OptString(u""));
    EXPECT_FALSE(library->track(0).get("sortComposer").copy()) << "a sort value the Save added is removed again";
    EXPECT_EQ(library->track(1).get("sortComposer").copy(), OptString(u"サカモト"));
}

TEST_F(PeopleFields, FewerThanTwoFieldsOrAnotherFieldChosenIsOneFieldAgain)
{
    track(u"t0", {u"坂本龍一", u""}, {std::nullopt, std::nullopt}, {u"細野晴臣", u""});
    c.setFieldTags({3, 3, 9});
    EXPECT_TRUE(c.fieldTags().empty()) << "one field left after repeats and unknown tags";
    EXPECT_EQ(c.keyTag(), 3);
    c.load(nullptr);
    EXPECT_EQ(values(), std::vector<String>{u"細野晴臣"});

    c.setFieldTags({0, 3});
    EXPECT_TRUE(c.dataArray()->empty()) << "a change of fields empties the list";
    c.load(nullptr);
    EXPECT_EQ(values(), (std::vector<String>{u"坂本龍一", u"細野晴臣"}));
    c.setKeyTag(0);
    EXPECT_TRUE(c.fieldTags().empty());
    EXPECT_TRUE(c.dataArray()->empty()) << "choosing one field leaves the mode, even the first of them";
}

} // namespace
} // namespace yomi
