#include "Reading/Korean/Romanization.h"

#include <array>
#include <unordered_map>

#include "Platform/Text.h"

namespace yomi::korean {
namespace {

// Consonants, by the index of the initial jamo (ㄱ ㄲ ㄴ ㄷ ㄸ ㄹ ㅁ ㅂ ㅃ ㅅ ㅆ
// ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ ㅍ ㅎ), and L for a ㄹ read l (after ㄹ or ㄴ).
enum C : int { G, GG, N, D, DD, R, M, B, BB, S, SS, NG, J, JJ, CH, K, T, P, H, L, None };

constexpr std::array<const char*, 20> kInitial{"g",  "kk", "n", "d",  "tt", "r", "m", "b", "bb", "s",
                                               "ss", "",   "j", "jj", "ch", "k", "t", "p", "h",  "l"};
constexpr std::array<const char*, 21> kVowel{"a",  "ae", "ya", "yae", "eo", "e",  "yeo", "ye", "o",  "wa", "wae",
                                             "oe", "yo", "u",  "wo",  "we", "wi", "yu",  "eu", "ui", "i"};

struct Final {
    int first = None, second = None;
};

// The final jamo (index 1-27) as one or two consonants.
constexpr std::array<Final, 28> kFinal{
    {{None, None}, {G, None},  {GG, None}, {G, S},     {N, None}, {N, J},    {N, H},    {D, None}, {R, None}, {R, G},
     {R, M},       {R, B},     {R, S},     {R, T},     {R, P},    {R, H},    {M, None}, {B, None}, {B, S},    {S, None},
     {SS, None},   {NG, None}, {J, None},  {CH, None}, {K, None}, {T, None}, {P, None}, {H, None}}};

struct Syllable {
    int initial = NG; // NG: no sound
    int vowel = 0;
    Final final;
};

Syllable decompose(char32_t c)
{
    const int s = static_cast<int>(c - 0xAC00);
    return Syllable{s / 588, (s % 588) / 28, kFinal[static_cast<std::size_t>(s % 28)]};
}

enum Class { KClass, NClass, TClass, LClass, MClass, PClass, NGClass, Empty };

// The sound a final takes before a consonant or at the end.
Class classOf(const Final& f)
{
    if (f.first == None)
        return Empty;
    if (f.first == R) {
        if (f.second == G)
            return KClass; // 읽다 ikda
        if (f.second == M)
            return MClass;
        if (f.second == P)
            return PClass;
        return LClass;
    }
    switch (f.first) {
    case G:
    case GG:
    case K:
        return KClass;
    case N:
        return NClass;
    case D:
    case T:
    case S:
    case SS:
    case J:
    case CH:
    case H:
        return TClass;
    case M:
        return MClass;
    case B:
    case P:
        return PClass;
    case NG:
        return NGClass;
    default:
        return Empty;
    }
}

const char* spellClass(Class c)
{
    switch (c) {
    case KClass:
        return "k";
    case NClass:
        return "n";
    case TClass:
        return "t";
    case LClass:
        return "l";
    case MClass:
        return "m";
    case PClass:
        return "p";
    case NGClass:
        return "ng";
    case Empty:
        break;
    }
    return "";
}

int aspirated(int c)
{
    switch (c) {
    case G:
        return K;
    case D:
        return T;
    case B:
        return P;
    case J:
        return CH;
    default:
        return c;
    }
}

// The sound changes between a final and the next initial, in place: the
// final's class is what is written; the initial may change.
Class join(Final& f, Syllable& next)
{
    int& initial = next.initial;
    const bool iVowel = next.vowel == 20; // ㅣ
    if (f.first == None)
        return Empty;
    // A final ㅎ: silent before a vowel, aspirating before ㄱ ㄷ ㅈ.
    const int last = f.second != None ? f.second : f.first;
    if (last == H) {
        const Final rest = f.second != None ? Final{f.first, None} : Final{};
        if (initial == NG) {
            f = rest;
            if (f.first == None)
                return Empty;
        } else if (initial == G || initial == D || initial == J) {
            initial = aspirated(initial);
            f = rest;
            return classOf(f);
        } else if (initial == S) {
            initial = SS;
            f = rest;
            return classOf(f);
        } else if (initial == N) {
            if (rest.first == None)
                return NClass; // 놓는 nonneun
            f = rest;
        }
    }
    // Liaison: the final moves to a syllable beginning with a vowel.
    if (initial == NG && f.first != NG) {
        int moved;
        if (f.second != None) {
            moved = f.second;
            f.second = None;
        } else {
            moved = f.first;
            f.first = None;
        }
        if (iVowel && moved == D)
            moved = J; // 굳이 guji
        else if (iVowel && moved == T)
            moved = CH; // 같이 gachi
        initial = moved == R ? R : moved;
        return classOf(f);
    }
    // ㄱ ㄷ ㅂ ㅈ before ㅎ: aspirated.
    if (initial == H && f.second == None && (f.first == G || f.first == D || f.first == B || f.first == J)) {
        initial = aspirated(f.first);
        if (iVowel && initial == T)
            initial = CH;
        f = Final{};
        return Empty;
    }
    Class c = classOf(f);
    if (initial == R && c != Empty) {
        if (c == NClass || c == LClass) {
            initial = L; // 신라 silla, 별로 byeollo
            return LClass;
        }
        initial = N; // 종로 jongno, 독립 dongnip
    }
    if (initial == N && c == LClass) {
        initial = L; // 설날 seollal
        return LClass;
    }
    if (initial == N || initial == M) {
        if (c == KClass)
            return NGClass; // 국물 gungmul
        if (c == TClass)
            return NClass; // 꽃말 kkonmal
        if (c == PClass)
            return MClass; // 밥맛 bammat
    }
    return c;
}

bool isLatinLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

bool isHangulSyllable(char32_t c) { return c >= 0xAC00 && c <= 0xD7A3; }

std::string romanizeWord(std::u16string_view word)
{
    std::string out;
    std::size_t i = 0;
    while (i < word.size()) {
        if (!isHangulSyllable(word[i])) {
            out += toUtf8(word.substr(i, 1));
            ++i;
            continue;
        }
        std::vector<Syllable> run;
        while (i < word.size() && isHangulSyllable(word[i]))
            run.push_back(decompose(word[i++]));
        for (std::size_t k = 0; k < run.size(); ++k) {
            Syllable& s = run[k];
            // A word-initial ㄹ is r (라디오 radio); after the sound changes
            // an initial marked L is l.
            out += kInitial[static_cast<std::size_t>(s.initial)];
            out += kVowel[static_cast<std::size_t>(s.vowel)];
            const Class c = k + 1 < run.size() ? join(s.final, run[k + 1]) : classOf(s.final);
            out += spellClass(c);
        }
    }
    return out;
}

std::string romanizeSyllables(std::u16string_view syllables, std::string_view separator)
{
    std::string out;
    for (std::size_t i = 0; i < syllables.size(); ++i) {
        if (!out.empty() && isLatinLetter(out.back()))
            out += separator;
        out += romanizeWord(syllables.substr(i, 1));
    }
    return out;
}

namespace {

// One surname a line: the Hangul, its customary spelling, then the other
// spellings in use (the Revised Romanization among them).
constexpr std::string_view kSurnames = R"(김 Kim Gim
이 Lee Yi Rhee I
박 Park Bak Pak
최 Choi Choe
정 Jung Jeong Chung
강 Kang Gang
조 Cho Jo
윤 Yoon Yun
장 Jang Chang
임 Lim Im
한 Han
오 Oh O
서 Seo Suh
신 Shin Sin
권 Kwon Gwon
황 Hwang
안 Ahn An
송 Song
류 Ryu Yoo Yu
유 Yoo Yu
전 Jeon Jun Chun
홍 Hong
고 Ko Go
문 Moon Mun
양 Yang
손 Son Sohn
배 Bae Pae
백 Baek Paik
허 Heo Huh
남 Nam
심 Shim Sim
노 Noh Roh No
하 Ha
곽 Kwak Gwak
성 Sung Seong
차 Cha
주 Joo Ju Chu
우 Woo U
구 Koo Gu
민 Min
진 Jin
나 Na Ra
지 Ji
엄 Eom Um
채 Chae
원 Won
천 Cheon Chun
방 Bang
공 Kong Gong
현 Hyun Hyeon
함 Ham
변 Byun Byeon
염 Yeom
여 Yeo
추 Choo Chu
도 Do
소 So
석 Seok
선 Sun Seon
설 Seol
마 Ma
길 Gil Kil
연 Yeon
위 Wi
표 Pyo
명 Myung Myeong
기 Ki Gi
반 Ban
왕 Wang
금 Keum Geum
옥 Ok
육 Yook Yuk
인 In
맹 Maeng
제 Je
모 Mo
탁 Tak
국 Kook Guk
어 Eo
은 Eun
편 Pyeon
용 Yong
예 Ye
봉 Bong
경 Kyung Gyeong
태 Tae
부 Boo Bu
피 Pi
목 Mok
형 Hyung Hyeong
승 Seung
호 Ho
빈 Bin
범 Beom
사 Sa
상 Sang
라 Ra
남궁 Namgoong Namgung
황보 Hwangbo
제갈 Jegal
선우 Sunwoo Seonu
독고 Dokgo
사공 Sagong
서문 Seomun
동방 Dongbang
)";

struct SurnameTable {
    std::unordered_map<std::u16string, KoreanSurname> byHangul;
};

const SurnameTable& surnames()
{
    static const SurnameTable table = [] {
        SurnameTable t;
        std::size_t at = 0;
        while (at < kSurnames.size()) {
            const std::size_t end = std::min(kSurnames.find('\n', at), kSurnames.size());
            const std::string_view line = kSurnames.substr(at, end - at);
            at = end + 1;
            std::vector<std::string> fields;
            std::size_t f = 0;
            while (f <= line.size()) {
                const std::size_t space = std::min(line.find(' ', f), line.size());
                if (space > f)
                    fields.emplace_back(line.substr(f, space - f));
                f = space + 1;
            }
            if (fields.size() < 2)
                continue;
            KoreanSurname s;
            const std::u16string hangul = toUtf16(fields[0]);
            s.length = hangul.size();
            s.customary = fields[1];
            s.others.assign(fields.begin() + 2, fields.end());
            s.rank = t.byHangul.size() + 1;
            t.byHangul.emplace(hangul, std::move(s));
        }
        return t;
    }();
    return table;
}

} // namespace

KoreanSurname koreanSurnameAt(std::u16string_view name)
{
    const SurnameTable& t = surnames();
    for (std::size_t length = std::min<std::size_t>(2, name.size()); length > 0; --length) {
        const auto found = t.byHangul.find(std::u16string(name.substr(0, length)));
        if (found != t.byHangul.end())
            return found->second;
    }
    return {};
}

} // namespace yomi::korean
