// A recording whose trigger date lies decades from its record (a recorder's 01/01/1970
// when it has no trigger time) opens, with the trigger just outside the record: the
// jump to the trigger goes to that end, and no trigger line is drawn before the record.

#include <QScrollBar>

#include "FormFixture.h"

namespace sevrana {
namespace {

using testing::CountColour;
using testing::LoadedForm;

const QRgb kTriggerLine = qRgb(64, 64, 64);

using FarTrigger = LoadedForm;

TEST_F(FarTrigger, OpensAndTheJumpGoesToTheEndOfTheRecordOnItsSide)
{
    struct Case {
        const char* start;
        const char* trigger;
        std::int32_t sample;      // the trigger's
        std::int32_t firstShown;  // after the jump to it
    };
    for (const Case& c : {Case{"02/22/10,10:00:00.000000", "01/01/70,00:00:00.000000", 0, 1},
                          Case{"01/01/70,00:00:00.000000", "02/22/10,10:00:00.000000", 1002, 901}}) {
        SCOPED_TRACE(c.trigger);
        platform.messages.clear();
        testing::RecordingText rec = testing::SamplesOf(1001);
        rec.start = c.start;
        rec.trigger = c.trigger;
        Load(rec);
        EXPECT_EQ(platform.messages, QStringList{"Trigger point is out of record"});
        EXPECT_EQ(form->State().model.lngTriggerSample, c.sample);
        Activate(1);
        ChooseZoom("10 %");  // 100 samples in view, scroll range 1..901
        form->Scroll1->setValue(500);
        form->TrPoint->trigger();
        EXPECT_EQ(form->State().view.lngFirstSample, c.firstShown);
    }
}

TEST_F(FarTrigger, NoTriggerLineIsDrawnForATriggerBeforeTheRecord)
{
    testing::RecordingText rec = testing::SamplesOf(1001);
    Load(rec, "near");
    Window(1).resize(300, 120);
    ASSERT_GT(CountColour(Window(1).Picture(), kTriggerLine), 10);  // at the first sample

    rec.start = "02/22/10,10:00:00.000000";
    rec.trigger = "01/01/70,00:00:00.000000";
    Load(rec, "far");
    Window(1).resize(300, 120);
    EXPECT_EQ(CountColour(Window(1).Picture(), kTriggerLine), 0);
}

}  // namespace
}  // namespace sevrana
