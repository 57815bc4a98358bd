// Names joined into one value: where a value is cut, where it stays whole,
// and that the parts joined again by their separators give the value back.
#include <gtest/gtest.h>

#include <set>

#include "Category/JoinedNames.h"
#include "Controller/SRMainController.h"
#include "support/FakeReadingEngine.h"
#include "support/WindowFakes.h"

namespace yomi {
namespace {

// Names the library knows, for the ambiguous separators.
KnownName knowing(std::set<String> names)
{
    return [names = std::move(names)](std::u16string_view n) { return names.contains(String(n)); };
}

TEST(JoinedNames, UnambiguousSeparatorsCutWhateverThePartsAre)
{
    const auto none = knowing({});
    const auto split = splitJoinedName(u"坂本龍一 & 細野晴臣", none);
    ASSERT_TRUE(split);
    EXPECT_EQ(split->parts, (std::vector<String>{u"坂本龍一", u"細野晴臣"}));
    EXPECT_EQ(split->separators, (std::vector<String>{u" & "}));
    EXPECT_EQ(joinParts(*split, {u"サカモトリュウイチ", u"ホソノハルオミ"}), u"サカモトリュウイチ & ホソノハルオミ");

    // The words stand between spaces, in any case; several separators keep
    // their own spellings.
    const auto feat = splitJoinedName(u"宇多田ヒカル FEAT. 椎名林檎/東京事変;岡村靖幸", none);
    ASSERT_TRUE(feat);
    EXPECT_EQ(feat->parts, (std::vector<String>{u"宇多田ヒカル", u"椎名林檎", u"東京事変", u"岡村靖幸"}));
    EXPECT_EQ(feat->separators, (std::vector<String>{u" FEAT. ", u"/", u";"}));
    EXPECT_EQ(joinParts(*feat, feat->parts), u"宇多田ヒカル FEAT. 椎名林檎/東京事変;岡村靖幸") << "joining gives the value back";
}

TEST(JoinedNames, AmbiguousSeparatorsCutOnlyBetweenKnownNames)
{
    // ジョン・レノン is one name; 坂本龍一・細野晴臣 are two the library knows.
    EXPECT_FALSE(splitJoinedName(u"ジョン・レノン", knowing({u"ジョン"})));
    const auto known = knowing({u"坂本龍一", u"細野晴臣", u"高橋幸宏"});
    const auto dot = splitJoinedName(u"坂本龍一・細野晴臣、高橋幸宏", known);
    ASSERT_TRUE(dot);
    EXPECT_EQ(dot->parts.size(), 3u);
    EXPECT_FALSE(splitJoinedName(u"山と川 and 海", knowing({u"山と川"}))) << "one unknown part keeps it whole";
    const auto with = splitJoinedName(u"坂本龍一 with 細野晴臣", known);
    ASSERT_TRUE(with);
    EXPECT_EQ(with->separators, (std::vector<String>{u" with "}));
    EXPECT_FALSE(splitJoinedName(u"坂本龍一with細野晴臣", known)) << "a word separator needs its spaces";
    // An unambiguous cut still happens when the ambiguous one cannot: the
    // unknown part keeps its "・".
    const auto mixed = splitJoinedName(u"ジョン・レノン & 坂本龍一", known);
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->parts, (std::vector<String>{u"ジョン・レノン", u"坂本龍一"}));
}

TEST(JoinedNames, ABandKnownWholeStaysWhole)
{
    EXPECT_FALSE(splitJoinedName(u"スガシカオ & 山崎", knowing({u"スガシカオ & 山崎"})));
    EXPECT_TRUE(splitJoinedName(u"スガシカオ & 山崎", knowing({})));
}

TEST(JoinedNames, BadInputIsReadWhole)
{
    const auto none = knowing({});
    for (const char16_t* bad : {u"& 坂本龍一", u"坂本龍一 &", u"&", u" & / ; ", u"坂本龍一 && 細野晴臣", u"坂本龍一 & & 細野",
                                u"", u"坂本龍一", u"坂本龍一 feat.", u"feat. 坂本龍一"})
        EXPECT_FALSE(splitJoinedName(bad, none)) << toUtf8(bad);

    // 50 parts are cut; more than the limit is read whole.
    String fifty = u"名0";
    for (int i = 1; i < 50; ++i)
        fifty += u" & 名" + toUtf16(std::to_string(i));
    const auto cut = splitJoinedName(fifty, none);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->parts.size(), 50u);
    EXPECT_EQ(joinParts(*cut, cut->parts), fifty);
    String many = u"名";
    for (std::size_t i = 1; i <= kMaxJoinedParts; ++i)
        many += u"&名";
    EXPECT_FALSE(splitJoinedName(many, none));

    // Too few readings: the parts without one stay as they are.
    const JoinedName two{{u"甲", u"乙"}, {u" & "}};
    EXPECT_EQ(joinParts(two, {u"コウ"}), u"コウ & 乙");
}

// The Reading command over a list of artists, with a table engine.
struct JoinedReading : test::WiredController {
    test::FakeReadingEngine engine;
    JapaneseValueReader japanese{engine};
    Reader reader;
    std::vector<PairEntryRef> entries;

    explicit JoinedReading(std::vector<std::pair<String, String>> rows)
    {
        engine.table[u"坂本龍一"] = {u"サカモトリュウイチ"};
        engine.table[u"細野晴臣"] = {u"ホソノハルオミ"};
        engine.table[u"高橋幸宏"] = {u"タカハシユキヒロ"};
        auto dict = std::make_shared<PairDict>();
        for (auto& [value, sort] : rows) {
            entries.push_back(std::make_shared<PairEntry>(PairEntry{value, sort}));
            dict->emplace(value, entries.back());
        }
        controller.setPairDict(dict);
        controller.setDataArray(std::make_shared<PairList>(entries));
        arrayController.selection = entries;
        reader.japanese = &japanese;
        controller.reader = &reader;
    }
};

TEST(JoinedReadings, PartsAreReadAsTheirOwnRowsShowThemAndJoinedBack)
{
    // 細野晴臣's own row shows ホソノ ハルオミ: the joined value takes it,
    // so that it sorts with the solo entry; 坂本龍一 has no row and is read.
    JoinedReading f({{u"坂本龍一 & 細野晴臣", u""}, {u"細野晴臣", u"ホソノ ハルオミ"}});
    f.arrayController.selection = {f.entries[0]};
    f.controller.copyOriginalToReading(nullptr);
    EXPECT_EQ(f.entries[0]->sortStr, u"サカモトリュウイチ & ホソノ ハルオミ");
    const ValueReading* read = f.controller.lastReading(u"坂本龍一 & 細野晴臣");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->reason.rfind("read part by part", 0), 0u) << read->reason;
    for (const String& run : f.engine.asked)
        EXPECT_EQ(run.find(u'&'), String::npos) << "the join is never read as one name";
}

TEST(JoinedReadings, AmbiguousJoinsNeedKnownPartsAndOthersAreReadWhole)
{
    // 高橋幸宏・細野晴臣: both rows hold sort values, so "・" joins two names;
    // ジョン・高橋: ジョン is unknown, so the value is read whole (and the
    // table has no reading for it: refused, not half read).
    JoinedReading f({{u"高橋幸宏・細野晴臣", u""},
                     {u"ジョン・高橋", u""},
                     {u"高橋幸宏", u"タカハシ"},
                     {u"細野晴臣", u"ホソノ"}});
    f.arrayController.selection = {f.entries[0], f.entries[1]};
    f.controller.copyOriginalToReading(nullptr);
    EXPECT_EQ(f.entries[0]->sortStr, u"タカハシ・ホソノ");
    EXPECT_EQ(f.entries[1]->sortStr, u"");
    EXPECT_EQ(f.controller.lastRefusedReadings(), std::vector<String>{u"ジョン・高橋"});
}

TEST(JoinedReadings, ALatinPartSortsAsItIsAndAnUnreadPartReadsTheWholeValue)
{
    JoinedReading f({{u"坂本龍一 feat. David Sylvian", u""}, {u"坂本龍一 & 未知", u""}});
    f.controller.copyOriginalToReading(nullptr);
    EXPECT_EQ(f.entries[0]->sortStr, u"サカモトリュウイチ feat. David Sylvian");
    EXPECT_EQ(f.entries[1]->sortStr, u"") << "未知 has no reading: no half-read join";
}

TEST(JoinedReadings, ASoloRowReadByTheSameCommandGivesItsNewReadingNotItsOldOne)
{
    // 細野晴臣's row shows a stale ホソノ; read together, the join takes
    // the reading the row gets now, so that a second run changes nothing.
    // Asked to fill only empty rows, the row is not read and its value holds.
    for (const bool onlyEmpty : {false, true}) {
        JoinedReading f({{u"坂本龍一 & 細野晴臣", u""}, {u"細野晴臣", u"ホソノ"}});
        f.controller.editOnlyEmpty = onlyEmpty;
        f.controller.copyOriginalToReading(nullptr);
        const String solo = onlyEmpty ? u"ホソノ" : u"ホソノハルオミ";
        EXPECT_EQ(f.entries[1]->sortStr, solo);
        EXPECT_EQ(f.entries[0]->sortStr, u"サカモトリュウイチ & " + solo) << onlyEmpty;

        if (onlyEmpty)
            continue;
        const String first = f.entries[0]->sortStr;
        f.controller.copyOriginalToReading(nullptr);
        EXPECT_EQ(f.entries[0]->sortStr, first) << "a second run changes nothing";
    }
}

TEST(JoinedReadings, TheLibrarysSortValueOfTheWholeJoinStaysWhenItSuits)
{
    // A join read before (or a band named with "&") whose tracks hold a
    // kana sort value keeps it, even where a part's row now reads otherwise;
    // a Latin one does not suit, and the join is read part by part.
    JoinedReading f({{u"坂本龍一 & 細野晴臣", u"サカモト & ホソノ"}, {u"細野晴臣", u"ホソノ ハルオミ"}});
    f.entries[0]->sortCounts = {{u"サカモト & ホソノ", 4}};
    f.arrayController.selection = {f.entries[0]};
    f.controller.copyOriginalToReading(nullptr);
    EXPECT_EQ(f.entries[0]->sortStr, u"サカモト & ホソノ");
    const ValueReading* read = f.controller.lastReading(u"坂本龍一 & 細野晴臣");
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(fromLibrary(*read)) << read->reason;

    f.entries[0]->sortStr = u"Sakamoto & Hosono";
    f.entries[0]->sortCounts = {{u"Sakamoto & Hosono", 4}};
    f.controller.copyOriginalToReading(nullptr);
    EXPECT_EQ(f.entries[0]->sortStr, u"サカモトリュウイチ & ホソノ ハルオミ");
}

} // namespace
} // namespace yomi
