#include <array>
#include <string_view>

#include "Category/Reading.h"

namespace yomi {
namespace {

// A syllable's sounds as katakana spells Korean (서울 ソウル, 대구 テグ,
// 안녕 アンニョン): the initial consonant picks a row, the vowel a column.
// The rows, each as ア イ ウ エ オ, then the glides ya yu yo ye and wa wi
// we wo; an empty cell falls back to the plain vowel's kana.
struct Row {
    std::array<std::u16string_view, 5> plain;
    std::array<std::u16string_view, 4> y;
    std::array<std::u16string_view, 4> w;
};

// The rows by initial consonant: k, g, n, t, d, r, m, p, b, s, silent, ch,
// j, h.
enum Initial { K, G, N, T, D, R, M, P, B, S, Silent, Ch, J, H };

constexpr std::array<Row, 14> kRows = {{
    {{u"カ", u"キ", u"ク", u"ケ", u"コ"}, {u"キャ", u"キュ", u"キョ", u"ケ"}, {u"クァ", u"クィ", u"クェ", u"クォ"}},
    {{u"ガ", u"ギ", u"グ", u"ゲ", u"ゴ"}, {u"ギャ", u"ギュ", u"ギョ", u"ゲ"}, {u"グァ", u"グィ", u"グェ", u"グォ"}},
    {{u"ナ", u"ニ", u"ヌ", u"ネ", u"ノ"}, {u"ニャ", u"ニュ", u"ニョ", u"ネ"}, {u"ヌァ", u"ヌィ", u"ヌェ", u"ヌォ"}},
    {{u"タ", u"ティ", u"トゥ", u"テ", u"ト"}, {u"テャ", u"テュ", u"テョ", u"テ"}, {u"トァ", u"トィ", u"トェ", u"トォ"}},
    {{u"ダ", u"ディ", u"ドゥ", u"デ", u"ド"}, {u"デャ", u"デュ", u"デョ", u"デ"}, {u"ドァ", u"ドィ", u"ドェ", u"ドォ"}},
    {{u"ラ", u"リ", u"ル", u"レ", u"ロ"}, {u"リャ", u"リュ", u"リョ", u"レ"}, {u"ルァ", u"ルィ", u"ルェ", u"ルォ"}},
    {{u"マ", u"ミ", u"ム", u"メ", u"モ"}, {u"ミャ", u"ミュ", u"ミョ", u"メ"}, {u"ムァ", u"ムィ", u"ムェ", u"ムォ"}},
    {{u"パ", u"ピ", u"プ", u"ペ", u"ポ"}, {u"ピャ", u"ピュ", u"ピョ", u"ペ"}, {u"プァ", u"プィ", u"プェ", u"プォ"}},
    {{u"バ", u"ビ", u"ブ", u"ベ", u"ボ"}, {u"ビャ", u"ビュ", u"ビョ", u"ベ"}, {u"ブァ", u"ブィ", u"ブェ", u"ブォ"}},
    {{u"サ", u"シ", u"ス", u"セ", u"ソ"}, {u"シャ", u"シュ", u"ショ", u"シェ"}, {u"スァ", u"スィ", u"スェ", u"スォ"}},
    {{u"ア", u"イ", u"ウ", u"エ", u"オ"}, {u"ヤ", u"ユ", u"ヨ", u"イェ"}, {u"ワ", u"ウィ", u"ウェ", u"ウォ"}},
    {{u"チャ", u"チ", u"チュ", u"チェ", u"チョ"}, {u"チャ", u"チュ", u"チョ", u"チェ"}, {u"チュァ", u"チュィ", u"チュェ", u"チュォ"}},
    {{u"ジャ", u"ジ", u"ジュ", u"ジェ", u"ジョ"}, {u"ジャ", u"ジュ", u"ジョ", u"ジェ"}, {u"ジュァ", u"ジュィ", u"ジュェ", u"ジュォ"}},
    {{u"ハ", u"ヒ", u"フ", u"ヘ", u"ホ"}, {u"ヒャ", u"ヒュ", u"ヒョ", u"ヘ"}, {u"ファ", u"フィ", u"フェ", u"フォ"}},
}};

// The 19 initial consonants of a syllable (ㄱ ㄲ ㄴ ㄷ ㄸ ㄹ ㅁ ㅂ ㅃ ㅅ ㅆ ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ
// ㅍ ㅎ) as a word begins with them; the plain ㄱ ㄷ ㅂ ㅈ are voiced
// between voiced sounds (voicedRow).
constexpr std::array<Initial, 19> kInitials = {K, K, N, T, T, R, M, P, P, S, S, Silent, Ch, Ch, Ch, K, T, P, H};

Initial voicedRow(unsigned initial)
{
    switch (initial) {
    case 0:
        return G;
    case 3:
        return D;
    case 7:
        return B;
    case 12:
        return J;
    default:
        return kInitials[initial];
    }
}

// The 21 vowels: which column of the row, and the glide before it (0 none,
// 1 y, 2 w); ㅢ is said ウイ (its second sound, `then`).
struct Vowel {
    int column; // ア イ ウ エ オ as 0 to 4
    int glide;
    bool then = false;
};
constexpr std::array<Vowel, 21> kVowels = {{
    {0, 0},       // ㅏ a
    {3, 0},       // ㅐ ae
    {0, 1},       // ㅑ ya
    {3, 1},       // ㅒ yae
    {4, 0},       // ㅓ eo
    {3, 0},       // ㅔ e
    {4, 1},       // ㅕ yeo
    {3, 1},       // ㅖ ye
    {4, 0},       // ㅗ o
    {0, 2},       // ㅘ wa
    {3, 2},       // ㅙ wae
    {3, 2},       // ㅚ oe
    {4, 1},       // ㅛ yo
    {2, 0},       // ㅜ u
    {4, 2},       // ㅝ wo
    {3, 2},       // ㅞ we
    {1, 2},       // ㅟ wi
    {2, 1},       // ㅠ yu
    {2, 0},       // ㅡ eu
    {2, 0, true}, // ㅢ ui
    {1, 0},       // ㅣ i
}};

std::u16string_view cell(Initial row, const Vowel& v)
{
    const Row& r = kRows[row];
    if (v.glide == 1) {
        // ya yu yo ye: the columns ア ウ オ エ.
        const int at = v.column == 0 ? 0 : v.column == 2 ? 1 : v.column == 4 ? 2 : 3;
        return r.y[at];
    }
    if (v.glide == 2) {
        // wa wi we wo: the columns ア イ エ オ.
        const int at = v.column == 0 ? 0 : v.column == 1 ? 1 : v.column == 3 ? 2 : 3;
        return r.w[at];
    }
    return r.plain[v.column];
}

// The 27 final consonants (1 to 27) as the syllable's last kana: ㄱ ク,
// ㄴ ン, ㄹ ル, ㅁ ム, ㅂ プ, ㅇ ン, the stops ㄷ ㅅ ㅈ ㅊ ㅌ ㅎ a doubling ッ.
// A final is carried to a following syllable that begins with a vowel
// (음악 ウマク): `carried` is the row it then begins, or -1.
struct Final {
    std::u16string_view kana;
    int carried;
    bool voiced; // ㄴ ㄹ ㅁ ㅇ: the next plain consonant is voiced
    bool keeps = false; // a double final whose first sound stays when the second is carried
};
constexpr std::array<Final, 28> kFinals = {{
    {u"", -1, true},     // none
    {u"ク", G, false},   // ㄱ
    {u"ク", K, false},   // ㄲ
    {u"ク", S, false, true},   // ㄳ
    {u"ン", N, true},    // ㄴ
    {u"ン", J, true, true},    // ㄵ
    {u"ン", N, true},    // ㄶ
    {u"ッ", D, false},   // ㄷ
    {u"ル", R, true},    // ㄹ
    {u"ル", G, false, true},   // ㄺ
    {u"ル", M, true, true},    // ㄻ
    {u"ル", B, false, true},   // ㄼ
    {u"ル", S, false, true},   // ㄽ
    {u"ル", T, false, true},   // ㄾ
    {u"ル", P, false, true},   // ㄿ
    {u"ル", R, true},    // ㅀ
    {u"ム", M, true},    // ㅁ
    {u"プ", B, false},   // ㅂ
    {u"プ", S, false, true},   // ㅄ
    {u"ッ", S, false},   // ㅅ
    {u"ッ", S, false},   // ㅆ
    {u"ン", -1, true},   // ㅇ
    {u"ッ", J, false},   // ㅈ
    {u"ッ", Ch, false},  // ㅊ
    {u"ク", K, false},   // ㅋ
    {u"ッ", T, false},   // ㅌ
    {u"プ", P, false},   // ㅍ
    {u"ッ", Silent, false}, // ㅎ
}};

bool isSyllable(char16_t c) { return c >= 0xAC00 && c <= 0xD7A3; }

} // namespace

std::optional<String> hangulInKatakana(std::u16string_view text)
{
    String out;
    // The row the next syllable begins with when the last one's final is
    // carried over, and whether the sound before it is voiced.
    int carried = -1;
    bool voicedBefore = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (!isSyllable(c)) {
            if (isHangulCharacter(c))
                return std::nullopt; // a letter on its own (ㅋㅋ) has no syllable to say
            out += c;
            carried = -1;
            voicedBefore = false;
            continue;
        }
        const unsigned s = c - 0xAC00;
        const unsigned initial = s / 588, vowel = (s % 588) / 28, final = s % 28;
        Initial row = kInitials[initial];
        if (initial == 11 && carried >= 0)
            row = static_cast<Initial>(carried);
        else if (voicedBefore)
            row = voicedRow(initial);
        const Vowel& v = kVowels[vowel];
        out += cell(row, v);
        if (v.then)
            out += u"イ";
        // The final is carried when a vowel comes next in the same word.
        const bool vowelNext = i + 1 < text.size() && isSyllable(text[i + 1]) && (text[i + 1] - 0xAC00) / 588 == 11;
        const Final& f = kFinals[final];
        if (vowelNext && f.carried >= 0) {
            carried = f.carried;
            // A double final keeps its first sound and carries the second
            // (닭이 タルギ, 없어 オプソ); ㄶ and ㅀ carry theirs without ㅎ
            // (않아 アナ, 싫어 シロ).
            if (f.keeps)
                out += f.kana;
        } else {
            out += f.kana;
            carried = -1;
        }
        voicedBefore = f.voiced;
    }
    return out;
}

} // namespace yomi
