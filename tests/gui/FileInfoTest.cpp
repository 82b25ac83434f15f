// The file information report window: its layout rule down to tiny sizes, the
// command that opens it, and the report on paper (a PDF read back): lines and
// positions, the tab on the "Station ID:" line, page breaks, copies, cancel and
// a printer that fails.

#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "File_Info.h"
#include "FormFixture.h"
#include "PdfReader.h"
#include "Printer.h"

namespace sevrana {
namespace {

using testing::FakePlatform;
using testing::PdfLine;
using testing::ReadPdf;

/// A recording model as the report reads it: nA analog channels C1.. and nD digital D1...
RecordingModel ModelWith(long nA, long nD)
{
    RecordingModel m;
    m.varConfigFile = "/data/rec/F1.cfg";
    m.varStationName = "Kallio";
    m.varDeviceId = "REL-1";
    m.varAnalogChannels = static_cast<double>(nA);
    m.intDigitalCount = static_cast<std::int16_t>(nD);
    m.varTotalChannels = static_cast<double>(nA + nD);
    m.intLineFrequency = 50;
    m.intSampleRateCount = 1;
    m.lngSampleRate = 1000;
    m.lngLastSample = 10;
    m.varStartStamp = "01/01/00,00:00:00.000000";
    m.strTriggerStamp = "01/01/00,00:00:00.005000";
    m.strRecordInfo = "Zone 1 trip";
    for (auto* names : {&m.arrAnalogNames, &m.arrAnalogUnits}) names->Redim(1, nA);
    for (auto* factors : {&m.arrFactorA, &m.arrFactorB}) factors->Redim(1, nA);
    for (auto* raw : {&m.arrRawMin, &m.arrRawMax}) raw->Redim(1, nA);
    for (long i = 1; i <= nA; ++i) {
        m.arrAnalogNames(i) = "C" + std::to_string(i);
        m.arrAnalogUnits(i) = "A";
        m.arrFactorA(i) = 1;
        m.arrRawMin(i) = -5;
        m.arrRawMax(i) = 5;
    }
    m.arrDigitalNames.Redim(1, nD);
    for (long j = 1; j <= nD; ++j) m.arrDigitalNames(j) = "D" + std::to_string(j);
    return m;
}

/// Report lines: title, rule, and the 13 + nA + nD list lines.
long ReportLines(long nA, long nD) { return 2 + 13 + nA + nD; }

class FileInfo : public ::testing::Test {
protected:
    /// Prints the report of the model through the fake printer dialog into out.pdf.
    testing::PdfText Print(const RecordingModel& model, FakePlatform::PrintAnswer answer = {})
    {
        File_Info window(model, platform);
        window.Form_Load();
        answer.outputFile = pdf;
        platform.printAnswers.push_back(answer);
        window.Command2_Click();
        EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
        EXPECT_FALSE(window.blnClosed);
        return ReadPdf(pdf);
    }

    testing::TempDir dir;
    QString pdf = QString::fromStdString(dir / "report.pdf");
    FakePlatform platform;
};

TEST_F(FileInfo, LayoutFollowsTheSizeAndKeepsTheLastListSizeWhenTooSmall)
{
    const RecordingModel model = ModelWith(2, 1);
    File_Info window(model, platform);
    window.Form_Load();
    EXPECT_EQ(window.Command1->text(), "OK");
    EXPECT_EQ(window.Command2->text(), "Print");
    // OK one margin from the corner; Print its own width twice and one margin more. Below a
    // list of 4 x 489 the list keeps its last size.
    for (const auto& [size, list, ok, print] :
         std::vector<std::tuple<QSize, QRect, QPoint, QPoint>>{{{596, 538}, {8, 8, 580, 489}, {515, 505}, {418, 505}},
                                                               {{20, 30}, {8, 8, 4, 489}, {-61, -3}, {-158, -3}},
                                                               {{10, 10}, {8, 8, 4, 489}, {-71, -23}, {-168, -23}}}) {
        window.resize(size);
        QApplication::processEvents();
        EXPECT_EQ(window.List1->geometry(), list) << size.width();
        EXPECT_EQ(window.Command1->pos(), ok) << size.width();
        EXPECT_EQ(window.Command2->pos(), print) << size.width();
    }
}

TEST_F(FileInfo, PrintedReportReadsLikeTheWindowWithOneTabMoreForTheStationId)
{
    const RecordingModel model = ModelWith(2, 1);
    const testing::PdfText text = Print(model);
    ASSERT_EQ(text.pages, 1);
    const std::vector<PdfLine> lines = text.Lines();
    ASSERT_EQ(static_cast<long>(lines.size()), ReportLines(2, 1) - 1);  // the blank line shows nothing
    EXPECT_EQ(lines[0].Text(), "COMTRADE File Information - /data/rec/F1.cfg");
    EXPECT_EQ(lines[1].Text(), QString(125, '-'));
    const QStringList expected = {"Station name: Kallio", "Station ID: REL-1", "Number of channels: 3 (2 analog and 1 digital channels)",
                                  "Line frequency: 50 Hz", "Different samplerates: 1", "Samplerate(s): 1000 Hz, 10 Samples",
                                  "First sample date and time: 01/01/00,00:00:00.000000",
                                  "Trigger point date and time: 01/01/00,00:00:00.005000", "Trigger reason: Zone 1 trip",
                                  // " " prints nothing pdftotext can see
                                  "Channel information", "Analog channel(s):",
                                  "1: C1, Conversion (ax+b): a=1, b=0, Unit: A, Value range: -5 A to 5 A",
                                  "2: C2, Conversion (ax+b): a=1, b=0, Unit: A, Value range: -5 A to 5 A",
                                  "Digital channel(s):", "1: D1"};
    QStringList printed;
    for (std::size_t k = 2; k < lines.size(); ++k) printed << lines[k].Text();
    EXPECT_EQ(printed, expected);

    // One margin (1000 twips = 50 pt) from the left and the top; lines 10 points apart and more.
    EXPECT_NEAR(lines[0].x, 50, 0.5);
    EXPECT_NEAR(lines[0].y, 50, 3);
    // The channel lines ("\t1: C1, ...") one tab stop (below) further in.
    for (const PdfLine& line : lines) {
        const bool tabbed = line.Text().contains(QRegularExpression(QStringLiteral("^[12]:")));
        EXPECT_NEAR(line.x, tabbed ? 50 + 47.2 : 50, 0.5) << line.Text().toStdString();
    }
    const double spacing = lines[3].y - lines[2].y;
    EXPECT_NEAR(spacing, 11.5, 1.5);
    EXPECT_NEAR(lines[11].y - lines[10].y, 2 * spacing, 0.5);  // the blank line keeps its place

    // Tab stops every eight average widths of 10-point Liberation Sans (5.9 pt): 47.2 pt from
    // the margin. "Station name:" passes the first stop, so two tabs reach the third; the
    // shorter "Station ID:" needs its third tab on paper to stand there too.
    const auto valueX = [&](std::size_t line) {
        for (const testing::PdfWord& w : text.words)
            if (std::abs(w.yMin - lines[line].y) < 1 && w.text == lines[line].words.back()) return w.xMin;
        return -1.0;
    };
    for (std::size_t line = 2; line <= 3; ++line) EXPECT_NEAR(valueX(line) - 50, 3 * 47.2, 0.5) << line;
    // The printer font: Arial's stand-in, the last of Times, Helvetica and Arial that is there.
    const QString fonts = testing::PdfFonts(pdf);
    EXPECT_TRUE(fonts.contains("LiberationSans")) << fonts.toStdString();
    EXPECT_FALSE(fonts.contains("LiberationSerif")) << fonts.toStdString();
}

TEST_F(FileInfo, LongReportBreaksTwoMarginsAboveTheBottomWithNoEmptyLastPage)
{
    // 100 channels: more than a page. Count what the first page holds.
    testing::PdfText text = Print(ModelWith(100, 0));
    ASSERT_EQ(text.pages, 2);
    std::vector<PdfLine> lines = text.Lines();
    long firstPage = 0;
    for (const PdfLine& line : lines) firstPage += line.page == 1 ? 1 : 0;
    const double spacing = lines[3].y - lines[2].y;
    // The page ends with the line that reaches two margins (100 pt) above the bottom.
    const double limit = text.pageHeight - 100;
    const double lastTop = lines[static_cast<std::size_t>(firstPage - 1)].y;
    EXPECT_GE(lastTop + spacing, limit - 3);
    EXPECT_LT(lastTop, limit - 3);
    // The next page starts one margin from the top.
    EXPECT_EQ(lines[static_cast<std::size_t>(firstPage)].page, 2);
    EXPECT_NEAR(lines[static_cast<std::size_t>(firstPage)].y, lines[0].y, 0.5);
    EXPECT_EQ(static_cast<long>(lines.size()), ReportLines(100, 0) - 1);  // less the blank line

    // A report that ends with exactly that line stays on one page...
    const long fits = firstPage + 1 - 15;  // analog channels that fill page 1 (the blank line counts)
    text = Print(ModelWith(fits, 0));
    EXPECT_EQ(text.pages, 1);
    EXPECT_EQ(text.Lines().back().Text(), "Digital channel(s):");
    // ...and one line more goes on a second page of its own.
    text = Print(ModelWith(fits, 1));
    ASSERT_EQ(text.pages, 2);
    lines = text.Lines();
    EXPECT_EQ(lines.back().page, 2);
    EXPECT_EQ(lines.back().Text(), "1: D1");
    EXPECT_EQ(lines[lines.size() - 2].page, 1);
}

TEST_F(FileInfo, CopiesEachStartAPageOfOneDocumentAndTheRangePicksTheSamePagesOfEach)
{
    testing::PdfText text = Print(ModelWith(1, 0), {QString(), 2});
    ASSERT_EQ(text.pages, 2);
    QStringList first, second;
    for (const PdfLine& line : text.Lines()) (line.page == 1 ? first : second) << line.Text();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second.first(), "COMTRADE File Information - /data/rec/F1.cfg");

    // 150 channels: three pages a copy; pages 2 to 3 of two copies are four pages.
    const RecordingModel model = ModelWith(150, 0);
    auto firstLines = [](const testing::PdfText& t) {
        QStringList starts;
        int page = 0;
        for (const PdfLine& line : t.Lines())
            if (line.page != page) starts << line.Text(), page = line.page;
        return starts;
    };
    const QStringList all = firstLines(Print(model));
    ASSERT_EQ(all.size(), 3);
    const auto range = [](int copies, int from, int to) {
        return FakePlatform::PrintAnswer{QString(), copies, false, QPrinter::Color, QPageSize(QPageSize::A4), from, to};
    };
    EXPECT_EQ(firstLines(Print(model, range(2, 2, 3))), QStringList({all[1], all[2], all[1], all[2]}));
    EXPECT_EQ(firstLines(Print(model, range(1, 3, 7))), QStringList{all[2]});
    text = Print(model, range(1, 4, 4));
    EXPECT_EQ(text.pages, 1);
    EXPECT_TRUE(text.words.empty());
}

TEST_F(FileInfo, WideLinesWrapInsideThePaperWithTheirContinuationIndented)
{
    RecordingModel model = ModelWith(1, 0);
    model.varStationName =
        "Kallio 110 kV substation, feeder bay J04 north, line protection relay panel A, "
        "recorded during the commissioning tests of the new breaker";
    model.arrAnalogNames(1) = std::string(250, 'I');  // wider than a line by itself
    File_Info window(model, platform);
    window.Form_Load();
    QString expected = "COMTRADE File Information - /data/rec/F1.cfg" + QString(125, '-');
    for (const QString& line : window.Lines()) expected += line;
    expected.remove(QRegularExpression(QStringLiteral("\\s")));
    for (const QPageSize& size : {QPageSize(QPageSize::A4), QPageSize(QPageSize::A6)}) {
        const testing::PdfText text = Print(model, {QString(), 1, false, QPrinter::Color, size});
        const std::vector<PdfLine> lines = text.Lines();
        QString printed;
        for (const PdfLine& line : lines) printed += line.words.join(QString());
        EXPECT_EQ(printed, expected) << text.pageWidth;
        // Inside the margins of 50 pt, and up to the right one; the continuations two tab stops further in.
        double right = 0;
        for (const testing::PdfWord& w : text.words) {
            EXPECT_GE(w.xMin, 50 - 0.5) << w.text.toStdString();
            EXPECT_LE(w.xMax, text.pageWidth - 50 + 0.5) << w.text.toStdString();
            right = std::max(right, w.xMax);
        }
        EXPECT_GT(right, text.pageWidth - 50 - 5);
        int continued = 0;
        for (std::size_t k = 1; k < lines.size(); ++k)
            if (std::abs(lines[k].x - (50 + 2 * 47.2)) < 0.5) ++continued;
        EXPECT_GE(continued, text.pageWidth < 400 ? 8 : 2) << text.pageWidth;
    }
}

TEST_F(FileInfo, CancelPrintsNothingAFailingPrinterSaysSoAndAnAbandonedDocumentLeavesNoFile)
{
    const RecordingModel model = ModelWith(1, 0);
    File_Info window(model, platform);
    window.Form_Load();
    platform.printAnswers.push_back(std::nullopt);
    window.Command2_Click();
    EXPECT_EQ(platform.printDialogsOfferingSelection, std::vector<bool>{false});
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_TRUE(platform.printers.empty());

    const QString unwritable = QString::fromStdString(dir / "no-such-folder/report.pdf");
    platform.printAnswers.push_back(FakePlatform::PrintAnswer{unwritable});
    window.Command2_Click();
    EXPECT_EQ(platform.messages, QStringList{"Error # 482 was generated by Sevrana\rPrinter error"});
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.blnClosed);
    EXPECT_FALSE(QFileInfo::exists(unwritable));

    // A document abandoned half-way leaves no half-written file.
    platform.printAnswers.push_back(FakePlatform::PrintAnswer{pdf});
    const std::optional<PrintSetup> setup = platform.PrintDialog(nullptr, false);
    ASSERT_TRUE(setup.has_value());
    {
        Printer printer(*setup->printer);
        printer.Print(QStringLiteral("page 1"));
        printer.NewPage();
        EXPECT_EQ(printer.Pages(), 2);
        EXPECT_TRUE(QFileInfo::exists(pdf));  // the file is open and being written
    }
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

class FileInfoCommand : public testing::LoadedForm {};

TEST_F(FileInfoCommand, OpensTitledCentredAndFilledThenOkEndsTheWait)
{
    Load(100);
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* report = qobject_cast<File_Info*>(QApplication::activeModalWidget());
        ASSERT_NE(report, nullptr);
        ran = true;
        EXPECT_FALSE(form->isEnabled());
        EXPECT_EQ(report->windowTitle(), "COMTRADE File Information - " + QString::fromStdString(dir / "rec100.cfg"));
        EXPECT_EQ(report->List1->item(0)->text(), "Station name:\t\tKallio");
        EXPECT_EQ(report->List1->item(report->List1->count() - 1)->text(), "\t1: TRIP");
        // Centred on the screen.
        const QRect screen = report->screen()->geometry();
        EXPECT_LE(std::abs(report->geometry().center().x() - screen.center().x()), 3);
        EXPECT_LE(std::abs(report->geometry().center().y() - screen.center().y()), 3);
        QTest::keyClick(report->List1, Qt::Key_Return);  // OK is the default button
    });
    form->Filinfo->trigger();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace sevrana
