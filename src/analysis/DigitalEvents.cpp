#include "DigitalEvents.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "NumberUtils.h"
#include "TextUtils.h"

namespace sevrana::analysis {

namespace {

/// Where the merge stands in one channel's list of changes.
struct Cursor {
    const std::vector<std::int32_t>* samples;
    const std::vector<std::int16_t>* states;
    std::size_t next;
    std::int16_t channel;
    std::int16_t state;  // before samples[next]
};

}  // namespace

int InitialState(const RecordingModel& model, long k)
{
    if (model.lngLastSample < 1 || model.arrDigitalSamples.Columns() < 1) return 0;
    return model.arrDigitalSamples(k, 1);
}

std::vector<DigitalEvent> DigitalEvents(const RecordingModel& model, const DigitalEdges& edges,
                                        const std::vector<long>& channels)
{
    const long nD = model.DigitalCount();
    std::vector<long> asked = channels;
    if (asked.empty())
        for (long k = 1; k <= nD; ++k) asked.push_back(k);
    std::sort(asked.begin(), asked.end());  // a channel asked for twice is listed once
    asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
    std::vector<Cursor> cursors;
    std::size_t total = 0;
    for (long k : asked) {
        if (k < 1 || k > nD) throw std::out_of_range("digital channel " + IntText(k) + " is outside 1.." + IntText(nD));
        if (edges.empty()) continue;  // a record without a second sample changes nowhere
        const auto& samples = edges.Changes(k);
        if (samples.empty()) continue;
        cursors.push_back({&samples, &edges.States(k), 0, static_cast<std::int16_t>(k),
                           static_cast<std::int16_t>(InitialState(model, k))});
        total += samples.size();
    }
    // A heap of the channels by their next change: the earliest sample, then the lowest channel, on top.
    auto later = [](const Cursor& a, const Cursor& b) {
        const std::int32_t sa = (*a.samples)[a.next], sb = (*b.samples)[b.next];
        return sa != sb ? sa > sb : a.channel > b.channel;
    };
    std::make_heap(cursors.begin(), cursors.end(), later);
    std::vector<DigitalEvent> events;
    events.reserve(total);
    while (!cursors.empty()) {
        std::pop_heap(cursors.begin(), cursors.end(), later);
        Cursor& c = cursors.back();
        const std::int16_t to = (*c.states)[c.next];
        events.push_back({(*c.samples)[c.next], c.channel, c.state, to});
        c.state = to;
        if (++c.next < c.samples->size())
            std::push_heap(cursors.begin(), cursors.end(), later);
        else
            cursors.pop_back();
    }
    return events;
}

bool TriggerInRecord(const RecordingModel& model)
{
    return model.varTriggerTime >= 0 && model.lngTriggerSample >= 1 && model.lngTriggerSample <= model.lngLastSample;
}

double SampleTime(const RecordingModel& model, long sample)
{
    return model.lngSampleRate > 0 ? static_cast<double>(sample - 1) / model.lngSampleRate : 0.0;
}

std::string ChangeText(const DigitalEvent& event) { return IntText(event.from) + "\u2192" + IntText(event.to); }

std::vector<std::string> EventCells(const RecordingModel& model, const DigitalEvent& event)
{
    const long k = event.channel;
    const double time = SampleTime(model, event.sample);
    double fromTrigger = (time - model.varTriggerTime) * 1000;
    if (std::fabs(fromTrigger) < 0.0005) fromTrigger = 0;  // never "-0.000"
    const bool normal = k <= model.arrDigitalNormal.UBound() && model.arrDigitalNormal(k) == event.to;
    return {FormatPattern(time, "0.000000"),
            FormatPattern(fromTrigger, "0.000"),
            IntText(event.sample),
            IntText(k),
            std::string(TrimBlanks(model.arrDigitalNames(k))),
            ChangeText(event),
            normal ? "yes" : "no"};
}

}  // namespace sevrana::analysis
