#include "Bridge/Bytes/AsfEdit.h"

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

// The content description object `old` (empty: none) with one field set.
Result<std::string> editContent(std::string_view old, int field, const std::string& text)
{
    const Failure malformed{"malformed ASF content description"};
    std::string fields[kContentFields];
    if (!old.empty() && old.size() < kContentStringsAt)
        return malformed;
    if (!old.empty()) {
        std::size_t at = kContentStringsAt;
        for (std::size_t f = 0; f < kContentFields; ++f) {
            const std::size_t len = le16(old, kObjectHeaderSize + 2 * f); // the field's length
            if (len > old.size() - at)
                return malformed;
            fields[f] = std::string(old.substr(at, len));
            at += len;
        }
    }
    fields[field] = text;
    std::string body;
    for (const std::string& f : fields)
        appendLe(body, f.size(), 2);
    for (const std::string& f : fields)
        body += f;
    return object(kContentDescriptionGuid, body);
}

// The extended content description object `old` (empty: none) with the
// descriptor `name` (UTF-16LE) set to the string `text`.
Result<std::string> editExtended(std::string_view old, const std::string& name, const std::string& text)
{
    const Failure malformed{"malformed ASF extended content description"};
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
    if (!old.empty() && old.size() < kDescriptorsAt)
        return malformed;
    const std::size_t n = old.empty() ? 0 : le16(old, kObjectHeaderSize); // the descriptor count
    std::size_t at = kDescriptorsAt;
    for (std::size_t d = 0; d < n; ++d) {
        // Name length (2), name, value type (2), value length (2), value.
        if (old.size() - at < 2 || le16(old, at) > old.size() - at - 2)
            return malformed;
        const std::string_view rawName = old.substr(at + 2, le16(old, at));
        const std::size_t valueAt = at + 2 + rawName.size();
        if (old.size() - valueAt < 4 || le16(old, valueAt + 2) > old.size() - valueAt - 4)
            return malformed;
        const std::size_t valueEnd = valueAt + 4 + le16(old, valueAt + 2);
        if (rawName == name) {
            if (!replaced)
                add(rawName, value);
            replaced = true;
        } else {
            add(rawName, old.substr(valueAt, valueEnd - valueAt));
        }
        at = valueEnd;
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
    int target = -1; // the one of `guid`, when the header holds it
};

Result<HeaderObjects> readHeader(std::string_view b, std::string_view guid)
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
        if (obj.substr(0, kGuidSize) == guid) {
            if (h.target >= 0)
                return Failure{"the ASF header holds two objects of one kind"};
            h.target = static_cast<int>(h.objects.size());
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
    Result<HeaderObjects> header =
        readHeader(b, field >= 0 ? kContentDescriptionGuid : kExtendedContentDescriptionGuid);
    if (!header)
        return header.failure();
    std::vector<std::string>& objects = header->objects;

    const std::string_view old = header->target >= 0 ? std::string_view(objects[header->target]) : std::string_view();
    const Result<std::string> edited =
        field >= 0 ? editContent(old, field, text) : editExtended(old, utf16le(toUtf16(name)), text);
    if (!edited)
        return edited;
    if (header->target >= 0)
        objects[header->target] = *edited;
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
