// The Korean reading of whole values. In the Hangul style the value is its
// own sort value (Hangul sorts in dictionary order); in the Latin style a
// person's name is the surname in its customary spelling and the given name
// in the Revised Romanization, hyphenated between syllables ("Lee
// Jeong-hyeon"), and anything else plain Revised Romanization with its sound
// changes, first letter capitalised ("Dongnimmun"). A person's own spelling
// (Jung-hyun) comes from the user's readings or the library's sort values,
// which the Reader asks first.
#pragma once

#include "Category/Reader.h"

namespace yomi::korean {

class KoreanValueReader final : public ValueReader {
public:
    Language language() const override { return Language::Korean; }
    bool available() const override { return true; }
    ValueReading read(std::u16string_view value, const ReadRequest& request) override;
};

} // namespace yomi::korean
