// Trimming, UTF-8 checks and decoding, field splitting, NUL cutting and profile
// files (reading with the private-profile rules, writing back atomically).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "TempDir.h"
#include "TextUtils.h"

namespace sevrana {
namespace {

using testing::TempDir;
using Fields = std::vector<std::string>;

Fields FieldsOf(const Array1<std::string_view>& fields)
{
    Fields out;
    for (long i = fields.LBound(); i <= fields.UBound(); ++i) out.emplace_back(fields(i));
    return out;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(TextBasics, TrimmingCaseAndNulCutting)
{
    // Only spaces are blanks: text, trimmed at both ends, trimmed at the end.
    for (const auto& [text, both, trailing] : {std::tuple{"  a b  ", "a b", "  a b"}, {"\ta\t", "\ta\t", "\ta\t"},
                                               {"    ", "", ""}, {"  a  ", "a", "  a"}, {"a\t ", "a\t", "a\t"}}) {
        EXPECT_EQ(TrimBlanks(text), both) << '"' << text << '"';
        EXPECT_EQ(TrimTrailingBlanks(text), trailing) << '"' << text << '"';
    }
    // ASCII letters only: '[' and '{' differ by 0x20 but are not letters.
    for (const auto& [a, b, equal] : {std::tuple{"Sevrana AZ", "sEVRANA az", true}, {"", "", true},
                                      {"abc", "abcd", false}, {"[", "{", false}, {"\xC3\xA4", "\xC3\x84", false}})
        EXPECT_EQ(EqualsIgnoreCase(a, b), equal) << a << " " << b;
    EXPECT_EQ(ToUpperAscii("abc-xyz \xC3\xA4{}"), "ABC-XYZ \xC3\xA4{}");
    for (const auto& [text, cut] : {std::pair<std::string_view, const char*>{"abc", "abc"},
                                    {std::string_view("ab\0cd\0", 6), "ab"}, {std::string_view("\0abc", 4), ""}})
        EXPECT_EQ(CutAtNul(text), cut);
}

TEST(Utf8, WellFormedTextIsKeptAnythingElseIsReadAsLatin1)
{
    // U+00E4, U+00B0, U+20AC, U+D7FF and U+E000 around the surrogates, U+1F600, U+10FFFF, NUL.
    for (const std::string& bytes : std::vector<std::string>{
             "", "plain ASCII", "Kes\xC3\xA4", "\xC2\xB0", "\xE2\x82\xAC", "\xED\x9F\xBF", "\xEE\x80\x80",
             "\xEF\xBF\xBD", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", std::string("a\0b", 3)})
        EXPECT_TRUE(IsValidUtf8(bytes)) << ::testing::PrintToString(bytes);
    // Lone continuation, truncated, overlong, surrogates, above U+10FFFF, bad bytes, no continuation, Latin-1.
    for (const char* bytes : {"\x80", "\xC3", "\xE2\x82", "\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",
                              "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xFE",
                              "\xC3\x28", "\xE2\x28\xA1", "\xF0\x9F\x28\x80", "Kes\xE4"})
        EXPECT_FALSE(IsValidUtf8(bytes)) << ::testing::PrintToString(std::string(bytes));

    EXPECT_EQ(DecodeText("Kes\xC3\xA4"), "Kes\xC3\xA4");
    EXPECT_EQ(DecodeText("Kes\xE4"), "Kes\xC3\xA4");
    EXPECT_EQ(DecodeText("\260C \377\200"), "\302\260C \303\277\302\200");  // octal: B0 'C' FF 80
    // One invalid byte makes the whole text Latin-1, even valid sequences in it.
    EXPECT_EQ(DecodeText("\xC3\xA4\xE4"), "\xC3\x83\xC2\xA4\xC3\xA4");
}

TEST(SplitFields, FieldsAsWrittenBetweenEveryDelimiterAsAPlainWalkOnRandomLines)
{
    // Blanks and quotes stay; letter case of the delimiter is ignored. A field starts one character after the
    // delimiter's position, so the rest of a longer delimiter stays in it. An empty delimiter fails.
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, Fields>> cases = {
        {"", ",", {""}}, {"a,,b", ",", {"a", "", "b"}}, {"a,b,", ",", {"a", "b", ""}}, {",a", ",", {"", "a"}},
        {",", ",", {"", ""}}, {"no delimiter", ",", {"no delimiter"}}, {" 1 , 2", ",", {" 1 ", " 2"}},
        {"\"a,b\",c", ",", {"\"a", "b\"", "c"}}, {"1x2X3", "x", {"1", "2", "3"}}, {"1x2X3", "X", {"1", "2", "3"}},
        {"a::b", "::", {"a", ":b"}}, {"aANDbandc", "and", {"a", "NDb", "ndc"}}, {"1x2X", "x", {"1", "2", ""}}};
    // clang-format on
    Array1<std::string_view> fields;
    for (const auto& [text, delimiter, expected] : cases) {
        EXPECT_EQ(SplitFields(text, delimiter, fields), static_cast<long>(expected.size())) << text;
        EXPECT_EQ(FieldsOf(fields), expected) << text;
        EXPECT_EQ(fields.LBound(), 1);
    }
    EXPECT_EQ(SplitFields("a,b", "", fields), 0);
    EXPECT_EQ(FieldsOf(fields), Fields{""});

    // Fields are views into the text; a new split replaces the old fields in the same storage.
    const std::string text = "1,IA,A,4,5,6,7,8";
    ASSERT_EQ(SplitFields(text, ",", fields), 8);
    EXPECT_EQ(fields(2).data(), text.data() + 2);
    const std::string_view* storage = fields.data();
    EXPECT_EQ(SplitFields("x,y", ",", fields), 2);
    EXPECT_EQ(FieldsOf(fields), (Fields{"x", "y"}));
    EXPECT_EQ(fields.data(), storage);

    // Random lines split as a plain walk does.
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> length(0, 20);
    const std::string alphabet = ",, ab1";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int i = 0; i < 5000; ++i) {
        std::string line;
        for (int n = length(rng); n > 0; --n) line += alphabet[pick(rng)];
        Fields expected{""};
        for (const char c : line) {
            if (c == ',')
                expected.emplace_back();
            else
                expected.back() += c;
        }
        ASSERT_EQ(SplitFields(line, ",", fields), static_cast<long>(expected.size())) << line;
        ASSERT_EQ(FieldsOf(fields), expected) << line;
    }
}

TEST(ReadProfileString, PrivateProfileRules)
{
    TempDir dir;
    const std::string path =
        dir.Write("a.ini",
                  "\xEF\xBB\xBF[Other]\rGeometry=wrong\n"
                  "  [ SEVRANA ]  \r\nGeometry=10,20,300,400\r\n\t WindowState \t=  \t 2 with  blanks   \n"
                  "empty=\nblank=   \nquoted=\"\"\nnoequals\nk=value   \nq=\"  inside  \"\nd=\"a, b\"\ns='x'\n"
                  "mixed=\"x'\none=\"\ninner=a \"b\" c\ntwice=\"\"a\"\"\neq=a=b\neq=second\n;c=commented\n  ;c=also\n"
                  "c=real\r\rlatin=Sy\xF6tt\xF6 1\nlong=" +
                      std::string(250, 'x') + "abcdefgh\nutf8=" + std::string(253, 'y') +
                      "\xC3\xA4\xC3\xB6\nexact=" + std::string(254, 'e') + "\ncut=" + std::string(250, 'z') +
                      "    tail\nlongquoted=\"" + std::string(260, 'q') + "\"\n" + std::string("nul=ab \0cd\n", 11) +
                      "[T]\nonlyInT=1\n[sevrana]\nlate=in second section");
    // Section and key are matched without regard to case or surrounding blanks. Trailing blanks go, leading ones
    // inside quotes stay; one pair of matching quotes goes. The first '=' splits, the first match wins, and only
    // the first section of a name is looked at. A value is cut to 254 characters, and at a NUL.
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"SEVRANA", "Geometry", "10,20,300,400"}, {" sevrana ", "geometry", "10,20,300,400"},
        {"Sevrana", "WINDOWSTATE", "2 with  blanks"}, {"Other", "Geometry", "wrong"}, {"T", "onlyInT", "1"},
        {"SEVRANA", "late", ""}, {"Missing", "Geometry", ""}, {"SEVRANA", "other", ""}, {"SEVRANA", "empty", ""},
        {"SEVRANA", "blank", ""}, {"SEVRANA", "quoted", ""}, {"SEVRANA", "noequals", ""}, {"SEVRANA", "k", "value"},
        {"SEVRANA", "q", "  inside"}, {"SEVRANA", "d", "a, b"}, {"SEVRANA", "s", "x"}, {"SEVRANA", "mixed", "\"x'"},
        {"SEVRANA", "one", "\""}, {"SEVRANA", "inner", "a \"b\" c"}, {"SEVRANA", "twice", "\"a\""},
        {"SEVRANA", "eq", "a=b"}, {"SEVRANA", "c", "real"}, {"SEVRANA", ";c", ""},
        {"SEVRANA", "latin", "Sy\xC3\xB6tt\xC3\xB6 1"}, {"SEVRANA", "long", std::string(250, 'x') + "abcd"},
        {"SEVRANA", "utf8", std::string(253, 'y') + "\xC3\xA4"}, {"SEVRANA", "exact", std::string(254, 'e')},
        {"SEVRANA", "cut", std::string(250, 'z')}, {"SEVRANA", "longquoted", std::string(254, 'q')},
        {"SEVRANA", "nul", "ab"}};
    // clang-format on
    for (const auto& [section, key, value] : cases)
        EXPECT_EQ(ReadProfileString(path, section, key), value) << section << " " << key;
    EXPECT_EQ(ReadProfileString(dir.Write("b.ini", "top=outside\n[S]\n"), "S", "top"), "");  // before any section
    EXPECT_EQ(ReadProfileString(dir / "missing.ini", "SEVRANA", "Geometry"), "");
    EXPECT_EQ(ReadProfileString(dir.Path(), "SEVRANA", "Geometry"), "");  // a folder, not a file
}

TEST(WriteProfileString, ChangesOnlyItsOwnLineRefusesWhatCannotBeWrittenOrReadBack)
{
    // File before, section, key, value, file after: a key's line is replaced with its indent and spelling, a new
    // key goes to the end of its section, a new section to the end of the file; line ends, BOM and Latin-1 stay.
    const std::vector<std::tuple<std::string, std::string, std::string, std::string, std::string>> cases = {
        {"; settings\r\n[Other]\r\nGeometry=keep\r\n\r\n[Sevrana]\r\n  geometry = old value\r\nX=1\r\n", "SEVRANA",
         "Geometry", "new", "; settings\r\n[Other]\r\nGeometry=keep\r\n\r\n[Sevrana]\r\n  geometry=new\r\nX=1\r\n"},
        {"[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n\r\n", "a", "new", "x", "[A]\r\na=1\r\nnew=x\r\n\r\n[B]\r\nb=2\r\n\r\n"},
        {"[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n\r\n", "B", "c", "3", "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\nc=3\r\n\r\n"},
        {"[A]\na=1", "B", "b", "2", "[A]\na=1\n\n[B]\nb=2\n"},
        {"[A]\r\na=1", "A", "b", "2", "[A]\r\na=1\r\nb=2\r\n"},
        {"[A]\r\na=1\r\n", "A", "b", "2", "[A]\r\na=1\r\nb=2\r\n"},
        {"[A]\na=1\n\n[B]\nb=2\n", "A", "new", "x", "[A]\na=1\nnew=x\n\n[B]\nb=2\n"},
        {"\xEF\xBB\xBF[S]\nname=Sy\xF6tt\xF6\nk=old\n", "S", "k", "\xC3\xA4",
         "\xEF\xBB\xBF[S]\nname=Sy\xF6tt\xF6\nk=\xC3\xA4\n"}};
    TempDir dir;
    for (const auto& [before, section, key, value, after] : cases) {
        const std::string path = dir.Write("a.ini", before);
        ASSERT_TRUE(WriteProfileString(path, section, key, value)) << before;
        EXPECT_EQ(ReadAll(path), after);
        EXPECT_EQ(ReadProfileString(path, section, key), value);
    }
    // The file and the folder of temporary files are left as if written in one step.
    std::string path = dir / "Sevrana.ini";
    std::filesystem::remove(dir / "a.ini");
    ASSERT_TRUE(WriteProfileString(path, "SEVRANA", "Geometry", "10,20,300,400"));
    ASSERT_TRUE(WriteProfileString(path, "SEVRANA", "WindowState", "2"));
    ASSERT_TRUE(WriteProfileString(path, "SEVRANA", "WindowState", "2"));  // unchanged
    EXPECT_EQ(ReadAll(path), "[SEVRANA]\nGeometry=10,20,300,400\nWindowState=2\n");
    ASSERT_TRUE(WriteProfileString(path, "S", "trailing", "value   "));
    ASSERT_TRUE(WriteProfileString(path, "S", "long", std::string(300, 'v')));
    EXPECT_EQ(ReadProfileString(path, "S", "trailing"), "value");
    EXPECT_EQ(ReadProfileString(path, "S", "long"), std::string(254, 'v'));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);

    // What cannot be written, or read back, is refused and leaves no file.
    path = dir / "a.ini";
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, std::string>> unreadable = {
        {"S", "", "v"}, {"S", "a=b", "v"}, {"S", ";k", "v"}, {"S", "[k", "v"}, {"S", "k", "two\nlines"},
        {"S\r", "k", "v"}, {"S", "k\n", "v"}, {"S", "k", std::string("a\0b", 3)}};
    // clang-format on
    for (const auto& [section, key, value] : unreadable)
        EXPECT_FALSE(WriteProfileString(path, section, key, value)) << section << key << value;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(WriteProfileString(dir / "no-such-folder/a.ini", "S", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
    EXPECT_FALSE(WriteProfileString(dir.Path(), "S", "k", "v"));  // a folder
}

}  // namespace
}  // namespace sevrana
