// Value pools for the synthetic libraries: names written in Han (Japanese and
// Chinese), kana only, Latin, and mixtures of them, each with a Latin reading
// that serves as its sort value.
//
// Everything is drawn from a seeded generator of our own (not the standard
// distributions, whose results differ between standard libraries), so one
// seed gives the same pools and the same library on every machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace yomi::bench {

// splitmix64: small, fast and fully specified.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // Uniform in [0, n); n > 0.
    std::size_t below(std::size_t n);
    // True with probability percent / 100.
    bool chance(unsigned percent) { return below(100) < percent; }
    // Uniform in [0, 1).
    double unit();

private:
    std::uint64_t state_;
};

// A value and its reading (UTF-8 both).
struct Named {
    std::string value;
    std::string reading;
};

enum class Script { HanJapanese, HanChinese, Kana, Latin, Mixed };

// The fields of a track, in the order of the field table.
enum Field { Artist, Album, AlbumArtist, Composer, Title, Show, kFieldCount };

// A person or band name of the given script.
Named personName(Random& rng, Script script);
// An album, title or show name of the given script.
Named workName(Random& rng, Script script);
Named showName(Random& rng, Script script);

// A script drawn with the library's mix: Japanese Han 35%, Chinese Han 15%,
// kana 20%, Latin 20%, mixed 10%.
Script drawScript(Random& rng);

// `count` distinct values for one field (persons for artists, album artists
// and composers; works for albums and titles; shows for shows).
std::vector<Named> makePool(Random& rng, Field field, std::size_t count);

} // namespace yomi::bench
