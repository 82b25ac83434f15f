// A channel window's own events: with the markers off the zoom rectangle, the
// arrow keys' zoom steps, becoming the active window, its resize and close; the
// two measuring markers as a person uses them (the switch and what it shows, the
// marker menu and the cursors, placing and dragging with the mouse, stepping with
// the arrow keys, the jumps to a marker or the trigger point); and the cursor a
// window keeps through a redraw.

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

#include "Cursors.h"
#include "FormFixture.h"

namespace sevrana {
namespace {

using testing::CountColour;
using testing::LoadedForm;

const QRgb kBlue = qRgb(0, 0, 255);

/// Which of the three cursors a window shows (0 for none of them).
int CursorOf(const QWidget& w)
{
    for (int id : {kCursorMarker1, kCursorMarker2, kCursorZoom}) {
        const QCursor expected = ChannelCursor(id);
        if (w.cursor().shape() == Qt::BitmapCursor && w.cursor().hotSpot() == expected.hotSpot() &&
            w.cursor().bitmap().toImage() == expected.bitmap().toImage())
            return id;
    }
    return 0;
}

class ChannelWindow : public LoadedForm {
protected:
    ViewState& V() { return form->State().view; }
    void ExpectCursors(int id)
    {
        for (long i = 1; i <= 3; ++i) EXPECT_EQ(CursorOf(Window(i)), id) << "window " << i;
    }
    /// Marker x of the mouse: where the left button is pressed in window 1.
    void PressAt(float x) { Mouse(1, QEvent::MouseButtonPress, Qt::LeftButton, QPointF(x, 20), Qt::LeftButton); }
    int W() { return Window(1).width(); }
    /// Both markers' samples, and the two read-outs joined by "|".
    std::tuple<double, long, QString> Markers()
    {
        return {V().varMarker1Sample, V().lngMarker2Sample, form->Text2->text() + "|" + form->Text3->text()};
    }
    /// The tool bar's channel name and scale label, scale and unit, joined by "|".
    QString ScaleFields() { return form->Label1->text() + "|" + form->Text6->text() + "|" + form->Text8->text(); }
    /// Whether the marker menu's two items are checked.
    std::pair<bool, bool> Checked() { return {form->Mark1->isChecked(), form->Mark2->isChecked()}; }
};
using MarkerCommands = ChannelWindow;

TEST_F(ChannelWindow, ZoomRectangleChoosesTheZoomAndMovesTheViewToItsLeftEdgeAClickOnlyRedrawsArrowsStepTheList)
{
    Load(1001);  // 1000 samples in view at 100 %
    Activate(1);
    const double w = Window(1).width();
    const double fifth = std::floor(w / 5);  // 19.98 % of the record: "20 %"
    for (const bool leftwards : {false, true}) {
        SCOPED_TRACE(leftwards ? "dragged leftwards" : "dragged rightwards");
        ChooseZoom("100 %");
        const QPointF start(leftwards ? 100 + fifth : 100, 40), end(leftwards ? 100 : 100 + fifth, 60);
        Mouse(1, QEvent::MouseButtonPress, Qt::LeftButton, start, Qt::LeftButton);
        Mouse(1, QEvent::MouseMove, Qt::NoButton, end, Qt::LeftButton);
        const ViewState& v = form->State().view;
        EXPECT_EQ(std::tuple(v.varZoomPercent, v.lngZoomLeftSample), std::tuple(20.0, qRound(100 * 1000 / w)));
        // The dotted outline at both edges, the read-out beside the pointer, nothing yet applied.
        const QImage overlay = Window(1).canvas().OverlayImage();
        auto blackIn = [&](QRect area) {
            int n = 0;
            area &= overlay.rect();
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    n += qAlpha(overlay.pixel(x, y)) > 128 && qGray(overlay.pixel(x, y)) < 100 ? 1 : 0;
            return n;
        };
        const int h = Window(1).height();
        for (int edge : {100, static_cast<int>(100 + fifth)}) {
            const int dots = blackIn(QRect(edge, 0, 1, h));
            EXPECT_GT(dots, h / 4) << "edge at " << edge;
            EXPECT_LT(dots, h * 3 / 4) << "dotted at " << edge;
        }
        EXPECT_GT(blackIn(QRect(static_cast<int>(end.x()) + 2, 40, 60, 14)), 20);  // "Zoom: 20 %"
        EXPECT_EQ(form->Combo1->currentText(), "100 %");
        Mouse(1, QEvent::MouseButtonRelease, Qt::LeftButton, end);
        EXPECT_EQ(std::tuple(form->Combo1->currentText(), form->State().model.lngViewSamples, v.lngFirstSample),
                  std::tuple("20 %", 200, 1 + qRound(100 * 1000 / w)));
        EXPECT_TRUE(Window(1).canvas().OverlayBounds().isEmpty());
    }

    // Wider than the window: no such item, the last one taken stays.
    ChooseZoom("100 %");
    Mouse(1, QEvent::MouseButtonPress, Qt::LeftButton, QPointF(0, 40), Qt::LeftButton);
    Mouse(1, QEvent::MouseMove, Qt::NoButton, QPointF(w / 2, 40), Qt::LeftButton);
    Mouse(1, QEvent::MouseMove, Qt::NoButton, QPointF(3 * w, 40), Qt::LeftButton);
    EXPECT_EQ(form->State().view.varZoomPercent, 50);
    Mouse(1, QEvent::MouseButtonRelease, Qt::LeftButton, QPointF(3 * w, 40));
    EXPECT_EQ(form->Combo1->currentText(), "50 %");

    // A click without moving redraws and changes nothing.
    ChooseZoom("30 %");
    form->Scroll1->setValue(200);
    Canvas& canvas = Window(2).canvas();
    canvas.SetAutoRedraw(false);
    canvas.Box(10, 10, 50, 50, QColor(0, 0, 0));  // something left in the overlay
    const quint64 before = canvas.PersistentRevision();
    Click(1, Qt::LeftButton, QPointF(120, 30));
    EXPECT_EQ(std::tuple(form->Combo1->currentText(), form->State().view.lngFirstSample), std::tuple("30 %", 200));
    EXPECT_GT(canvas.PersistentRevision(), before);  // every window drawn again
    EXPECT_TRUE(canvas.OverlayBounds().isEmpty());

    // The arrow keys step the zoom list in any channel window.
    // Up one step and back; Down at the last item and Up at the first stay.
    for (const auto& [from, key, to] : {std::tuple{"100 %", Qt::Key_Up, "99 %"},
                                        {"99 %", Qt::Key_Down, "100 %"},
                                        {"100 %", Qt::Key_Down, "100 %"},
                                        {"1 %", Qt::Key_Up, "1 %"}}) {
        ChooseZoom(from);
        Key(&Window(2), key);
        EXPECT_EQ(form->Combo1->currentText(), to) << from;
        EXPECT_EQ(form->State().model.lngViewSamples, QString(to).remove(" %").toInt() * 10) << from;
    }
}

TEST_F(ChannelWindow, BecomingActiveLoadsTheToolBarResizeRedrawsOnlyTheProgramCloses)
{
    Load(1001);
    RecordingModel& m = form->State().model;
    m.arrAutoScale(2) = kTrue;
    Activate(2);
    EXPECT_EQ(form->ToolBarWindow(), 2);
    EXPECT_EQ(ScaleFields(), "UA  Scale:|35|kV");  // auto-scaled: peak 34.5 kV, to the even 34, plus 1
    EXPECT_EQ(std::pair(form->Check1->isChecked(), form->Text6->isEnabled()), std::pair(true, false));

    Activate(1);
    EXPECT_EQ(ScaleFields(), "IA  Scale:|101.00|A");
    EXPECT_EQ(std::tuple(form->Check1->isChecked(), form->Text6->isEnabled(), form->Text8->isEnabled()),
              std::tuple(false, true, true));

    Activate(3);  // the digital window has no scale
    EXPECT_EQ(ScaleFields(), "Scale:||");
    EXPECT_EQ(std::pair(form->Text6->isEnabled(), form->Check1->isEnabled()), std::pair(false, false));

    // A resize redraws the window itself.
    Window(1).resize(300, 120);
    const QImage picture = Window(1).Picture();
    EXPECT_GT(CountColour(picture, qRgb(255, 0, 0)), 150);  // the trace
    EXPECT_GT(CountColour(picture, qRgb(0, 128, 0)), 150);  // the grid
    EXPECT_GT(CountColour(picture, qRgb(64, 64, 64)), 10);  // the trigger line, at the first sample

    // Restored with no digital channel chosen: all chosen again, nothing drawn yet.
    m.arrDigitalSelection(0) = 0;
    m.arrDigitalSelection(2) = 0;
    Window(3).Frame()->resize(400, 90);
    EXPECT_EQ(std::tuple(m.arrDigitalSelection(0), m.arrDigitalSelection(2)), std::tuple(1, 1));

    // Only the program closes it.
    EXPECT_FALSE(Window(1).Frame()->close());
    EXPECT_NE(form->ChannelWindow(1), nullptr);
    EXPECT_TRUE(Window(1).Frame()->isVisible());
}

TEST_F(MarkerCommands, SwitchShowsThemInTheMiddleAndHidesThemAgainCursorsStayThroughARedraw)
{
    Load(1001);
    Activate(1);
    ExpectCursors(kCursorZoom);
    form->Command1->click();
    EXPECT_EQ(form->Command1->text(), "Markers: ON");
    EXPECT_EQ(V().blnMarkersOn, kTrue);
    for (QAction* item : {form->gotom1, form->gotom2, form->Mark1, form->Mark2}) EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(Checked(), std::pair(true, false));
    EXPECT_TRUE(form->Frame1->isVisibleTo(form->Picture1) && form->Frame2->isVisibleTo(form->Picture1));
    ExpectCursors(kCursorMarker1);
    // 1000 samples in view: both at sample 1 + 500, in the middle of every window.
    EXPECT_EQ(Markers(), std::tuple(501.0, 501L, "t :  0.000000 s|t :  --infinite-- 1/s"));
    const QImage shown = Window(2).Picture();
    int line = -1;
    for (int x = 0; x < shown.width() && line < 0; ++x)
        if (CountColour(shown, kBlue, QRect(x, 0, 1, shown.height())) == shown.height()) line = x;
    EXPECT_LE(std::abs(line - W() / 2.0), 0.5);
    const QImage digital = Window(3).Picture();  // the digital window shows them too
    EXPECT_EQ(CountColour(digital, kBlue, QRect(line, 0, 1, digital.height())), digital.height());

    // Choosing the other marker changes the cursor and the check, nothing else.
    form->Mark2->trigger();
    EXPECT_EQ(Checked(), std::pair(false, true));
    ExpectCursors(kCursorMarker2);
    form->Mark2->trigger();  // choosing it again keeps it chosen
    EXPECT_EQ(Checked(), std::pair(false, true));
    EXPECT_EQ(V().lngMarker2Sample, 501);
    form->Mark1->trigger();
    ExpectCursors(kCursorMarker1);

    PressAt(100);
    ASSERT_NE(V().varMarker1Sample, 501);
    form->Command1->click();
    EXPECT_EQ(form->Command1->text(), "Markers: OFF");
    for (QAction* item : {form->gotom1, form->gotom2, form->Mark1, form->Mark2}) EXPECT_FALSE(item->isEnabled());
    EXPECT_FALSE(form->Frame1->isVisibleTo(form->Picture1));
    ExpectCursors(kCursorZoom);
    for (long i = 1; i <= 3; ++i) EXPECT_EQ(CountColour(Window(i).Picture(), kBlue), 0) << i;

    // On again: both back in the middle.
    form->Command1->click();
    EXPECT_EQ(Markers(), std::tuple(501.0, 501L, "t :  0.000000 s|t :  --infinite-- 1/s"));

    // The chosen marker's cursor stays through a full redraw with the busy cursor.
    form->Mark2->trigger();
    form->Scroll1->setValue(1);
    ChooseZoom("50 %");
    ExpectCursors(kCursorMarker2);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MarkerCommands, MouseAndArrowKeysMoveTheChosenMarkerWithinTheRecordRightButtonOpensTheirMenu)
{
    Load(1001);  // 1000 samples in view, 1 ms apart
    Activate(1);
    form->Command1->click();
    const double w = W();
    // The marker lands 7 pixels right of the pointer, under the cursor's line.
    PressAt(100);
    EXPECT_EQ(V().varMarker1Sample, 1 + qRound(107 * 1000 / w));
    Mouse(1, QEvent::MouseMove, Qt::NoButton, QPointF(200, 30), Qt::LeftButton);
    EXPECT_EQ(V().varMarker1Sample, 1 + qRound(207 * 1000 / w));
    Window(1).Form_MouseMove(2, 0, 300, 30);  // the left button not held: nothing
    EXPECT_EQ(V().varMarker1Sample, 1 + qRound(207 * 1000 / w));
    Mouse(1, QEvent::MouseButtonRelease, Qt::LeftButton, QPointF(200, 30));
    EXPECT_EQ(V().lngMarker2Sample, 501);

    // Near the left edge the offset shrinks: 3 + 3 x 7 / 6 = 6.5; M1 keeps the half, M2 rounds it to 6.
    PressAt(3);
    EXPECT_EQ(V().varMarker1Sample, 1 + qRound(6.5 * 1000 / w));
    form->Mark2->trigger();
    PressAt(3);
    EXPECT_EQ(V().lngMarker2Sample, 1 + qRound(6.0 * 1000 / w));
    ASSERT_NE(qRound(6.5 * 1000 / w), qRound(6.0 * 1000 / w));

    // Past either end of the window: the first or the last sample, read out as such.
    PressAt(static_cast<float>(w + 80));
    EXPECT_EQ(std::tuple(V().lngMarker2Sample, V().lngMarker2X), std::tuple(1001, W() - 1));
    form->Mark1->trigger();
    PressAt(-40);
    EXPECT_EQ(Markers(), std::tuple(1.0, 1001L, "t :  1.000000 s|t :  1.0000 1/s"));

    // The arrow keys step one sample, and stop at the record's ends.
    Key(&Window(1), Qt::Key_Left);
    EXPECT_EQ(V().varMarker1Sample, 1);
    Key(&Window(1), Qt::Key_Right);
    Key(&Window(1), Qt::Key_Right);
    EXPECT_EQ(V().varMarker1Sample, 3);
    form->Mark2->trigger();
    Key(&Window(3), Qt::Key_Right);  // the digital window moves them too
    EXPECT_EQ(V().lngMarker2Sample, 1001);
    Key(&Window(1), Qt::Key_Left);
    EXPECT_EQ(Markers(), std::tuple(3.0, 1000L, "t :  0.997000 s|t :  1.0030 1/s"));

    // Both on one sample.
    form->Mark1->trigger();
    PressAt(static_cast<float>(w + 80));
    Key(&Window(1), Qt::Key_Left);
    EXPECT_EQ(Markers(), std::tuple(1000.0, 1000L, "t :  0.000000 s|t :  --infinite-- 1/s"));

    // With the markers off the arrows leave the markers alone.
    form->Command1->click();
    Key(&Window(1), Qt::Key_Left);
    EXPECT_EQ(V().varMarker1Sample, 1000);

    // The right button opens the marker menu only while they are on, else zooms out.
    // Markers off: five steps out, or the last item when fewer are left.
    for (const auto& [from, to] : {std::pair{"90 %", "95 %"}, {"97 %", "100 %"}}) {
        ChooseZoom(from);
        Click(1, Qt::RightButton, QPointF(50, 20));
        EXPECT_EQ(form->Combo1->currentText(), to);
        EXPECT_FALSE(form->Pop->isVisible());
        EXPECT_EQ(form->State().model.lngViewSamples, QString(to).remove(" %").toInt() * 10);
    }
    ChooseZoom("95 %");
    form->Command1->click();
    Click(1, Qt::RightButton, QPointF(50, 20));
    EXPECT_TRUE(form->Pop->isVisible());
    EXPECT_EQ(form->Combo1->currentText(), "95 %");
    form->Pop->hide();
}

TEST_F(MarkerCommands, JumpsCentreTheViewOnTheMarkerOrTheTrigger)
{
    testing::RecordingText rec = testing::SamplesOf(1001);
    rec.trigger = "01/01/00,00:00:00.990000";  // sample 991, near the end
    Load(rec);
    Activate(1);
    ChooseZoom("10 %");  // 100 samples in view, scroll range 1..901
    ASSERT_EQ(form->Scroll1->maximum(), 901);
    ViewState& v = V();

    form->gotom1_Click();  // markers off: nothing moves, even when the command is run
    form->gotom2_Click();
    EXPECT_EQ(v.lngFirstSample, 1);

    form->Scroll1->setValue(500);
    form->Command1->click();
    ASSERT_EQ(v.varMarker1Sample, 550);
    form->Scroll1->setValue(1);
    form->gotom1->trigger();
    EXPECT_EQ(v.lngFirstSample, 500);  // 550 - 100 / 2: the marker in the middle

    // Near the start: the very start.
    PressAt(0);
    ASSERT_EQ(v.varMarker1Sample, 500);
    form->Scroll1->setValue(300);
    v.lngMarker2Sample = 40;
    form->gotom2->trigger();
    EXPECT_EQ(v.lngFirstSample, 1);

    // The trigger near the end: as far as the scroll bar goes, the trigger right of the middle.
    form->TrPoint->trigger();
    EXPECT_EQ(std::tuple(v.lngFirstSample, form->State().model.lngTriggerSample), std::tuple(901, 991));
}

TEST(Cursors, MotifsAndHotSpots)
{
    const QRgb black = qRgba(0, 0, 0, 255), white = qRgba(255, 255, 255, 255);
    for (int id : {kCursorMarker1, kCursorMarker2}) {
        const QImage img = ChannelCursorImage(id);
        ASSERT_EQ(img.size(), QSize(32, 32));
        EXPECT_EQ(std::pair(ChannelCursorHotSpot(id), ChannelCursor(id).hotSpot()),
                  std::pair(QPoint(0, 0), QPoint(0, 0)));
        // The marker line, two pixels wide, seven right of the hot spot, with a white rim.
        for (int y = 0; y < 32; ++y) {
            EXPECT_EQ(img.pixel(7, y), black) << y;
            EXPECT_EQ(img.pixel(8, y), black) << y;
            EXPECT_TRUE(y == 16 || img.pixel(6, y) != black) << y;  // only the arrow crosses, at 16
        }
        EXPECT_EQ(img.pixel(9, 28), white);
        // The double arrow across it, with heads at both ends.
        for (int x = 1; x <= 14; ++x) EXPECT_EQ(img.pixel(x, 16), black) << x;
        for (const QPoint head : {QPoint(3, 14), QPoint(3, 18), QPoint(12, 14), QPoint(12, 18)})
            EXPECT_EQ(img.pixel(head), black) << head.x() << "," << head.y();
        EXPECT_EQ(qAlpha(img.pixel(25, 28)), 0);  // transparent away from the motif
    }
    // Only the marker's name tells them apart: the same "M" (top corners 11 and 15), another digit beside it.
    const QImage m1 = ChannelCursorImage(kCursorMarker1), m2 = ChannelCursorImage(kCursorMarker2);
    EXPECT_EQ(std::tuple(m1.pixel(11, 2), m1.pixel(13, 2) == black, m1.pixel(15, 2)), std::tuple(black, false, black));
    EXPECT_EQ(m1.copy(0, 0, 17, 32), m2.copy(0, 0, 17, 32));
    EXPECT_NE(m1.copy(17, 0, 15, 12), m2.copy(17, 0, 15, 12));
    EXPECT_EQ(m1.copy(0, 12, 32, 20), m2.copy(0, 12, 32, 20));

    // The cursors show exactly the pictures: black where black, white where white, nothing elsewhere.
    for (int id : {kCursorMarker1, kCursorMarker2, kCursorZoom}) {
        const QImage picture = ChannelCursorImage(id);
        const QCursor cursor = ChannelCursor(id);
        const QImage bits = cursor.bitmap().toImage(), mask = cursor.mask().toImage();
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                ASSERT_EQ(qGray(mask.pixel(x, y)) < 128, qAlpha(picture.pixel(x, y)) > 0) << id << " " << x << "," << y;
                const bool shown = qAlpha(picture.pixel(x, y)) > 0;
                ASSERT_TRUE(!shown || (qGray(bits.pixel(x, y)) < 128) == (picture.pixel(x, y) == black)) << id;
            }
    }

    const QImage lens = ChannelCursorImage(kCursorZoom);
    EXPECT_EQ(ChannelCursor(kCursorZoom).hotSpot(), QPoint(9, 8));
    EXPECT_EQ(qAlpha(lens.pixel(9, 8)), 0);  // the lens is seen through
    for (const QPoint rim : {QPoint(15, 8), QPoint(3, 8), QPoint(9, 2), QPoint(9, 14)})
        EXPECT_EQ(lens.pixel(rim), black) << rim.x() << "," << rim.y();
    EXPECT_EQ(lens.pixel(20, 19), black);  // the handle, down to the right
    EXPECT_EQ(lens.pixel(4, 25), qRgba(0, 0, 0, 0));
}

}  // namespace
}  // namespace sevrana
