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

std::int32_t ViewSamplesForZoom(double percent, std::int32_t lastSample)
{
    const std::int32_t samples = ToInt32(percent / 100 * (static_cast<double>(lastSample) - 1));
    return samples == 0 ? lastSample : samples;
}

namespace {

/// The steps below 1 %: 0.5, 0.2, 0.1, 0.05, ... (index 0, 1, 2, ...). Divided by an exact power
/// of ten, so each is the same double as its text read back ("0.05" is 5 / 100).
double FineZoomStep(int index)
{
    constexpr double kMantissas[] = {5, 2, 1};
    return kMantissas[index % 3] / std::pow(10.0, index / 3 + 1);
}

// Far below anything a record of 2^31 samples lists, and a bound for the searches.
constexpr int kFineZoomSteps = 30;

}  // namespace

std::vector<std::string> ZoomListItems(std::int32_t lastSample)
{
    if (lastSample <= 0) throw std::domain_error("no samples to zoom");
    std::vector<std::string> items;
    if (lastSample < 100) {
        long step = static_cast<long>(RoundHalfEven(100.0 / lastSample));
        if (step == 0) step = 100;
        for (long k = 1; k <= lastSample; ++k)
            items.push_back(k == lastSample ? std::string("100 %") : IntText(k * step) + " %");
        return items;
    }
    // Where 1 % is more than 1,000 samples, a whole percent is too coarse to find a fault in.
    if (lastSample > 100000) {
        int count = 0;
        while (count < kFineZoomSteps && ViewSamplesForZoom(FineZoomStep(count), lastSample) >= 100) ++count;
        for (int k = count - 1; k >= 0; --k) items.push_back(GeneralNumber(FineZoomStep(k)) + " %");
    }
    for (long k = 1; k <= 100; ++k) items.push_back(IntText(k) + " %");
    return items;
}

double ZoomRectanglePercent(double spanPercent)
{
    const double whole = RoundHalfEven(spanPercent);
    if (whole != 0 || spanPercent == 0) return whole;
    double nearest = FineZoomStep(0);
    for (int k = 1; k < kFineZoomSteps; ++k)
        if (std::fabs(FineZoomStep(k) - spanPercent) < std::fabs(nearest - spanPercent)) nearest = FineZoomStep(k);
    return nearest;
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
    if (!start.SetDate(model.varStartStamp) || !trigger.SetDate(model.strTriggerStamp))
        return TriggerResult::BadTimeStamps;
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
