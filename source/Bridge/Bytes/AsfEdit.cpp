#include "Bridge/Bytes/AsfEdit.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "Bridge/Bytes/Containers.h"

namespace yomi::bridge::folder::asf {
namespace {

using bytes::appendLe;
using bytes::le16;
using bytes::le32;
using bytes::le64;

// UTF-16LE with its terminating NUL, as ASF keeps strings.
std::string utf16le(std::u16string_view s)
{
    std::string out;
    for (const char16_t c : s)
        appendLe(out, c, 2);
    out.append(2, '\0');
    return out;
}

// An object: its GUID, its whole size, its body.
std::string object(std::string_view guid, const std::string& body)
{
    std::string out(guid);
    appendLe(out, kObjectHeaderSize + body.size(), 8);
    return out + body;
}

// The field of the content description object that `name` is; -1 for none.
int contentField(std::string_view name)
{
    for (std::size_t f = 0; f < kContentFields; ++f) {
        if (kContentFieldNames[f] == name)
            return static_cast<int>(f);
    }
    return -1;
}

// The content description's five strings, in their order.
using ContentFields = std::array<std::string_view, kContentFields>;

Result<ContentFields> readContent(std::string_view object)
{
    const Failure malformed{"malformed ASF content description"};
    if (object.size() < kContentStringsAt)
        return malformed;
    ContentFields fields;
    std::size_t at = kContentStringsAt;
    for (std::size_t f = 0; f < kContentFields; ++f) {
        const std::size_t len = le16(object, kObjectHeaderSize + 2 * f); // the field's length
        if (len > object.size() - at)
            return malformed;
        fields[f] = object.substr(at, len);
        at += len;
    }
    return fields;
}

// A descriptor of the extended content description: its name (UTF-16LE, as
// the file spells it) and its value's type, length and bytes.
struct Descriptor {
    std::string_view name, typeAndValue;
};

Result<std::vector<Descriptor>> readDescriptors(std::string_view object)
{
    const Failure malformed{"malformed ASF extended content description"};
    if (object.size() < kDescriptorsAt)
        return malformed;
    const std::size_t n = le16(object, kObjectHeaderSize); // the descriptor count
    std::vector<Descriptor> out;
    std::size_t at = kDescriptorsAt;
    for (std::size_t d = 0; d < n; ++d) {
        // Name length (2), name, value type (2), value length (2), value.
        if (object.size() - at < 2 || le16(object, at) > object.size() - at - 2)
            return malformed;
        const std::string_view name = object.substr(at + 2, le16(object, at));
        const std::size_t valueAt = at + 2 + name.size();
        if (object.size() - valueAt < 4 || le16(object, valueAt + 2) > object.size() - valueAt - 4)
            return malformed;
        const std::size_t valueEnd = valueAt + 4 + le16(object, valueAt + 2);
        out.push_back({name, object.substr(valueAt, valueEnd - valueAt)});
        at = valueEnd;
    }
    return out;
}

// The content description object `old` (empty: none) with one field set.
Result<std::string> editContent(std::string_view old, int field, const std::string& text)
{
    ContentFields fields;
    if (!old.empty()) {
        Result<ContentFields> read = readContent(old);
        if (!read)
            return read.failure();
        fields = *read;
    }
    fields[field] = text;
    std::string body;
    for (const std::string_view f : fields)
        appendLe(body, f.size(), 2);
    for (const std::string_view f : fields)
        body += f;
    return object(kContentDescriptionGuid, body);
}

// The extended content description object `old` (empty: none) with the
// descriptor `name` (UTF-16LE) set to the string `text`.
Result<std::string> editExtended(std::string_view old, const std::string& name, const std::string& text)
{
    std::vector<Descriptor> was;
    if (!old.empty()) {
        Result<std::vector<Descriptor>> read = readDescriptors(old);
        if (!read)
            return read.failure();
        was = std::move(*read);
    }
    std::string descriptors;
    std::size_t count = 0;
    bool replaced = false;
    auto add = [&](std::string_view rawName, std::string_view typeAndValue) {
        appendLe(descriptors, rawName.size(), 2);
        descriptors.append(rawName);
        descriptors.append(typeAndValue);
        ++count;
    };
    std::string value;
    appendLe(value, 0, 2); // the value type: a Unicode string
    appendLe(value, text.size(), 2);
    value += text;
    for (const Descriptor& d : was) {
        if (d.name != name)
            add(d.name, d.typeAndValue);
        else if (!replaced)
            add(d.name, value);
        replaced = replaced || d.name == name;
    }
    if (!replaced)
        add(name, value);
    if (count > 0xFFFF)
        return Failure{"too many ASF descriptors"};
    std::string body;
    appendLe(body, count, 2);
    return object(kExtendedContentDescriptionGuid, body + descriptors);
}

// The header object's children, whole, in their order.
struct HeaderObjects {
    std::uint64_t size = 0; // of the header object
    std::vector<std::string> objects;
    // Where the content description and the extended content description
    // are, when the header holds them.
    int content = -1, extended = -1;
};

// The header's objects. Both tag objects are read whichever the write is to:
// the proof of the write reads every item of both to see that only the
// written one changed, so a file where either is damaged or doubled is not
// edited at all.
Result<HeaderObjects> readHeader(std::string_view b)
{
    const Failure unfit{"the ASF header object does not fit its objects"};
    // The file: the header object, then the data object.
    if (b.size() < kHeaderObjectSize || b.substr(0, kGuidSize) != kHeaderGuid)
        return unfit;
    HeaderObjects h;
    h.size = le64(b, kObjectSizeAt);
    const std::uint64_t count = le32(b, kHeaderCountAt);
    if (h.size < kHeaderObjectSize || h.size > b.size() || b.size() - h.size < kGuidSize ||
        b.substr(h.size, kGuidSize) != kDataGuid)
        return unfit;
    std::size_t pos = kHeaderObjectSize;
    for (std::uint64_t n = 0; n < count; ++n) {
        const std::uint64_t objectSize = le64(b, pos + kObjectSizeAt);
        if (h.size - pos < kObjectHeaderSize || objectSize < kObjectHeaderSize || objectSize > h.size - pos)
            return unfit;
        const std::string_view obj = b.substr(pos, objectSize);
        const std::string_view guid = obj.substr(0, kGuidSize);
        const bool content = guid == kContentDescriptionGuid;
        if (content || guid == kExtendedContentDescriptionGuid) {
            int& at = content ? h.content : h.extended;
            if (at >= 0)
                return Failure{"the ASF header holds two objects of one kind"};
            if (content) {
                if (const Result<ContentFields> read = readContent(obj); !read)
                    return read.failure();
            } else if (const Result<std::vector<Descriptor>> read = readDescriptors(obj); !read) {
                return read.failure();
            }
            at = static_cast<int>(h.objects.size());
        }
        h.objects.emplace_back(obj);
        pos += obj.size();
    }
    if (pos != h.size)
        return unfit;
    return h;
}

} // namespace

Result<std::string> setText(const std::string& bytes, Property property, const String& value)
{
    const std::string_view name = asfAttributeName(property);
    if (name.empty())
        return Failure{"this format cannot hold " + std::string(propertyName(property))};
    const std::string text = utf16le(value);
    if (text.size() > 0xFFFF)
        return Failure{"the value is too long for an ASF attribute"};
    const int field = contentField(name);
    const std::string_view b(bytes);
    Result<HeaderObjects> header = readHeader(b);
    if (!header)
        return header.failure();
    std::vector<std::string>& objects = header->objects;
    const int target = field >= 0 ? header->content : header->extended;

    const std::string_view old = target >= 0 ? std::string_view(objects[target]) : std::string_view();
    const Result<std::string> edited =
        field >= 0 ? editContent(old, field, text) : editExtended(old, utf16le(toUtf16(name)), text);
    if (!edited)
        return edited;
    if (target >= 0)
        objects[target] = *edited;
    else
        objects.push_back(*edited);

    std::string children;
    for (const std::string& o : objects)
        children += o;
    std::string out(kHeaderGuid);
    appendLe(out, kHeaderObjectSize + children.size(), 8);
    appendLe(out, objects.size(), 4);
    out.append(b.substr(kHeaderReservedAt, 2));
    out += children;
    out.append(b.substr(header->size));
    return out;
}

} // namespace yomi::bridge::folder::asf
