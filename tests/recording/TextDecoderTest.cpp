// Judging a recording's code page from its text, and reading every line in it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Encode.h"
#include "TextDecoder.h"
#include "TextPlausibility.h"

namespace sevrana {
namespace {

using testing::Encode;

using Lines = std::vector<std::string>;

std::string Joined(const Lines& lines, const char* encoding)
{
    std::string text;
    for (const std::string& line : lines) text += Encode(line, encoding) + "\r\n";
    return text;
}

/// The 129 lines of a 1991 configuration from a Russian recorder: few words, most
/// of them abbreviations, as that recorder names its digital channels.
Lines RussianRecorder()
{
    Lines lines = {"Горшечное-Бекетово,РЕГ-1,1991", "126,2A,124D", "1,Ua,,,kV,0.01,0,0,-32767,32767",
                   "2,Ia,,,A,0.01,0,0,-32767,32767"};
    const char* digital[] = {"DI_Неиспр.ТН", "DI_Неиспр.ВЧ", "DI_Пуск", "DI_Откл", "DI_РПВ", "DI_РПО", "DI_Неиспр.ЦН"};
    for (int i = 1; i <= 124; ++i)
        lines.push_back(std::to_string(2 + i) + "," + digital[i % 7] + " (" + std::to_string(i) + "),0");
    lines.push_back("50");
    return lines;
}

/// A 1991 configuration whose only Cyrillic is in short units ("В/к": volts per division) among long lines of
/// ASCII: the detection library alone takes the units for Windows-1252.
Lines CyrillicUnitsOnly()
{
    Lines lines = {"Substation 110 kV,Recorder 1,1991", "6,6A,0D"};
    const char* names[] = {"Ua", "Ia", "Ub", "Ib", "Uc", "Ic"};
    for (int i = 0; i < 6; ++i)
        lines.push_back(std::to_string(i + 1) + "," + names[i] + ",,," + (i % 2 == 0 ? "В/к" : "А/к") +
                        ",0.00030517578125,0,0,-32767,32767");
    return lines;
}

TEST(TextDecoder, RecognisesEachCodePageOnRecorderText)
{
    struct Case {
        const char* encoding;  // for making the bytes
        const char* judged;    // the name the judging gives
        Lines lines;
    };
    const std::vector<Case> cases = {
        {"IBM866", "IBM866", RussianRecorder()},
        {"IBM866", "IBM866", {"Горшечное-Бекетово,,1991", "1,DI_Неиспр.ТН (1),0", "9,DI_Неиспр.ВЧ (9),0"}},
        {"IBM866", "IBM866", CyrillicUnitsOnly()},
        {"WINDOWS-1251", "Windows-1251", {"РП-110/ДФЗ_ВЛ-107,,1991", "1,Ua,,,V,1,0,0,-1,1"}},
        {"WINDOWS-1251", "Windows-1251", RussianRecorder()},
        {"KOI8-R", "KOI8-R", {"ПС Северная,ЭКРА,1991", "1,Напряжение фазы А,,,кВ", "2,Ток нулевой последовательности"}},
        {"KOI8-R", "KOI8-R", RussianRecorder()},
        {"GB18030",
         "GB18030",
         {"220千伏北郊变电站,,1991", "1,A相电流", "2,母线电压", "3,主变高压侧零序电流", "4,断路器跳闸"}},
        {"BIG5", "Big5", {"161千伏北郊變電所,,1991", "1,A相電流", "2,B相電壓", "3,斷路器跳閘", "4,保護電驛動作"}},
        {"CP932",
         "Shift-JIS",
         {"東京北変電所,,1991", "1,A相電流", "2,母線電圧", "3,遮断器トリップ", "4,保護継電器動作"}},
        {"CP949", "EUC-KR", {"서울변전소,,1991", "1,A상 전류", "2,모선 전압", "3,차단기 트립", "4,보호 계전기 동작"}},
        {"CP1252", "Windows-1252", {"Schaltanlage Süd,,1991", "1,IL1,,,A", "2,Spannung Ü L1-L2,,,kV"}},
        {"CP1252", "Windows-1252", {"Hôtel-Dieu,,1991", "1,Ua,,,kV", "2,Défaut à la terre"}},
        {"UTF-8", "UTF-8", RussianRecorder()},
        {"UTF-8", "UTF-8", {"Umspannwerk Süd,,1991", "1,母线电压", "2,Ток фазы А"}},
        // Valid UTF-8 ("ĸŷ") is still read as the code page that makes sense of it.
        {"GB18030", "GB18030", {"母欧,,1991"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.judged) + ": " + c.lines[0]);
        TextDecoder decoder = TextDecoder::Judge(Joined(c.lines, c.encoding));
        EXPECT_EQ(decoder.Encoding(), c.judged);
        for (const std::string& line : c.lines) EXPECT_EQ(decoder.Decode(Encode(line, c.encoding)), line);
    }
}

TEST(TextDecoder, PlausibilityPrefersTextAsScriptsAreWritten)
{
    // Each reading counts for more than the misreading beside it.
    const std::vector<std::pair<std::u32string, std::u32string>> pairs = {
        {U"Schaltanlage Süd", U"Schaltanlage Sьd"},  // Cyrillic inside a Latin word
        {U"Süd", U"SÃ¼d"},                           // accented letters in a row, a sign
        {U"Напряжение", U"нАПРЯЖЕНИЕ"},              // a capital after a small letter
        {U"ДФЗ ВЛ", U"дтг бк"},                      // small letters without a vowel
        {U"подъезд", U"поъдезд"},                    // a sign after a vowel
        {U"свет", U"ьвет"},                          // a word starting with a sign
        {U"Горшечное", U"гОрШеЧнОе"},                // case changing all the way
        {U"Горшечное", U"Γορσεχνοε"},                // Greek
        {U"РП-110", U"╨╧-110"},                      // box drawing
        {U"母线", U"ĸŷ"},                            // common Han against rare Latin letters
        {U"A相电流", U"S상d"},                       // Hangul inside a Latin word
        {U"변전소", U"변電소"},                      // Hangul and Han in one word
        {U"遮断器トリップ", U"遮断器\uE000\uE001"},  // private use
    };
    for (std::size_t i = 0; i < pairs.size(); ++i)
        EXPECT_GT(Plausibility(pairs[i].first), Plausibility(pairs[i].second)) << "pair " << i;
    EXPECT_EQ(Plausibility(U"Ua, IL1 (9)"), 0);  // ASCII gives only the context
    EXPECT_LT(Plausibility(std::u32string{U'a', kUnreadable, U'b'}), 0);
}

TEST(TextDecoder, EveryLineIsReadInTheJudgedCodePage)
{
    // "母" and "欧" alone are valid UTF-8 ("ĸ", "ŷ"): the file's code page reads them all the same.
    const std::string file = Joined({"北郊变电站,,1991", "1,母", "2,欧", "3,A相电流"}, "GB18030");
    TextDecoder decoder = TextDecoder::Judge(file);
    ASSERT_EQ(decoder.Encoding(), "GB18030");
    EXPECT_EQ(decoder.Decode("1,\xC4\xB8"), "1,母");
    EXPECT_EQ(decoder.Decode("2,\xC5\xB7"), "2,欧");
    // A byte the page lacks, or a character cut short: the line is Latin-1, every byte kept.
    EXPECT_EQ(decoder.Decode("\xC4"), "\xC3\x84");
    EXPECT_EQ(TextDecoder(*FindCodePage("cp1251")).Decode("\xCA\xEB\x98"), "\xC3\x8A\xC3\xAB\xC2\x98");

    // Nothing beyond ASCII to judge: the lines are read as lone strings are.
    TextDecoder ascii = TextDecoder::Judge("Kallio,REL-1,1991\r\n");
    EXPECT_EQ(ascii.Encoding(), "ASCII");
    EXPECT_EQ(ascii.Page(), nullptr);
    EXPECT_EQ(ascii.Decode("Kes\xE4"), "Kes\xC3\xA4");
    EXPECT_EQ(ascii.Decode("Kes\xC3\xA4"), "Kes\xC3\xA4");

    // A chosen code page reads every line, whatever the judging would say.
    TextDecoder chosen(*FindCodePage("KOI8-R"));
    EXPECT_EQ(chosen.Encoding(), "KOI8-R");
    EXPECT_EQ(chosen.Decode(Encode("Подстанция", "KOI8-R")), "Подстанция");
    EXPECT_EQ(chosen.Decode("plain"), "plain");
}

TEST(TextDecoder, CodePagesAreFoundByTheirUsualNames)
{
    // Each usual name, then the code page's own.
    const char* const names[] = {"windows-1251", "Windows-1251", "CP1251",    "Windows-1251", "ibm866", "IBM866",
                                 "cp866",        "IBM866",       "koi8r",     "KOI8-R",       "gbk",    "GB18030",
                                 "BIG5",         "Big5",         "Shift_JIS", "Shift-JIS",    "sjis",   "Shift-JIS",
                                 "euc-kr",       "EUC-KR",       "cp1252",    "Windows-1252", "latin1", "Windows-1252",
                                 "utf8",         "UTF-8"};
    for (std::size_t i = 0; i < std::size(names); i += 2) {
        const char *alias = names[i], *name = names[i + 1];
        const CodePage* page = FindCodePage(alias);
        ASSERT_NE(page, nullptr) << alias;
        EXPECT_EQ(page->name, name);
    }
    for (const char* unknown : {"", "ASCII", "Klingon", "UTF-16", "cp12510"}) EXPECT_EQ(FindCodePage(unknown), nullptr);
}

}  // namespace
}  // namespace sevrana
