// The tool tips of the channel windows: which sample and which digital row the
// pointer is over, the texts, and the tip a hovering pointer gets.

#include "SyntheticRecording.h"  // before Qt, whose "signals" it would trip over

#include <QTest>
#include <QToolTip>

#include <cmath>
#include <limits>

#include "FormFixture.h"
#include "HoverText.h"

namespace sevrana {
namespace {

/// 1000 samples at 1000 per second: IA (kA) is the sample number less one, NaN at sample 500;
/// three digital channels, D2 high from sample 150 on.
RecordingModel HoverModel()
{
    testing::Signal ia;
    ia.unit = "kA";
    ia.name = "IA";
    ia.x = [](double t) { return std::round(t * 1000); };
    RecordingModel m = testing::Model(1000, 50, 1000, {ia});
    m.arrAnalogSamples(1, 500) = std::numeric_limits<double>::quiet_NaN();
    m.intDigitalCount = 3;
    m.intHasDigital = 1;
    m.arrDigitalNames.Redim(1, 3);
    m.arrDigitalNames(1) = "PU";
    m.arrDigitalNames(2) = "TRIP";
    m.arrDigitalNames(3) = "CB";
    m.arrDigitalSamples.Redim(3, 1001);
    for (std::int32_t n = 150; n <= 1000; ++n) m.arrDigitalSamples(2, n) = 1;
    m.arrDigitalSelection.Redim(0, 4);
    m.arrDigitalSelection(0) = 1;
    m.arrDigitalSelection(4) = 3;
    m.lngViewSamples = 200;
    return m;
}

TEST(HoverText, SampleRowAndTextUnderThePointer)
{
    RecordingModel m = HoverModel();
    ViewState v;
    v.blnDataLoaded = kTrue;
    v.lngFirstSample = 101;
    // 200 samples over 400 pixels, halves to even; never outside the record.
    for (const auto& [x, sample] : std::vector<std::pair<double, std::int32_t>>{
             {0, 101}, {100, 151}, {99, 150}, {101, 152}, {103, 152}, {400, 301}, {-300, 1}})
        EXPECT_EQ(SampleAtX(m, v, x, 400), sample) << x;
    v.lngFirstSample = 900;
    EXPECT_EQ(SampleAtX(m, v, 400, 400), 1000);

    // Rows of 30 pixels in a window 90 high, then with PU hidden rows of 45 for TRIP and CB.
    for (const auto& [y, channel] : std::vector<std::pair<double, long>>{{0, 1}, {29.9, 1}, {30, 2}, {89, 3}, {90, 0}})
        EXPECT_EQ(DigitalRowChannel(m, y, 90), channel) << y;
    m.arrDigitalSelection(0) = 0;
    m.arrDigitalSelection(2) = m.arrDigitalSelection(3) = 1;
    m.arrDigitalSelection(4) = 2;
    EXPECT_EQ(std::vector<long>({DigitalRowChannel(m, 0, 90), DigitalRowChannel(m, 45, 90)}),
              std::vector<long>({2, 3}));

    v.lngFirstSample = 101;
    EXPECT_EQ(HoverText(m, v, 2, false, 100, 10, 400, 90), "2: TRIP = 1");  // sample 151
    EXPECT_EQ(HoverText(m, v, 2, true, 0, 60, 400, 90), "3: CB = 0");       // title bars change nothing here
    EXPECT_EQ(HoverText(m, v, 1, false, 100, 10, 400, 90), "IA [kA]: 150");
    EXPECT_EQ(HoverText(m, v, 1, true, 100, 10, 400, 90), "");  // its title bar names it
    v.lngFirstSample = 400;
    EXPECT_EQ(HoverText(m, v, 1, false, 200, 10, 400, 90), "IA [kA]: missing");  // sample 500
    EXPECT_EQ(HoverText(m, v, 1, false, 202, 10, 400, 90), "IA [kA]: 500");
    EXPECT_EQ(HoverText(m, v, 3, false, 0, 10, 400, 90), "");  // no such window
    v.blnDataLoaded = kFalse;
    EXPECT_EQ(HoverText(m, v, 1, false, 0, 10, 400, 90), "");
}

class HoveringWindow : public testing::LoadedForm {
protected:
    QString TipAt(long i, QPoint at)
    {
        QHelpEvent event(QEvent::ToolTip, at, Window(i).mapToGlobal(at));
        QApplication::sendEvent(&Window(i), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
};

TEST_F(HoveringWindow, TipsNameTheChannelWhereNoTitleBarDoes)
{
    Load(100);  // IA is the sample number modulo 50, TRIP high on even samples; 99 samples in view
    EXPECT_EQ(TipAt(1, QPoint(0, 5)), "IA [A]: 1");
    EXPECT_EQ(TipAt(3, QPoint(0, 5)), "1: TRIP = 0");
    const int x = static_cast<int>(std::lround(Window(3).width() * 3.0 / 99));  // sample 4
    EXPECT_EQ(TipAt(3, QPoint(x, 5)), "1: TRIP = 1");
    form->Titles_Click();
    QToolTip::hideText();  // the last tip goes after a short delay: none is left to be read back
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    EXPECT_EQ(TipAt(1, QPoint(0, 5)), "");
    EXPECT_EQ(TipAt(3, QPoint(0, 5)), "1: TRIP = 0");
}

}  // namespace
}  // namespace sevrana
