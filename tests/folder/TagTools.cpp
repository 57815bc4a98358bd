#include "folder/TagTools.h"

#include <taglib/fileref.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>

#include "support/AudioFixtures.h"

namespace yomi::test {
namespace {

const char* python()
{
    // Debian's interpreter, where python3-mutagen is installed.
    return "/usr/bin/python3";
}

constexpr const char* kTagger = R"PY(
import sys, base64
import mutagen
from mutagen import id3
from mutagen.mp4 import MP4, MP4Cover
from mutagen.flac import FLAC, Picture
from mutagen.asf import ASF
from mutagen.apev2 import APEv2File

path = sys.argv[1]
tags = dict(a.split('=', 1) for a in sys.argv[2:])
f = mutagen.File(path)
if f is None:
    sys.exit('mutagen cannot open ' + path)
png = base64.b64decode('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==')
ID3 = {'ARTIST': 'TPE1', 'ARTISTSORT': 'TSOP', 'ALBUM': 'TALB', 'ALBUMSORT': 'TSOA',
       'ALBUMARTIST': 'TPE2', 'ALBUMARTISTSORT': 'TSO2', 'COMPOSER': 'TCOM', 'COMPOSERSORT': 'TSOC',
       'TITLE': 'TIT2', 'TITLESORT': 'TSOT'}
MP4K = {'ARTIST': '\xa9ART', 'ARTISTSORT': 'soar', 'ALBUM': '\xa9alb', 'ALBUMSORT': 'soal',
        'ALBUMARTIST': 'aART', 'ALBUMARTISTSORT': 'soaa', 'COMPOSER': '\xa9wrt', 'COMPOSERSORT': 'soco',
        'TITLE': '\xa9nam', 'TITLESORT': 'sonm', 'TVSHOW': 'tvsh', 'SHOWSORT': 'sosn'}
ASFK = {'ARTIST': 'Author', 'ARTISTSORT': 'WM/ArtistSortOrder', 'ALBUM': 'WM/AlbumTitle',
        'ALBUMSORT': 'WM/AlbumSortOrder', 'ALBUMARTIST': 'WM/AlbumArtist',
        'ALBUMARTISTSORT': 'WM/AlbumArtistSortOrder', 'COMPOSER': 'WM/Composer',
        'TITLE': 'Title', 'TITLESORT': 'WM/TitleSortOrder'}
picture = tags.pop('@picture', None)
if picture and int(picture) > len(png):
    png += b'\0' * (int(picture) - len(png))
podcast = tags.pop('@podcast', None)
stik = tags.pop('@stik', None)
version = int(tags.pop('@id3', '4'))
v1 = {'v1': 2} if tags.pop('@v1', None) else {}
if isinstance(f, mutagen.id3.ID3FileType) or type(f).__name__ in ('WAVE', 'AIFF'):
    if f.tags is None:
        f.add_tags()
    t = f.tags
    for k, v in tags.items():
        if k in ID3:
            t.add(getattr(id3, ID3[k])(encoding=3, text=[v]))
        elif k.startswith('TXXX:'):
            t.add(id3.TXXX(encoding=3, desc=k[5:], text=v.split('|')))
        else:
            t.add(id3.TXXX(encoding=3, desc=k, text=[v]))
    if podcast:
        t.add(id3.PCST(value=0))
    if picture:
        t.add(id3.APIC(encoding=0, mime='image/png', type=3, desc='cover', data=png))
    if version == 3:
        # Saved as v2.3 without mutagen's update_to_v23, which would drop the
        # TSOP/TSOA/TSOT frames that iTunes keeps in v2.3 tags.
        f.save(v2_version=3, v23_sep='/', **v1)
    else:
        f.save(v2_version=4, **v1)
elif isinstance(f, MP4):
    if f.tags is None:
        f.add_tags()
    for k, v in tags.items():
        f.tags[MP4K[k]] = [v]
    if podcast:
        f.tags['pcst'] = True
    if stik is not None:
        f.tags['stik'] = [int(stik)]
    if picture:
        f.tags['covr'] = [MP4Cover(png, imageformat=MP4Cover.FORMAT_PNG)]
    f.save()
elif isinstance(f, ASF):
    for k, v in tags.items():
        f.tags[ASFK.get(k, k)] = [v]
    f.save()
elif isinstance(f, APEv2File):
    if f.tags is None:
        f.add_tags()
    for k, v in tags.items():
        f.tags[k] = v
    if podcast:
        f.tags['PODCAST'] = '1'
    if picture:
        from mutagen.apev2 import APEValue, BINARY
        f.tags['Cover Art (Front)'] = APEValue(b'cover.png\x00' + png, BINARY)
    f.save()
else:
    if f.tags is None:
        f.add_tags()
    for k, v in tags.items():
        f.tags[k] = [v]
    if podcast:
        f.tags['PODCAST'] = ['1']
    if picture:
        p = Picture()
        p.type, p.mime, p.desc, p.data = 3, 'image/png', 'cover', png
        p.width = p.height = 1
        p.depth = 24
        if isinstance(f, FLAC):
            f.add_picture(p)
        else:
            f.tags['METADATA_BLOCK_PICTURE'] = [base64.b64encode(p.write()).decode('ascii')]
    f.save()
)PY";

constexpr const char* kReader = R"PY(
import sys
import mutagen
from mutagen.id3 import ID3
f = mutagen.File(sys.argv[1])
if f is None:
    sys.exit('mutagen cannot open ' + sys.argv[1])
out = {'@format': type(f).__name__}
t = f.tags
pictures = 0
if t is not None and isinstance(t, ID3):
    out['@id3version'] = '2.%d' % t.version[1]
    for fr in t.values():
        key = fr.HashKey
        if key.startswith('APIC'):
            pictures += 1
            continue
        text = getattr(fr, 'text', None)
        out.setdefault(key, str(text[0]) if text else '')
elif t is not None:
    for k in t.keys():
        v = t[k]
        if isinstance(v, list):
            v = v[0] if v else ''
        key = k if type(f).__name__ in ('MP4', 'ASF') else k.upper()
        if key in ('covr', 'WM/Picture', 'METADATA_BLOCK_PICTURE', 'COVER ART (FRONT)'):
            pictures += len(t[k]) if isinstance(t[k], list) else 1
            continue
        out.setdefault(key, str(v))
pictures += len(getattr(f, 'pictures', []))
out['@pictures'] = str(pictures)
for k, v in out.items():
    sys.stdout.buffer.write(('%s\t%s\n' % (k, v.replace('\\', '\\\\').replace('\n', '\\n'))).encode('utf-8'))
)PY";

} // namespace

void tagWithMutagen(const std::filesystem::path& file, const std::map<std::string, std::string>& tags)
{
    std::string command = std::string(python()) + " -c " + shellQuote(kTagger) + " " + shellQuote(file.string());
    for (const auto& [key, value] : tags)
        command += " " + shellQuote(key + "=" + value);
    int status = 0;
    const std::string output = runCommand(command + " 2>&1", &status);
    if (status != 0)
        ADD_FAILURE() << "mutagen could not tag " << file << ": " << output;
}

std::map<std::string, std::string> readWithMutagen(const std::filesystem::path& file)
{
    int status = 0;
    const std::string output = runCommand(
        std::string(python()) + " -c " + shellQuote(kReader) + " " + shellQuote(file.string()) + " 2>&1", &status);
    std::map<std::string, std::string> tags;
    if (status != 0) {
        ADD_FAILURE() << "mutagen could not read " << file << ": " << output;
        return tags;
    }
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        std::string value;
        for (std::size_t i = tab + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                ++i;
                value.push_back(line[i] == 'n' ? '\n' : line[i]);
            } else {
                value.push_back(line[i]);
            }
        }
        tags.emplace(line.substr(0, tab), value);
    }
    return tags;
}

AudioInfo audioInfo(const std::filesystem::path& file)
{
    AudioInfo info;
    TagLib::FileRef ref(file.c_str(), true);
    if (ref.isNull() || !ref.audioProperties())
        return info;
    const auto* a = ref.audioProperties();
    info.lengthMs = a->lengthInMilliseconds();
    info.bitrate = a->bitrate();
    info.sampleRate = a->sampleRate();
    info.channels = a->channels();
    return info;
}

bool hasId3v1(const std::filesystem::path& file)
{
    const std::string bytes = readBytes(file);
    return bytes.size() >= 128 && bytes.compare(bytes.size() - 128, 3, "TAG") == 0;
}

std::string withOggChecksums(std::string bytes)
{
    std::uint32_t table[256];
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i << 24;
        for (int k = 0; k < 8; ++k)
            r = (r & 0x80000000U) ? (r << 1) ^ 0x04C11DB7U : r << 1;
        table[i] = r;
    }
    std::size_t pos = 0;
    while (pos + 27 <= bytes.size() && bytes.compare(pos, 4, "OggS") == 0) {
        const std::size_t segments = static_cast<unsigned char>(bytes[pos + 26]);
        std::size_t size = 27 + segments;
        for (std::size_t i = 0; i < segments && pos + 27 + i < bytes.size(); ++i)
            size += static_cast<unsigned char>(bytes[pos + 27 + i]);
        if (size > bytes.size() - pos)
            break;
        bytes.replace(pos + 22, 4, 4, '\0');
        std::uint32_t crc = 0;
        for (std::size_t i = 0; i < size; ++i)
            crc = (crc << 8) ^ table[((crc >> 24) ^ static_cast<unsigned char>(bytes[pos + i])) & 0xFF];
        for (int k = 0; k < 4; ++k)
            bytes[pos + 22 + static_cast<std::size_t>(k)] = static_cast<char>((crc >> (8 * k)) & 0xFF);
        pos += size;
    }
    return bytes;
}

} // namespace yomi::test
