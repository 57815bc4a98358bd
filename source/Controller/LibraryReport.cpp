#include "Controller/LibraryReport.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "Bridge/MusicLibrary.h"
#include "Category/StringUtility.h"

namespace yomi {
namespace {

// What one field's walk keeps of a value: the first non-empty sort value
// met, and whether another one followed.
struct ValueSeen {
    String first;
    bool conflict = false;

    void add(const String& sort)
    {
        if (sort.empty() || conflict)
            return;
        if (first.empty())
            first = sort;
        else if (sort != first)
            conflict = true;
    }
};

} // namespace

LibraryReport reportLibrary()
{
    LibraryReport report;
    std::array<std::unordered_map<String, ValueSeen>, kFieldTable.size()> seen;
    const auto playlist =
        bridge::libraryPlaylist(bridge::applicationWithBundleIdentifier(bridge::kMusicApplicationIdentifier));
    const auto sequence = bridge::tracksOf(playlist);
    bridge::forEachTrack(*sequence, [&](bridge::Track& track) {
        ++report.tracks;
        for (std::size_t f = 0; f < kFieldTable.size(); ++f) {
            FieldReport& field = report.fields[f];
            const OptString value = track.valueForKey(kFieldTable[f].valueKey).copy();
            if (!value) {
                ++field.unreadable;
                continue;
            }
            if (isHiraganaKatanakaAlphabetString(value))
                continue;
            const String sort = track.valueForKey(kFieldTable[f].sortKey).copy().value_or(String());
            ++field.tracks;
            field.withSort += !sort.empty();
            ValueSeen& v = seen[f][*value];
            v.add(sort);
            const bridge::Track::Spellings other = track.otherSpellings(kFieldTable[f].sortKey);
            if (!other.values.empty())
                ++field.olderSpelled;
            for (const String& spelling : other.values)
                v.add(spelling);
        }
    });
    for (std::size_t f = 0; f < kFieldTable.size(); ++f) {
        report.fields[f].values = seen[f].size();
        for (const auto& [value, v] : seen[f])
            report.fields[f].conflicts += v.conflict;
    }
    return report;
}

std::string LibraryReport::text() const
{
    std::string out = "field           values   tracks  need a reading  with a sort value  in conflict  older spellings\n";
    char line[160];
    for (std::size_t f = 0; f < kFieldTable.size(); ++f) {
        const FieldReport& r = fields[f];
        std::snprintf(line, sizeof line, "%-12s %9zu %8zu %15zu %18zu %12zu %16zu\n",
                      std::string(kFieldTable[f].cliName).c_str(), r.values, r.tracks, r.needReading(), r.withSort,
                      r.conflicts, r.olderSpelled);
        out += line;
    }
    out += std::to_string(tracks) + " track(s) in the library. Counted are the tracks whose value is not made only of\n"
           "kana and Latin letters; \"in conflict\" values are held with different sort values by\n"
           "their tracks; \"older spellings\" tracks keep the sort value under an older tagger's\n"
           "name as well (ID3 TXXX ALBUMARTISTSORT, Vorbis ALBUM ARTIST SORT).\n";
    if (fields[0].unreadable)
        out += std::to_string(fields[0].unreadable) + " track(s) could not be read.\n";
    return out;
}

} // namespace yomi
