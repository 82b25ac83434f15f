// Pairing a configuration file with its data and information files on disk.

#include <gtest/gtest.h>

#include "LineReader.h"
#include "RecordingFiles.h"
#include "TempDir.h"

namespace sevrana {
namespace {

using testing::TempDir;

TEST(CompanionFiles, DataFileNameCutAtTheFirstDotFilesFoundWithoutRegardToCase)
{
    for (const auto& [cfg, dat] : {std::pair{"/rec/F1.CFG", "/rec/F1.dat"}, {"/rec/F1.old.cfg", "/rec/F1.dat"},
                                   {"/faults/2024.03/F1.cfg", "/faults/2024.03/F1.dat"}, {"F1.cfg", "F1.dat"},
                                   {"/rec/noext", "/rec/noext.dat"}})
        EXPECT_EQ(DataFileNameFor(cfg), dat);
    // On disk it is found without regard to case.
    TempDir dir;
    dir.Write("2024.03/F1.cfg", "x");
    dir.Write("2024.03/F1.DAT", "y");
    EXPECT_EQ(ResolveDataFile(dir / "2024.03/F1.cfg"), dir / "2024.03/F1.DAT");
    dir.Write("2024.03/F1.dat", "z");  // the exact name wins
    EXPECT_EQ(ResolveDataFile(dir / "2024.03/F1.cfg"), dir / "2024.03/F1.dat");
    EXPECT_EQ(ResolveDataFile(dir / "missing/G.cfg"), dir / "missing/G.dat");
    EXPECT_TRUE(FileExists(dir / "2024.03/F1.cfg"));
    EXPECT_FALSE(FileExists(dir / "2024.03"));
    EXPECT_FALSE(FileExists(dir / "nothing"));
    // The information file too.
    EXPECT_EQ(FindInfoFile(dir / "rec.cfg"), "");
    dir.Write("rec.inf", "[a]");
    EXPECT_EQ(FindInfoFile(dir / "rec.cfg"), dir / "rec.inf");
    EXPECT_EQ(FindInfoFile(dir / "nofolder/rec.cfg"), "");
    std::filesystem::create_directory(dir / "dir.INF");
    EXPECT_THROW(FindInfoFile(dir / "dir.cfg"), std::runtime_error);
}

std::vector<std::string> AllLines(LineReader& r)
{
    std::vector<std::string> lines;
    std::string_view line;
    while (r.ReadLine(line)) lines.emplace_back(line);
    return lines;
}

TEST(LineReader, EveryKindOfLineEndAndLinesAcrossReadChunksFromAFile)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"a\r\nb\rc\nd\n\re\n\nf", {"a", "b", "c", "d", "", "e", "", "f"}},
        {"\xEF\xBB\xBFx,y\r\n", {"x,y"}},
        {"\xEF\xBB\xBF", {}},
        {"", {}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\xEF\xBB\xBF,b", {"a", "\xEF\xBB\xBF,b"}}};  // only a mark at the very start is skipped
    for (const auto& [text, lines] : cases) {
        auto r = LineReader::FromMemory(text);
        EXPECT_EQ(AllLines(r), lines) << text;
    }

    TempDir dir;
    // A first line of 2^20 - 1 bytes puts its CR at the end of the first read and its LF at the start of the next.
    std::string text(std::size_t{1} << 20, 'x');
    text.back() = '\r';
    text.pop_back();
    text += "\r\n";
    std::vector<std::string> expected{std::string((std::size_t{1} << 20) - 1, 'x')};
    for (int i = 0; i < 50000; ++i) {
        expected.push_back(std::to_string(i) + std::string(static_cast<std::size_t>(i % 37), ','));
        text += expected.back() + (i % 3 == 0 ? "\r" : i % 3 == 1 ? "\n" : "\r\n");
    }
    expected.push_back(std::string(3 << 20, 'y'));  // longer than the buffer, no line end at all
    text += expected.back();
    LineReader r(dir.Write("big.txt", text));
    ASSERT_TRUE(r.IsOpen());
    EXPECT_EQ(r.SizeBytes(), text.size());
    const std::size_t head = std::size_t{3} << 19;  // more than the reader buffers at first
    EXPECT_EQ(r.Peek(head), std::string_view(text).substr(0, head));
    EXPECT_EQ(AllLines(r), expected);
    EXPECT_FALSE(r.ReadFailed());
}

TEST(LineReader, MovedReaderGoesOnWhereItWasMissingFileAndFolderDoNotOpen)
{
    TempDir dir;
    LineReader a(dir.Write("a.txt", "x\ny\nz")), b, missing(dir / "nope"), folder(dir.Path());
    std::string_view line;
    ASSERT_TRUE(a.ReadLine(line));
    EXPECT_EQ(a.Peek(3), "y\nz");
    b = std::move(a);
    EXPECT_EQ(AllLines(b), (std::vector<std::string>{"y", "z"}));
    EXPECT_TRUE(AllLines(a).empty());
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.ReadLine(line));
    EXPECT_FALSE(folder.IsOpen());
}

}  // namespace
}  // namespace sevrana
