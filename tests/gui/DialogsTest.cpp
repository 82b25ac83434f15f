// The dialogs of the View and Help menus: channel selection (every click takes
// effect at once, the count and the all-selected flag, the stacking after OK),
// and the About box.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "DigitalRows.h"
#include "FormFixture.h"
#include "SelctSign.h"
#include "frmAbout.h"

namespace sevrana {
namespace {

using testing::LoadedForm;
using testing::RecordingText;

/// IA, UA and three digital channels PU, TRIP, CB.
RecordingText ThreeDigitals()
{
    RecordingText rec;
    rec.counts = "5,2A,3D";
    rec.digital = {"3,PU,0", "4,TRIP,0", "5,CB,0"};
    for (std::string& line : rec.data) line += ",1,0";
    return rec;
}

/// IA, UA and five digital channels: TRIP (up at sample 6), PU_A (up at 4), CB (always 1),
/// pu_b (always 0) and ALARM (every sample).
RecordingText FiveDigitals()
{
    RecordingText rec;
    rec.counts = "7,2A,5D";
    rec.digital = {"3,TRIP,0", "4,PU_A,0", "5,CB,0", "6,pu_b,0", "7,ALARM,0"};
    for (int n = 1; n <= 10; ++n)
        rec.data[static_cast<std::size_t>(n - 1)] += std::string(n > 3 ? ",1" : ",0") + ",1,0" + (n % 2 ? ",1" : ",0");
    return rec;
}

class Dialogs : public LoadedForm {
protected:
    std::int16_t Selection(long k) const { return form->State().model.arrDigitalSelection(k); }
    bool Minimized(long i) { return Window(i).IsMinimized(); }

    static QStringList Items(const QListWidget& list)
    {
        QStringList items;
        for (int k = 0; k < list.count(); ++k) items << list.item(k)->text() + (list.item(k)->isSelected() ? "+" : "");
        return items;
    }
    /// The entries the filter leaves in the list, ticked ones marked +.
    static QStringList Listed(const QListWidget& list)
    {
        QStringList items;
        for (int k = 0; k < list.count(); ++k)
            if (!list.isRowHidden(k)) items << list.item(k)->text() + (list.item(k)->isSelected() ? "+" : "");
        return items;
    }
    /// A click on list item k, as the mouse gives it (with Shift when asked).
    static void ClickItem(QListWidget& list, int k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, list.visualItemRect(list.item(k)).center());
    }
    /// The dialog open on FiveDigitals, the windows one above the other.
    SelctSign& OpenOnFive()
    {
        Load(FiveDigitals());
        form->Hor->trigger();
        dialog_ = std::make_unique<SelctSign>(*form);
        dialog_->Form_Load();
        return *dialog_;
    }
    /// The count, the all-selected flag, the windows' states and the rows drawn agree with the list's ticks.
    void ExpectConsistent(const QListWidget& list, const char* after)
    {
        SCOPED_TRACE(after);
        const long nA = form->State().model.AnalogCount(), nD = form->State().model.DigitalCount();
        long ticked = 0;
        for (long j = 1; j <= nD; ++j) {
            const bool on = list.item(static_cast<int>(nA + j - 1))->isSelected();
            ticked += on;
            EXPECT_EQ(Selection(j), on ? 1 : 0) << j;
        }
        EXPECT_EQ(Selection(nD + 1), ticked);
        EXPECT_EQ(Selection(0), ticked == nD ? 1 : 0);
        EXPECT_EQ(Minimized(nA + 1), ticked == 0);
        for (long i = 1; i <= nA; ++i) EXPECT_EQ(Minimized(i), !list.item(static_cast<int>(i - 1))->isSelected()) << i;
        EXPECT_EQ(testing::DigitalRowsDiffer(*form), "");
    }
    void TearDown() override { dialog_.reset(); }

    std::unique_ptr<SelctSign> dialog_;
    /// Runs a menu command whose dialog waits; work runs once the dialog is up.
    template <class Dialog>
    void WithDialog(QAction* command, std::function<void(Dialog&)> work)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            // Modal: the desktop gives no other window of the program any input meanwhile.
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            EXPECT_NE(dialog, nullptr);
            for (QWidget* top : QApplication::topLevelWidgets())
                if (dialog == nullptr && top->isVisible()) dialog = qobject_cast<Dialog*>(top);
            ASSERT_NE(dialog, nullptr);
            EXPECT_FALSE(form->isEnabled());
            ran = true;
            work(*dialog);
            if (dialog->isVisible()) dialog->close();  // a failed step must not leave the test waiting
        });
        command->trigger();
        ASSERT_TRUE(ran);
        EXPECT_TRUE(form->isEnabled());
    }
    /// Channels (un)ticked in the dialog as the user gives them, then OK; the icon titles follow between
    /// two clicks.
    void Tick(std::initializer_list<int> clicks, const QStringList& ticksBefore)
    {
        WithDialog<SelctSign>(form->SelChs, [&](SelctSign& dialog) {
            EXPECT_EQ(Items(*dialog.List1), ticksBefore);
            for (int k : clicks) {
                ClickItem(*dialog.List1, k);
                QApplication::processEvents();
            }
            dialog.Command1_Click();
        });
    }
};

TEST_F(Dialogs, DigitalTicksTakeEffectAtOnceAndTheFlagFollowsEveryClick)
{
    Load(ThreeDigitals());
    {
        SelctSign dialog(*form);
        dialog.Form_Load();
        EXPECT_EQ(dialog.windowTitle(), "Select channels");
        EXPECT_EQ(Items(*dialog.List1), QStringList({"IA+", "UA+", "PU+", "TRIP+", "CB+"}));
        EXPECT_EQ(Selection(4), 3);
        ClickItem(*dialog.List1, 2);
        EXPECT_EQ(Selection(1), 0);
        EXPECT_EQ(Selection(4), 2);
        EXPECT_FALSE(Minimized(3));
        ClickItem(*dialog.List1, 3);
        ClickItem(*dialog.List1, 4);
        EXPECT_EQ(Selection(4), 0);
        EXPECT_TRUE(Minimized(3));  // no digital channel left: the window goes at once
        ClickItem(*dialog.List1, 3);
        EXPECT_EQ(Selection(2), 1);
        EXPECT_EQ(Selection(4), 1);
        EXPECT_FALSE(Minimized(3));
        EXPECT_EQ(Selection(0), 0);  // one of three: not all shown
        dialog.close();              // the close box works like OK
        EXPECT_TRUE(dialog.blnClosed);
        EXPECT_EQ(Selection(0), 0);
    }
    {
        // Opened again: the one chosen channel is ticked; ticking the others sets the flag again.
        SelctSign dialog(*form);
        dialog.Form_Load();
        EXPECT_EQ(Items(*dialog.List1), QStringList({"IA+", "UA+", "PU", "TRIP+", "CB"}));
        EXPECT_EQ(Selection(1), 0);
        ClickItem(*dialog.List1, 2);
        EXPECT_EQ(Selection(0), 0);
        ClickItem(*dialog.List1, 4);
        EXPECT_EQ(Selection(0), 1);
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        EXPECT_TRUE(dialog.blnClosed);
        EXPECT_EQ(Selection(0), 1);
        EXPECT_EQ(Selection(4), 3);
    }
}

TEST_F(Dialogs, TheCountFollowsTheTicksAndRestoringWithNoneChosenShowsThemAll)
{
    // The digital window's bands fill it: the last one's label (red, smoothed) or trace lies
    // in its bottom eighth (a count above the channels shown leaves the bottom empty).
    auto bandsFill = [&] {
        const QImage picture = Window(3).Picture();
        for (int y = picture.height() * 7 / 8; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (qRed(picture.pixel(x, y)) > 160 && qGreen(picture.pixel(x, y)) < 100) return true;
        return false;
    };
    for (bool titles : {false, true}) {
        SCOPED_TRACE(titles ? "title bars on" : "title bars off");
        Load(ThreeDigitals());
        if (form->TitlesOn() != titles) form->Titles->trigger();
        Tick({2, 3, 4, 3}, {"IA+", "UA+", "PU+", "TRIP+", "CB+"});
        EXPECT_EQ(Selection(4), 1);
        EXPECT_EQ(Selection(0), 0);
        EXPECT_FALSE(Minimized(3));
        EXPECT_TRUE(bandsFill());
        Tick({3}, {"IA+", "UA+", "PU", "TRIP+", "CB"});
        // The icon gets or loses its title bar with the switch: still none chosen.
        for (int k = 0; k < 2; ++k) {
            form->Titles->trigger();
            QApplication::processEvents();
            EXPECT_EQ(Selection(4), 0);
            EXPECT_TRUE(Minimized(3));
        }
        Tick({2, 3, 4}, {"IA+", "UA+", "PU", "TRIP", "CB"});
        EXPECT_EQ(Selection(4), 3);
        EXPECT_EQ(Selection(0), 1);
        EXPECT_TRUE(bandsFill());

        // None chosen, then the window restored by hand from its icon: all shown again, the same size as before.
        Tick({2, 3, 4}, {"IA+", "UA+", "PU+", "TRIP+", "CB+"});
        ASSERT_TRUE(Minimized(3));
        EXPECT_EQ(Selection(0), 0);
        Window(3).Frame()->showNormal();
        QApplication::processEvents();
        EXPECT_EQ(Selection(4), 3);
        EXPECT_EQ(Selection(0), 1);
        EXPECT_EQ(testing::DigitalRowsDiffer(*form), "");  // and drawn at once, not left blank
    }
}

TEST_F(Dialogs, DigitalChannelTickedAgainAfterNoneIsTheOneDrawnWhileTheDialogIsOpen)
{
    // The example: PU 0.120 to 0.225 s, TRIP 0.140 to 0.235 s, of the 0.5 s shown.
    form->OpenRecording(QStringLiteral(SEVRANA_SOURCE_DIR "/examples/feeder_fault.cfg"));
    QApplication::processEvents();
    ASSERT_FALSE(form->TitlesOn());
    form->Hor->trigger();
    WithDialog<SelctSign>(form->SelChs, [&](SelctSign& dialog) {
        for (int k : {7, 8, 9, 8}) {  // PU, TRIP, CB_CLOSED off (the window goes), TRIP on again
            ClickItem(*dialog.List1, k);
            QApplication::processEvents();
        }
        ASSERT_FALSE(Minimized(8));
        const QImage picture = Window(8).canvas().PersistentImage();
        const int W = picture.width(), H = picture.height();
        // The trace's edges cross the middle of its one row: TRIP's rise and fall, nothing else.
        std::vector<int> edges;
        for (int x = 0; x < W; ++x)
            if (picture.pixel(x, H / 2) == qRgb(255, 0, 0)) edges.push_back(x);
        ASSERT_EQ(edges.size(), 2u);
        EXPECT_NEAR(edges[0], W * 0.140 / 0.5, 2);
        EXPECT_NEAR(edges[1], W * 0.235 / 0.5, 2);
        // High between them (the row's top), low before (two pixels above the bottom).
        EXPECT_EQ(picture.pixel((edges[0] + edges[1]) / 2, 0), qRgb(255, 0, 0));
        EXPECT_EQ(picture.pixel(edges[0] - 5, H - 2), qRgb(255, 0, 0));
        EXPECT_EQ(testing::DigitalRows(picture, Window(8).canvas().Font(), 1).Label(1, 3), 2);  // "2:"
        dialog.Command1_Click();
    });
}

TEST_F(Dialogs, FilterListsMatchingNamesAndAllOrNoneTickOnlyThose)
{
    SelctSign& dialog = OpenOnFive();
    QListWidget& list = *dialog.List1;
    QTest::keyClicks(dialog.Filter, "pu");  // any case
    EXPECT_EQ(Listed(list), QStringList({"PU_A+", "pu_b+"}));
    QTest::mouseClick(dialog.None, Qt::LeftButton);
    EXPECT_EQ(Items(list), QStringList({"IA+", "UA+", "TRIP+", "PU_A", "CB+", "pu_b", "ALARM+"}));
    ExpectConsistent(list, "None on pu");
    dialog.Filter->setText("A");
    EXPECT_EQ(Listed(list), QStringList({"IA+", "UA+", "PU_A", "ALARM+"}));
    QTest::mouseClick(dialog.None, Qt::LeftButton);
    EXPECT_EQ(Items(list), QStringList({"IA", "UA", "TRIP+", "PU_A", "CB+", "pu_b", "ALARM"}));
    ExpectConsistent(list, "None on A");
    dialog.Filter->setText("TRIP");
    QTest::mouseClick(dialog.None, Qt::LeftButton);  // CB, hidden, keeps the window
    ExpectConsistent(list, "None on TRIP");
    dialog.Filter->setText("B");
    QTest::mouseClick(dialog.None, Qt::LeftButton);  // the last one goes: the window with it
    ExpectConsistent(list, "None on B");
    dialog.Filter->setText("zz");
    EXPECT_EQ(Listed(list), QStringList());
    QTest::mouseClick(dialog.All, Qt::LeftButton);  // nothing listed, nothing ticked
    EXPECT_EQ(Selection(6), 0);
    dialog.Filter->clear();
    EXPECT_EQ(Listed(list).size(), 7);
    QTest::mouseClick(dialog.All, Qt::LeftButton);
    EXPECT_EQ(Items(list), QStringList({"IA+", "UA+", "TRIP+", "PU_A+", "CB+", "pu_b+", "ALARM+"}));
    ExpectConsistent(list, "All");
    dialog.Command1_Click();
}

TEST_F(Dialogs, ShiftClickTicksOrUnticksTheListedRangeFromTheLastClickedEntry)
{
    SelctSign& dialog = OpenOnFive();
    QListWidget& list = *dialog.List1;
    ClickItem(list, 1);                     // UA off: the range's start
    ClickItem(list, 5, Qt::ShiftModifier);  // pu_b goes off, and so does everything from UA down to it
    EXPECT_EQ(Items(list), QStringList({"IA+", "UA", "TRIP", "PU_A", "CB", "pu_b", "ALARM+"}));
    ExpectConsistent(list, "Shift+click down");
    ClickItem(list, 3, Qt::ShiftModifier);  // back up from pu_b: PU_A comes on, the range with it
    EXPECT_EQ(Items(list), QStringList({"IA+", "UA", "TRIP", "PU_A+", "CB+", "pu_b+", "ALARM+"}));
    ExpectConsistent(list, "Shift+click up");
    // Filtered: the range holds the entries listed only.
    dialog.Filter->setText("a");
    ClickItem(list, 0);  // IA off
    ClickItem(list, 6, Qt::ShiftModifier);
    EXPECT_EQ(Items(list), QStringList({"IA", "UA", "TRIP", "PU_A", "CB+", "pu_b+", "ALARM"}));
    ExpectConsistent(list, "Shift+click filtered");
    dialog.Filter->clear();
    ClickItem(list, 2, Qt::ShiftModifier);  // from ALARM up to TRIP, which comes on
    EXPECT_EQ(Items(list), QStringList({"IA", "UA", "TRIP+", "PU_A+", "CB+", "pu_b+", "ALARM+"}));
    ExpectConsistent(list, "Shift+click after the filter");
    dialog.Command1_Click();
}

TEST_F(Dialogs, ShiftClickRangeMayStartOrEndOnTheFirstEntry)
{
    SelctSign& dialog = OpenOnFive();
    QListWidget& list = *dialog.List1;
    ClickItem(list, 0);                     // IA off: the first entry starts the range
    ClickItem(list, 2, Qt::ShiftModifier);  // TRIP off, and UA between them
    EXPECT_EQ(Items(list), QStringList({"IA", "UA", "TRIP", "PU_A+", "CB+", "pu_b+", "ALARM+"}));
    ExpectConsistent(list, "range from the first entry");
    ClickItem(list, 4);                     // CB off: the range's start
    ClickItem(list, 0, Qt::ShiftModifier);  // IA comes on, and everything from CB up to it
    EXPECT_EQ(Items(list), QStringList({"IA+", "UA+", "TRIP+", "PU_A+", "CB+", "pu_b+", "ALARM+"}));
    ExpectConsistent(list, "range up to the first entry");
    dialog.Command1_Click();
}

TEST_F(Dialogs, ChangedOnlyTicksTheDigitalChannelsThatChange)
{
    SelctSign& dialog = OpenOnFive();
    QListWidget& list = *dialog.List1;
    ClickItem(list, 0);
    ClickItem(list, 3);  // PU_A off, to come back
    dialog.Filter->setText("CB");
    QTest::mouseClick(dialog.ChangedOnly, Qt::LeftButton);  // every digital channel, listed or not
    EXPECT_EQ(Items(list), QStringList({"IA", "UA+", "TRIP+", "PU_A+", "CB", "pu_b", "ALARM+"}));
    ExpectConsistent(list, "Changed only");
    dialog.Command1_Click();
}

TEST_F(Dialogs, UntickedAnalogWindowIsMinimizedAndTheOthersShareTheAreaAfterOk)
{
    Load(ThreeDigitals());
    form->Hor->trigger();
    const int oldHeight = Window(2).Frame()->height();
    WithDialog<SelctSign>(form->SelChs, [&](SelctSign& dialog) {
        ClickItem(*dialog.List1, 0);
        EXPECT_TRUE(Minimized(1));  // at once, before OK
        ClickItem(*dialog.List1, 0);
        EXPECT_FALSE(Minimized(1));
        ClickItem(*dialog.List1, 0);
        dialog.close();
    });
    EXPECT_TRUE(Minimized(1));
    // Windows 2 and 3 now share what the icon leaves, one above the other.
    const QRect second = Window(2).Frame()->geometry();
    const QRect third = Window(3).Frame()->geometry();
    EXPECT_EQ(second.top(), 0);
    EXPECT_EQ(third.top(), second.bottom() + 1);
    EXPECT_GT(second.height(), oldHeight + oldHeight / 3);
    EXPECT_LE(std::abs(second.height() - third.height()), 1);
    EXPECT_EQ(second.width(), form->ClientSize().width());
}

TEST_F(Dialogs, TheActiveWindowStaysActiveWhenAnotherIsUnticked)
{
    Load(ThreeDigitals());
    Activate(2);
    WithDialog<SelctSign>(form->SelChs, [&](SelctSign& dialog) {
        ClickItem(*dialog.List1, 0);
        // The desktop hands the focus back to the main window only later: the stacking
        // that follows OK still finds the channel window that was active.
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        dialog.Command1_Click();
    });
    EXPECT_EQ(form->ActiveChannelWindow(), &Window(2));
    EXPECT_EQ(form->ToolBarWindow(), 2);
}

TEST_F(Dialogs, RecordingWithoutDigitalChannelsListsTheAnalogOnesAndStoresNoCount)
{
    RecordingText rec;
    rec.counts = "2,2A,0D";
    rec.digital.clear();
    for (std::string& line : rec.data) line.erase(line.rfind(','));
    Load(rec);
    form->State().model.arrDigitalSelection(1) = 5;  // whatever was there, the count is stored anew
    SelctSign dialog(*form);
    dialog.Form_Load();
    EXPECT_EQ(Items(*dialog.List1), QStringList({"IA+", "UA+"}));
    EXPECT_EQ(Selection(1), 0);
    ClickItem(*dialog.List1, 1);
    EXPECT_TRUE(Minimized(2));
    dialog.Command1_Click();
    EXPECT_EQ(Selection(0), 1);
}

TEST_F(Dialogs, AboutShowsTheProductAndTheProjectsVersion)
{
    // The version comes from the project's own definition, the one place it is kept.
    QFile project(QStringLiteral(SEVRANA_SOURCE_DIR "/CMakeLists.txt"));
    ASSERT_TRUE(project.open(QIODevice::ReadOnly));
    const auto match = QRegularExpression("project\\(Sevrana VERSION (\\d+\\.\\d+\\.\\d+)").match(project.readAll());
    ASSERT_TRUE(match.hasMatch());
    Load(100);
    WithDialog<frmAbout>(form->About, [&](frmAbout& about) {
        EXPECT_EQ(about.lblTitle->text(), "Sevrana");
        EXPECT_EQ(about.lblVersion->text(), "Version: " + match.captured(1));
        EXPECT_GT(testing::CountColour(about.picImage->pixmap().toImage(), qRgb(255, 0, 0)), 20);  // the red trace
        QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    });
}

}  // namespace
}  // namespace sevrana
