#include "TextPlausibility.h"

#include <algorithm>
#include <array>
#include <vector>

namespace sevrana {
namespace {

/// The most used Han characters of Chinese (both forms) and Japanese, with the
/// words of switchyards and recorders. Any other character of the block is
/// possible too, but a misreading lands on these only by chance.
constexpr std::u32string_view kCommonHan =
    U"的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过家学对可她里后小么心多天而"
    U"能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头面公同三已老从动两长知民样现分将外但身些与高"
    U"意"
    U"进把法此实回二理美点月明其种声全工己话儿者向情部正名定女问力机给等几很业最间新什打便位因重被走电四第门相次东政海"
    U"口"
    U"使教西再平真听世气信北少关并内加化由却代军产入先山五太水万市眼体别处总才场师书比住员九笑性通目华报立马命张活难神"
    U"数"
    U"件安表原车白应路期叫死常提感金何更反合放做系计或司利受光王果亲界及今京务制解各任至清物台象记边共风战干接它许八特"
    U"觉"
    U"望直服毛林题建南度统色字请交爱让认算论百吃义科怎元社术结六功指思非流每青管夫连远资队跟带花快条院变联言权往展该领"
    U"传"
    U"近留红治决周保达办运武半候七必城父强步完革深区即求品士转量空甚众技轻程告江语英基派满式李息写识极令黄德收钱党倒未"
    U"持"
    U"取设始版双历越史商千片容研像找友孩站广改议形委早房音火际则首单跑团河湖桥村镇庄营堡州县省乡郊岭峰港湾坝"
    // Switchyards, lines, protection and recording.
    U"压伏安瓦欧姆母线缆流频率相零序正负备用控制护故障录波器断路闸跳启信号通距离差段热油温斯调隔刀甲乙丙丁测失灵充荷侧"
    U"低网络母联馈出进户厂所变主抗容阻感互接触点投退复归动作告警异常开关刀合分位置遥装置输入输出量值最小大瞬时延"
    // The same in traditional characters, and Japanese forms.
    U"這來國個說們為會著過學對裡後麼沒於還發當無開見經頭從動兩長現將與進實點種聲話兒問機給幾業間門東聽氣關內卻軍產萬體"
    U"別"
    U"處總場師書員華報馬張難數車應親務記邊風戰許覺題統請愛讓認論義術結條院變聯權領傳紅決達辦運強區轉眾輕滿寫識極黃錢黨"
    U"設"
    U"歷單團莊鎮縣鄉嶺灣壩壓歐線纜頻負備護錄斷閘啟號離熱溫調隔測靈側網絡饋廠與態異遙裝輸據電圧変電所遮断継器系統絡"
    U"送受配事記録投引外数周波継電";

/// The most used Hangul syllables, with those of substations and recorders.
constexpr std::u32string_view kCommonHangul =
    U"이다의는에하고을가기한지서로대사도자리어를게수일정시아인전있보나주해상부국구우내제요들원것과장면되만성적으"
    U"동여러위신스발그거경트소라중마화연문미개선민비관니세방계무공생오조데것입니다및등또더각간감강결고공과관광교"
    U"구권그금기까나날내년노니단당대더도동두드들등따때또라래력로록론료루르를리린마만말망매명모목무문물미바반발방배"
    U"백번법변별병보복본부분불비사산상새생서석선설성세소속손수순술습시식신실심아안알야약양어언업없여역연열영예오온외"
    U"요용우운원월위유육으은을음응의이인일임입있자작장재저적전점정제조종좌주준중즈증지직진질집차참창책처천청체초최추"
    U"출충취치카타터토통투트특파판패편평포표품프피하학한할함합항해행향허현형호화확환활회후히"
    // Switchyards, lines, protection and recording.
    U"압류변전소송배차단폐투입립락접지영순모선로계측채널거재울";

/// Accented letters that Western and Central European words use often.
constexpr std::u32string_view kCommonAccented = U"àáâäçèéêëíîïñóôöúùûüßåøæœÀÁÂÄÇÈÉÊËÍÎÏÑÓÔÖÚÙÛÜÅØÆŒ";
constexpr std::u32string_view kOtherAccented = U"ãõìòýÿÃÕÌÒÝąćęłńśźżĄĆĘŁŃŚŹŻčďěňřšťůžČĎĚŇŘŠŤŮŽőűŐŰğışĞİŞ";

/// How much more often each Russian lower-case letter (а..я) is written than a
/// letter drawn at random, in bits: log2(frequency * 33).
constexpr std::array<double, 32> kRussianLetterBits = {
    1.40, -0.93, 0.58, -0.83, -0.02, 1.48,  -1.69, -0.88, 1.28,  -1.32, 0.20,  0.54,  0.08,  1.15,  1.86,  -0.10,
    0.64, 0.85,  1.05, -0.20, -3.54, -1.64, -2.66, -1.07, -2.05, -3.07, -5.00, -0.67, -0.80, -3.24, -2.24, -0.60};

constexpr std::u32string_view kCyrillicVowels = U"аеёиоуыэюяіїєАЕЁИОУЫЭЮЯІЇЄ";

enum class Script { None, Latin, Cyrillic, Greek, Han, Kana, Hangul };

bool In(std::u32string_view set, char32_t c) { return set.find(c) != std::u32string_view::npos; }

/// A set of characters, looked up by binary search.
std::vector<char32_t> Sorted(std::u32string_view text)
{
    std::vector<char32_t> set(text.begin(), text.end());
    std::sort(set.begin(), set.end());
    return set;
}

bool InSorted(const std::vector<char32_t>& set, char32_t c) { return std::binary_search(set.begin(), set.end(), c); }

bool IsAsciiLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }
bool IsRussianUpper(char32_t c) { return (c >= 0x410 && c <= 0x42F) || c == 0x401; }
bool IsRussianLower(char32_t c) { return (c >= 0x430 && c <= 0x44F) || c == 0x451; }
bool IsCyrillicUpper(char32_t c) { return c >= 0x400 && c <= 0x42F; }
bool IsCyrillicLower(char32_t c) { return c >= 0x430 && c <= 0x45F; }

/// The script of a letter; None for anything that is not one.
Script ScriptOf(char32_t c)
{
    if (IsAsciiLetter(c) || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7)) return Script::Latin;
    if (c >= 0x400 && c <= 0x4FF) return Script::Cyrillic;
    if (c >= 0x370 && c <= 0x3FF) return Script::Greek;
    if (c >= 0x3040 && c <= 0x30FF) return Script::Kana;
    if (c >= 0xFF66 && c <= 0xFF9F) return Script::Kana;  // half-width katakana
    if ((c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)) return Script::Han;
    if (c >= 0xAC00 && c <= 0xD7A3) return Script::Hangul;
    return Script::None;
}

/// Points for one character outside any word's context.
double CharacterPoints(char32_t c)
{
    static const std::vector<char32_t> commonHan = Sorted(kCommonHan);
    static const std::vector<char32_t> commonHangul = Sorted(kCommonHangul);
    if (c == kUnreadable || c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFD) return -8;
    if ((c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000) return -8;  // private use
    if (c >= 0xA0 && c <= 0xBF) return In(U"°±µ²³·", c) ? 0 : -2;
    if (c == 0xD7 || c == 0xF7) return -2;
    if (c >= 0xC0 && c <= 0x24F) return In(kCommonAccented, c) ? 2 : In(kOtherAccented, c) ? 1 : c <= 0xFF ? 0.5 : -2;
    if (IsRussianUpper(c)) return 2;
    if (IsRussianLower(c)) return 2 + 0.75 * (c == 0x451 ? -5.0 : kRussianLetterBits[c - 0x430]);
    if (In(U"іїєґўІЇЄҐЎ", c)) return 0.5;
    if (c >= 0x400 && c <= 0x4FF) return -2;
    if (c >= 0x370 && c <= 0x3FF) return -1.5;
    if (c >= 0x2010 && c <= 0x2027) return -1;  // dashes, quotes, bullet, ellipsis
    if (c == 0x20AC || In(U"№℃Ω", c)) return 0;
    if (c >= 0x2160 && c <= 0x217F) return 0.5;  // Roman numerals
    if (c >= 0x2460 && c <= 0x24FF) return 0;    // enclosed numbers
    if (c >= 0x2500 && c <= 0x259F) return -6;   // box drawing, blocks
    if (c >= 0x25A0 && c <= 0x25FF) return -3;   // geometric shapes
    if (c >= 0x3000 && c <= 0x303F) return In(U"、。「」『』【】〇", c) ? 1 : 0;
    if (c >= 0x3040 && c <= 0x30FF) return 4;
    if (c >= 0x4E00 && c <= 0x9FFF) return InSorted(commonHan, c) ? 5 : 1.5;
    if (c >= 0xAC00 && c <= 0xD7A3) return InSorted(commonHangul, c) ? 5 : 0.5;
    if (c >= 0xFF01 && c <= 0xFF5E) return 0.5;  // full-width ASCII
    if (c >= 0xFF66 && c <= 0xFF9F) return 1;    // half-width katakana
    if (c >= 0xFFE0 && c <= 0xFFEE) return 0;
    if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF) || c >= 0x20000) return -3;  // rare Han
    return -2;
}

/// Points for the letters of one word in their context.
double WordPoints(std::u32string_view word)
{
    bool scripts[7] = {};
    bool vowel = false;
    bool allLower = true;
    bool allUpper = true;
    std::size_t cyrillic = 0;
    int caseChanges = 0;  // between neighbouring Cyrillic letters
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char32_t c = word[i];
        const Script s = ScriptOf(c);
        scripts[static_cast<int>(s)] = true;
        if (s != Script::Cyrillic) continue;
        ++cyrillic;
        vowel = vowel || In(kCyrillicVowels, c);
        allLower = allLower && !IsCyrillicUpper(c);
        allUpper = allUpper && !IsCyrillicLower(c);
        if (i > 0 && ((IsCyrillicUpper(c) && IsCyrillicLower(word[i - 1])) ||
                      (IsCyrillicLower(c) && IsCyrillicUpper(word[i - 1]))))
            ++caseChanges;
    }
    const auto has = [&](Script s) { return scripts[static_cast<int>(s)]; };

    double points = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char32_t c = word[i];
        if (c < 0x80) continue;
        points += CharacterPoints(c);
        const char32_t before = i > 0 ? word[i - 1] : 0;
        const char32_t after = i + 1 < word.size() ? word[i + 1] : 0;
        switch (ScriptOf(c)) {
        case Script::Latin:
            // Accented letters stand among plain ones; a run of them is another script misread.
            if (before >= 0x80 && ScriptOf(before) == Script::Latin) points -= 3;
            if (has(Script::Cyrillic) || has(Script::Greek) || has(Script::Han) || has(Script::Hangul)) points -= 3;
            break;
        case Script::Cyrillic:
            // A capital after a small letter starts a run of capitals only in a misreading ("кВ" is fine).
            if (IsCyrillicUpper(c) && IsCyrillicLower(before) && IsCyrillicUpper(after)) points -= 4;
            if (In(U"ъьЪЬ", c) && In(kCyrillicVowels, before)) points -= 3;  // signs follow consonants
            if (has(Script::Latin)) points -= 3;
            break;
        case Script::Han:
        case Script::Kana:
        case Script::Hangul:
            // Beside a Latin letter ("A相") it labels something; inside a Latin word it is a misread letter.
            if (IsAsciiLetter(before) && IsAsciiLetter(after)) points -= 4;
            if (ScriptOf(c) == Script::Hangul && (has(Script::Han) || has(Script::Kana))) points -= 3;
            break;
        default:
            break;
        }
    }
    if (cyrillic > 0) {
        // Russian words have vowels; abbreviations without any are written in capitals. A word
        // changes between capitals and small letters at most twice ("кВт"), and never starts
        // with a hard or soft sign or "ы".
        const bool longEnough = allUpper ? cyrillic >= 5 : cyrillic >= 2;
        if (!vowel && longEnough && (allLower || allUpper)) points -= 2.5 * static_cast<double>(cyrillic);
        if (caseChanges > 2) points -= 3.0 * (caseChanges - 2);
        if (In(U"ъьыЪЬЫ", word[0])) points -= 3;
    }
    return points;
}

}  // namespace

double Plausibility(std::u32string_view text)
{
    double points = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (ScriptOf(text[i]) == Script::None) {
            if (text[i] >= 0x80) points += CharacterPoints(text[i]);
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && ScriptOf(text[end]) != Script::None) ++end;
        points += WordPoints(text.substr(i, end - i));
        i = end;
    }
    return points;
}

}  // namespace sevrana
