// Arranging the channel windows: horizontal stacking with and without minimized
// windows, tiles, cascade and icons, and the tool bar that follows the window
// really active afterwards.

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <cmath>

#include "FormFixture.h"

namespace sevrana {
namespace {

using testing::LoadedForm;

class Arrangement : public LoadedForm {
protected:
    QMdiSubWindow& Frame(long i) { return *Window(i).Frame(); }
    /// Stacks as the user does, with the main window enabled.
    void Stack() { form->Hor->trigger(); }
};

TEST_F(Arrangement, HorizontalStackingSharesTheHeightAmongTheShownWindows)
{
    Load(100);  // IA, UA and the digital window
    const QSize client = form->ClientSize();
    Frame(3).showMinimized();
    Stack();
    // The icon, with its name although title bars are off, in the bottom row; the others share
    // what is above it, in index order.
    EXPECT_TRUE(Frame(3).isMinimized());
    EXPECT_TRUE(Frame(3).isVisible());
    EXPECT_EQ(Frame(3).windowTitle(), "Digital Channels");
    EXPECT_GT(Frame(3).height(), 10);
    EXPECT_EQ(Frame(3).geometry().bottomLeft(), QPoint(0, client.height() - 1));
    const int above = client.height() - Frame(3).height();
    EXPECT_EQ(Frame(1).geometry(), QRect(0, 0, client.width(), above / 2));
    EXPECT_EQ(Frame(2).geometry(), QRect(0, above / 2, client.width(), above - above / 2));

    // All minimized: nothing moves, nothing is lost.
    Frame(1).showMinimized();
    Frame(2).showMinimized();
    Stack();
    for (long i = 1; i <= 3; ++i) {
        EXPECT_TRUE(Frame(i).isVisible()) << i;
        EXPECT_TRUE(Frame(i).isMinimized()) << i;
    }
    emit form->Win->aboutToShow();
    int listed = 0;
    for (QAction* a : form->Win->actions())
        if (a->property("windowList").toBool() && !a->isSeparator()) ++listed;
    EXPECT_EQ(listed, 3);

    // One restored and stacked again: it has all the area above the two icons, and no title bar.
    Frame(2).showNormal();
    QApplication::processEvents();
    Stack();
    EXPECT_EQ(Frame(2).geometry(), QRect(0, 0, client.width(), Frame(1).y()));
    EXPECT_EQ(Frame(3).y(), Frame(1).y());
    EXPECT_EQ(Frame(2).windowTitle(), "");
    EXPECT_TRUE(Frame(2).windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(Arrangement, HorizontalBringsAMaximizedWindowBackFirst)
{
    form->Titles->setChecked(true);
    Load(100);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const QSize client = form->ClientSize();
    // Each maximized in turn, with the digital window as an icon the second time.
    for (const bool iconToo : {false, true}) {
        SCOPED_TRACE(iconToo);
        if (iconToo) Frame(3).showMinimized();
        Frame(1).showMaximized();
        QApplication::processEvents();
        ASSERT_TRUE(Frame(1).isMaximized());
        QTest::keyClick(form.get(), Qt::Key_H, Qt::ControlModifier);
        const int height = iconToo ? Frame(3).y() : client.height();
        const long shown = iconToo ? 2 : 3;
        for (long i = 1; i <= shown; ++i) {
            EXPECT_FALSE(Frame(i).isMaximized()) << i;
            EXPECT_TRUE(Frame(i).isVisible()) << i;
            // Equal shares, the edges rounded halves to even.
            const int top = static_cast<int>(std::lrint((i - 1) * height / static_cast<double>(shown)));
            const int bottom = static_cast<int>(std::lrint(i * height / static_cast<double>(shown)));
            EXPECT_EQ(Frame(i).geometry(), QRect(0, top, client.width(), bottom - top)) << i;
        }
        EXPECT_EQ(Frame(3).isMinimized(), iconToo);
    }
}

TEST_F(Arrangement, ToolBarShowsTheWindowReallyActiveAfterStacking)
{
    Load(100);
    Activate(1);
    Frame(1).showMinimized();
    Stack();
    Pohja* active = form->ActiveChannelWindow();
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(form->ToolBarWindow(), active->Index());
    EXPECT_EQ(form->Label1->text(), active->Index() == 1   ? "IA  Scale:"
                                    : active->Index() == 2 ? "UA  Scale:"
                                                           : "Scale:");
}

TEST_F(Arrangement, TilesInIndexOrderAllOfOneSize)
{
    // Side by side in index order, row after row, without gaps; the cells differ by a pixel at most.
    auto expectTiles = [&](long windows, long columns) {
        form->Til->trigger();
        const QSize cell = Frame(1).size();
        const QSize client = form->ClientSize();
        for (long i = 1; i <= windows; ++i) {
            SCOPED_TRACE(i);
            const QRect f = Frame(i).geometry();
            EXPECT_LE(std::abs(f.width() - cell.width()), 1);
            EXPECT_LE(std::abs(f.height() - cell.height()), 1);
            EXPECT_EQ(f.x(), (i - 1) % columns == 0 ? 0 : Frame(i - 1).geometry().right() + 1);
            EXPECT_EQ(f.y(), i <= columns ? 0 : Frame(i - columns).geometry().bottom() + 1);
            EXPECT_TRUE(i % columns != 0 || f.right() + 1 == client.width()) << "a row ends at the area's edge";
            EXPECT_TRUE(i <= windows - columns || f.bottom() + 1 == client.height()) << "the last row at the bottom";
        }
    };
    Load(testing::RecordingText(), "three");
    expectTiles(3, 3);
    // Without title bars before, without them after.
    for (long i = 1; i <= 3; ++i) {
        EXPECT_EQ(Frame(i).windowTitle(), "") << i;
        EXPECT_TRUE(Frame(i).windowFlags().testFlag(Qt::FramelessWindowHint)) << i;
    }
    // Eight windows: two rows of four.
    form->OpenRecording(QStringLiteral(SEVRANA_SOURCE_DIR "/examples/feeder_fault.cfg"));
    expectTiles(8, 4);
}

TEST_F(Arrangement, CascadeLeavesEveryWindowLargeAndItsTopInSight)
{
    form->Titles->setChecked(true);
    form->OpenRecording(QStringLiteral(SEVRANA_SOURCE_DIR "/examples/feeder_fault.cfg"));
    ASSERT_EQ(form->OpenChannelWindows(), 8);
    const QSize client = form->ClientSize();
    auto expectCascade = [&](const std::vector<long>& shown) {
        const int step = Frame(shown[1]).x() - Frame(shown[0]).x();
        EXPECT_GT(step, 10);  // a title bar
        for (std::size_t k = 0; k < shown.size(); ++k) {
            QMdiSubWindow& f = Frame(shown[k]);
            EXPECT_GE(f.width(), client.width() * 2 / 3) << shown[k];
            EXPECT_GE(f.height(), client.height() * 2 / 3) << shown[k];
            EXPECT_TRUE(QRect(QPoint(0, 0), client).contains(f.geometry())) << shown[k];
            EXPECT_EQ(f.y(), f.x()) << shown[k];
            // One title bar further for each window in index order; where the area ends, from the top again.
            EXPECT_TRUE(k == 0 || f.x() == 0 || f.x() == Frame(shown[k - 1]).x() + step) << shown[k];
        }
        return step;
    };
    form->Cas->trigger();
    expectCascade({1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(Frame(8).x(), 0);  // eight do not fit one after another: the last starts again

    Frame(5).showMinimized();
    form->Cas->trigger();
    const int step = expectCascade({1, 2, 3, 4, 6, 7, 8});
    EXPECT_EQ(Frame(8).x(), 6 * step);
    EXPECT_EQ(Frame(8).geometry().bottomRight(), QPoint(client.width() - 1, client.height() - 1));  // as large as fits
    EXPECT_TRUE(Frame(5).isMinimized());
    EXPECT_EQ(Frame(8).windowTitle(), "Digital Channels");

    // The icons line up along the bottom.
    form->Ico->trigger();
    EXPECT_EQ(Frame(5).geometry().bottom() + 1, client.height());
    EXPECT_EQ(Frame(5).x(), 0);
}

}  // namespace
}  // namespace sevrana
