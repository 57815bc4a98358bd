// The name and word dictionaries' table in the cache folder: a table that is
// cut short, damaged or of an older layout is never read, but refused with
// its reason and made again; and over the installed dictionaries the table
// gives exactly what the text searched in place gives, for every part of
// the project's name sets.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/Text.h"
#include "Reading/MecabReadingEngine.h"
#include "Reading/NameIndex.h"
#include "Reading/SkkDictionary.h"
#include "support/AudioFixtures.h"
#include "support/NameDictionaries.h"
#include "support/NameSets.h"

namespace yomi::reading {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using test::eucJp;
using test::openIndex;
using test::readings;

// Enough keys for more than one block.
std::string manyNames()
{
    std::string text = "坂本 [さかもと] /(s) Sakamoto/\n靖子 [やすこ] /(f) Yasuko/\n靖子 [せいこ] /(f,s) Seiko/\n";
    for (int i = 0; i < 100; ++i)
        text += "山" + std::to_string(1000 + i) + " [やま] /(p) Yama/\n";
    return eucJp(text);
}

NameTableHeader headerOf(const std::string& table)
{
    NameTableHeader h{};
    std::memcpy(&h, table.data(), sizeof h);
    return h;
}

// The table with its header replaced, its checksum made right again.
std::string withHeader(std::string table, NameTableHeader h)
{
    h.checksum = NameIndex::tableChecksum(h, std::string_view(table).substr(sizeof h));
    std::memcpy(table.data(), &h, sizeof h);
    return table;
}

std::string withChecksumMadeRight(const std::string& table) { return withHeader(table, headerOf(table)); }

TEST(NameTable, ACutDamagedOrOlderTableIsRefusedWithItsReasonAndMadeAgain)
{
    test::TempFolder dir;
    const auto source = dir.writeFile("enamdict", manyNames());
    const auto cache = dir.path() / "cache";
    const auto file = cache / "names.idx";
    std::string error;
    ASSERT_TRUE(openIndex(source, cache, &error)) << error;
    ASSERT_TRUE(NameIndex::checkTable(file, source));
    const std::string good = test::readBytes(file);
    const NameTableHeader h = headerOf(good);
    ASSERT_GT(h.blocks, 2u);

    std::string blobByte = good, offsetByte = good, backwards = good;
    blobByte[good.size() - 3] ^= 0x40;
    offsetByte[sizeof h + 4] ^= 0x01;
    // The second block said to start past the first block's end.
    const std::uint32_t far = static_cast<std::uint32_t>(h.blobSize + 100);
    std::memcpy(backwards.data() + sizeof h + 4, &far, 4);
    NameTableHeader older = h, oldKana = h, otherSource = h, moreBlocks = h;
    std::memcpy(older.magic, "YOMINAM2", 8);
    std::memcpy(oldKana.magic, "YOMIDIC1", 8);
    NameTableHeader noAffixes = h, noArchaic = h;
    std::memcpy(noAffixes.magic, "YOMIDIC2", 8);
    std::memcpy(noArchaic.magic, "YOMIDIC3", 8);
    ++otherSource.sourceTime;
    ++moreBlocks.blocks;
    struct Damage {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    const std::vector<Damage> damages = {
        {"empty", "", "cut short"},
        {"cut inside the header", good.substr(0, 20), "cut short"},
        {"cut inside the last block", good.substr(0, good.size() - 5), "cut short"},
        {"a byte more at the end", good + "x", "longer than its header says"},
        {"a byte changed in a block", blobByte, "damaged (its checksum does not match)"},
        {"a byte changed in the offsets", offsetByte, "damaged (its checksum does not match)"},
        {"offsets past the blocks, checksum made right", withChecksumMadeRight(backwards), "offsets run backwards"},
        {"a header that counts a block more, checksum made right", withHeader(good, moreBlocks), "cut short"},
        {"the older layout", withHeader(good, older), "of an older layout"},
        {"the older layout's note alone", std::string("YOMINAM2") + std::string(40, '\0'), "of an older layout"},
        {"the layout that kept old kana", withHeader(good, oldKana), "of an older layout"},
        {"the layout without affixes marked", withHeader(good, noAffixes), "of an older layout"},
        {"the layout without archaic words marked", withHeader(good, noArchaic), "of an older layout"},
        {"another program's file", "SQLite format 3", "unknown layout"},
    };
    std::vector<std::string> logged;
    log::ScopedSink sink([&](std::string_view text) { logged.emplace_back(text); });
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        test::writeBytes(file, d.bytes);
        const Status checked = NameIndex::checkTable(file, source);
        ASSERT_FALSE(checked);
        EXPECT_THAT(checked.reason(), HasSubstr(d.reason));
        EXPECT_THAT(checked.reason(), HasSubstr(file.string())) << "the reason names the file";

        logged.clear();
        const auto index = openIndex(source, cache, &error);
        ASSERT_TRUE(index) << error;
        EXPECT_FALSE(index->inPlace());
        EXPECT_TRUE(index->madeNow());
        EXPECT_TRUE(NameIndex::checkTable(file, source)) << "made again";
        EXPECT_EQ(test::readBytes(file), good);
        EXPECT_THAT(readings(*index, "靖子"), ElementsAre("ヤスコ/2", "セイコ/3"));
        EXPECT_THAT(readings(*index, "山1099"), ElementsAre("ヤマ/16")) << "a key of the last block";
        ASSERT_EQ(logged.size(), 1u) << "the reason the table was not used goes to the log";
        EXPECT_THAT(logged[0], HasSubstr(d.reason));
    }

    // A table made from another version of the dictionary is made again
    // without a word: the dictionary was updated.
    test::writeBytes(file, withHeader(good, otherSource));
    EXPECT_THAT(NameIndex::checkTable(file, source).reason(), HasSubstr("another version of the dictionary"));
    logged.clear();
    const auto index = openIndex(source, cache, &error);
    ASSERT_TRUE(index) << error;
    EXPECT_TRUE(index->madeNow());
    EXPECT_TRUE(logged.empty());
    EXPECT_FALSE(openIndex(source, cache, &error)->madeNow()) << "a whole table is used as it is";
}

TEST(NameTable, ReadingsMarkedOldOrIrregularKanaComeAfterTheOthers)
{
    // As edict marks them: 九日 ここぬか is old kana beside ここのか; a tag
    // among others counts too; "ok" inside a gloss does not. A name may
    // still be read so (旅人 たびと), so they stay, last.
    test::TempFolder dir;
    const auto source = dir.writeFile(
        "edict", eucJp("九日 [ここぬか] /(ok) (n) ninth day/\n九日 [ここのか] /(n) ninth day/(P)/\n"
                       "十日 [とうか] /(n,ik) tenth day/\n十日 [とおか] /(n) tenth day (ok) ok/(P)/\n"));
    const auto blocked = dir.writeFile("blocked", "a file, not a folder") / "cache";
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "searched in place" : "a table");
        std::string error;
        const auto index = openIndex(source, inPlace ? blocked : dir.path() / "cache", &error);
        ASSERT_TRUE(index) << error;
        ASSERT_EQ(index->inPlace(), inPlace);
        EXPECT_THAT(readings(*index, "九日"), ElementsAre("ココノカ/160", "ココヌカ/32"))
            << "a word in common use (128), of kinds n or ok (32)";
        EXPECT_THAT(readings(*index, "十日"), ElementsAre("トオカ/160", "トウカ/32"));
    }
}

TEST(NameTable, AWordOnlyAPrefixOrASuffixIsMarkedSo)
{
    // 街 がい is a suffix or a prefix alone (its own kind, 8, and (P) 128);
    // まち a noun; a noun that is a suffix too (n,n-suf) is a noun.
    test::TempFolder dir;
    const auto source = dir.writeFile(
        "edict", eucJp("街 [がい] /(n-suf,pref) ... street/(P)/\n街 [まち] /(n) town/\n"
                       "部 [ぶ] /(n,n-suf) department/(P)/\n様 [さま] /(suf) Mr/(P)/\n"));
    std::string error;
    const auto index = openIndex(source, dir.path() / "cache", &error);
    ASSERT_TRUE(index) << error;
    EXPECT_THAT(readings(*index, "街"), ElementsAre("ガイ/136", "マチ/32"));
    EXPECT_THAT(readings(*index, "部"), ElementsAre("ブ/160"));
    EXPECT_THAT(readings(*index, "様"), ElementsAre("サマ/136"));
}

TEST(NameTable, AWordWhoseFirstSenseIsArchaicIsMarkedSo)
{
    // The mark sits in a parenthesis after the kinds, maybe after a sense's
    // number; one on a later sense only (litf on 抱く's first, none on 下)
    // is no archaic word. Archaic is the bit 1 of a word (a surname's in
    // the name dictionary, whose lines carry no such mark).
    test::TempFolder dir;
    const auto source = dir.writeFile(
        "edict", eucJp("木の下 [このした] /(exp) (arch) under a tree/\n"
                       "古語 [こご] /(n) (1) (obs) old word/(n) (2) archaism/\n"
                       "抱く [いだく] /(v5k,vt) (1) (litf) to embrace/(v5k,vt) (2) (arch) to brood/\n"
                       "下 [した] /(n) below/(P)/\n"));
    std::string error;
    const auto index = openIndex(source, dir.path() / "cache", &error);
    ASSERT_TRUE(index) << error;
    EXPECT_THAT(readings(*index, "木の下"), ElementsAre("コノシタ/33"));
    EXPECT_THAT(readings(*index, "古語"), ElementsAre("コゴ/33"));
    EXPECT_THAT(readings(*index, "抱く"), ElementsAre("イダク/32"));
    EXPECT_THAT(readings(*index, "下"), ElementsAre("シタ/160"));
}

TEST(NameTable, BlocksThatDoNotDecodeGiveNoEntriesAndAreNeverReadPast)
{
    test::TempFolder dir;
    const auto source = dir.writeFile("enamdict", manyNames());
    const auto cache = dir.path() / "cache";
    const auto file = cache / "names.idx";
    std::string error;
    ASSERT_TRUE(openIndex(source, cache, &error)) << error;
    const std::string good = test::readBytes(file);
    const NameTableHeader h = headerOf(good);
    const std::size_t blob = good.size() - h.blobSize;

    // Every byte of the blocks a number that never ends, or a length that
    // runs past its block; the checksum made right, so that only the
    // lookup's own bounds stand between it and the bytes after the block.
    for (const char fill : {'\xff', '\x7f'}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(fill)));
        std::string bad = good;
        std::memset(bad.data() + blob, fill, h.blobSize);
        test::writeBytes(file, withChecksumMadeRight(bad));
        ASSERT_TRUE(NameIndex::checkTable(file, source)) << "the structure is whole";
        const auto index = openIndex(source, cache, &error);
        ASSERT_TRUE(index) << error;
        EXPECT_FALSE(index->madeNow());
        for (const char* key : {"坂本", "靖子", "山1050", "山1099"})
            EXPECT_TRUE(index->lookup(key).empty()) << key;
    }
}

// Every run of up to eight characters holding a Han character in the values
// of the project's name sets: the keys the engine may look up.
std::set<std::string> keysOfTheSets()
{
    std::set<std::string> keys;
    for (const auto& entry : std::filesystem::directory_iterator(YOMI_SOURCE_DIR "/tests/reading")) {
        if (entry.path().extension() != ".tsv" || entry.path().filename() == "floors.tsv")
            continue;
        for (const test::NameCase& c : test::loadNameSet(entry.path().string())) {
            const std::u16string value = toUtf16(c.value);
            for (std::size_t from = 0; from < value.size(); ++from)
                for (std::size_t length = 1; length <= 8 && from + length <= value.size(); ++length) {
                    const std::u16string_view part = std::u16string_view(value).substr(from, length);
                    if (std::any_of(part.begin(), part.end(), [](char16_t ch) { return isHanCharacter(ch); }))
                        keys.insert(toUtf8(part));
                }
        }
    }
    return keys;
}

TEST(NameTable, GivesWhatTheTextSearchedInPlaceGivesForEveryPartOfTheProjectsSets)
{
    const EnginePaths system = EnginePaths::system();
    test::TempFolder dir;
    std::vector<SkkSource> skk;
    for (const auto& [file, kind] : system.skk)
        skk.push_back(SkkSource{file, kind});
    const auto skkText = prepareSkkText(skk, dir.path() / "skk", "skk-names");
    ASSERT_TRUE(skkText) << skkText.reason();
    const std::set<std::string> keys = keysOfTheSets();
    ASSERT_GT(keys.size(), 10000u);
    const auto blocked = dir.writeFile("blocked", "a file, not a folder") / "cache";
    for (const std::filesystem::path& source : {system.names, system.words, *skkText}) {
        SCOPED_TRACE(source.string());
        std::string error;
        const auto inPlace = openIndex(source, blocked, &error);
        ASSERT_TRUE(inPlace) << error;
        ASSERT_TRUE(inPlace->inPlace());
        const auto table = openIndex(source, dir.path() / "cache", &error, source.filename().string());
        ASSERT_TRUE(table) << error;
        ASSERT_FALSE(table->inPlace());
        std::size_t found = 0, differ = 0;
        for (const std::string& key : keys) {
            const std::vector<std::string> expected = readings(*inPlace, key);
            found += !expected.empty();
            if (readings(*table, key) != expected && ++differ <= 5)
                ADD_FAILURE() << key << ": the table gives " << ::testing::PrintToString(readings(*table, key))
                              << ", the text " << ::testing::PrintToString(expected);
        }
        EXPECT_EQ(differ, 0u);
        EXPECT_GT(found, 300u) << "the sets' names are in the dictionary";
        std::cout << source.filename().string() << ": " << keys.size() << " keys, " << found << " found\n";
    }
}

} // namespace
} // namespace yomi::reading
