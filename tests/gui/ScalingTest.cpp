// Scaling commands: auto-scaling the active channel with the check box, all
// channels from the View menu, and the title bars with their captions.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <cmath>
#include <limits>

#include "FormFixture.h"

namespace sevrana {
namespace {

using testing::LoadedForm;
using testing::RecordingText;

/// Five channels whose peaks (in A, factor 0.1) are 3.2, 4.9, 5.5, 6.5 and 0, and one digital channel.
RecordingText Peaks()
{
    RecordingText rec;
    rec.counts = "6,5A,1D";
    rec.analog.clear();
    for (int i = 1; i <= 5; ++i) rec.analog.push_back(std::to_string(i) + ",I" + std::to_string(i) + ",,,A,0.1,0,0,-999,999");
    rec.digital = {"6,TRIP,0"};
    rec.data.clear();
    for (int n = 1; n <= 10; ++n)
        rec.data.push_back(std::to_string(n) + "," + std::to_string((n - 1) * 1000) +
                           (n == 4 ? ",32,-49,55,65,0,1" : ",1,-1,1,-1,0,0"));
    return rec;
}

class Scaling : public LoadedForm {
protected:
    RecordingModel& M() { return form->State().model; }
    QString Caption(long i) { return Window(i).Frame()->windowTitle(); }
};

TEST_F(Scaling, CheckBoxAutoScalesTheActiveChannelFromItsPeak)
{
    form->Titles->setChecked(true);
    Load(Peaks());
    const std::vector<std::pair<double, const char*>> expected = {
        {3.52, "3.52"}, {5.39, "5.39"}, {7, "7"}, {7, "7"}, {1, "1"}};
    for (long i = 1; i <= 5; ++i) {
        SCOPED_TRACE(i);
        Activate(i);
        ASSERT_FALSE(form->Check1->isChecked());
        form->Check1->click();
        EXPECT_EQ(M().arrAutoScale(i), kTrue);
        EXPECT_DOUBLE_EQ(M().arrChannelScale(i), expected[i - 1].first);
        EXPECT_EQ(form->Text6->text(), expected[i - 1].second);
        EXPECT_FALSE(form->Text6->isEnabled());
        EXPECT_TRUE(form->Text6->isReadOnly());
        EXPECT_FALSE(form->Text8->isEnabled());
    }
    EXPECT_EQ(Caption(1), "I1 Scale: -3.52 A...3.52 A");
    EXPECT_EQ(Caption(2), "I2 Scale: -5.39 A...5.39 A");

    // Unchecked: the scale stays as auto-scaling left it, the boxes can be used again.
    Activate(2);
    form->Check1->click();
    EXPECT_EQ(M().arrAutoScale(2), kFalse);
    EXPECT_DOUBLE_EQ(M().arrChannelScale(2), 5.39);
    EXPECT_TRUE(form->Text6->isEnabled());
    EXPECT_FALSE(form->Text6->isReadOnly());
    EXPECT_TRUE(form->Text8->isEnabled());
    EXPECT_EQ(Caption(2), "I2 Scale: -5.39 A...5.39 A");

    // The box follows the active window's state.
    Activate(1);
    EXPECT_TRUE(form->Check1->isChecked());
    Activate(2);
    EXPECT_FALSE(form->Check1->isChecked());
}

TEST_F(Scaling, AllChannelsAtOnce)
{
    form->Titles->setChecked(true);
    Load(Peaks());
    // The digital window active: every analog channel scaled, the check box left alone.
    Activate(6);
    form->Autoscaleall->trigger();
    EXPECT_FALSE(form->Check1->isChecked());
    EXPECT_FALSE(form->Check1->isEnabled());
    const std::vector<double> scales = {3.52, 5.39, 7, 7, 1};
    for (long i = 1; i <= 5; ++i) {
        EXPECT_EQ(M().arrAutoScale(i), kTrue) << i;
        EXPECT_DOUBLE_EQ(M().arrChannelScale(i), scales[static_cast<std::size_t>(i - 1)]) << i;
    }
    EXPECT_EQ(Caption(4), "I4 Scale: -7 A...7 A");
    // Drawn at once with the new scale: 6.5 A of 7 A reaches near the top of window 4.
    const QImage picture = Window(4).Picture();
    EXPECT_GT(testing::CountColour(picture, qRgb(255, 0, 0), QRect(0, 0, picture.width(), picture.height() / 10)), 0);

    Activate(1);  // an analog window: its box shows the state
    EXPECT_TRUE(form->Check1->isChecked());
    form->Disautoscaleall->trigger();
    EXPECT_FALSE(form->Check1->isChecked());
    for (long i = 1; i <= 5; ++i) EXPECT_EQ(M().arrAutoScale(i), kFalse) << i;
    EXPECT_DOUBLE_EQ(M().arrChannelScale(1), 3.52);

    // From an analog window whose box is not checked: the box is checked too.
    Activate(5);
    M().arrChannelScale(1) = 50;
    M().arrChannelScale(5) = 50;
    form->Autoscaleall->trigger();
    EXPECT_TRUE(form->Check1->isChecked());
    EXPECT_EQ(M().arrAutoScale(5), kTrue);
    EXPECT_DOUBLE_EQ(M().arrChannelScale(1), 3.52);
    EXPECT_DOUBLE_EQ(M().arrChannelScale(5), 1);
}

TEST_F(Scaling, AChannelOfGapsOnlyKeepsAUsableScaleAndDraws)
{
    form->Titles->setChecked(true);
    Load(Peaks());
    // Channel 5 misses every sample and channel 4 its peak; whatever peak a reader finds for
    // nothing at all, the scale stays 1 and the windows draw without a message.
    for (long n = 1; n <= 10; ++n) M().arrAnalogSamples(5, n) = std::nan("");
    M().arrAnalogSamples(4, 4) = std::nan("");
    form->State().pyramid.Build(M());  // as a load of such a recording would
    for (const double peak : {std::nan(""), -std::numeric_limits<double>::infinity(), 0.0}) {
        M().arrPeakValue(5) = peak;
        Activate(6);
        form->Autoscaleall->trigger();
        EXPECT_DOUBLE_EQ(M().arrChannelScale(5), 1) << peak;
        EXPECT_EQ(Caption(5), "I5 Scale: -1 A...1 A") << peak;
        EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("\n").toStdString();
        const QImage picture = Window(5).Picture();
        EXPECT_EQ(testing::CountColour(picture, qRgb(255, 0, 0), picture.rect()), 0) << peak;
    }
    // Channel 4 is drawn apart from its missing sample 4.
    const QImage four = Window(4).Picture();
    EXPECT_GT(testing::CountColour(four, qRgb(255, 0, 0), four.rect()), 0);
}

TEST_F(Scaling, TitleBarsOffAndOnAgainRestoreEveryCaption)
{
    Load(Peaks());
    M().arrChannelScale(2) = 12.5;
    for (const bool on : {false, true, false}) {
        if (form->Titles->isChecked() != on) form->Titles->trigger();
        EXPECT_EQ(form->Titles->isChecked(), on);
        for (long i = 1; i <= 6; ++i) {
            EXPECT_EQ(!Window(i).Frame()->windowFlags().testFlag(Qt::FramelessWindowHint), on) << i;
            EXPECT_TRUE(Window(i).Frame()->isVisible()) << i;
            EXPECT_EQ(Caption(i).isEmpty(), !on) << i;
        }
        if (on) {
            EXPECT_EQ(Caption(1), "I1 Scale: -101 A...101 A");  // full scale 99.9 A
            EXPECT_EQ(Caption(2), "I2 Scale: -12.5 A...12.5 A");
            EXPECT_EQ(Caption(6), "Digital Channels");
        }
    }
    form->Titles_Click();
    EXPECT_EQ(Caption(2), "I2 Scale: -12.5 A...12.5 A");
}

}  // namespace
}  // namespace sevrana
