// The dialogs of the View and Help menus: channel selection (every click takes
// effect at once, the count and the all-selected flag, the stacking after OK),
// and the About box.

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

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
    /// A click on list item k, as the mouse gives it.
    static void ClickItem(QListWidget& list, int k)
    {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(k)).center());
    }
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

TEST_F(Dialogs, DigitalTicksTakeEffectAtOnceAndTheFlagFollowsOnClose)
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
        EXPECT_EQ(Selection(0), 1);  // brought up to date only on close
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
        ClickItem(*dialog.List1, 4);
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
    }
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
