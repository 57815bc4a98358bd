#include "Reading/Language/EvidenceDecider.h"

#include <unicode/normalizer2.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "Reading/Chinese/ChineseValueReader.h"
#include "Reading/Chinese/PinyinDictionary.h"
#include "Reading/Chinese/Surnames.h"
#include "Reading/Korean/HanjaDictionary.h"

namespace yomi::language {
namespace {

// Forms only Japanese writes: the characters made in Japan that the
// character dictionary (kanjidic) gives no Chinese reading, and the new
// forms of the common-use list whose old form ICU's Hant-Hans simplifies to
// another character and that neither Chinese table uses much (桜: 櫻 → 樱;
// 沢: 澤 → 泽), less those that are standard forms of traditional Chinese
// too (況, 詠, 湧, 鑑).
constexpr std::u16string_view kJapaneseOnly =
    u"両乗亜仏仮伝価俣倹偽働児円処凪剣剤剰労効勧勲匁匂厳収営噺団囲図圏埼塀塁塩壊壌壱売変奨嬢実対専峠巻帯帰庁広廃弐弾"
    u"彅従応恵悩悪懐戦戯払抜択拝拠拡挙挿捜揺摂斎暁曽枠栃栄桜桟検榊様権歓歯殻気沢浄涙済渋渓満滝焼犠猟獣畑畠畳発県砕"
    u"稲穂穏笹籾粋粛経絵継続総縄縦繊聴脳臓舗艶荘蔵薬蛍覇覚覧観訳読謡譲豊賛躾転軽辺辻込逓遅酔醸釈鉄鉱銭鋳関闘陥険隠"
    u"隷雑雫霊顔顕駅駆騒験髄髪鶏麺麿黙齢﨑々";

// The commonest second characters of two-character Japanese surnames
// (高橋, 柴田, 平井, 古井): a three-character value with one of them second
// reads as a Japanese surname and a one-character given name at least as
// well as a Chinese surname and a two-character given name.
constexpr std::u16string_view kJapaneseSurnameEndings =
    u"田橋野井本川山木村島嶋藤原崎﨑沢澤部谷口上下中松宮岡尾池内森坂屋塚瀬浦江倉石元永堀西垣辺邊淵間條城";

// Old forms that Japanese writing replaced by the new forms of its
// common-use list (團 団, 樂 楽, 萬 万, 對 対, 黃 黄, 說 説) and that
// traditional Chinese keeps as its standard forms. Japanese names keep a few
// (澤, 邊, 濱 in surnames; 來, 惠 in given names), so one alone is weak.
constexpr std::u16string_view kOldForms =
    u"團樂萬對沒國學會體號當發變與舊廣實寫圖區醫鐵聲賣讀齒戀邊澤櫻濱齋來榮亞惡壓圍營驛圓鹽應歐價畫壞懷擴覺嶽勸寬"
    u"歡關觀氣歸戲犧據舉峽狹曉驅勳經繼輕雞藝劍檢權獻縣險顯驗嚴效濟劑雜參慘殘絲兒辭濕釋壽收從獸縱肅處將燒稱證乘剩"
    u"壤條淨疊讓釀觸寢盡粹醉隨髓數靜齊攝竊專戰淺潛纖踐錢禪雙壯搜爭總聰莊裝騷增藏臟屬續墮帶滯臺擇單擔膽彈斷遲晝蟲"
    u"鑄廳聽轉點傳黨盜燈鬥獨繩惱腦廢拜麥髮拔蠻拂佛辯辨寶豐滿默彌譯藥豫餘譽搖樣謠賴亂覽兩獵綠壘淚勵禮隸靈齡爐勞樓"
    u"錄灣德惠黃吳顏溫產說稅銳閱脫內值緣彥姬黑眾冰戶";

// Characters common in Chinese given names and seldom seen in Japanese ones
// (婷, 琪, 霆, 鋒), in their traditional and shared forms (the simplified
// ones decide on their own).
constexpr std::u16string_view kChineseGivenCharacters =
    u"偉傑婷琪琳玲娟霞燕麗莉倩嫻妍彤薇雯潔茹萱菁蓉璐瑤瑩穎霆鋒濤輝鴻豪凱啟祥霖韻蕙芸嘉詠倫強軍斌欣怡琦瑜珊妮娜"
    u"婉媛姿萍芬庭葦熙昊浚琛瑋鑫淼磊鵬坤宇銘翰瀚霏綺嫣楨";

// Endings of Japanese given names that Chinese given names seldom have
// (太郎, 恵子, 和也, 雅彦, 奈々).
constexpr std::u16string_view kJapaneseGivenEndings =
    u"郎子恵代枝也哉彦介助輔蔵衛男夫吉治次司斗樹香菜奈那織沙里紀穂実歳彩綾梨衣絵乃世江未咲太々";

// One-character Japanese surnames that are Chinese surnames too (林, 秦,
// 原): after them, a given name the Japanese name dictionary knows makes a
// Japanese name as likely as a Chinese one.
constexpr std::u16string_view kSharedSurnames =
    u"林秦原森岡関關東南柳杉桂菅宮柴牧藤菊麻城坂松竹梅江石金谷島西北星泉岸堀辻浜椎榊楠萩芦旭橘笹堤境蓮舘館栗滝土今"
    u"庄叶呉万千";

std::string utf8(char32_t c)
{
    std::u16string s;
    appendUtf16(s, c);
    return toUtf8(s);
}

} // namespace

struct EvidenceDecider::Score {
    int points = 0; // above 0: Chinese; below: Japanese
    // A common Chinese surname that Japanese families seldom have begins
    // the value, and no Japanese surname does.
    bool chineseSurname = false;
    // What follows a surname is a word of the Japanese dictionaries (坊主
    // in 藍坊主): a band's name as likely as a person's.
    bool givenIsWord = false;
    std::vector<std::pair<int, std::string>> evidence;
    void add(int p, std::string why)
    {
        points += p;
        evidence.emplace_back(p, std::move(why));
    }
};

bool isJapaneseOnlyForm(char32_t c)
{
    // 𠮷, the form of 吉 that Japanese names keep (𠮷野, 𠮷田).
    if (c > 0xFFFF)
        return c == 0x20BB7;
    return kJapaneseOnly.find(static_cast<char16_t>(c)) != std::u16string_view::npos;
}

bool isOutsideJapaneseSet(char32_t c)
{
    if (!isHanCharacter(c))
        return false;
    static std::mutex mutex;
    static std::unordered_map<char32_t, bool> known;
    std::lock_guard lock(mutex);
    if (const auto found = known.find(c); found != known.end())
        return found->second;
    bool outside = true;
    UErrorCode status = U_ZERO_ERROR;
    if (UConverter* conv = ucnv_open("ibm-943_P15A-2003", &status); U_SUCCESS(status)) {
        ucnv_setFromUCallBack(conv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        std::u16string text;
        appendUtf16(text, c);
        char bytes[8];
        status = U_ZERO_ERROR;
        ucnv_fromUChars(conv, bytes, sizeof bytes, text.data(), static_cast<int32_t>(text.size()), &status);
        outside = U_FAILURE(status);
        ucnv_close(conv);
    }
    known.emplace(c, outside);
    return outside;
}

namespace {

} // namespace

// What the value's own characters say.
struct EvidenceDecider::Characters {
    bool kana = false, hangul = false, han = false;
    char32_t japaneseOnly = 0, simplified = 0; // the first such character
    std::size_t hanCount = 0;                  // Han characters and 々
    std::vector<char32_t> outside;             // outside the Japanese character set

    explicit Characters(std::u16string_view value)
    {
        for (std::size_t i = 0; i < value.size();) {
            const char32_t c = nextCodePoint(value, i);
            kana = kana || isKanaCharacter(c);
            hangul = hangul || isHangulCharacter(c);
            if (c != u'々' && !isHanCharacter(c))
                continue;
            han = true;
            ++hanCount;
            if (!japaneseOnly && isJapaneseOnlyForm(c))
                japaneseOnly = c;
            if (!simplified && isSimplifiedOnly(c))
                simplified = c;
            if (isOutsideJapaneseSet(c))
                outside.push_back(c);
        }
    }
};

namespace {

LanguageDecision clearly(Language language, std::string why)
{
    LanguageDecision d;
    d.language = language;
    d.clear = true;
    d.evidence.push_back(std::move(why));
    return d;
}

// The script decides: kana, Hangul, no Han at all, or forms only one of
// the two languages writes.
std::optional<LanguageDecision> byScript(const EvidenceDecider::Characters& c)
{
    if (c.kana)
        return clearly(Language::Japanese, "kana in the value");
    if (c.hangul)
        return clearly(Language::Korean, "Hangul in the value");
    if (!c.han)
        return clearly(Language::None, "no Han characters, kana or Hangul");
    if (c.japaneseOnly && !c.simplified)
        return clearly(Language::Japanese, "a form only Japanese writes (" + utf8(c.japaneseOnly) + ")");
    if (c.simplified && !c.japaneseOnly)
        return clearly(Language::Chinese, "a character only simplified Chinese writes (" + utf8(c.simplified) + ")");
    return std::nullopt;
}

std::string ofTexts(std::size_t n, const ValueContext& context)
{
    return std::to_string(n) + " of " + std::to_string(context.texts);
}

// The library around the value outweighs what the dictionaries say of a
// short name: an album of Chinese titles holds no kana, one of Japanese
// titles seldom holds none.
void weighLibrary(const ValueContext& context, EvidenceDecider::Score& score)
{
    if (context.texts == 0)
        return;
    if (context.kanaTexts * 4 >= context.texts)
        score.add(-4, ofTexts(context.kanaTexts, context) + " texts around it hold kana");
    else if (context.kanaTexts > 0)
        score.add(-1, ofTexts(context.kanaTexts, context) + " texts around it hold kana");
    if (context.simplifiedTexts > 0)
        score.add(4,
                  ofTexts(context.simplifiedTexts, context) +
                      " texts around it hold characters only simplified Chinese writes");
    else if (context.kanaTexts == 0 && context.hanTexts >= 3)
        score.add(
            4, "none of the " + std::to_string(context.hanTexts) + " texts with Han characters around it holds kana");
}

} // namespace

// A value of Han characters among texts most of which hold Hangul and
// none kana or simplified Chinese (an album title in hanja among a Korean
// singer's songs): Korean, though not clearly so, unless the library
// sorts it by a kana reading or there is no hanja table to read it with.
std::optional<LanguageDecision> EvidenceDecider::byKoreanTexts(std::u16string_view value,
                                                               const ValueContext& context)
{
    if (context.texts == 0 || context.kanaTexts > 0 || context.simplifiedTexts > 0 ||
        context.hangulTexts * 2 < context.texts || !hanja_ || !hanja_->available())
        return std::nullopt;
    if (std::any_of(context.librarySortValues.begin(), context.librarySortValues.end(),
                    [&](const String& sort) { return kanaKeepingTheValuesOwn(sort, value); }))
        return std::nullopt;
    LanguageDecision d;
    d.language = Language::Korean;
    d.evidence.push_back(ofTexts(context.hangulTexts, context) + " texts around it hold Hangul, none kana");
    return d;
}

namespace {

// The Latin letters of a sort value, lower case and without marks (ü as
// v), spaces, hyphens and apostrophes left out: "Cài Mǐn" → "caimin".
// Nullopt when it holds anything else.
std::optional<std::string> latinLetters(std::u16string_view text)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (!nfd || U_FAILURE(status))
        return std::nullopt;
    const icu::UnicodeString decomposed =
        nfd->normalize(icu::UnicodeString(text.data(), static_cast<int32_t>(text.size())), status);
    if (U_FAILURE(status))
        return std::nullopt;
    std::string out;
    for (int32_t i = 0; i < decomposed.length(); ++i) {
        const char16_t u = decomposed.charAt(i);
        if (u >= u'A' && u <= u'Z')
            out += static_cast<char>(u - u'A' + 'a');
        else if (u >= u'a' && u <= u'z')
            out += static_cast<char>(u);
        else if (u == 0x0308 && !out.empty() && out.back() == 'u')
            out.back() = 'v';
        else if (!(u >= 0x0300 && u <= 0x036F) && u != u' ' && u != u'-' && u != u'\'' && u != u'\u2019')
            return std::nullopt;
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

// The points summed up: the evidence strongest first, and the user's
// default where the points are even.
LanguageDecision conclude(EvidenceDecider::Score& score, Language prefer)
{
    LanguageDecision d;
    std::stable_sort(score.evidence.begin(), score.evidence.end(),
                     [](const auto& a, const auto& b) { return std::abs(a.first) > std::abs(b.first); });
    for (auto& [points, why] : score.evidence)
        d.evidence.push_back(std::move(why));
    if (score.points > 0) {
        d.language = Language::Chinese;
        d.clear = score.points >= 2;
    } else if (score.points < 0) {
        d.language = Language::Japanese;
        d.clear = score.points <= -2;
    } else {
        d.language = prefer == Language::Chinese ? Language::Chinese : Language::Japanese;
        d.clear = false;
    }
    if (!d.clear)
        d.evidence.push_back(score.points == 0 ? "nothing decides: the default language" : "the evidence is weak");
    return d;
}

} // namespace

void EvidenceDecider::weighSortValues(std::u16string_view value, const ValueContext& context, Score& score)
{
    // What the library's tracks already sort the value by says how they
    // read it, more plainly than the texts around it: kana, or the Chinese
    // reading's pinyin (tones and spacing aside). A romaji or Cantonese
    // one says nothing here.
    std::optional<ValueReading> chinese;
    for (const String& sort : context.librarySortValues) {
        if (kanaKeepingTheValuesOwn(sort, value)) {
            score.add(-6, "the library sorts it by a kana reading (" + toUtf8(sort) + ")");
            return;
        }
        const auto letters = latinLetters(sort);
        if (!letters || !chinese_)
            continue;
        if (!chinese) {
            ReadRequest request;
            request.kind = context.kind;
            request.languageSettled = true;
            chinese = chinese_->read(value, request);
        }
        bool pinyin = chinese->reading && latinLetters(*chinese->reading) == letters;
        for (const String& other : chinese->alternatives)
            pinyin = pinyin || latinLetters(other) == letters;
        if (pinyin) {
            score.add(6, "the library sorts it by its pinyin (" + toUtf8(sort) + ")");
            return;
        }
    }
}

void EvidenceDecider::weighName(std::u16string_view value, const RunKnowledge& known, std::size_t characters,
                                Score& score)
{
    // A Japanese surname, then more.
    bool japaneseSurname = false;
    if (japanese_ && japanese_->available() && characters >= 3 && !known.wholeName)
        for (std::size_t length : {std::size_t(2), std::size_t(3)})
            if (length < characters && japanese_->know(value.substr(0, length)).wholeName) {
                // The name dictionary is broad (五月, 動力 are in it): weak
                // evidence.
                score.add(-1, "begins with a Japanese name (" + toUtf8(value.substr(0, length)) + ")");
                japaneseSurname = true;
                break;
            }
    // A Chinese surname and a short given name, unless the first two
    // characters are shaped as a Japanese surname (高橋優, 柴田淳).
    const chinese::Surname surname = chinese::surnameAt(value);
    const std::size_t given = characters - surname.length;
    // A Japanese word across the surname and the given name's first
    // character (石鹸 in 石鹸屋) makes the value a word and a suffix, not a
    // name in that shape.
    const bool wordAcross = characters == 3 && surname.length == 1 && !known.wholeName && japanese_ &&
        japanese_->available() && japanese_->know(value.substr(0, 2)).wholeWord;
    if (wordAcross)
        score.add(-1, "begins with a Japanese word (" + toUtf8(value.substr(0, 2)) + ")");
    const bool japaneseShape = wordAcross ||
        (characters == 3 && surname.length == 1 && kJapaneseSurnameEndings.find(value[1]) != std::u16string_view::npos);
    // A surname both languages have, and a given name the Japanese name
    // dictionary knows (秦基博).
    const bool sharedSurname = surname.length == 1 && given >= 1 &&
        kSharedSurnames.find(value[0]) != std::u16string_view::npos && japanese_ && japanese_->available() &&
        japanese_->know(value.substr(1)).wholeName;
    if (sharedSurname)
        score.add(-2,
                  "a surname Japanese families have too (" + toUtf8(value.substr(0, 1)) +
                      ") and a Japanese given name (" + toUtf8(value.substr(1)) + ")");
    // A common Chinese surname that Japanese families do not have outweighs
    // a name dictionary that holds the whole name (it holds Chinese names
    // too, in Japanese sounds).
    else if (surname.length == 1 && surname.common && given == 2 && known.wholeName && !japaneseSurname &&
             !japaneseShape && kSharedSurnames.find(value[0]) == std::u16string_view::npos)
        score.add(4,
                  "a common Chinese surname that Japanese families seldom have (" + toUtf8(value.substr(0, 1)) + ")");
    if (surname.length > 0 && given >= 1 && given <= 2 && !known.wholeName && !known.wholeWord && !japaneseSurname &&
        !japaneseShape && !sharedSurname)
        score.add(surname.common ? 2 : 1,
                  std::string(surname.common ? "a common" : "a") + " Chinese surname (" +
                      toUtf8(value.substr(0, surname.length)) + ") and a given name of " + std::to_string(given) +
                      (given == 1 ? " character" : " characters"));
    else if (japaneseShape && !wordAcross && !japaneseSurname)
        score.add(-1, "begins as Japanese surnames do (" + toUtf8(value.substr(0, 2)) + ")");
    score.givenIsWord = surname.length == 1 && given == 2 && japanese_ && japanese_->available() &&
        japanese_->know(value.substr(1)).wholeWord;
    score.chineseSurname = surname.length == 1 && surname.common && given >= 1 && given <= 2 && !japaneseSurname &&
        !japaneseShape && kSharedSurnames.find(value[0]) == std::u16string_view::npos && !score.givenIsWord;
    // After a Chinese surname, a given name that a Japanese one could not
    // be (its character outside the lists for names).
    if (givenNames_ && surname.length > 0 && given >= 1 && given <= 2 && !japaneseSurname && !japaneseShape &&
        characters == value.size())
        for (const char16_t c : value.substr(surname.length))
            if (kOldForms.find(c) == std::u16string_view::npos && !givenNames_->allowed(c)) {
                score.add(3,
                          "a given name with a character Japanese given names may not hold (" +
                              toUtf8(std::u16string(1, c)) + ")");
                break;
            }
    weighGivenName(value, characters, score);
}

void EvidenceDecider::weighGivenName(std::u16string_view value, std::size_t characters, Score& score)
{
    // The characters after the first: a Chinese given name's, or the ending
    // of a Japanese one.
    if (characters < 2 || characters > 4 || characters != value.size())
        return;
    if (kJapaneseGivenEndings.find(value.back()) != std::u16string_view::npos)
        score.add(-1, "ends as Japanese given names do (" + toUtf8(value.substr(value.size() - 1)) + ")");
    for (std::size_t i = 1; i < value.size(); ++i)
        if (kChineseGivenCharacters.find(value[i]) != std::u16string_view::npos) {
            score.add(1, "a character of Chinese given names (" + toUtf8(value.substr(i, 1)) + ")");
            break;
        }
}

void EvidenceDecider::weighForms(std::u16string_view value, const Characters& chars, Score& score)
{
    // Old forms that traditional Chinese writes and Japanese replaced.
    std::u16string old;
    for (const char16_t c : value)
        if (kOldForms.find(c) != std::u16string_view::npos && old.find(c) == std::u16string::npos &&
            std::find(chars.outside.begin(), chars.outside.end(), char32_t(c)) == chars.outside.end())
            old += c;
    if (!old.empty())
        score.add(1, "old forms that Japanese writes otherwise today (" + toUtf8(old) + ")");
}

void EvidenceDecider::weighEngine(std::u16string_view value, const RunKnowledge& known, NameKind kind, Score& score)
{
    // A value that looks Chinese so far: does the Japanese engine read it as
    // Japanese, or refuse it as a Chinese name? (Asked only then: it costs
    // a reading.) The engine's own signs of a Chinese name count where it
    // refuses the value for them; a value it reads all the same it has
    // weighed (萬華鏡).
    if (!(score.points > 0 || known.looksChinese) || !japanese_ || !japanese_->available() || known.wholeName ||
        known.wholeWord)
        return;
    const std::string signs = known.evidence.empty() ? std::string() : " (" + known.evidence.front() + ")";
    RunRequest request;
    request.limit = 1;
    request.kind = kind;
    const RunReading reading = japanese_->readRun(value, request);
    if (reading.readings.empty()) {
        // A refusal for the engine's own signs of a Chinese name counts; one
        // without them is a value it has no reading for (a character outside
        // its dictionaries, 櫛田胅之扶), which the characters weighed already.
        if (known.looksChinese)
            score.add(2, "the Japanese engine reads it as a Chinese name" + signs);
    } else if (kind == NameKind::Person) {
        // Strong against a name shaped as a Chinese one; a band's name is
        // read by the engine whatever its language. Weaker after a surname
        // Japanese families seldom have (the engine reads any name), and
        // where the engine doubts its own reading (characters read one by
        // one).
        const bool doubted = reading.confidence == Confidence::Check && !score.givenIsWord;
        const int weight = (chinese::surnameAt(value).length > 0 && !score.chineseSurname ? 2 : 1) - (doubted ? 1 : 0);
        score.add(-weight,
                  "the Japanese engine reads it as a Japanese name" +
                      (doubted ? " and doubts it (" + reading.reason + ")" : std::string()));
    }
}

LanguageDecision EvidenceDecider::decide(std::u16string_view value, const ValueContext& context, Language prefer)
{
    const Characters chars(value);
    if (auto decided = byScript(chars))
        return std::move(*decided);
    if (auto korean = byKoreanTexts(value, context))
        return std::move(*korean);

    Score score;
    if (chars.japaneseOnly && chars.simplified)
        score.add(0,
                  "forms only Japanese (" + utf8(chars.japaneseOnly) + ") and only simplified Chinese (" +
                      utf8(chars.simplified) + ") write");
    // The Japanese dictionaries.
    RunKnowledge known;
    if (japanese_ && japanese_->available())
        known = japanese_->know(value);
    if (known.wholeName)
        score.add(-3, "the Japanese name dictionary holds it whole");
    else if (known.wholeWord)
        score.add(-2, "a Japanese dictionary holds it whole");
    if (context.kind == NameKind::Person && chars.hanCount == value.size())
        weighName(value, known, chars.hanCount, score);
    if (!chars.outside.empty())
        score.add(2, "a character outside the Japanese character set (" + utf8(chars.outside.front()) + ")");
    // A name of people (a band's) that is a word of the Chinese dictionary
    // and of no Japanese one. (Not a title: Japanese titles are often
    // words Chinese shares, 少年時代, that the Japanese dictionaries lack.)
    if (chinese_ && context.kind == NameKind::Person && chars.hanCount == value.size() && value.size() >= 2 &&
        !known.wholeName && !known.wholeWord)
        if (const chinese::PinyinDictionary* dictionary = chinese_->dictionary();
            dictionary && !dictionary->lookup(value).empty())
            score.add(1, "a word of the Chinese dictionary that the Japanese ones do not hold");
    if (context.kind == NameKind::Person && chars.hanCount == value.size())
        weighForms(value, chars, score);
    weighEngine(value, known, context.kind, score);
    weighLibrary(context, score);
    weighSortValues(value, context, score);
    return conclude(score, prefer);
}

} // namespace yomi::language
