#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Log.h"
#include "Platform/Text.h"

namespace yomi {
namespace {

struct RoundTripCase {
    const char* name;
    std::u16string utf16;
    std::string utf8;
};

class TextRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(TextRoundTrip, BothDirections)
{
    EXPECT_EQ(toUtf8(GetParam().utf16), GetParam().utf8);
    EXPECT_EQ(toUtf16(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(
    All, TextRoundTrip,
    ::testing::Values(RoundTripCase{"Empty", u"", ""}, RoundTripCase{"Ascii", u"AC/DC 1979", "AC/DC 1979"},
                      RoundTripCase{"EmbeddedNul", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
                      RoundTripCase{"TwoByte", u"\u00e9\u07ff", "\xC3\xA9\xDF\xBF"},
                      RoundTripCase{"ThreeByte", u"\u0800\u6771\uffff", "\xE0\xA0\x80\xE6\x9D\xB1\xEF\xBF\xBF"},
                      RoundTripCase{"SurrogatePair", u"\U00020BB7\U0010FFFF", "\xF0\xA0\xAE\xB7\xF4\x8F\xBF\xBF"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextToUtf8, LoneSurrogatesBecomeReplacementCharacters)
{
    const std::u16string lone{char16_t(0xD842), u'A', char16_t(0xDFB7)};
    EXPECT_EQ(toUtf8(lone),
              "\xEF\xBF\xBD"
              "A"
              "\xEF\xBF\xBD");
    const std::u16string highAtEnd{u'A', char16_t(0xD842)};
    EXPECT_EQ(toUtf8(highAtEnd), "A\xEF\xBF\xBD");
}

struct BadUtf8Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

class TextBadUtf8 : public ::testing::TestWithParam<BadUtf8Case> {};

TEST_P(TextBadUtf8, OneReplacementPerBadByteAndNotValid)
{
    EXPECT_EQ(toUtf16(GetParam().utf8), GetParam().utf16);
    EXPECT_FALSE(isValidUtf8(GetParam().utf8));
}

TEST(TextValidUtf8, AcceptsEveryLengthOfSequence)
{
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ASCII"));
    EXPECT_TRUE(isValidUtf8("\xC3\xA9\xE6\x9D\xB1\xF0\xA0\xAE\xB7")); // é 東 U+20BB7
    EXPECT_TRUE(isValidUtf8(std::string_view("a\0b", 3)));
}

INSTANTIATE_TEST_SUITE_P(All, TextBadUtf8,
                         ::testing::Values(BadUtf8Case{"StrayContinuation", "a\x80z", u"a\ufffdz"},
                                           BadUtf8Case{"Overlong", "\xC0\xAF", u"\ufffd\ufffd"},
                                           BadUtf8Case{"EncodedSurrogate", "\xED\xA0\x80", u"\ufffd\ufffd\ufffd"},
                                           BadUtf8Case{"AboveUnicode", "\xF4\x90\x80\x80", u"\ufffd\ufffd\ufffd\ufffd"},
                                           BadUtf8Case{"TruncatedAtEnd", "x\xE6\x9D", u"x\ufffd\ufffd"},
                                           BadUtf8Case{"BrokenThenGood", "\xE6\x41\xC3\xA9",
                                                       u"\ufffd"
                                                       u"A\u00e9"},
                                           BadUtf8Case{"InvalidLeadBytes", "\xF8\xFF", u"\ufffd\ufffd"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct EscapeCase {
    const char* name;
    std::string in;
    std::string out;
};

class LogEscapeControls : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(LogEscapeControls, Escapes) { EXPECT_EQ(log::escapeControls(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(
    All, LogEscapeControls,
    ::testing::Values(EscapeCase{"Plain", "Artist:\xE6\x9D\xB1->tokyo", "Artist:\xE6\x9D\xB1->tokyo"},
                      EscapeCase{"NamedControls", "a\nb\rc\td", "a\\nb\\rc\\td"},
                      EscapeCase{"OtherControls", std::string("\x01\x1F\x7F\0", 4), "\\x01\\x1F\\x7F\\x00"},
                      EscapeCase{"BackslashKept", "C:\\n", "C:\\n"},
                      EscapeCase{"ForgedLine", "x\nMar 1 yomi[1]: fake", "x\\nMar 1 yomi[1]: fake"},
                      EscapeCase{"TerminalControls", "\x1B[2J\xC2\x85\xC2\x9B\xE2\x80\xA8\xE2\x80\xAE\xE2\x81\xA6",
                                 "\\x1B[2J\\u0085\\u009B\\u2028\\u202E\\u2066"},
                      EscapeCase{"NotUtf8", "a\xFF\xC3", "a\\xFF\\xC3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogScopedSink, CapturesExactTextAndRestoresThePreviousSink)
{
    std::vector<std::string> outer;
    std::vector<std::string> inner;
    {
        log::ScopedSink a([&](std::string_view t) { outer.emplace_back(t); });
        log::write("1.500000 sec");
        {
            log::ScopedSink b([&](std::string_view t) { inner.emplace_back(t); });
            log::write("a:b->c\n");
        }
        log::write("after");
    }
    EXPECT_EQ(outer, (std::vector<std::string>{"1.500000 sec", "after"}));
    EXPECT_EQ(inner, (std::vector<std::string>{"a:b->c\n"}));
}

} // namespace
} // namespace yomi

namespace yomi {
namespace {

// The window's log view reads the program's own record: it must hold every
// line whatever sink is installed, in order, with its priority, and keep only
// the newest 1,000.
TEST(LogKeptLines, KeepsTheNewestLinesWhateverTheSink)
{
    std::vector<std::string> seen;
    log::ScopedSink sink([&](std::string_view text) { seen.emplace_back(text); });
    const std::uint64_t before = log::linesWritten();
    log::write("first\n");
    log::write("second", log::Priority::Warning);
    const auto lines = log::keptLines(before);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "first") << "the line feed is the sink's business";
    EXPECT_EQ(lines[0].priority, log::Priority::Notice);
    EXPECT_EQ(lines[1].text, "second");
    EXPECT_EQ(lines[1].priority, log::Priority::Warning);
    EXPECT_EQ(lines[1].number, before + 2);
    EXPECT_EQ(seen.size(), 2u) << "keeping a line must not keep it from the sink";

    for (int i = 0; i < 1200; ++i)
        log::write("line " + std::to_string(i));
    const auto all = log::keptLines();
    ASSERT_EQ(all.size(), 1000u);
    EXPECT_EQ(all.back().text, "line 1199");
    EXPECT_EQ(all.front().text, "line 200");
}

} // namespace
} // namespace yomi
