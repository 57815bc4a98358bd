// Small dictionaries in the proper-name dictionary's form for the name index
// tests: their text in EUC-JP, as the packages ship it, and what a lookup
// gives as comparable text.
#pragma once

#include <unicode/ucnv.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Reading/NameIndex.h"

namespace yomi::test {

// UTF-8 text in EUC-JP ("" when it cannot be converted).
inline std::string eucJp(const std::string& utf8)
{
    UErrorCode status = U_ZERO_ERROR;
    std::string out(utf8.size() * 2 + 8, '\0');
    const int32_t n = ucnv_convert("EUC-JP", "UTF-8", out.data(), static_cast<int32_t>(out.size()), utf8.data(),
                                   static_cast<int32_t>(utf8.size()), &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(n) : 0);
    return out;
}

// A character of the character dictionary's XML edition, as its lines
// lay it out: readings of kind "ja_on" or "ja_kun", then name readings.
inline std::string kanjidicXmlCharacter(const std::string& literal,
                                        const std::vector<std::pair<std::string, std::string>>& readings,
                                        const std::vector<std::string>& nanori = {})
{
    std::string xml = "<character>\n<literal>" + literal + "</literal>\n<reading_meaning>\n<rmgroup>\n";
    for (const auto& [kind, reading] : readings)
        xml += "<reading r_type=\"" + kind + "\">" + reading + "</reading>\n";
    xml += "</rmgroup>\n";
    for (const std::string& n : nanori)
        xml += "<nanori>" + n + "</nanori>\n";
    return xml + "</reading_meaning>\n</character>\n";
}

// The index NameIndex::open gives, or null with the reason in `error`.
inline std::unique_ptr<reading::NameIndex> openIndex(const std::filesystem::path& source,
                                                     const std::filesystem::path& cacheDir,
                                                     std::string* error = nullptr,
                                                     std::string_view indexName = "names.idx")
{
    Result<std::unique_ptr<reading::NameIndex>> opened = reading::NameIndex::open(source, cacheDir, indexName);
    if (!opened && error)
        *error = opened.reason();
    return std::move(opened).value_or(nullptr);
}

inline std::unique_ptr<reading::NameIndex> openIndex(const std::filesystem::path& source,
                                                     const std::filesystem::path& cacheDir,
                                                     std::string_view indexName)
{
    return openIndex(source, cacheDir, nullptr, indexName);
}

// The entries of a key as "READING/kinds", in the index's order.
inline std::vector<std::string> readings(const reading::NameIndex& index, std::string_view key)
{
    std::vector<std::string> out;
    for (const reading::NameEntry& e : index.lookup(key))
        out.push_back(e.reading + "/" + std::to_string(e.kinds));
    return out;
}

} // namespace yomi::test
