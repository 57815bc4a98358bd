// The reading engines of this system, made in one place for the window and
// the command line: the Japanese engine over MeCab and the Japanese
// dictionaries, the Chinese engine over the Rime pinyin tables, the Korean
// engine and the language decider over all three.
#pragma once

#include <memory>

#include "Category/Reader.h"

namespace yomi::reading {

// The engines over the installed dictionaries. With `prepare` the
// dictionaries start opening at once on threads of their own, so that the
// first reading does not wait for them (the window); without it they open on
// the first reading (the command line).
std::unique_ptr<ReadingKit> systemReadingKit(bool prepare);

} // namespace yomi::reading
