#include "HoverText.h"

#include <algorithm>
#include <cmath>

#include "NumberUtils.h"

namespace sevrana {

std::int32_t SampleAtX(const RecordingModel& model, const ViewState& view, double x, double width)
{
    const double share = width > 0 ? x / width : 0;
    const double sample = RoundHalfEven(view.lngFirstSample + share * model.lngViewSamples);
    return static_cast<std::int32_t>(std::clamp(sample, 1.0, static_cast<double>(std::max(1, model.lngLastSample))));
}

long DigitalRowChannel(const RecordingModel& model, double y, double height)
{
    const long nD = model.DigitalCount();
    if (nD < 1 || height <= 0 || y < 0 || y >= height) return 0;
    const long rows = model.arrDigitalSelection(nD + 1);
    if (rows < 1) return 0;
    const long row = static_cast<long>(y / (height / rows)) + 1;
    long shown = 0;
    for (long k = 1; k <= nD; ++k)
        if ((model.arrDigitalSelection(0) == 1 || model.arrDigitalSelection(k) == 1) && ++shown == row) return k;
    return 0;
}

std::string HoverText(const RecordingModel& model, const ViewState& view, long index, bool titleBar, double x, double y,
                      double width, double height)
{
    const long nA = model.AnalogCount();
    if (view.blnDataLoaded != kTrue || index < 1 || index > nA + model.intHasDigital) return {};
    const std::int32_t sample = SampleAtX(model, view, x, width);
    if (index > nA) {
        const long k = DigitalRowChannel(model, y, height);
        if (k == 0) return {};
        return IntText(k) + ": " + model.arrDigitalNames(k) + " = " + IntText(model.arrDigitalSamples(k, sample));
    }
    if (titleBar) return {};  // the title bar names the channel already
    const double value = model.arrAnalogSamples(index, sample);
    return model.arrAnalogNames(index) + " [" + model.arrAnalogUnits(index) +
           "]: " + (std::isnan(value) ? std::string("missing") : GeneralSingle(static_cast<float>(value)));
}

}  // namespace sevrana
