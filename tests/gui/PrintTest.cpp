// File > Print and Alt + Print Screen, read back from the PDF files the fake
// printer dialog has them written into: the analog page's axes, labels, grid,
// trace and trigger in page units, the markers and their title read-outs, the
// digital page's bands, the order of pages and copies, failures, and the
// window capture. Positions are in points (20 twips) from the page's top left.

#include <QDialog>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "FormFixture.h"
#include "PdfReader.h"

namespace sevrana {
namespace {

using testing::FakePlatform;
using testing::PdfLine;
using testing::PdfText;
using testing::RecordingText;

constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 128, 0);
constexpr QRgb kGrey = qRgb(64, 64, 64);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);

/// 100 samples at 1000 per second of IA (= sample number - 50) and UA, and the
/// digital channels PU, TRIP, CB; the trigger is sample 51.
RecordingText Recording()
{
    RecordingText rec;
    rec.counts = "5,2A,3D";
    rec.analog[0] = "1,IA,A,,A,1,0,0,-100,100";
    rec.digital = {"3,PU,0", "4,TRIP,0", "5,CB,0"};
    rec.rate = "1000,100";
    rec.trigger = "01/01/00,00:00:00.050000";
    rec.data.clear();
    for (int k = 1; k <= 100; ++k)
        rec.data.push_back(std::to_string(k) + "," + std::to_string((k - 1) * 1000) + "," + std::to_string(k - 50) +
                           ",5," + (k > 30 ? "1" : "0") + "," + (k > 60 ? "1" : "0") + "," + (k % 20 < 10 ? "1" : "0"));
    return rec;
}

class Printing : public testing::LoadedForm {
protected:
    void SetUp() override
    {
        LoadedForm::SetUp();
        Load(Recording());
        form->State().model.arrChannelScale(1) = 100;
    }

    /// File > Print into the PDF; the text read back.
    PdfText Print(FakePlatform::PrintAnswer answer = {})
    {
        answer.outputFile = pdf;
        platform.printAnswers.push_back(answer);
        form->PrintActive->trigger();
        EXPECT_TRUE(form->isEnabled());
        return testing::ReadPdf(pdf);
    }
    /// The words of page p whose text is t.
    static std::vector<testing::PdfWord> Words(const PdfText& text, int p, const QString& t)
    {
        std::vector<testing::PdfWord> found;
        for (const auto& w : text.words)
            if (w.page == p && w.text == t) found.push_back(w);
        return found;
    }
    /// The first such word; a failure (and positions that fail every comparison) when there is none.
    static testing::PdfWord First(const PdfText& text, int p, const QString& t)
    {
        const auto words = Words(text, p, t);
        EXPECT_FALSE(words.empty()) << t.toStdString();
        const double nan = std::nan("");
        return words.empty() ? testing::PdfWord{t, p, nan, nan, nan, nan} : words.front();
    }
    /// Minimizes (or shows again) channel windows.
    void Minimize(std::initializer_list<long> windows, bool minimized = true)
    {
        for (long i : windows) minimized ? Window(i).Frame()->showMinimized() : Window(i).Frame()->showNormal();
        QApplication::processEvents();
    }
    static QStringList Titles(const PdfText& text)
    {
        QStringList titles;
        for (const PdfLine& line : text.Lines())
            if (line.Text().startsWith(QLatin1String("Kallio REL"))) continue;
            else if (line.Text().startsWith(QLatin1String("Kallio"))) titles << line.Text();
        return titles;
    }

    QString pdf = QString::fromStdString(dir / "pages.pdf");
};

/// The answer that prints pages from..to of each copy.
FakePlatform::PrintAnswer Range(int copies, int from, int to)
{
    return {QString(), copies, false, QPrinter::Color, QPageSize(QPageSize::A4), from, to};
}

/// The height of a line of the 10-point printer font, in twips.
double TextHeight()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(200);
    return QFontMetricsF(font).height();
}

/// The first and the last column (x), from left on, that hold a colour in rows top..bottom; NaN,
/// which fails every comparison, when none does.
std::pair<double, double> ColumnsWith(const QImage& image, QRgb colour, int top, int bottom, int left = 0)
{
    const double nan = std::nan("");
    std::pair<double, double> columns{nan, nan};
    for (int x = left; x < image.width(); ++x)
        for (int y = std::max(top, 0); y <= std::min(bottom, image.height() - 1); ++y)
            if (image.pixel(x, y) == colour) {
                columns = {std::isnan(columns.first) ? x : columns.first, x};
                break;
            }
    return columns;
}

TEST_F(Printing, AnalogPageHasItsAxisLabelsTriggerAndTitleInPlace)
{
    const PdfText text = Print();
    ASSERT_EQ(text.pages, 3);
    const double H = text.pageHeight * 20, W = text.pageWidth * 20, P = H - 500;
    const double dy = std::round(P / 10);  // P / 10 is not a half here
    // Eleven labels from 100 A down to -100 A, 6 pt from the left, each centred on its tick
    // (the top one hangs below the top, 0 and -100 stand above theirs).
    const QStringList values = {"100", "80", "60", "40", "20", "0", "-20", "-40", "-60", "-80", "-100"};
    std::vector<double> labelTops;
    for (const QString& value : values) {
        EXPECT_NEAR(First(text, 1, value).xMin, 6, 0.5) << value.toStdString();
        labelTops.push_back(First(text, 1, value).yMin);
    }
    for (int k = 1; k <= 4; ++k)
        EXPECT_NEAR(labelTops[static_cast<std::size_t>(k)] - labelTops[1], (k - 1) * dy / 20, 0.3) << k;
    EXPECT_LT(labelTops[0], 2.5);
    EXPECT_LT(labelTops[5], 5 * dy / 20 - 2);  // above the zero line
    EXPECT_LT(labelTops[10], 10 * dy / 20 - 2);

    // Trigger: sample 51 of a view of 99 samples, the line dashed and grey, the texts beside it.
    const double xT = W * 50 / 99 / 20;
    const QImage page = testing::RenderPdfPage(pdf, 1, 72);
    const auto [greyLeft, greyRight] = ColumnsWith(page, kGrey, 30, static_cast<int>(P / 20) - 30);
    EXPECT_NEAR(greyLeft, xT, 1);
    EXPECT_NEAR(greyRight, xT, 1);
    EXPECT_NEAR(First(text, 1, "Trigger").xMin, xT + 1, 0.5);
    QStringList annotation;
    for (const PdfLine& line : text.Lines())
        if (line.page == 1 && std::abs(line.x - (xT + 1)) < 0.5) annotation << line.Text();
    EXPECT_EQ(annotation, QStringList({"Trigger point", "t = 0.050000 s", "IA = 1 A"}));
    // Left border and zero line green; the trace red, from the left edge to the right one.
    EXPECT_EQ(page.pixel(0, 200), kGreen);
    EXPECT_EQ(page.pixel(200, static_cast<int>((P - 10) / 2 / 20)), kGreen);
    const auto [redLeft, redRight] = ColumnsWith(page, kRed, 0, page.height() - 1);
    EXPECT_LE(redLeft, 1);
    EXPECT_GE(redRight, page.width() - 2);
    // The title line 500 twips in, at the foot of the page.
    const auto titles = Titles(text);
    ASSERT_EQ(titles.size(), 3);
    EXPECT_EQ(titles[0], "Kallio IA, Scale: -100...100");
    EXPECT_EQ(titles[2], "Kallio Digital Channels");
    EXPECT_NEAR(First(text, 1, "Kallio").xMin, 25, 0.5);
    EXPECT_GT(First(text, 1, "Kallio").yMin, (H - 500) / 20);
}

TEST_F(Printing, LabelsLeftOutWhereTwelveLinesDoNotFitAndTheGridMovesUp)
{
    // A page 35 mm high: the plot area is lower than twelve text lines (and a division lower than one).
    const PdfText text =
        Print({QString(), 1, false, QPrinter::Color, QPageSize(QSizeF(100, 35), QPageSize::Millimeter)});
    EXPECT_TRUE(Words(text, 1, "80").empty());
    EXPECT_TRUE(Words(text, 1, "-100").empty());
    const double P = text.pageHeight * 20 - 500, dy = std::round(P / 10);
    const QImage page = testing::RenderPdfPage(pdf, 1, 288);  // 5 twips a pixel
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(200);  // 10 points in twips
    // Division 3: the grid line one text height above its tick, from 240 twips past the label's width.
    const int above = static_cast<int>(std::lround((3 * dy - TextHeight()) / 5));
    EXPECT_NEAR(ColumnsWith(page, kGreen, above - 1, above + 1, 26).first,
                (240 + QFontMetricsF(font).horizontalAdvance(QStringLiteral("40 A"))) / 5, 3);
    // At the tick itself only the tick (100 twips long) is green; division 10 keeps its line on its tick.
    const int tick = static_cast<int>(std::lround(3 * dy / 5)), bottom = static_cast<int>(10 * dy / 5);
    EXPECT_LE(ColumnsWith(page, kGreen, tick - 1, tick + 1).second, 21);
    EXPECT_GT(ColumnsWith(page, kGreen, bottom - 1, bottom + 1).second, page.width() - 5);
}

TEST_F(Printing, TraceIsBlackOnAMonochromePrinterAndEndsAtTheLastSampleOfAWideView)
{
    // A view twice as long as the record: the trace stops at sample N, halfway across.
    form->State().model.lngViewSamples = 198;
    Print({QString(), 1, false, QPrinter::GrayScale});
    const QImage page = testing::RenderPdfPage(pdf, 1, 72);
    EXPECT_EQ(testing::CountColour(page, kRed), 0);
    // Below the trigger texts and left of the trigger line there is nothing black but the trace.
    const QRect trace(5, 120, 140, 500);
    EXPECT_GT(testing::CountColour(page, kBlack, trace), 50);
    EXPECT_NEAR(ColumnsWith(page, kBlack, 120, 620).second, page.width() * 99.0 / 198, 2);

    form->State().model.lngViewSamples = 99;
    Print();
    const QImage colour = testing::RenderPdfPage(pdf, 1, 72);
    EXPECT_EQ(testing::CountColour(colour, kBlack, trace), 0);
    EXPECT_GT(testing::CountColour(colour, kRed, trace), 50);
}

TEST_F(Printing, TraceStopsAtGapsAndTheValuesThereReadMissing)
{
    // IA misses samples 41..60 but for an island at sample 50 (0 A); the trigger (51) and M1 (45)
    // fall on the gap, M2 (90) does not.
    RecordingModel& m = form->State().model;
    for (long k = 41; k <= 60; ++k) m.arrAnalogSamples(1, k) = k == 50 ? 0 : std::nan("");
    form->State().pyramid.Build(m);  // as a load of such a recording would
    form->Command1->click();         // markers on
    ViewState& v = form->State().view;
    v.varMarker1Sample = 45;
    v.lngMarker2Sample = 90;
    Activate(1);
    const PdfText text = Print({QString(), 1, true});
    const double W = text.pageWidth;
    QStringList values;
    for (const PdfLine& line : text.Lines())
        if (line.page == 1 && line.Text().startsWith(QLatin1String("IA ="))) values << line.Text();
    // The trigger's line at the top; the markers' on one line at the foot, M1 left of M2.
    EXPECT_EQ(values, QStringList({"IA = missing", "IA = missing IA = 40 A"}));
    // Sample n stands at x = W (n - 1) / 99: no red from just past sample 40 to just before 61,
    // but for the island's dot around sample 50.
    const QImage page = testing::RenderPdfPage(pdf, 1, 72);
    const int top = 0, bottom = page.height() - 60;
    auto red = [&](double n1, double n2) {
        return testing::CountColour(page, kRed,
                                    QRect(QPoint(static_cast<int>(W * (n1 - 1) / 99), top),
                                          QPoint(static_cast<int>(W * (n2 - 1) / 99), bottom)));
    };
    EXPECT_EQ(red(40.6, 49.4), 0);
    EXPECT_EQ(red(50.6, 60.4), 0);
    EXPECT_GT(red(49.6, 50.4), 0);
    EXPECT_GT(red(30, 40), 0);
    EXPECT_GT(red(61, 70), 0);
}

TEST_F(Printing, MarkersOnOneSampleSplitTheirTextsAndReadInfinite)
{
    form->Command1->click();  // markers on
    ViewState& v = form->State().view;
    v.varMarker1Sample = 20;
    v.lngMarker2Sample = 20;
    Activate(1);
    PdfText text = Print({QString(), 1, true});
    ASSERT_EQ(text.pages, 1);
    EXPECT_EQ(Titles(text), QStringList{"Kallio IA, Scale: -100...100 delta t : 0.000000 s 1/delta t : --infinite-- 1/s"});
    const QImage page = testing::RenderPdfPage(pdf, 1, 72);
    const double X = text.pageWidth * 19 / 99;  // sample 20 of 1..100 in a view of 99
    EXPECT_NEAR(ColumnsWith(page, kBlue, 100, 500).first, X, 1.5);
    // M1's texts left of the common line, M2's right of it.
    for (const char* word : {"M1", "-30"}) EXPECT_LT(First(text, 1, word).xMax, X) << word;
    EXPECT_GT(First(text, 1, "M2").xMin, X);
    EXPECT_EQ(Words(text, 1, "20").size(), 2u + 1u);  // "Sample: 20" twice, and the 20 A label

    v.lngMarker2Sample = 40;
    text = Print({QString(), 1, true});
    EXPECT_EQ(Titles(text), QStringList{"Kallio IA, Scale: -100...100 delta t : 0.020000 s 1/delta t : 50.0000 1/s"});

    // A marker just past the view (samples 1..50) is still drawn: its line lies off the page,
    // its texts, turned left, reach onto it.
    form->State().model.lngViewSamples = 49;
    v.varMarker1Sample = 51;
    v.lngMarker2Sample = 10;
    text = Print({QString(), 1, true});
    const auto samples = Words(text, 1, "Sample:");
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_GT(std::max(samples[0].xMin, samples[1].xMin), text.pageWidth - 60);
}

TEST_F(Printing, TitleLinesFitThePrintableWidthWithAllTheirTexts)
{
    form->Command1->click();  // markers on
    ViewState& v = form->State().view;
    const std::string wide = "Kallio 110 kV substation, feeder bay J04 north, line protection relay panel A";
    // The station, the markers, the title's tail and its font size in points.
    for (const auto& [station, m1, m2, tail, points] :
         std::vector<std::tuple<std::string, std::int32_t, std::int32_t, QString, double>>{
             {"Kallio 110 kV", 1, 100, "delta t : 0.099000 s 1/delta t : 10.1010 1/s", 10},
             {"Kallio 110 kV", 20, 20, "delta t : 0.000000 s 1/delta t : --infinite-- 1/s", 10},
             {wide, 1, 100, "delta t : 0.099000 s 1/delta t : 10.1010 1/s", 9},
             // Too wide even at the smallest font: 6 points, and the end runs off.
             {wide + " " + wide + " " + wide + " " + wide, 1, 100, "", 6}}) {
        form->State().model.varStationName = station;
        v.varMarker1Sample = m1;
        v.lngMarker2Sample = m2;
        const PdfText text = Print();
        const QStringList titles = Titles(text);
        ASSERT_EQ(titles.size(), 3) << station;
        const QString head = QString::fromStdString(station).left(150);  // what 6 points hold, at least
        for (const QString& title : titles) {
            EXPECT_TRUE(title.startsWith(head)) << title.toStdString();
            EXPECT_TRUE(title.endsWith(tail)) << title.toStdString();
        }
        // The font of the title, as tall as its words' boxes (about 1.12 em).
        const testing::PdfWord kallio = First(text, 1, "Kallio");
        EXPECT_NEAR(kallio.yMax - kallio.yMin, points * 1.117, 0.2) << station;
        if (tail.isEmpty()) continue;
        EXPECT_TRUE(titles[0].contains("IA, Scale: -100...100 delta")) << titles[0].toStdString();
        for (const testing::PdfWord& w : text.words) {
            EXPECT_GE(w.xMin, 0) << w.text.toStdString();
            EXPECT_LE(w.xMax, text.pageWidth) << w.text.toStdString();
            EXPECT_LE(w.yMax, text.pageHeight) << w.text.toStdString();
        }
    }
}

TEST_F(Printing, PagesComeWindowByWindowCopyByCopyWithoutEmptyPages)
{
    EXPECT_EQ(Titles(Print({QString(), 2})),
              QStringList({"Kallio IA, Scale: -100...100", "Kallio IA, Scale: -100...100", "Kallio UA, Scale: -1001...1001",
                           "Kallio UA, Scale: -1001...1001", "Kallio Digital Channels", "Kallio Digital Channels"}));
    // The last window minimized: no page break after the last page printed.
    Minimize({3});
    PdfText text = Print({QString(), 2});
    EXPECT_EQ(text.pages, 4);
    // Selection: the active window once.
    Activate(2);
    text = Print({QString(), 1, true});
    EXPECT_EQ(Titles(text), QStringList{"Kallio UA, Scale: -1001...1001"});
    EXPECT_EQ(platform.printDialogsOfferingSelection, std::vector<bool>(3, true));
    // A range counts the windows shown, and picks the same pages of every copy.
    const QString ia = "Kallio IA, Scale: -100...100", ua = "Kallio UA, Scale: -1001...1001";
    Minimize({3}, false);
    for (const auto& [copies, from, to, titles] : std::vector<std::tuple<int, int, int, QStringList>>{
             {1, 2, 2, {ua}}, {2, 1, 2, {ia, ia, ua, ua}}, {1, 3, 9, {"Kallio Digital Channels"}}, {2, 4, 5, {}}}) {
        text = Print(Range(copies, from, to));
        EXPECT_EQ(Titles(text), titles) << from << ".." << to;
        EXPECT_EQ(text.pages, std::max<int>(1, static_cast<int>(titles.size()))) << from << ".." << to;
    }
    Minimize({1});
    EXPECT_EQ(Titles(Print(Range(1, 1, 1))), QStringList{ua});
    // Everything minimized: the document is ended with nothing on it.
    Minimize({2, 3});
    text = Print();
    EXPECT_EQ(text.pages, 1);
    EXPECT_TRUE(text.words.empty());
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
}

TEST_F(Printing, AFailingPageSaysSoOnceAndAbandonsTheJob)
{
    form->State().model.arrChannelScale(2) = 0;
    Print({QString(), 2});
    // The page's message, once; the screen's own redraw afterwards has its say about the scale.
    ASSERT_FALSE(platform.messages.isEmpty());
    EXPECT_EQ(platform.messages.front(), "Error # 11 was generated by Sevrana\rDivision by zero");
    EXPECT_EQ(platform.messages.filter("was generated by").size(), 1);
    EXPECT_FALSE(QFileInfo::exists(pdf));
    // The next job starts afresh.
    form->State().model.arrChannelScale(2) = 6;
    platform.messages.clear();
    EXPECT_EQ(Print({QString(), 2}).pages, 6);
    EXPECT_TRUE(platform.messages.isEmpty());
    // Cancel prints nothing and says nothing.
    platform.printAnswers.push_back(std::nullopt);
    form->PrintActive->trigger();
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(Printing, TriggerOutsideTheRecordPrintsEveryPage)
{
    // Before the first sample and well after the last: no trigger line. One after the last:
    // the line at the last sample.
    for (auto [start, trigger, annotated] : std::vector<std::tuple<const char*, const char*, bool>>{
             {"01/01/00,00:00:01.000000", "01/01/00,00:00:00.990000", false},
             {"01/01/00,00:00:00.000000", "01/01/00,00:00:00.100000", true},
             {"01/01/00,00:00:00.000000", "01/01/00,00:00:00.200000", false}}) {
        RecordingText rec = Recording();
        rec.start = start;
        rec.trigger = trigger;
        Load(rec, std::string("rec") + trigger[18]);
        platform.messages.clear();
        const PdfText text = Print();
        EXPECT_EQ(text.pages, 3) << trigger;
        EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
        EXPECT_EQ(Titles(text).size(), 3) << trigger;
        EXPECT_EQ(Words(text, 1, "Trigger").size(), annotated ? 1u : 0u) << trigger;
    }
}

TEST_F(Printing, DigitalPageHasABandPerChosenChannel)
{
    Array1<std::int16_t>& chosen = form->State().model.arrDigitalSelection;
    for (long k : {0, 1, 2, 3, 4}) chosen(k) = std::array<std::int16_t, 5>{0, 1, 0, 1, 2}[static_cast<std::size_t>(k)];
    Activate(3);
    const PdfText text = Print({QString(), 1, true});
    const double B = (text.pageHeight * 20 - 1000) / 2, h = TextHeight();
    ASSERT_EQ(Words(text, 1, "PU").size(), 1u);
    ASSERT_EQ(Words(text, 1, "CB").size(), 1u);
    EXPECT_TRUE(Words(text, 1, "TRIP").empty());
    EXPECT_NEAR(First(text, 1, "1:").yMin, (B - 10 - h) / 20, 2);
    EXPECT_NEAR(First(text, 1, "3:").yMin, (2 * B - 10 - h) / 20, 2);
    EXPECT_NEAR(First(text, 1, "1:").xMin, 1, 0.5);
    // Steps of PU (up at sample 31) and CB (a square wave) in red, each in its own band.
    const QImage page = testing::RenderPdfPage(pdf, 1, 72);
    EXPECT_GT(testing::CountColour(page, kRed, QRect(0, 0, page.width(), static_cast<int>(B / 20))), 100);
    EXPECT_GT(testing::CountColour(page, kRed, QRect(0, static_cast<int>(B / 20), page.width(), static_cast<int>(B / 20))),
              100);
    // PU steps up at sample 31, on the x of the analog traces' sample 31.
    const int middle = static_cast<int>((B - 20 - (B - 30) / 2) / 20);
    EXPECT_NEAR(ColumnsWith(page, kRed, middle - 2, middle + 2).first, text.pageWidth * 30 / 99, 1.5);
}

TEST_F(Printing, LowStandsRightOfTheFirstRowsLabel)
{
    // One row (TRIP alone) and two (PU and CB): the first label and "Low" share a line, side by side.
    Array1<std::int16_t>& chosen = form->State().model.arrDigitalSelection;
    for (auto [rows, first] : std::vector<std::pair<std::array<std::int16_t, 5>, QString>>{{{0, 0, 1, 0, 1}, "TRIP"},
                                                                                           {{0, 1, 0, 1, 2}, "PU"}}) {
        for (long k = 0; k <= 4; ++k) chosen(k) = rows[static_cast<std::size_t>(k)];
        Activate(3);
        const PdfText text = Print({QString(), 1, true});
        ASSERT_EQ(Words(text, 1, first).size(), 1u);
        const testing::PdfWord low = First(text, 1, "Low"), name = First(text, 1, first);
        EXPECT_NEAR(low.yMin, name.yMin, 1) << first.toStdString();
        EXPECT_GT(low.xMin, name.xMax) << first.toStdString();
    }
}

TEST_F(Printing, AltPrintScreenPutsTheWindowOnTheClipboardAndPrintsItStretched)
{
    for (auto [key, shift] : std::vector<std::pair<int, int>>{{44, 0}, {44, 5}, {65, 4}}) {
        form->PrintScreen(key, shift);
        EXPECT_TRUE(platform.clipboard.isNull()) << key << " " << shift;
    }
    EXPECT_TRUE(platform.questions.isEmpty());
    // No: the picture stays on the clipboard, nothing else happens (no repaint is asked for).
    // X keyboards report Print Screen held with Alt as SysReq.
    platform.answerYes = false;
    Key(&Window(1), Qt::Key_SysReq, Qt::AltModifier);
    EXPECT_EQ(platform.questions,
              QStringList{"Application window is copied to clipboard.\r\nDo you want to print contents of clipboard?"});
    EXPECT_EQ(platform.clipboard.size(), form->size());
    EXPECT_TRUE(platform.printDialogsOfferingSelection.empty());
    EXPECT_EQ(form->State().view.blnRedrawMarkers, kFalse);
    // Yes, then cancel: nothing printed, but the windows are repainted.
    platform.answerYes = true;
    platform.printAnswers.push_back(std::nullopt);
    form->PrintScreen(44, 4);
    EXPECT_EQ(platform.printDialogsOfferingSelection, std::vector<bool>{false});
    EXPECT_EQ(form->State().view.blnRedrawMarkers, kTrue);
    // Three copies: three pages, each the clipboard's picture stretched over the whole page
    // (a wide picture with its top left quarter red, on a portrait page).
    QImage wide(40, 10, QImage::Format_RGB32);
    wide.fill(kBlue);
    QPainter(&wide).fillRect(0, 0, 20, 5, QColor(kRed));
    platform.pasteInstead = wide;
    platform.printAnswers.push_back(FakePlatform::PrintAnswer{pdf, 3});
    form->PrintScreen(44, 4);
    ASSERT_EQ(testing::ReadPdf(pdf).pages, 3);
    const QImage page = testing::RenderPdfPage(pdf, 3, 36);
    const int w = page.width(), h = page.height();
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) < 24;
    };
    for (const auto& [x, y, colour] : {std::tuple{w / 4, h / 4, kRed}, std::tuple{3 * w / 4, h / 4, kBlue},
                                       std::tuple{w / 4, 3 * h / 4, kBlue}, std::tuple{w - 2, h - 2, kBlue}})
        EXPECT_TRUE(near(page.pixel(x, y), colour)) << x << "," << y;
    // The picture is each copy's first and only page: a range from the second prints nothing.
    platform.printAnswers.push_back(Range(2, 2, 2));
    platform.printAnswers.back()->outputFile = pdf;
    form->PrintScreen(44, 4);
    ASSERT_EQ(testing::ReadPdf(pdf).pages, 1);
    EXPECT_EQ(testing::CountColour(testing::RenderPdfPage(pdf, 1, 36), kBlue), 0);
}

TEST(PrintDialog, TheDesktopsDialogTellsCopiesSelectionAndPageRange)
{
    QtPlatform desktop;
    // The person's choice: the radio button of the range, and its spin boxes.
    auto answer = [](const char* range, int copies, int from, int to, bool accept) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QRadioButton*>(QString::fromLatin1(range))->click();
            dialog->findChild<QSpinBox*>(QStringLiteral("copies"))->setValue(copies);
            if (from > 0) {
                dialog->findChild<QSpinBox*>(QStringLiteral("from"))->setValue(from);
                dialog->findChild<QSpinBox*>(QStringLiteral("to"))->setValue(to);
            }
            accept ? dialog->accept() : dialog->reject();
        });
    };
    for (const auto& [range, copies, selection, from, to] :
         {std::tuple{"printRange", 2, false, 2, 3}, std::tuple{"printSelection", 1, true, 0, 0}}) {
        answer(range, copies, from, to, true);
        const std::optional<PrintSetup> setup = desktop.PrintDialog(nullptr, true);
        ASSERT_TRUE(setup.has_value());
        EXPECT_EQ(std::tuple(setup->copies, setup->selection, setup->fromPage, setup->toPage),
                  std::tuple(copies, selection, from, to));
        EXPECT_EQ(setup->printer->copyCount(), 1);  // the program prints the copies itself
    }
    answer("printAll", 1, 0, 0, false);
    EXPECT_FALSE(desktop.PrintDialog(nullptr, false).has_value());
}

TEST(PrintCli, WritesThePagesOfAllWindowsIntoAPdf)
{
    testing::TempDir dir;
    const QString out = QString::fromStdString(dir / "feeder.pdf");
    const QString feeder = QStringLiteral(SEVRANA_SOURCE_DIR "/examples/feeder_fault.cfg");
    QProcess cli;
    // No display, and nothing said about one: the tool finds its way off screen by itself.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) environment.remove(name);
    cli.setProcessEnvironment(environment);
    const auto run = [&](const QStringList& args) {
        cli.start(QStringLiteral(SEVRANA_CLI), QStringList{"pdf"} + args);
        return cli.waitForFinished(60000) ? cli.exitCode() : -1;
    };
    EXPECT_EQ(run({feeder, out}), 0) << cli.readAllStandardError().toStdString();
    const PdfText text = testing::ReadPdf(out);
    EXPECT_EQ(text.pages, 8);
    QStringList titles;
    for (const PdfLine& line : text.Lines())
        if (line.Text().startsWith(QLatin1String("Kallio 110 kV "))) titles << line.words.at(3);
    EXPECT_EQ(titles, QStringList({"IA,", "IB,", "IC,", "IN,", "UA,", "UB,", "UC,", "Digital"}));
    EXPECT_EQ(run({QString::fromStdString(dir / "none.cfg"), out}), 2);
    EXPECT_EQ(run({feeder}), 2);
    EXPECT_TRUE(cli.readAllStandardError().startsWith("sevrana-cli: missing PDF file\n"));
}

}  // namespace
}  // namespace sevrana
