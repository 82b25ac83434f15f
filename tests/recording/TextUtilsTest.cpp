// Trimming, UTF-8 checks and decoding, field splitting, NUL cutting and profile
// files (reading with the private-profile rules, writing back atomically).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TextUtils.h"

namespace sevrana {
namespace {

using testing::TempDir;

std::vector<std::string> FieldsOf(const Array1<std::string_view>& fields)
{
    std::vector<std::string> out;
    for (long i = fields.LBound(); i <= fields.UBound(); ++i) out.emplace_back(fields(i));
    return out;
}

using Fields = std::vector<std::string>;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// ---- Trimming and case --------------------------------------------------------

TEST(TrimBlanks, OnlySpacesAreBlanks)
{
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(TrimBlanks("    "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimTrailingBlanks("  a  "), "  a");
    EXPECT_EQ(TrimTrailingBlanks("a\t "), "a\t");
    EXPECT_EQ(TrimTrailingBlanks("   "), "");
}

TEST(EqualsIgnoreCase, AsciiLettersOnly)
{
    EXPECT_TRUE(EqualsIgnoreCase("Sevrana", "sEVRANA"));
    EXPECT_TRUE(EqualsIgnoreCase("", ""));
    EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));
    EXPECT_FALSE(EqualsIgnoreCase("[", "{"));  // differ by 0x20 but are not letters
    EXPECT_FALSE(EqualsIgnoreCase("\xC3\xA4", "\xC3\x84"));
    EXPECT_EQ(ToUpperAscii("abc-xyz \xC3\xA4{}"), "ABC-XYZ \xC3\xA4{}");
}

// ---- UTF-8 ----------------------------------------------------------------

TEST(IsValidUtf8, AcceptsWellFormedText)
{
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ASCII"));
    EXPECT_TRUE(IsValidUtf8("Kes\xC3\xA4"));           // U+00E4
    EXPECT_TRUE(IsValidUtf8("\xE2\x82\xAC"));          // U+20AC
    EXPECT_TRUE(IsValidUtf8("\xED\x9F\xBF"));          // U+D7FF, just below the surrogates
    EXPECT_TRUE(IsValidUtf8("\xEE\x80\x80"));          // U+E000, just above them
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));      // U+1F600
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));      // U+10FFFF
    EXPECT_TRUE(IsValidUtf8(std::string("a\0b", 3)));  // NUL is a character
}

TEST(IsValidUtf8, RefusesMalformedText)
{
    for (const char* bytes : {
             "\x80",              // lone continuation
             "\xC3",              // truncated
             "\xE2\x82",          // truncated
             "\xC0\xAF",          // overlong '/'
             "\xC1\xBF",          // overlong
             "\xE0\x9F\xBF",      // overlong three-byte
             "\xF0\x8F\xBF\xBF",  // overlong four-byte
             "\xED\xA0\x80",      // surrogate U+D800
             "\xED\xBF\xBF",      // surrogate U+DFFF
             "\xF4\x90\x80\x80",  // above U+10FFFF
             "\xF5\x80\x80\x80", "\xFF", "\xFE",
             "\xC3\x28",                                     // second byte not a continuation
             "\xE2\x28\xA1", "\xF0\x9F\x28\x80", "Kes\xE4",  // Latin-1
         }) {
        EXPECT_FALSE(IsValidUtf8(bytes)) << ::testing::PrintToString(std::string(bytes));
    }
}

TEST(DecodeText, KeepsUtf8AndReadsAnythingElseAsLatin1)
{
    EXPECT_EQ(DecodeText("abc"), "abc");
    EXPECT_EQ(DecodeText("Kes\xC3\xA4"), "Kes\xC3\xA4");
    EXPECT_EQ(DecodeText("Kes\xE4"), "Kes\xC3\xA4");
    EXPECT_EQ(DecodeText("\260C \377\200"), "\302\260C \303\277\302\200");  // octal: B0 'C' FF 80
    // One invalid byte makes the whole text Latin-1, even valid sequences in it.
    EXPECT_EQ(DecodeText("\xC3\xA4\xE4"), "\xC3\x83\xC2\xA4\xC3\xA4");
    EXPECT_TRUE(IsValidUtf8(DecodeText("\xED\xA0\x80\xC0\xAF")));
}

// ---- SplitFields --------------------------------------------------------------

TEST(SplitFields, EdgeCases)
{
    Array1<std::string_view> fields;
    EXPECT_EQ(SplitFields("", ",", fields), 1);
    EXPECT_EQ(FieldsOf(fields), (Fields{""}));
    EXPECT_EQ(SplitFields("a,,b", ",", fields), 3);
    EXPECT_EQ(FieldsOf(fields), (Fields{"a", "", "b"}));
    EXPECT_EQ(SplitFields("a,b,", ",", fields), 3);
    EXPECT_EQ(FieldsOf(fields), (Fields{"a", "b", ""}));
    EXPECT_EQ(SplitFields(",a", ",", fields), 2);
    EXPECT_EQ(FieldsOf(fields), (Fields{"", "a"}));
    EXPECT_EQ(SplitFields(",", ",", fields), 2);
    EXPECT_EQ(FieldsOf(fields), (Fields{"", ""}));
    EXPECT_EQ(SplitFields("no delimiter", ",", fields), 1);
    EXPECT_EQ(FieldsOf(fields), (Fields{"no delimiter"}));
    EXPECT_EQ(fields.LBound(), 1);
    EXPECT_EQ(fields.UBound(), 1);
}

TEST(SplitFields, BlanksAndQuotesStayInTheFields)
{
    Array1<std::string_view> fields;
    EXPECT_EQ(SplitFields(" 1 , 2 ", ",", fields), 2);
    EXPECT_EQ(FieldsOf(fields), (Fields{" 1 ", " 2 "}));
    EXPECT_EQ(SplitFields(" 1 , 2", ",", fields), 2);
    EXPECT_EQ(FieldsOf(fields), (Fields{" 1 ", " 2"}));
    EXPECT_EQ(SplitFields("\"a,b\",c", ",", fields), 3);
    EXPECT_EQ(FieldsOf(fields), (Fields{"\"a", "b\"", "c"}));
}

TEST(SplitFields, FieldsAreViewsIntoTheText)
{
    const std::string text = "1,IA,A";
    Array1<std::string_view> fields;
    ASSERT_EQ(SplitFields(text, ",", fields), 3);
    EXPECT_EQ(fields(2).data(), text.data() + 2);
}

TEST(SplitFields, LetterCaseOfTheDelimiterIsIgnored)
{
    Array1<std::string_view> fields;
    EXPECT_EQ(SplitFields("1x2X3", "x", fields), 3);
    EXPECT_EQ(FieldsOf(fields), (Fields{"1", "2", "3"}));
    EXPECT_EQ(SplitFields("1x2X3", "X", fields), 3);
}

TEST(SplitFields, LongerDelimiterStartsTheNextFieldOneCharacterAfterIt)
{
    // The next field begins one character after the delimiter's position,
    // so the rest of a longer delimiter stays in it.
    Array1<std::string_view> fields;
    EXPECT_EQ(SplitFields("a::b", "::", fields), 2);
    EXPECT_EQ(FieldsOf(fields), (Fields{"a", ":b"}));
    EXPECT_EQ(SplitFields("aANDbandc", "and", fields), 3);
    EXPECT_EQ(FieldsOf(fields), (Fields{"a", "NDb", "ndc"}));
}

TEST(SplitFields, EmptyDelimiterFails)
{
    Array1<std::string_view> fields;
    SplitFields("a,b,c", ",", fields);
    EXPECT_EQ(SplitFields("a,b", "", fields), 0);
    EXPECT_EQ(FieldsOf(fields), (Fields{""}));
}

TEST(SplitFields, ResultReplacesOldContentsAndKeepsStorage)
{
    Array1<std::string_view> fields;
    SplitFields("1,2,3,4,5,6,7,8", ",", fields);
    const std::string_view* storage = fields.data();
    EXPECT_EQ(SplitFields("x,y", ",", fields), 2);
    EXPECT_EQ(FieldsOf(fields), (Fields{"x", "y"}));
    EXPECT_EQ(fields.UBound(), 2);
    EXPECT_EQ(fields.data(), storage);
}

TEST(SplitFields, MatchesSimpleSplitOnRandomLines)
{
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> length(0, 20);
    const std::string alphabet = ",, ab1";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    Array1<std::string_view> fields;
    for (int i = 0; i < 5000; ++i) {
        std::string text;
        for (int n = length(rng); n > 0; --n) text += alphabet[pick(rng)];
        Fields expected{""};
        for (const char c : text) {
            if (c == ',')
                expected.emplace_back();
            else
                expected.back() += c;
        }
        ASSERT_EQ(SplitFields(text, ",", fields), static_cast<long>(expected.size())) << text;
        ASSERT_EQ(FieldsOf(fields), expected) << text;
    }
}

// ---- CutAtNul -------------------------------------------------------------------

TEST(CutAtNul, CutsAtTheFirstNul)
{
    EXPECT_EQ(CutAtNul("abc"), "abc");
    EXPECT_EQ(CutAtNul(""), "");
    EXPECT_EQ(CutAtNul(std::string_view("ab\0cd\0", 6)), "ab");
    EXPECT_EQ(CutAtNul(std::string_view("\0abc", 4)), "");
}

// ---- ReadProfileString ------------------------------------------------------

TEST(ReadProfileString, FindsKeyInSectionWithoutRegardToCase)
{
    TempDir dir;
    const std::string path = dir.Write("Sevrana.ini",
                                       "[Other]\r\nGeometry=wrong\r\n"
                                       "[SEVRANA]\r\nGeometry=10,20,300,400\r\nWindowState=2\r\n");
    EXPECT_EQ(ReadProfileString(path, "SEVRANA", "Geometry"), "10,20,300,400");
    EXPECT_EQ(ReadProfileString(path, "sevrana", "geometry"), "10,20,300,400");
    EXPECT_EQ(ReadProfileString(path, "Sevrana", "WINDOWSTATE"), "2");
    EXPECT_EQ(ReadProfileString(path, "Other", "Geometry"), "wrong");
}

TEST(ReadProfileString, MissingFileSectionKeyOrValueGiveEmpty)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[S]\nkey=\nblank=   \nquoted=\"\"\nnoequals\n");
    EXPECT_EQ(ReadProfileString(dir / "missing.ini", "S", "key"), "");
    EXPECT_EQ(ReadProfileString(path, "T", "key"), "");
    EXPECT_EQ(ReadProfileString(path, "S", "other"), "");
    EXPECT_EQ(ReadProfileString(path, "S", "key"), "");
    EXPECT_EQ(ReadProfileString(path, "S", "blank"), "");
    EXPECT_EQ(ReadProfileString(path, "S", "quoted"), "");
    EXPECT_EQ(ReadProfileString(path, "S", "noequals"), "");
    EXPECT_EQ(ReadProfileString(dir.Path(), "S", "key"), "");  // a folder, not a file
}

TEST(ReadProfileString, BlanksAroundNamesAndValues)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini",
                                       "  [ Public Record_Information ]  \n"
                                       "\t Record_Information \t=  \t Line 1 with  blanks   \n");
    EXPECT_EQ(ReadProfileString(path, "Public Record_Information", "Record_Information"), "Line 1 with  blanks");
    EXPECT_EQ(ReadProfileString(path, " public record_information ", "record_information"), "Line 1 with  blanks");
}

TEST(ReadProfileString, ValueEndingInBlanksComesBackWithoutThem)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[S]\nk=value   \nq=\"  inside  \"\n");
    EXPECT_EQ(ReadProfileString(path, "S", "k"), "value");
    // Quotes are removed, then trailing blanks; leading blanks inside them stay.
    EXPECT_EQ(ReadProfileString(path, "S", "q"), "  inside");
}

TEST(ReadProfileString, MatchingQuotesAroundTheValueAreRemoved)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini",
                                       "[S]\nd=\"a, b\"\ns='x'\nmixed=\"x'\none=\"\ninner=a \"b\" c\n"
                                       "twice=\"\"a\"\"\n");
    EXPECT_EQ(ReadProfileString(path, "S", "d"), "a, b");
    EXPECT_EQ(ReadProfileString(path, "S", "s"), "x");
    EXPECT_EQ(ReadProfileString(path, "S", "mixed"), "\"x'");
    EXPECT_EQ(ReadProfileString(path, "S", "one"), "\"");
    EXPECT_EQ(ReadProfileString(path, "S", "inner"), "a \"b\" c");
    EXPECT_EQ(ReadProfileString(path, "S", "twice"), "\"a\"");
}

TEST(ReadProfileString, FirstEqualsSplitsAndFirstMatchWins)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini",
                                       "top=outside\n[S]\nk=a=b\nk=second\n; k=comment\n"
                                       "[T]\nonlyInT=1\n[s]\nk=third\nlate=in second S\n");
    EXPECT_EQ(ReadProfileString(path, "S", "k"), "a=b");
    EXPECT_EQ(ReadProfileString(path, "S", "top"), "");  // keys before any section belong to none
    EXPECT_EQ(ReadProfileString(path, "T", "onlyInT"), "1");
    // Only the first section of a name is looked at.
    EXPECT_EQ(ReadProfileString(path, "S", "late"), "");
}

TEST(ReadProfileString, CommentsAreSkipped)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[S]\n;k=commented\n  ;k=also\nk=real\n");
    EXPECT_EQ(ReadProfileString(path, "S", "k"), "real");
    EXPECT_EQ(ReadProfileString(path, "S", ";k"), "");
}

TEST(ReadProfileString, EveryLineEndAndAByteOrderMark)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "\xEF\xBB\xBF[S]\ra=1\r\nb=2\nc=3\r\rd=4");
    EXPECT_EQ(ReadProfileString(path, "S", "a"), "1");
    EXPECT_EQ(ReadProfileString(path, "S", "b"), "2");
    EXPECT_EQ(ReadProfileString(path, "S", "c"), "3");
    EXPECT_EQ(ReadProfileString(path, "S", "d"), "4");
}

TEST(ReadProfileString, ValueIsCutTo254Characters)
{
    TempDir dir;
    const std::string longValue = std::string(250, 'x') + "abcdefgh";
    // 253 ASCII characters and a two-byte character end exactly at 254.
    const std::string utf8Value = std::string(253, 'y') + "\xC3\xA4" + "\xC3\xB6";
    const std::string blanksAtCut = std::string(250, 'z') + "    tail";
    const std::string path =
        dir.Write("a.ini", "[S]\nlong=" + longValue + "\nutf8=" + utf8Value + "\nexact=" + std::string(254, 'e') +
                               "\ncut=" + blanksAtCut + "\nquoted=\"" + std::string(260, 'q') + "\"\n");
    EXPECT_EQ(ReadProfileString(path, "S", "long"), std::string(250, 'x') + "abcd");
    EXPECT_EQ(ReadProfileString(path, "S", "utf8"), std::string(253, 'y') + "\xC3\xA4");
    EXPECT_EQ(ReadProfileString(path, "S", "exact"), std::string(254, 'e'));
    EXPECT_EQ(ReadProfileString(path, "S", "cut"), std::string(250, 'z'));
    EXPECT_EQ(ReadProfileString(path, "S", "quoted"), std::string(254, 'q'));
}

TEST(ReadProfileString, NulEndsTheValue)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", std::string("[S]\nk=ab \0cd\n", 13));
    EXPECT_EQ(ReadProfileString(path, "S", "k"), "ab");
}

TEST(ReadProfileString, Latin1LinesAreDecoded)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[Public Record_Information]\nRecord_Information=Sy\xF6tt\xF6 1\n");
    EXPECT_EQ(ReadProfileString(path, "Public Record_Information", "Record_Information"), "Sy\xC3\xB6tt\xC3\xB6 1");
}

// ---- WriteProfileString -----------------------------------------------------

TEST(WriteProfileString, CreatesTheFileAndReadsBack)
{
    TempDir dir;
    const std::string path = dir / "Sevrana.ini";
    ASSERT_TRUE(WriteProfileString(path, "SEVRANA", "Geometry", "10,20,300,400"));
    ASSERT_TRUE(WriteProfileString(path, "SEVRANA", "WindowState", "2"));
    EXPECT_EQ(ReadAll(path), "[SEVRANA]\nGeometry=10,20,300,400\nWindowState=2\n");
    EXPECT_EQ(ReadProfileString(path, "SEVRANA", "Geometry"), "10,20,300,400");
    EXPECT_EQ(ReadProfileString(path, "SEVRANA", "WindowState"), "2");
}

TEST(WriteProfileString, ReplacesTheValueKeepingEverythingElse)
{
    TempDir dir;
    const std::string original =
        "; settings\r\n[Other]\r\nGeometry=keep\r\n\r\n[Sevrana]\r\n  geometry = old value\r\nX=1\r\n";
    const std::string path = dir.Write("a.ini", original);
    ASSERT_TRUE(WriteProfileString(path, "SEVRANA", "Geometry", "new"));
    EXPECT_EQ(ReadAll(path), "; settings\r\n[Other]\r\nGeometry=keep\r\n\r\n[Sevrana]\r\n  geometry=new\r\nX=1\r\n");
    EXPECT_EQ(ReadProfileString(path, "Other", "Geometry"), "keep");
}

TEST(WriteProfileString, AddsKeyAtTheEndOfItsSection)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n\r\n");
    ASSERT_TRUE(WriteProfileString(path, "a", "new", "x"));
    ASSERT_TRUE(WriteProfileString(path, "B", "c", "3"));
    EXPECT_EQ(ReadAll(path), "[A]\r\na=1\r\nnew=x\r\n\r\n[B]\r\nb=2\r\nc=3\r\n\r\n");
}

TEST(WriteProfileString, AppendsANewSection)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[A]\na=1");
    ASSERT_TRUE(WriteProfileString(path, "B", "b", "2"));
    EXPECT_EQ(ReadAll(path), "[A]\na=1\n\n[B]\nb=2\n");
    EXPECT_EQ(ReadProfileString(path, "A", "a"), "1");
    EXPECT_EQ(ReadProfileString(path, "B", "b"), "2");
}

TEST(WriteProfileString, AddsToASectionEndingWithoutLineEnd)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[A]\r\na=1");
    ASSERT_TRUE(WriteProfileString(path, "A", "b", "2"));
    EXPECT_EQ(ReadAll(path), "[A]\r\na=1\r\nb=2\r\n");
}

TEST(WriteProfileString, ValueWithTrailingBlanksReadsBackWithoutThem)
{
    TempDir dir;
    const std::string path = dir / "a.ini";
    ASSERT_TRUE(WriteProfileString(path, "S", "k", "value   "));
    EXPECT_EQ(ReadProfileString(path, "S", "k"), "value");
}

TEST(WriteProfileString, LongValueReadsBackCutTo254)
{
    TempDir dir;
    const std::string path = dir / "a.ini";
    ASSERT_TRUE(WriteProfileString(path, "S", "k", std::string(300, 'v')));
    EXPECT_EQ(ReadProfileString(path, "S", "k"), std::string(254, 'v'));
}

TEST(WriteProfileString, KeepsLatin1LinesAndBom)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "\xEF\xBB\xBF[S]\nname=Sy\xF6tt\xF6\nk=old\n");
    ASSERT_TRUE(WriteProfileString(path, "S", "k", "\xC3\xA4"));
    EXPECT_EQ(ReadAll(path), "\xEF\xBB\xBF[S]\nname=Sy\xF6tt\xF6\nk=\xC3\xA4\n");
    EXPECT_EQ(ReadProfileString(path, "S", "k"), "\xC3\xA4");
    EXPECT_EQ(ReadProfileString(path, "S", "name"), "Sy\xC3\xB6tt\xC3\xB6");
}

TEST(WriteProfileString, FailsWhenTheFileCannotBeWritten)
{
    TempDir dir;
    EXPECT_FALSE(WriteProfileString(dir / "no-such-folder/a.ini", "S", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
    EXPECT_FALSE(WriteProfileString(dir.Path(), "S", "k", "v"));  // a folder
}

TEST(WriteProfileString, RefusesTextsThatCannotReadBack)
{
    TempDir dir;
    const std::string path = dir / "a.ini";
    EXPECT_FALSE(WriteProfileString(path, "S", "", "v"));
    EXPECT_FALSE(WriteProfileString(path, "S", "a=b", "v"));
    EXPECT_FALSE(WriteProfileString(path, "S", ";k", "v"));
    EXPECT_FALSE(WriteProfileString(path, "S", "k", "two\nlines"));
    EXPECT_FALSE(WriteProfileString(path, "S\r", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(WriteProfileString, LeavesNoTemporaryFilesBehind)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[S]\nk=1\n");
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(WriteProfileString(path, "S", "k", std::to_string(i)));
    ASSERT_TRUE(WriteProfileString(path, "S", "k", "4"));  // unchanged
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
    EXPECT_EQ(ReadProfileString(path, "S", "k"), "4");
}

}  // namespace
}  // namespace sevrana
