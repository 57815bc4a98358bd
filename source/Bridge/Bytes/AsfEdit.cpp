#include "Bridge/Bytes/AsfEdit.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace yomi::bridge::folder::asf {
namespace {

const std::string_view kHeader("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string_view kData("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string_view kContent("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string_view kExtended("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);

std::uint64_t le(std::string_view b, std::size_t at, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

void putLe(std::string& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// UTF-16LE with its terminating NUL, as ASF keeps strings.
std::string utf16le(std::u16string_view s)
{
    std::string out;
    for (const char16_t c : s)
        putLe(out, c, 2);
    out.append(2, '\0');
    return out;
}

std::string object(std::string_view guid, const std::string& body)
{
    std::string out(guid);
    putLe(out, 24 + body.size(), 8);
    return out + body;
}

const char16_t* descriptorName(Property p)
{
    switch (p) {
    case Property::Album:
        return u"WM/AlbumTitle";
    case Property::AlbumArtist:
        return u"WM/AlbumArtist";
    case Property::Composer:
        return u"WM/Composer";
    case Property::SortArtist:
        return u"WM/ArtistSortOrder";
    case Property::SortAlbum:
        return u"WM/AlbumSortOrder";
    case Property::SortAlbumArtist:
        return u"WM/AlbumArtistSortOrder";
    case Property::SortTitle:
        return u"WM/TitleSortOrder";
    default:
        return nullptr;
    }
}

Result<std::string> editContent(std::string_view old, int field, const std::string& text)
{
    std::string fields[5];
    if (!old.empty() && old.size() < 34)
        return Failure{"malformed ASF content description"};
    if (!old.empty()) {
        std::size_t at = 34;
        for (int f = 0; f < 5; ++f) {
            const std::size_t len = le(old, 24 + 2 * static_cast<std::size_t>(f), 2);
            if (len > old.size() - at)
                return Failure{"malformed ASF content description"};
            fields[f] = std::string(old.substr(at, len));
            at += len;
        }
    }
    fields[field] = text;
    std::string body;
    for (const std::string& f : fields)
        putLe(body, f.size(), 2);
    for (const std::string& f : fields)
        body += f;
    return object(kContent, body);
}

Result<std::string> editExtended(std::string_view old, const std::string& name, const std::string& text)
{
    std::string descriptors;
    std::size_t count = 0;
    bool replaced = false;
    auto add = [&](std::string_view rawName, std::string_view typeAndValue) {
        putLe(descriptors, rawName.size(), 2);
        descriptors.append(rawName);
        descriptors.append(typeAndValue);
        ++count;
    };
    std::string value;
    putLe(value, 0, 2); // a Unicode string
    putLe(value, text.size(), 2);
    value += text;
    if (!old.empty() && old.size() < 26)
        return Failure{"malformed ASF extended content description"};
    if (!old.empty()) {
        const std::size_t n = le(old, 24, 2);
        std::size_t at = 26;
        for (std::size_t d = 0; d < n; ++d) {
            if (old.size() - at < 2 || le(old, at, 2) > old.size() - at - 2)
                return Failure{"malformed ASF extended content description"};
            const std::string_view rawName = old.substr(at + 2, le(old, at, 2));
            const std::size_t valueAt = at + 2 + rawName.size();
            if (old.size() - valueAt < 4 || le(old, valueAt + 2, 2) > old.size() - valueAt - 4)
                return Failure{"malformed ASF extended content description"};
            const std::size_t valueEnd = valueAt + 4 + le(old, valueAt + 2, 2);
            if (rawName == name) {
                if (!replaced)
                    add(rawName, value);
                replaced = true;
            } else {
                add(rawName, old.substr(valueAt, valueEnd - valueAt));
            }
            at = valueEnd;
        }
    }
    if (!replaced)
        add(name, value);
    if (count > 0xFFFF)
        return Failure{"too many ASF descriptors"};
    std::string body;
    putLe(body, count, 2);
    return object(kExtended, body + descriptors);
}

} // namespace

Result<std::string> setText(const std::string& bytes, Property property, const String& value)
{
    const bool content = property == Property::Title || property == Property::Artist;
    const char16_t* name = descriptorName(property);
    if (!content && !name)
        return Failure{"this format cannot hold " + std::string(propertyName(property))};
    const std::string text = utf16le(value);
    if (text.size() > 0xFFFF)
        return Failure{"the value is too long for an ASF attribute"};
    const std::string_view b(bytes);
    const Failure unfit{"the ASF header object does not fit its objects"};
    if (b.size() < 30 || b.substr(0, 16) != kHeader)
        return unfit;
    const std::uint64_t size = le(b, 16, 8);
    const std::uint64_t count = le(b, 24, 4);
    if (size < 30 || size > b.size() || b.size() - size < 16 || b.substr(size, 16) != kData)
        return unfit;

    std::vector<std::string> objects;
    int target = -1;
    std::size_t pos = 30;
    for (std::uint64_t n = 0; n < count; ++n) {
        if (size - pos < 24 || le(b, pos + 16, 8) < 24 || le(b, pos + 16, 8) > size - pos)
            return unfit;
        const std::string_view obj = b.substr(pos, le(b, pos + 16, 8));
        const std::string_view id = obj.substr(0, 16);
        if (id == (content ? kContent : kExtended)) {
            if (target >= 0)
                return Failure{"the ASF header holds two objects of one kind"};
            target = static_cast<int>(objects.size());
        }
        objects.emplace_back(obj);
        pos += obj.size();
    }
    if (pos != size)
        return unfit;

    const std::string_view old = target >= 0 ? std::string_view(objects[target]) : std::string_view();
    const Result<std::string> edited =
        content ? editContent(old, property == Property::Title ? 0 : 1, text) : editExtended(old, utf16le(name), text);
    if (!edited)
        return edited;
    if (target >= 0)
        objects[target] = *edited;
    else
        objects.push_back(*edited);

    std::string header;
    for (const std::string& o : objects)
        header += o;
    std::string out(kHeader);
    putLe(out, 30 + header.size(), 8);
    putLe(out, objects.size(), 4);
    out.append(b.substr(28, 2));
    out += header;
    out.append(b.substr(size));
    return out;
}

} // namespace yomi::bridge::folder::asf
