// Time navigation: the zoom, scroll and read-out arithmetic on its own, then the
// main window's zoom list, scroll bar, read-outs, scale box and activation watch
// on a loaded recording.

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <climits>
#include <tuple>
#include <vector>

#include "ChannelSetup.h"
#include "FormFixture.h"
#include "ProgramError.h"
#include "SyntheticRecording.h"
#include "TimeNavigation.h"

namespace sevrana {
namespace {

using testing::LoadedForm;

TEST(NavigationArithmetic, ZoomItemsViewSizes)
{
    // Percent of the N - 1 sample intervals, halves to the even neighbour; nothing is the whole record.
    const std::vector<std::tuple<double, std::int32_t, std::int32_t>> cases = {{12, 8, 1},
                                                                               {24, 8, 2},
                                                                               {36, 8, 3},
                                                                               {48, 8, 3},
                                                                               {50, 6, 2},
                                                                               {50, 8, 4},
                                                                               {50, 2, 2},
                                                                               {100, 1, 1},
                                                                               {118, 60, 70},
                                                                               {116, 60, 68},
                                                                               {50, 100, 50},
                                                                               {1, 1000, 10},
                                                                               {100, 2000000, 1999999}};
    for (const auto& [percent, n, expected] : cases)
        EXPECT_EQ(ViewSamplesForZoom(percent, n), expected) << percent << " % of " << n;
}

TEST(NavigationArithmetic, ScrollRangeAndPosition)
{
    // One position per sample; full zoom leaves one step.
    EXPECT_EQ(ScrollMaximum(1000, 999, 1.0), 1);
    EXPECT_EQ(ScrollMaximum(1000, 100, 1.0), 900);
    // Beyond 16 bits: a long record at its finest zoom, and the steps of its widest view.
    EXPECT_EQ(ScrollMaximum(3100000, 155, 1.0), 3099845);
    EXPECT_EQ(ScrollMaximum(INT32_MAX, 107, 1.0), INT32_MAX - 107);
    EXPECT_EQ(ScrollStep(3099999 * 9 / 10.0, 1.0), 2789999);
    EXPECT_EQ(ScrollStep(0.2, 1.0), 1);
    EXPECT_EQ(FirstSampleFromScroll(3099845, 1.0), 3099845);
}

TEST(NavigationArithmetic, ReadOuts)
{
    EXPECT_EQ(StartReadout(1, 1000), "0.000 ms");
    EXPECT_EQ(StartReadout(11, 4000), "2.500 ms");
    EXPECT_EQ(StartReadout(2, 3), "333.333 ms");
    EXPECT_EQ(StartReadout(2000000, 1), "1999999000.000 ms");

    EXPECT_EQ(EndReadout(2, 3, 10, 1000), "4.000 ms");
    EXPECT_EQ(EndReadout(1, 9, 10, 1000), "9.000 ms");  // exactly the end
    // Never past the last sample, however far the view reaches.
    EXPECT_EQ(EndReadout(5, 9, 10, 1000), "9.000 ms");
    EXPECT_EQ(EndReadout(60, 70, 60, 1000), "59.000 ms");
    EXPECT_EQ(EndSample(INT32_MAX, 10, INT32_MAX), INT32_MAX);
    EXPECT_EQ(EndSample(3, 4, 10), 7);

    // A record without a rate cannot place its samples in time.
    EXPECT_THROW(StartReadout(1, 0), ProgramError);
    EXPECT_THROW(EndReadout(1, 5, 10, 0), ProgramError);
}

TEST(NavigationArithmetic, ScaleEntryVerdicts)
{
    // Reach = (8715 - 1) twips / x * full scale; both limits 2000000. Unchanged, zero and negative: silence.
    struct Case {
        double x, current, fullScale;
        bool accept, tooLarge, tooSmall;
    };
    for (const Case& c : std::vector<Case>{{2, 101, 100, true, false, false},
                                           {2000000, 101, 100, true, false, false},
                                           {2000000.5, 101, 100, false, true, false},
                                           {0.4, 101, 100, false, false, true},
                                           {3000000, 101, 1e12, false, true, true},
                                           {101, 101, 100, false, false, false},
                                           {0, 101, 100, false, false, false},
                                           {-5, 101, 100, false, false, false}}) {
        const ScaleVerdict v = ScaleEntryVerdict(c.x, c.current, c.fullScale, 8715);
        EXPECT_EQ(v.accept, c.accept) << c.x;
        EXPECT_EQ(v.tooLarge, c.tooLarge) << c.x;
        EXPECT_EQ(v.tooSmall, c.tooSmall) << c.x;
    }
    // The smallest scale with at least one decimal, at most six.
    EXPECT_EQ(ScaleMinimumMessage("0", ScaleEntryVerdict(0.1, 1, 20000, 101).smallest),
              "0 is not a valid number. Minimum is 1.0");
    EXPECT_EQ(ScaleMinimumMessage("1", ScaleEntryVerdict(0.001, 1, 1, 8715).smallest),
              "1 is not a valid number. Minimum is 0.004357");
    EXPECT_EQ(ScaleMinimumMessage("1", ScaleEntryVerdict(1e-9, 1, 0.001, 8715).smallest),
              "1 is not a valid number. Minimum is 0.000004");
}

// --- The main window with a recording loaded ---

class NavigationWindow : public LoadedForm {
protected:
    /// Types the text into the scale box and presses Enter.
    void EnterScale(const QString& text)
    {
        form->Text6->setEnabled(true);
        form->Text6->setText(text);
        form->Text6_KeyDown(13);
    }
    /// The first sample in view and the read-outs of the view's start and end.
    void ExpectView(long first, const QString& start, const QString& end)
    {
        EXPECT_EQ(form->State().view.lngFirstSample, first);
        EXPECT_EQ(form->Text4->text(), start);
        EXPECT_EQ(form->Text5->text(), end);
    }
};

TEST_F(NavigationWindow, ZoomListMatchesRecordLength)
{
    struct Case {
        int samples;
        QStringList firstItems;
    };
    const std::vector<Case> cases = {
        {1, {"100 %"}},
        {2, {"50 %", "100 %"}},
        {3, {"33 %", "66 %", "100 %"}},
        {8, {"12 %", "24 %", "36 %", "48 %", "60 %", "72 %", "84 %", "100 %"}},
        {60, {"2 %", "4 %", "6 %"}},
        {100, {"1 %", "2 %", "3 %"}},
        {1000, {"1 %", "2 %", "3 %"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        Load(c.samples);
        const QStringList items = ZoomItems();
        ASSERT_EQ(items.size(), c.samples < 100 ? c.samples : 100);
        EXPECT_EQ(items.mid(0, c.firstItems.size()), c.firstItems);
        EXPECT_EQ(items.last(), "100 %");
        EXPECT_EQ(form->Combo1->currentText(), "100 %");
        // "100 %" was applied: the whole record but one sample (all of a one-sample record).
        EXPECT_EQ(form->State().model.lngViewSamples, c.samples == 1 ? 1 : c.samples - 1);
        ExpectView(1, "0.000 ms", QString::number(c.samples - 1) + ".000 ms");
        if (c.samples == 2) {
            // Half of one sample interval rounds to none: the whole record, nothing to scroll.
            ChooseZoom("50 %");
            EXPECT_EQ(form->State().model.lngViewSamples, 2);
            EXPECT_FALSE(form->Scroll1->isEnabled());
        }
        if (c.samples == 60) {
            EXPECT_EQ(items[58], "118 %");
            EXPECT_TRUE(form->IsZoomInList(118));
            EXPECT_FALSE(form->IsZoomInList(3));
        }
    }
    EXPECT_TRUE(form->IsZoomInList(37));  // 1000 samples
    EXPECT_FALSE(form->IsZoomInList(0));
    EXPECT_FALSE(form->IsZoomInList(101));
}

TEST_F(NavigationWindow, ZoomAndScrollSetTheViewNeverBeforeTheFirstSample)
{
    Load(1000);
    const ViewState& v = form->State().view;
    const RecordingModel& m = form->State().model;

    ChooseZoom("10 %");
    EXPECT_EQ(m.lngViewSamples, 100);  // 99.9
    EXPECT_EQ(form->Scroll1->maximum(), 900);
    EXPECT_TRUE(form->Scroll1->isEnabled());
    EXPECT_EQ(v.blnRedrawSignals, kFalse);
    EXPECT_EQ(v.blnRedrawMarkers, kFalse);
    EXPECT_EQ(v.blnScrolling, kFalse);
    // An arrow moves a tenth of the view, a click beside the thumb nine tenths.
    form->Scroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(v.lngFirstSample, 11);
    form->Scroll1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ExpectView(101, "100.000 ms", "200.000 ms");

    // A narrower range pulls a scroll position beyond it back, and the view follows.
    form->Scroll1->setValue(850);
    EXPECT_EQ(v.lngFirstSample, 850);
    ChooseZoom("50 %");
    EXPECT_EQ(m.lngViewSamples, 500);  // 499.5, half to even
    EXPECT_EQ(form->Scroll1->maximum(), 500);
    EXPECT_EQ(form->Scroll1->value(), 500);
    ExpectView(500, "499.000 ms", "999.000 ms");  // never past the end
    EXPECT_EQ(form->Scroll1->pageStep(), 450);

    ChooseZoom("100 %");
    EXPECT_EQ(m.lngViewSamples, 999);
    EXPECT_EQ(form->Scroll1->maximum(), 1);
    EXPECT_TRUE(form->Scroll1->isEnabled());

    // A bar that reaches 0 is put back on the first sample.
    form->Scroll1->setMinimum(0);
    form->Scroll1->setValue(0);
    EXPECT_EQ(v.lngFirstSample, 1);
    EXPECT_EQ(form->Scroll1->value(), 1);
    EXPECT_EQ(form->Text4->text(), "0.000 ms");
    EXPECT_EQ(v.blnScrolling, kFalse);

    // Wider than the record (fewer than 100 samples): back to the start, nothing to scroll.
    Load(60);
    ChooseZoom("2 %");
    form->Scroll1->setValue(30);
    EXPECT_EQ(v.lngFirstSample, 30);
    ChooseZoom("118 %");
    EXPECT_EQ(m.lngViewSamples, 70);
    EXPECT_EQ(form->Scroll1->value(), 1);
    EXPECT_EQ(v.lngFirstSample, 1);
    EXPECT_FALSE(form->Scroll1->isEnabled());
    EXPECT_EQ(form->Text5->text(), "59.000 ms");
}

TEST_F(NavigationWindow, EverySampleOfALongRecordIsReachableAtEveryZoom)
{
    // 3.1 M samples at 1000 per second, set up as the checker does and handed to the window (nothing drawn, no files).
    constexpr std::int32_t n = 3100000;
    RecordingModel record = testing::Model(1000, 50, n, {testing::Signal{}});
    record.varStartStamp = record.strTriggerStamp = "01/01/00,00:00:00.000000";
    record.arrFullScale.Redim(1, 1);
    record.arrChannelScale.Redim(1, 1);
    record.arrDigitalSelection.Redim(0, 1);
    ASSERT_TRUE(PrepareChannels(record, *form));
    form->State().model = std::move(record);
    const int narrow = form->Combo1->width();
    form->FillZoomList();
    // The box widens for the finer items, and the button after it moves along.
    EXPECT_GT(form->Combo1->width(), narrow);
    EXPECT_LT(form->Combo1->geometry().right(), form->Command1->x());
    const RecordingModel& m = form->State().model;
    const QStringList items = ZoomItems();
    ASSERT_EQ(items.size(), 107);
    for (const QString& item : items) {
        SCOPED_TRACE(item.toStdString());
        ChooseZoom(item);
        form->Scroll1->setValue(form->Scroll1->minimum());
        EXPECT_EQ(form->ScrollFirstSample(), 1);
        EXPECT_EQ(form->Text4->text(), "0.000 ms");
        form->Scroll1->setValue(form->Scroll1->maximum());
        EXPECT_EQ(EndSample(form->ScrollFirstSample(), m.lngViewSamples, n), n);
        EXPECT_EQ(form->Text5->text(), "3099999.000 ms");
        // One position a sample: the position before the last shows the sample before.
        form->Scroll1->setValue(form->Scroll1->maximum() - 1);
        EXPECT_EQ(form->ScrollFirstSample(), std::max(1, n - m.lngViewSamples - 1));
    }
    // The finest item: 155 samples, the bar's last position the last 155 of them.
    ChooseZoom("0.005 %");
    EXPECT_EQ(std::tuple(m.lngViewSamples, form->Scroll1->maximum()), std::tuple(155, 3099845));
}

TEST_F(NavigationWindow, RectangleAndArrowKeysReachTheItemsBelowOnePercent)
{
    Load(100001);  // items 0.1 %, 0.2 % and 0.5 % before 1 %
    const RecordingModel& m = form->State().model;
    ASSERT_EQ(ZoomItems().mid(0, 4), QStringList({"0.1 %", "0.2 %", "0.5 %", "1 %"}));
    // Four pixels of the whole record are a little over 0.5 % of it: that item.
    Drag(1, QPointF(100, 20), {QPointF(102, 20), QPointF(104, 20)});
    EXPECT_EQ(std::pair(form->Combo1->currentText(), m.lngViewSamples), std::pair(QString("0.5 %"), 500));
    Activate(1);
    for (const auto& [key, item, inView] :
         std::vector<std::tuple<int, const char*, int>>{{Qt::Key_Up, "0.2 %", 200},
                                                        {Qt::Key_Up, "0.1 %", 100},
                                                        {Qt::Key_Up, "0.1 %", 100},
                                                        {Qt::Key_Down, "0.2 %", 200},
                                                        {Qt::Key_Down, "0.5 %", 500},
                                                        {Qt::Key_Down, "1 %", 1000}}) {
        Key(&Window(1), key);
        EXPECT_EQ(std::pair(form->Combo1->currentText(), m.lngViewSamples), std::pair(QString(item), inView));
    }
}

TEST_F(NavigationWindow, WheelScrollsATenthOfTheViewCtrlWheelZoomsAboutThePointer)
{
    Load(1000);
    ChooseZoom("10 %");  // 100 samples in view
    const ViewState& v = form->State().view;
    const RecordingModel& m = form->State().model;
    auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers, double x) {
        const QPointF at(x, 20);
        QWheelEvent event(at, Window(1).mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&Window(1), &event);
    };
    wheel(-120, Qt::NoModifier, 10);  // towards the user: later
    EXPECT_EQ(v.lngFirstSample, 11);
    wheel(-240, Qt::NoModifier, 10);
    EXPECT_EQ(v.lngFirstSample, 31);
    wheel(60, Qt::NoModifier, 10);  // half a notch of a fine wheel waits for the other half
    EXPECT_EQ(v.lngFirstSample, 31);
    wheel(60, Qt::NoModifier, 10);
    EXPECT_EQ(v.lngFirstSample, 21);
    wheel(480, Qt::NoModifier, 10);  // never before the first sample
    EXPECT_EQ(v.lngFirstSample, 1);

    // Ctrl: one item a notch; the sample under the pointer stays under it (at the right edge: 401 + 100).
    form->Scroll1->setValue(401);
    const double right = Window(1).width();
    wheel(120, Qt::ControlModifier, right);
    auto view = [&] { return std::tuple(form->Combo1->currentText(), m.lngViewSamples, v.lngFirstSample); };
    EXPECT_EQ(view(), std::tuple("9 %", 90, 411));
    EXPECT_EQ(form->Text4->text(), "410.000 ms");
    wheel(-120, Qt::ControlModifier, 0);  // at the left edge the first sample stays
    EXPECT_EQ(view(), std::tuple("10 %", 100, 411));
    wheel(-240, Qt::ControlModifier, right);  // two items out: 511 - 120
    EXPECT_EQ(view(), std::tuple("12 %", 120, 391));
    // Out beyond the end of the record, the view stops at the last sample.
    ChooseZoom("99 %");
    wheel(-360, Qt::ControlModifier, 0);
    EXPECT_EQ(std::tuple(form->Combo1->currentText(), v.lngFirstSample), std::tuple("100 %", 1));
    wheel(-120, Qt::ControlModifier, 0);
    EXPECT_EQ(form->Combo1->currentText(), "100 %");
}

TEST_F(NavigationWindow, DraggingTheThumbMovesTheViewOnlyWhenLetGo)
{
    Load(1005);
    ChooseZoom("10 %");  // 100 samples in view, scroll range up to 905
    const quint64 drawn = Window(1).canvas().PersistentRevision();
    form->Scroll1->setSliderDown(true);
    form->Scroll1->setSliderPosition(300);
    // While dragged the range comes from the percentage of the whole record: 1005 - 100.5, to the even 904.
    EXPECT_EQ(form->Scroll1->minimum(), 1);
    EXPECT_EQ(form->Scroll1->maximum(), 904);
    EXPECT_EQ(form->Text4->text(), "299.000 ms");
    EXPECT_EQ(form->Text5->text(), "399.000 ms");
    EXPECT_EQ(form->State().view.lngFirstSample, 1);  // the windows wait for the release
    EXPECT_EQ(Window(1).canvas().PersistentRevision(), drawn);
    form->Scroll1->setSliderDown(false);
    EXPECT_EQ(form->State().view.lngFirstSample, 300);
    EXPECT_GT(Window(1).canvas().PersistentRevision(), drawn);
}

TEST_F(NavigationWindow, ReadOutsShowSampleNumbersWhileAButtonIsHeld)
{
    Load(1000);
    ChooseZoom("10 %");
    form->Scroll1->setValue(500);
    // Through the window, as the desktop delivers clicks: a context menu would open on a right press.
    // The box shows the sample number while the button is held, the time again once it is let go.
    auto click = [&](QLineEdit* box, Qt::MouseButton button, const QString& held, const QString& released) {
        const QPoint at = box->mapTo(form.get(), QPoint(3, 3));
        QTest::mousePress(form->windowHandle(), button, Qt::NoModifier, at);
        EXPECT_EQ(box->text(), held);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        QTest::mouseRelease(form->windowHandle(), button, Qt::NoModifier, at);
        EXPECT_EQ(box->text(), released);
    };
    click(form->Text4, Qt::RightButton, "499.000 ms", "499.000 ms");  // only the left button counts here
    click(form->Text4, Qt::LeftButton, "500", "499.000 ms");
    // Any button on the end box, the right one too: no menu takes its release.
    click(form->Text5, Qt::RightButton, "600", "599.000 ms");
    form->Scroll1->setValue(900);
    click(form->Text5, Qt::LeftButton, "1000", "999.000 ms");  // the end of the record, not 1000 + 100
}

TEST_F(NavigationWindow, ScaleEntry)
{
    form->Titles->setChecked(true);
    Load(100);
    ASSERT_EQ(form->height(), 581);
    Activate(1);
    RecordingModel& m = form->State().model;
    ASSERT_EQ(m.arrFullScale(1), 100);

    EnterScale("2,5");
    EXPECT_EQ(form->Text6->text(), "2.5");
    EXPECT_EQ(m.arrChannelScale(1), 2.5);
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(form->ChannelWindow(1)->Frame()->windowTitle(), "IA, Scale: -2.5 A...2.5 A");

    // The largest scale is taken; beyond it, a reach of 8714 / 0.4 x 100, zero and an empty box are not,
    // the last two without a word.
    for (const auto& [text, message] :
         std::vector<std::pair<QString, QString>>{{"2000000", ""},
                                                  {"2000001", "2000001 is not a valid number. Maximum is 2000000."},
                                                  {"0,4", "0.4 is not a valid number. Minimum is 0.4357"},
                                                  {"0", ""},
                                                  {"", ""}}) {
        SCOPED_TRACE(text.toStdString());
        platform.messages.clear();
        EnterScale(text);
        EXPECT_EQ(m.arrChannelScale(1), 2000000);
        EXPECT_EQ(platform.messages, message.isEmpty() ? QStringList() : QStringList{message});
    }

    // Keys other than Enter do nothing.
    form->Text6->setText("7");
    form->Text6_KeyDown(65);
    EXPECT_EQ(m.arrChannelScale(1), 2000000);

    // Enter while the digital window is active does nothing.
    Activate(3);
    EnterScale("2500000");
    EXPECT_EQ(m.arrChannelScale(1), 2000000);
    EXPECT_EQ(m.arrChannelScale(2), 1001);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(NavigationWindow, NumberTooLargeForTheScaleBoxIsReportedAlsoWhenAWindowTakesTheFocus)
{
    const testing::FailuresShownOn shown(platform);
    Load(100);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Activate(1);
    const QString tooLarge(320, QLatin1Char('9'));
    form->Text6->setFocus();
    form->Text6->clear();
    QTest::keyClicks(form->Text6, tooLarge);
    QTest::keyClick(form->Text6, Qt::Key_Return);
    ASSERT_EQ(form->Text6->text(), tooLarge);
    // A click into another channel window: the same message, and the box shows that channel's scale.
    QTest::mouseClick(&Window(2), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(platform.messages, QStringList({"Error #  6 Overflow", "Error #  6 Overflow"}));
    EXPECT_EQ(form->ActiveChannelWindow(), &Window(2));
    EXPECT_EQ(form->Text6->text(), "1001.00");
    EXPECT_EQ(form->State().model.arrChannelScale(1), 101);
}

TEST_F(NavigationWindow, MenuShortcutsRunFromEveryToolBarBox)
{
    Load(100);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Command1_Click();  // markers on: their read-outs show
    const RecordingModel& m = form->State().model;
    QMdiSubWindow& second = *Window(2).Frame();
    for (QLineEdit* box : {form->Text6, form->Text8, form->Text2, form->Text3, form->Text4, form->Text5}) {
        SCOPED_TRACE(box->objectName().toStdString());
        Activate(1);
        form->Disautoscaleall_Click();
        form->Hor_Click();
        ASSERT_EQ(second.x(), 0);
        box->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), box);
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);  // Cascade
        EXPECT_GT(second.x(), 0);
        QTest::keyClick(box, Qt::Key_E, Qt::ControlModifier);  // Enable auto-scaling on all channels
        EXPECT_EQ(m.arrAutoScale(1), kTrue);
        EXPECT_EQ(m.arrAutoScale(2), kTrue);
    }
}

TEST_F(NavigationWindow, ActivationWatchRedrawsMarkersOnReturn)
{
    ViewState& v = form->State().view;
    const void* self = static_cast<QWidget*>(form.get());
    const int other = 0;
    auto tick = [&](const void* active, Flag redraw) {
        platform.activeWindow = active;
        form->Timer1_Timer();
        EXPECT_EQ(v.varLastActiveWindow, active);
        EXPECT_EQ(v.blnRedrawMarkers, redraw);
    };
    tick(self, kFalse);  // nothing loaded: the watch only remembers the window
    Load(100);
    tick(&other, kFalse);
    tick(self, kTrue);  // back to the main window: the markers are drawn and the request stays set
    v.blnRedrawMarkers = kFalse;
    tick(self, kFalse);  // staying on it draws nothing more
}

TEST_F(NavigationWindow, ScaleBoxFiltersCharactersNotEditingKeys)
{
    Load(100);
    Activate(1);
    QLineEdit* box = form->Text6;
    box->clear();
    auto type = [&](const QString& text) {
        for (QChar c : text) Key(box, 0, Qt::NoModifier, QString(c));
    };
    type("1,5A-x +2.");
    EXPECT_EQ(box->text(), "1.52.");
    Key(box, Qt::Key_Backspace, Qt::NoModifier, "\b");
    Key(box, Qt::Key_Home);
    Key(box, Qt::Key_Delete, Qt::NoModifier, "\x7f");
    EXPECT_EQ(box->text(), ".52");
    Key(box, Qt::Key_End);
    Key(box, Qt::Key_Left);
    type("9");
    EXPECT_EQ(box->text(), ".592");
    Key(box, Qt::Key_Z, Qt::ControlModifier, "\x1a");  // undo the 9
    EXPECT_EQ(box->text(), ".52");
    Key(box, Qt::Key_A, Qt::ControlModifier, "\x01");
    EXPECT_EQ(box->selectedText(), ".52");
    Key(box, Qt::Key_X, Qt::ControlModifier, "\x18");
    EXPECT_EQ(box->text(), "");
    // Pasted text goes through the same filter as typed text.
    QGuiApplication::clipboard()->setText(QStringLiteral("12 kV,75"));
    Key(box, Qt::Key_V, Qt::ControlModifier, "\x16");
    EXPECT_EQ(box->text(), "12.75");
    EXPECT_EQ(form->Text6_KeyPress(8), 8);  // backspace passes
    EXPECT_EQ(form->Text6_KeyPress(13), 0);
}

}  // namespace
}  // namespace sevrana
