#include "ChannelSetup.h"

#include <cmath>
#include <stdexcept>

#include "ComtradeDate.h"
#include "Messages.h"
#include "NumberUtils.h"

namespace sevrana {

double InitialScale(double fullScale)
{
    if (!std::isfinite(fullScale)) return 1.0;  // nothing sensible to show; keep the scale usable
    const double scale = std::floor(fullScale) <= 4 ? fullScale * 1.1 : RoundHalfEven(fullScale) + 1;
    // The scale is kept as it is shown: four decimals at most.
    const auto shown = ParseNumber(FormatPattern(scale, "#####0.0###"));
    if (!shown || *shown == 0) return 1.0;
    return *shown;
}

double ScrollFactor(std::int32_t lastSample)
{
    return lastSample < 32768 ? 1.0 : 32767.0 / lastSample;
}

std::vector<std::string> ZoomListItems(std::int32_t lastSample)
{
    if (lastSample <= 0) throw std::domain_error("no samples to zoom");
    std::vector<std::string> items;
    if (lastSample < 100) {
        long step = static_cast<long>(RoundHalfEven(100.0 / lastSample));
        if (step == 0) step = 100;
        for (long k = 1; k <= lastSample; ++k)
            items.push_back(k == lastSample ? std::string("100 %") : IntText(k * step) + " %");
    } else {
        for (long k = 1; k <= 100; ++k) items.push_back(IntText(k) + " %");
    }
    return items;
}

std::string DigitalNamesText(const RecordingModel& model)
{
    std::string text;
    for (long i = 1; i <= model.DigitalCount(); ++i) {
        if (i > 1) text += ", ";
        text += IntText(i) + ":" + model.arrDigitalNames(i);
    }
    return text;
}

TriggerResult ComputeTriggerPoint(RecordingModel& model)
{
    ComtradeDate start;
    ComtradeDate trigger;
    if (!start.SetDate(model.varStartStamp) || !trigger.SetDate(model.strTriggerStamp)) return TriggerResult::BadTimeStamps;
    if (model.lngSampleRate == 0) return TriggerResult::BadTimeStamps;
    model.varTriggerTime = start.GetTimeDifference(trigger) * 24 * 60 * 60;
    std::int32_t sample = INT32_MAX;
    try {
        sample = ToInt32(model.varTriggerTime / (1.0 / model.lngSampleRate));
    } catch (const ConversionError&) {
        // Beyond 32 bits, as INT32_MAX is for the "+ 1" below.
    }
    if (sample == INT32_MAX) {
        // Valid dates too far apart for a sample number (a recorder that writes 1970 when it has no trigger time):
        // taken as just before or just after the record, as a trigger close to it is, so that going to it goes to
        // that end of the record and the measurements are taken there.
        const bool before = model.varTriggerTime < 0;
        model.lngTriggerSample = before ? 0 : model.lngLastSample < INT32_MAX ? model.lngLastSample + 1 : INT32_MAX;
        return TriggerResult::OutOfRecord;
    }
    model.lngTriggerSample = sample + 1;
    if (model.varTriggerTime < 0 || model.lngTriggerSample > model.lngLastSample) return TriggerResult::OutOfRecord;
    return TriggerResult::InRecord;
}

bool PrepareChannels(RecordingModel& model, LoadObserver& observer)
{
    try {
        const long nA = model.AnalogCount();
        const long nD = model.DigitalCount();
        model.intHasDigital = nD < 1 ? 0 : 1;
        model.lngViewSamples = 10;
        ZoomListItems(model.lngLastSample);  // a record without samples has no zoom list
        model.dblScrollFactor = ScrollFactor(model.lngLastSample);
        // Each window gets an equal share of the height: there must be a window.
        if (nA + model.intHasDigital == 0) throw std::domain_error("no channel windows");
        for (long i = 1; i <= nA; ++i) model.arrChannelScale(i) = InitialScale(model.arrFullScale(i));
        model.arrDigitalSelection(0) = 1;
        model.arrDigitalSelection(nD + 1) = static_cast<std::int16_t>(nD);

        switch (ComputeTriggerPoint(model)) {
        case TriggerResult::BadTimeStamps:
            observer.ShowMessage(messages::kTimeStampError);
            return false;
        case TriggerResult::OutOfRecord:
            observer.ShowMessage(messages::kTriggerOutOfRecord);
            break;
        case TriggerResult::InRecord:
            break;
        }
        if (nD > 0) model.strDigitalNames = DigitalNamesText(model);
        return true;
    } catch (...) {
        observer.ShowMessage(messages::kDisplayError);
        return false;
    }
}

}  // namespace sevrana
