// A channel window's own events with the markers off: the zoom rectangle, the
// arrow keys' zoom steps, becoming the active window, its resize and close, and
// the cursor it keeps through a redraw.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "Cursors.h"
#include "FormFixture.h"

namespace sevrana {
namespace {

using testing::CountColour;
using testing::LoadedForm;

class ChannelWindow : public LoadedForm {};

TEST_F(ChannelWindow, ZoomRectangleChoosesTheZoomAndMovesTheViewToItsLeftEdge)
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
        EXPECT_EQ(v.varZoomPercent, 20);
        EXPECT_EQ(v.lngZoomLeftSample, qRound(100 * 1000 / w));
        // The dotted outline at both edges, the read-out beside the pointer, nothing yet applied.
        const QImage overlay = Window(1).canvas().OverlayImage();
        auto blackIn = [&](QRect area) {
            int n = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (overlay.rect().contains(x, y) && qAlpha(overlay.pixel(x, y)) > 128 &&
                        qGray(overlay.pixel(x, y)) < 100)
                        ++n;
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
        EXPECT_EQ(form->Combo1->currentText(), "20 %");
        EXPECT_EQ(form->State().model.lngViewSamples, 200);
        EXPECT_EQ(v.lngFirstSample, 1 + qRound(100 * 1000 / w));
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
}

TEST_F(ChannelWindow, ClickWithoutMovingRedrawsAndChangesNothing)
{
    Load(1001);
    Activate(1);
    ChooseZoom("30 %");
    form->Scroll1->setValue(200);
    Canvas& canvas = Window(2).canvas();
    canvas.SetAutoRedraw(false);
    canvas.Box(10, 10, 50, 50, QColor(0, 0, 0));  // something left in the overlay
    const quint64 before = canvas.PersistentRevision();
    Click(1, Qt::LeftButton, QPointF(120, 30));
    EXPECT_EQ(form->Combo1->currentText(), "30 %");
    EXPECT_EQ(form->State().view.lngFirstSample, 200);
    EXPECT_GT(canvas.PersistentRevision(), before);  // every window drawn again
    EXPECT_TRUE(canvas.OverlayBounds().isEmpty());
}

TEST_F(ChannelWindow, ArrowKeysStepTheZoomList)
{
    Load(1001);
    Activate(2);
    Key(&Window(2), Qt::Key_Up);
    EXPECT_EQ(form->Combo1->currentText(), "99 %");
    EXPECT_EQ(form->State().model.lngViewSamples, 990);
    Key(&Window(2), Qt::Key_Down);
    Key(&Window(2), Qt::Key_Down);  // already the last item
    EXPECT_EQ(form->Combo1->currentText(), "100 %");
    ChooseZoom("1 %");
    Key(&Window(2), Qt::Key_Up);  // already the first item
    EXPECT_EQ(form->Combo1->currentText(), "1 %");
}

TEST_F(ChannelWindow, BecomingActiveLoadsTheToolBar)
{
    Load(1001);
    RecordingModel& m = form->State().model;
    m.arrAutoScale(2) = kTrue;
    Activate(2);
    EXPECT_EQ(form->ToolBarWindow(), 2);
    EXPECT_EQ(form->Label1->text(), "UA  Scale:");
    EXPECT_EQ(form->Text6->text(), "35");  // auto-scaled: peak 34.5 kV, to the even 34, plus 1
    EXPECT_EQ(form->Text8->text(), "kV");
    EXPECT_TRUE(form->Check1->isChecked());
    EXPECT_FALSE(form->Text6->isEnabled());

    Activate(1);
    EXPECT_EQ(form->Label1->text(), "IA  Scale:");
    EXPECT_EQ(form->Text6->text(), "101.00");
    EXPECT_FALSE(form->Check1->isChecked());
    EXPECT_TRUE(form->Text6->isEnabled());
    EXPECT_TRUE(form->Text8->isEnabled());

    Activate(3);  // the digital window has no scale
    EXPECT_EQ(form->Label1->text(), "Scale:");
    EXPECT_TRUE(form->Text6->text().isEmpty());
    EXPECT_TRUE(form->Text8->text().isEmpty());
    EXPECT_FALSE(form->Text6->isEnabled());
    EXPECT_FALSE(form->Check1->isEnabled());
}

TEST_F(ChannelWindow, ResizeRedrawsItselfAndBringsBackTheDigitalChannels)
{
    Load(1001);
    RecordingModel& m = form->State().model;
    Window(1).resize(300, 120);
    const QImage picture = Window(1).Picture();
    EXPECT_GT(CountColour(picture, qRgb(255, 0, 0)), 150);    // the trace
    EXPECT_GT(CountColour(picture, qRgb(0, 128, 0)), 150);    // the grid
    EXPECT_GT(CountColour(picture, qRgb(64, 64, 64)), 10);    // the trigger line, at the first sample

    // Restored with no digital channel chosen: all chosen again, nothing drawn yet.
    m.arrDigitalSelection(0) = 0;
    m.arrDigitalSelection(2) = 0;
    Window(3).Frame()->resize(400, 90);
    EXPECT_EQ(m.arrDigitalSelection(2), 1);
    EXPECT_EQ(m.arrDigitalSelection(0), 1);
}

TEST_F(ChannelWindow, OnlyTheProgramClosesIt)
{
    Load(1001);
    EXPECT_FALSE(Window(1).Frame()->close());
    EXPECT_NE(form->ChannelWindow(1), nullptr);
    EXPECT_TRUE(Window(1).Frame()->isVisible());
}

TEST_F(ChannelWindow, KeepsItsCursorThroughARedraw)
{
    Load(1001);
    Activate(1);
    form->Command1->click();
    form->Mark2->trigger();
    form->Scroll1->setValue(1);
    ChooseZoom("50 %");  // a full redraw with the busy cursor
    const QCursor marker2 = ChannelCursor(kCursorMarker2);
    for (long i = 1; i <= 3; ++i) {
        EXPECT_EQ(Window(i).cursor().shape(), Qt::BitmapCursor) << i;
        EXPECT_EQ(Window(i).cursor().bitmap().toImage(), marker2.bitmap().toImage()) << i;
    }
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
}  // namespace sevrana
