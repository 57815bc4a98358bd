#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "Platform/Log.h"
#include "Platform/StringsFile.h"
#include "support/AudioFixtures.h"

namespace yomi::strings {
namespace {

std::string utf16Bytes(std::u16string_view text, bool bigEndian, bool bom)
{
    std::string out;
    const auto put = [&](char16_t c) {
        const char hi = static_cast<char>(c >> 8);
        const char lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    if (bom)
        put(0xFEFF);
    for (const char16_t c : text)
        put(c);
    return out;
}

Table parsed(std::string_view bytes)
{
    Result<Table> r = parse(bytes);
    EXPECT_TRUE(r) << "line " << r.code() << ": " << r.reason();
    return r ? *r : Table{};
}

TEST(StringsFileSyntax, QuotedEntriesCommentsAndBlankSpace)
{
    const Table t = parsed("/* header\n   comment */\n"
                           "\"a\" = \"one\";  // trailing comment\n"
                           "// \"hidden\" = \"no\";\n"
                           "\"b\"/* between */=\t\"two\"\r\n;\n"
                           "\"c\"=\"\";");
    EXPECT_EQ(t, (Table{{u"a", u"one"}, {u"b", u"two"}, {u"c", u""}}));
}

TEST(StringsFileSyntax, UnquotedKeysAndValues)
{
    const Table t = parsed("key_1.x = \"v\";\nName = Value2;\n\"q\" = word;");
    EXPECT_EQ(t, (Table{{u"key_1.x", u"v"}, {u"Name", u"Value2"}, {u"q", u"word"}}));
}

TEST(StringsFileSyntax, KeyAloneStandsForItself)
{
    EXPECT_EQ(parsed("\"Cancel\";\nOK;"), (Table{{u"Cancel", u"Cancel"}, {u"OK", u"OK"}}));
}

TEST(StringsFileSyntax, Escapes)
{
    const Table t = parsed(R"("k" = "q\" b\\ s\/ a\' n\n t\t r\r u\U00e9\u3042";)");
    EXPECT_EQ(t.at(u"k"), u"q\" b\\ s/ a' n\n t\t r\r u\u00e9\u3042");
}

TEST(StringsFileSyntax, SurrogatePairAsTwoEscapes)
{
    const Table t = parsed(R"("k" = "\UD842\UDFB7!";)");
    EXPECT_EQ(t.at(u"k"), u"\U00020BB7!");
}

TEST(StringsFileSyntax, StringSpanningLinesKeepsTheLineBreak)
{
    EXPECT_EQ(parsed("\"k\" = \"a\nb\";").at(u"k"), u"a\nb");
}

TEST(StringsFileSyntax, LaterEntryReplacesEarlier)
{
    EXPECT_EQ(parsed("\"k\" = \"1\"; \"k\" = \"2\";").at(u"k"), u"2");
}

TEST(StringsFileSyntax, EmptyAndCommentOnlyInputsGiveEmptyTables)
{
    EXPECT_TRUE(parsed("").empty());
    EXPECT_TRUE(parsed("  \n/* x */ // y").empty());
    EXPECT_TRUE(parsed("\xEF\xBB\xBF").empty());
}

TEST(StringsFileSyntax, KeysMatchCodeUnitsExactly)
{
    const Table t = parsed("\"japaneseCharacterset\" = \"a\"; \"japaneseCharacterSet\" = \"b\";");
    EXPECT_EQ(t.size(), 2u);
    EXPECT_EQ(t.at(u"japaneseCharacterset"), u"a");
}

struct EncodingCase {
    const char* name;
    bool utf16;
    bool bigEndian;
    bool bom;
};

class StringsFileEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(StringsFileEncoding, SameTableInEveryEncoding)
{
    const std::u16string text = u"/* \u30b3\u30e1\u30f3\u30c8 */\n\"kana\" = \"\u3042\u30a2\U00020BB7\";\n"
                                u"// c\n\"e\\u00e9\" = \"\\\"\u00e9\";\n";
    const EncodingCase& c = GetParam();
    std::string bytes;
    if (c.utf16) {
        bytes = utf16Bytes(text, c.bigEndian, c.bom);
    } else {
        bytes = c.bom ? "\xEF\xBB\xBF" : "";
        bytes += "/* \u30b3\u30e1\u30f3\u30c8 */\n\"kana\" = \"\u3042\u30a2\U00020BB7\";\n"
                 "// c\n\"e\\u00e9\" = \"\\\"\u00e9\";\n";
    }
    EXPECT_EQ(parsed(bytes), (Table{{u"kana", u"\u3042\u30a2\U00020BB7"}, {u"e\u00e9", u"\"\u00e9"}}));
}

INSTANTIATE_TEST_SUITE_P(All, StringsFileEncoding,
                         ::testing::Values(EncodingCase{"Utf8", false, false, false},
                                           EncodingCase{"Utf8Bom", false, false, true},
                                           EncodingCase{"Utf16LeBom", true, false, true},
                                           EncodingCase{"Utf16BeBom", true, true, true},
                                           EncodingCase{"Utf16LeNoBom", true, false, false},
                                           EncodingCase{"Utf16BeNoBom", true, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct MalformedCase {
    const char* name;
    std::string bytes;
    std::size_t line;
    const char* reason;
};

class StringsFileMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(StringsFileMalformed, RejectedWholeWithLineAndReason)
{
    const MalformedCase& c = GetParam();
    const Result<Table> r = parse(c.bytes);
    ASSERT_FALSE(r);
    EXPECT_EQ(static_cast<std::size_t>(r.code()), c.line);
    EXPECT_EQ(r.reason(), c.reason);
}

const std::string kGood = "\"a\" = \"1\";\n";

INSTANTIATE_TEST_SUITE_P(
    All, StringsFileMalformed,
    ::testing::Values(
        MalformedCase{"UnterminatedString", kGood + "\"b\" = \"2;\n\n", 2, "unterminated string"},
        MalformedCase{"UnterminatedKey", kGood + "\"b", 2, "unterminated string"},
        MalformedCase{"BackslashAtEnd", kGood + "\"b\" = \"2\\", 2, "unterminated string"},
        MalformedCase{"UnterminatedComment", kGood + "\n/* open\n\"b\" = \"2\";", 3, "unterminated comment"},
        MalformedCase{"MissingSemicolon", kGood + "\"b\" = \"2\"\n\"c\" = \"3\";", 2, "expected ';' after the value"},
        MalformedCase{"MissingSemicolonAtEnd", kGood + "\"b\" = \"2\"", 2, "expected ';' after the value"},
        MalformedCase{"MissingEquals", kGood + "\"b\" \"2\";", 2, "expected '=' or ';' after the key"},
        MalformedCase{"MissingValue", kGood + "\"b\" = ;", 2, "unexpected character"},
        MalformedCase{"EndAfterEquals", kGood + "\"b\" =", 2, "unexpected end of file"},
        MalformedCase{"StrayCharacter", kGood + "\n\n# not a comment", 4, "unexpected character"},
        MalformedCase{"LoneSlash", kGood + "/ \"b\" = \"2\";", 2, "unexpected character"},
        MalformedCase{"DashInUnquotedKey", kGood + "a-b = \"2\";", 2, "expected '=' or ';' after the key"},
        MalformedCase{"UnknownEscape", kGood + "\"b\" = \"\\q\";", 2, "unknown escape"},
        MalformedCase{"ShortUnicodeEscape", kGood + "\"b\" = \"\\U12\";", 2, "\\U needs four hex digits"},
        MalformedCase{"UnicodeEscapeAtEnd", kGood + "\"b\" = \"\\U30", 2, "\\U needs four hex digits"},
        MalformedCase{"NulEscape", kGood + "\"b\" = \"\\U0000\";", 2, "\\U0000 is not allowed"},
        MalformedCase{"LoneHighSurrogateEscape", kGood + "\"b\" = \"\\UD842x\";", 2,
                      "unpaired surrogate in \\U escape"},
        MalformedCase{"HighThenNonLowEscape", kGood + "\"b\" = \"\\UD842\\U3042\";", 2,
                      "unpaired surrogate in \\U escape"},
        MalformedCase{"LoneLowSurrogateEscape", kGood + "\"b\" = \"\\UDFB7\";", 2, "unpaired surrogate in \\U escape"},
        MalformedCase{"InvalidUtf8", kGood + "\"b\" = \"\xC3\x28\";", 2, "invalid UTF-8"},
        MalformedCase{"OverlongUtf8", kGood + "\"b\" = \"\xC0\xAF\";", 2, "invalid UTF-8"},
        MalformedCase{"SurrogateInUtf8", kGood + "\"b\" = \"\xED\xA0\x80\";", 2, "invalid UTF-8"},
        MalformedCase{"TruncatedUtf8", kGood + "\"b\" = \"\xE3\x81", 2, "invalid UTF-8"},
        MalformedCase{"NulByte", kGood + "\"b\" = \"x" + std::string(1, '\0') + "\";", 2, "NUL character"},
        MalformedCase{"OddLengthUtf16", utf16Bytes(u"\"a\" = \"1\";\n\"b\"", false, true) + "x", 2,
                      "odd number of bytes in UTF-16"},
        MalformedCase{"UnpairedSurrogateUtf16", utf16Bytes(u"\"a\" = \"1\";\n\n\"b\" = \"\xD842\";", true, true), 3,
                      "unpaired surrogate in UTF-16"},
        MalformedCase{"Utf16LineCount", utf16Bytes(u"\"a\" = \"1\";\r\n\r\n\"b\" = \"2\"", false, true), 3,
                      "expected ';' after the value"},
        MalformedCase{"CarriageReturnLines", kGood + "\r\r\"b\" = \"\\x\";", 4, "unknown escape"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every prefix of a valid file, in UTF-8 and in UTF-16, and random damage to
// it: the parser must come back with either a table or a fault placed on a
// line that exists, and never touch memory outside the input (run under a
// sanitizer to see the second part).
TEST(StringsFileRobustness, TruncatedAndDamagedInputs)
{
    const std::string utf8 = "/* c */\n\"k\\U00e9\" = \"\u3042\\UD842\\UDFB7\\n\";\r\n"
                             "// x\nkey = value;\n\"x\";\n";
    const std::u16string utf16 = u"/* c */\n\"k\\U00e9\" = \"\u3042\\UD842\\UDFB7\\n\";\r\n"
                                 u"// x\nkey = value;\n\"x\";\n";
    std::vector<std::string> inputs = {utf8, utf16Bytes(utf16, false, true), utf16Bytes(utf16, true, true)};
    std::mt19937 rng(12345);
    for (const std::string& whole : inputs) {
        ASSERT_TRUE(parse(whole));
        const auto lines = static_cast<std::size_t>(std::count(utf8.begin(), utf8.end(), '\n')) + 1;
        for (std::size_t len = 0; len <= whole.size(); ++len) {
            // A copy of exactly `len` bytes, so that reading past it is an error
            // a sanitizer sees.
            const std::vector<char> prefix(whole.begin(), whole.begin() + static_cast<long>(len));
            const Result<Table> r = parse(std::string_view(prefix.data(), prefix.size()));
            if (!r) {
                EXPECT_GE(r.code(), 1) << len;
                EXPECT_LE(static_cast<std::size_t>(r.code()), lines) << len;
                EXPECT_FALSE(r.reason().empty()) << len;
            }
        }
        for (int round = 0; round < 2000; ++round) {
            std::string damaged = whole;
            const int flips = 1 + static_cast<int>(rng() % 4);
            for (int f = 0; f < flips; ++f)
                damaged[rng() % damaged.size()] = static_cast<char>(rng() & 0xFF);
            const Result<Table> r = parse(damaged);
            EXPECT_TRUE(r || (r.code() >= 1 && !r.reason().empty()));
        }
    }
    for (int round = 0; round < 2000; ++round) {
        std::vector<char> noise(rng() % 64);
        for (char& b : noise)
            b = static_cast<char>(rng() & 0xFF);
        const Result<Table> r = parse(std::string_view(noise.data(), noise.size()));
        EXPECT_TRUE(r || (r.code() >= 1 && !r.reason().empty()));
    }
}

class StringsFileLoad : public ::testing::Test {
protected:
    void SetUp() override { dir_ = temp_.path(); }

    std::filesystem::path write(const std::string& name, const std::string& bytes)
    {
        return temp_.writeFile(name, bytes);
    }

    test::TempFolder temp_;
    std::filesystem::path dir_;
    std::vector<std::string> lines_;
    log::ScopedSink sink_{[this](std::string_view t) { lines_.emplace_back(t); }};
};

TEST_F(StringsFileLoad, WellFormedFileLoadsQuietly)
{
    const auto t = loadFile(write("ok.strings", "\"a\" = \"b\";"));
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->at(u"a"), u"b");
    EXPECT_TRUE(lines_.empty());
}

TEST_F(StringsFileLoad, MalformedFileGivesOneLineWithFileAndLine)
{
    const auto p = write("bad.strings", "\"a\" = \"b\";\n\"c\" = \"d\"\n");
    EXPECT_FALSE(loadFile(p).has_value());
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_EQ(lines_[0], "strings table " + p.string() + ":2: expected ';' after the value; table ignored");
}

TEST_F(StringsFileLoad, UnreadableFileGivesOneLine)
{
    const auto p = dir_ / "absent.strings";
    EXPECT_FALSE(loadFile(p).has_value());
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_EQ(lines_[0], "strings table " + p.string() + ": cannot be read; table ignored");
}

} // namespace
} // namespace yomi::strings
