// The Korean reading of whole values. In the Hangul style the value is its
// own sort value (Hangul sorts in dictionary order); in the Latin style a
// person's name is the surname in its customary spelling and the given name
// in the Revised Romanization, hyphenated between syllables ("Lee
// Jeong-hyeon"), and anything else plain Revised Romanization with its sound
// changes, first letter capitalised ("Dongnimmun"). A person's own spelling
// (Jung-hyun) comes from the user's readings or the library's sort values,
// which the Reader asks first.
// Hanja among the Hangul (少女時代 (소녀시대)) are read by their Korean
// sounds from the hanja table, when there is one, before all that.
#pragma once

#include <memory>

#include "Category/Reader.h"
#include "Reading/Korean/HanjaDictionary.h"

namespace yomi::korean {

class KoreanValueReader final : public ValueReader {
public:
    explicit KoreanValueReader(std::shared_ptr<HanjaDictionary> hanja = nullptr) : hanja_(std::move(hanja)) {}
    Language language() const override { return Language::Korean; }
    bool available() const override { return true; }
    ValueReading read(std::u16string_view value, const ReadRequest& request) override;

private:
    struct Hangul {
        std::u16string text;
        bool hanja = false;      // some hanja were read
        bool wholeWords = true;  // each as a word of the table
    };
    // The value with its hanja in Hangul; nullopt, with the reason in
    // `out`, when a character cannot be read in Korean.
    std::optional<Hangul> inHangul(std::u16string_view value, NameKind kind, ValueReading& out) const;
    static ValueReading readHangul(const std::u16string& value, const ReadRequest& request);

    std::shared_ptr<HanjaDictionary> hanja_;
};

} // namespace yomi::korean
