#include "Controller/ValueContexts.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "Bridge/Fields.h"
#include "Bridge/MusicLibrary.h"

namespace yomi {
namespace {

constexpr std::uint32_t kNoFolder = std::numeric_limits<std::uint32_t>::max();

// The character classes a text's fingerprint carries in its low bits.
constexpr std::uint64_t kHan = 1, kKana = 2, kSimplified = 4, kHangul = 8, kClasses = 15;

void addOnce(std::vector<std::uint32_t>& ids, std::uint32_t id)
{
    if (std::find(ids.rbegin(), ids.rend(), id) == ids.rend())
        ids.push_back(id);
}

} // namespace

void ValueContexts::clear()
{
    tracks_ = 0;
    folderIds_.clear();
    lastFolder_.clear();
    lastFolderId_ = kNoFolder;
    folderTexts_.clear();
    settled_ = true;
    values_.clear();
}

bool ValueContexts::simplifiedOnly(char32_t c) const
{
    if (c > 0xFFFF)
        return isSimplifiedOnly(c);
    if (simplified_.empty())
        simplified_.assign(0x10000, 0);
    std::uint8_t& known = simplified_[c];
    if (known == 0)
        known = isSimplifiedOnly(c) ? 2 : 1;
    return known == 2;
}

std::uint64_t ValueContexts::fingerprint(std::u16string_view text) const
{
    std::uint64_t classes = 0;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = nextCodePoint(text, i);
        if (c < 0x1100) // below Hangul jamo: no class of ours
            continue;
        if (isHanCharacter(c)) {
            classes |= kHan;
            if (!(classes & kSimplified) && simplifiedOnly(c))
                classes |= kSimplified;
        } else if (isKanaCharacter(c)) {
            classes |= kKana;
        } else if (isHangulCharacter(c)) {
            classes |= kHangul;
        }
    }
    const auto hash = static_cast<std::uint64_t>(std::hash<std::u16string_view>{}(text));
    return (hash & ~kClasses) | classes;
}

std::uint32_t ValueContexts::folderOf(std::string_view location)
{
    const std::size_t slash = location.rfind('/');
    if (slash == std::string_view::npos || slash == 0)
        return kNoFolder;
    const std::string_view folder = location.substr(0, slash);
    // The walk visits a folder's files one after another.
    if (lastFolderId_ != kNoFolder && folder == lastFolder_)
        return lastFolderId_;
    lastFolder_.assign(folder);
    const auto [it, fresh] = folderIds_.try_emplace(lastFolder_, static_cast<std::uint32_t>(folderTexts_.size()));
    if (fresh)
        folderTexts_.emplace_back();
    lastFolderId_ = it->second;
    return lastFolderId_;
}

void ValueContexts::addText(std::vector<std::uint64_t>& into, std::u16string_view text)
{
    if (!text.empty())
        into.push_back(fingerprint(text));
}

void ValueContexts::addTrack(bridge::Track& track, std::string_view valueKey, const OptString& value, bool listed)
{
    ++tracks_;
    const std::uint32_t folder = folderOf(track.location());
    Around* around = listed && value ? &values_[*value] : nullptr;
    if (around && folder != kNoFolder)
        addOnce(around->folders, folder);
    std::vector<std::uint64_t>* into = folder != kNoFolder ? &folderTexts_[folder]
        : around                                           ? &around->ownTexts
                                                           : nullptr;
    if (!into)
        return;
    settled_ = false;
    for (const FieldKeys& field : kFieldTable) {
        if (field.valueKey == valueKey) {
            if (value)
                addText(*into, *value);
            continue;
        }
        const bridge::Value text = track.valueForKey(field.valueKey);
        if (const String* s = text.string())
            addText(*into, *s);
    }
}

void ValueContexts::settle() const
{
    if (settled_)
        return;
    const auto sortUnique = [](std::vector<std::uint64_t>& texts) {
        std::sort(texts.begin(), texts.end());
        texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    };
    for (auto& texts : folderTexts_)
        sortUnique(texts);
    settled_ = true;
}

ValueContext ValueContexts::contextOf(const String& value) const
{
    ValueContext context;
    const auto found = values_.find(value);
    if (found == values_.end())
        return context;
    settle();
    const Around& around = found->second;
    std::vector<std::uint64_t> texts = around.ownTexts;
    for (const std::uint32_t folder : around.folders)
        texts.insert(texts.end(), folderTexts_[folder].begin(), folderTexts_[folder].end());
    if (around.folders.size() > 1 || !around.ownTexts.empty()) {
        std::sort(texts.begin(), texts.end());
        texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    }
    const std::uint64_t self = fingerprint(value);
    for (const std::uint64_t text : texts) {
        if (text == self)
            continue;
        ++context.texts;
        context.hanTexts += (text & kHan) ? 1 : 0;
        context.kanaTexts += (text & kKana) ? 1 : 0;
        context.simplifiedTexts += (text & kSimplified) ? 1 : 0;
        context.hangulTexts += (text & kHangul) ? 1 : 0;
    }
    return context;
}

} // namespace yomi
