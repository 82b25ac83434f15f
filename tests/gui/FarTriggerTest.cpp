// A recording whose trigger date lies decades from its record (a recorder's 01/01/1970
// when it has no trigger time) opens, with the trigger just outside the record.

#include <QScrollBar>

#include "FormFixture.h"

namespace sevrana {
namespace {

using FarTrigger = testing::LoadedForm;

TEST_F(FarTrigger, OpensAndTheJumpGoesToTheEndOfTheRecordOnItsSide)
{
    // Beside them a trigger inside the record, whose line is drawn.
    struct Case {
        const char* start;
        const char* trigger;
        std::int32_t sample;      // the trigger's
        std::int32_t firstShown;  // after the jump to it
        bool inRecord;
    };
    for (const Case& c : {Case{"02/22/10,10:00:00.000000", "01/01/70,00:00:00.000000", 0, 1, false},
                          Case{"01/01/70,00:00:00.000000", "02/22/10,10:00:00.000000", 1002, 901, false},
                          Case{"01/01/70,00:00:00.000000", "01/01/70,00:00:00.950000", 951, 901, true}}) {
        SCOPED_TRACE(c.trigger);
        platform.messages.clear();
        testing::RecordingText rec = testing::SamplesOf(1001);
        rec.start = c.start;
        rec.trigger = c.trigger;
        Load(rec);
        EXPECT_EQ(platform.messages, c.inRecord ? QStringList{} : QStringList{"Trigger point is out of record"});
        EXPECT_EQ(form->State().model.lngTriggerSample, c.sample);
        Activate(1);
        ChooseZoom("10 %");  // 100 samples in view, scroll range 1..901
        form->Scroll1->setValue(500);
        form->TrPoint->trigger();
        EXPECT_EQ(form->State().view.lngFirstSample, c.firstShown);
        EXPECT_EQ(testing::CountColour(Window(1).Picture(), qRgb(64, 64, 64)) > 10, c.inRecord);  // the trigger line
    }
}

}  // namespace
}  // namespace sevrana
