// The ASF byte editor over damaged headers: each edit it makes is one the
// proof accepts, or it makes none and says why, whichever object the write
// goes to.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Bridge/Bytes/Containers.h"
#include "Bridge/Bytes/Proof/ByteProof.h"
#include "Bridge/Write/TagWriter.h"
#include "Platform/ByteOrder.h"
#include "support/AudioFixtures.h"
#include "support/Outcome.h"

namespace yomi::test {
namespace {

using namespace bridge::folder;

const String kValue = u"やまだ たろう";
const std::string_view kStreamPropertiesGuid("\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16);

// The editor's edit of `bytes`: the file, or why there is none.
Result<std::string> asfEdit(const std::string& bytes, Property property)
{
    Result<std::optional<std::string>> edit = spliceEdit(Format::Asf, 0, bytes, property, kValue);
    if (!edit)
        return edit.failure();
    if (!*edit)
        return Failure{"left to TagLib"};
    return std::move(**edit);
}

// The template with both tag objects, the extended content description (a
// sort artist) before the content description (a title).
std::string taggedTemplate()
{
    std::string bytes = readBytes(audioTemplate("template.wma"));
    for (const Property p : {Property::SortArtist, Property::Title}) {
        Result<std::string> edit = asfEdit(bytes, p);
        EXPECT_EQ(outcomeOf(edit), kOk);
        if (edit)
            bytes = std::move(*edit);
    }
    return bytes;
}

// Where the header's object of `guid` starts; npos when it holds none.
std::size_t objectAt(std::string_view file, std::string_view guid)
{
    const std::size_t end = bytes::le64(file, asf::kObjectSizeAt);
    for (std::size_t pos = asf::kHeaderObjectSize; pos + asf::kObjectHeaderSize <= end;) {
        if (file.substr(pos, asf::kGuidSize) == guid)
            return pos;
        const std::size_t size = bytes::le64(file, pos + asf::kObjectSizeAt);
        if (size < asf::kObjectHeaderSize)
            break;
        pos += size;
    }
    return std::string_view::npos;
}

// The file with its object of `guid` held twice in the header.
std::string withObjectTwice(std::string file, std::string_view guid)
{
    const std::size_t at = objectAt(file, guid);
    EXPECT_NE(at, std::string::npos);
    if (at == std::string::npos)
        return file;
    const std::string object = file.substr(at, bytes::le64(file, at + asf::kObjectSizeAt));
    file.insert(at, object);
    bytes::storeLe(file, asf::kObjectSizeAt, bytes::le64(file, asf::kObjectSizeAt) + object.size(), 8);
    bytes::storeLe(file, asf::kHeaderCountAt, bytes::le32(file, asf::kHeaderCountAt) + 1, 4);
    return file;
}

// One tag object damaged (or doubled) and a write to either: the editor
// refuses with the proof's own reason, where before it edited the other
// object and left the proof a file it cannot read.
TEST(AsfEdit, ADamagedTagObjectIsRefusedWhicheverObjectTheWriteGoesTo)
{
    const std::string tagged = taggedTemplate();
    const std::size_t extended = objectAt(tagged, asf::kExtendedContentDescriptionGuid);
    const std::size_t content = objectAt(tagged, asf::kContentDescriptionGuid);
    ASSERT_NE(extended, std::string::npos);
    ASSERT_NE(content, std::string::npos);

    // More descriptors than the object holds.
    std::string moreDescriptors = tagged;
    bytes::storeLe(moreDescriptors, extended + asf::kObjectHeaderSize, 0x9E40, 2);
    // A title longer than the object.
    std::string longTitle = tagged;
    bytes::storeLe(longTitle, content + asf::kObjectHeaderSize, 0xFFFF, 2);
    // The stream properties object taken for an extended content
    // description, as the fuzzer found: its audio stream's type (a GUID)
    // read as descriptors runs past it.
    std::string mistaken = readBytes(audioTemplate("template.wma"));
    const std::size_t stream = objectAt(mistaken, kStreamPropertiesGuid);
    ASSERT_NE(stream, std::string::npos);
    mistaken.replace(stream, asf::kGuidSize, asf::kExtendedContentDescriptionGuid);

    const std::string badExtended = "malformed ASF extended content description";
    const std::string badContent = "malformed ASF content description";
    const std::string twice = "the ASF header holds two objects of one kind";
    const struct {
        const char* what;
        std::string file;
        std::string reason, proofReason;
    } cases[] = {
        {"more descriptors than the object holds", moreDescriptors, badExtended, badExtended},
        {"a title longer than its object", longTitle, badContent, badContent},
        {"another object taken for the extended one", mistaken, badExtended, badExtended},
        {"two extended content descriptions", withObjectTwice(tagged, asf::kExtendedContentDescriptionGuid), twice,
         badExtended},
        {"two content descriptions", withObjectTwice(tagged, asf::kContentDescriptionGuid), twice, badContent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The proof cannot read the file itself, so no edit of it is proven.
        EXPECT_EQ(outcomeOf(proveEdit(Format::Asf, c.file, c.file, Property::Title)), c.proofReason);
        for (const Property p : {Property::Title, Property::SortArtist, Property::Artist, Property::Album})
            EXPECT_EQ(outcomeOf(asfEdit(c.file, p)), c.reason) << propertyName(p);
    }
    // The undamaged file is edited, and each edit proven.
    for (const Property p : {Property::Title, Property::SortArtist}) {
        const Result<std::string> edit = asfEdit(tagged, p);
        ASSERT_EQ(outcomeOf(edit), kOk);
        EXPECT_EQ(outcomeOf(proveEdit(Format::Asf, tagged, *edit, p)), kOk) << propertyName(p);
    }
}

// The editor reads every object the proof reads: an edit it makes of a
// damaged header is proven, or it makes none. Each byte of the header
// damaged three ways, as a fuzzer would, and a write to each tag object.
TEST(AsfEdit, EveryEditOfADamagedHeaderIsProvenOrNoneIsMade)
{
    const std::string file = taggedTemplate();
    const std::size_t headerEnd = bytes::le64(file, asf::kObjectSizeAt);
    std::map<std::string, int> outcomes;
    for (const Property p : {Property::Title, Property::SortArtist}) {
        for (std::size_t at = 0; at < headerEnd; ++at) {
            for (const int damage : {0x01, 0x80, 0x100}) {
                std::string damaged = file;
                damaged[at] = damage == 0x100 ? '\0' : static_cast<char>(damaged[at] ^ damage);
                const Result<std::string> edit = asfEdit(damaged, p);
                ++outcomes[outcomeOf(edit)];
                if (edit) {
                    EXPECT_EQ(outcomeOf(proveEdit(Format::Asf, damaged, *edit, p)), kOk)
                        << propertyName(p) << ": byte " << at << " damaged with " << damage;
                }
            }
        }
    }
    // Most damage leaves a file the editor still edits; damage to either tag
    // object's sizes is refused with the reason, whichever the write is to.
    EXPECT_GT(outcomes[kOk], outcomes["the ASF header object does not fit its objects"]);
    EXPECT_GT(outcomes["malformed ASF extended content description"], 0);
    EXPECT_GT(outcomes["malformed ASF content description"], 0);
}

} // namespace
} // namespace yomi::test
