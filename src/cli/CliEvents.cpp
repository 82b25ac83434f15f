#include "CliEvents.h"

#include <algorithm>
#include <optional>
#include <ostream>

#include "CliCommands.h"
#include "CliConvert.h"
#include "NumberUtils.h"
#include "TextUtils.h"

namespace sevrana::cli {

namespace {

using analysis::DigitalEvent;

std::string NameOf(const RecordingModel& model, long k) { return std::string(TrimBlanks(model.arrDigitalNames(k))); }

struct EventsOptions {
    bool json = false;
    std::vector<long> channels;
    std::vector<std::string> files;
};

/// A channel number as given after --channel: digits only.
std::optional<long> ChannelNumber(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stol(text);
}

std::optional<std::string> ParseOptions(const std::vector<std::string>& args, EventsOptions& o)
{
    constexpr std::string_view kChannel = "--channel";
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            o.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == kChannel || arg.starts_with("--channel=")) {
            std::string value;
            if (arg.size() > kChannel.size()) {
                value = arg.substr(kChannel.size() + 1);
            } else {
                if (i + 1 >= args.size()) return "missing value after --channel";
                value = args[++i];
            }
            const std::optional<long> k = ChannelNumber(value);
            if (!k) return "--channel needs a channel number, not '" + value + "'";
            o.channels.push_back(*k);
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    if (o.files.empty()) return "missing configuration file";
    if (o.files.size() > 1) return "more than one configuration file";
    return {};
}

}  // namespace

std::string EventsText(const RecordingModel& model, const std::vector<DigitalEvent>& events)
{
    std::string text;
    for (const DigitalEvent& e : events)
        text += FormatPattern(analysis::SampleTime(model, e.sample), "0.000000") + '\t' + IntText(e.sample) + '\t' +
                IntText(e.channel) + '\t' + NameOf(model, e.channel) + '\t' + IntText(e.from) + '\t' + IntText(e.to) +
                '\n';
    return text;
}

std::string EventsJson(const RecordingModel& model, const DigitalEdges& edges, const std::vector<long>& channels)
{
    const std::vector<DigitalEvent> events = analysis::DigitalEvents(model, edges, channels);
    std::vector<long> shown;
    for (long k = 1; k <= model.DigitalCount(); ++k)
        if (channels.empty() || std::find(channels.begin(), channels.end(), k) != channels.end()) shown.push_back(k);
    std::string json = "{\n  \"sample_rate\": " + IntText(model.lngSampleRate);
    json += ",\n  \"samples\": " + IntText(model.lngLastSample);
    json += ",\n  \"trigger_sample\": " +
            (analysis::TriggerInRecord(model) ? IntText(model.lngTriggerSample) : std::string("null"));
    json += ",\n  \"channels\": [";
    for (std::size_t j = 0; j < shown.size(); ++j) {
        const long k = shown[j];
        const std::size_t changes = edges.empty() ? 0 : edges.Changes(k).size();
        json += j == 0 ? "\n    {" : ",\n    {";
        json += "\"index\": " + IntText(k) + ", \"name\": " + JsonString(NameOf(model, k)) +
                ", \"normal\": " + IntText(model.arrDigitalNormal(k)) +
                ", \"initial\": " + IntText(analysis::InitialState(model, k)) +
                ", \"changes\": " + IntText(static_cast<long long>(changes)) + "}";
    }
    json += shown.empty() ? "]" : "\n  ]";
    json += ",\n  \"events\": [";
    for (std::size_t i = 0; i < events.size(); ++i) {
        const DigitalEvent& e = events[i];
        json += i == 0 ? "\n    {" : ",\n    {";
        json += "\"sample\": " + IntText(e.sample) +
                ", \"time\": " + ExactNumber(analysis::SampleTime(model, e.sample)) +
                ", \"channel\": " + IntText(e.channel) + ", \"name\": " + JsonString(NameOf(model, e.channel)) +
                ", \"from\": " + IntText(e.from) + ", \"to\": " + IntText(e.to) + "}";
    }
    json += events.empty() ? "]" : "\n  ]";
    return json + "\n}\n";
}

int RunEvents(std::vector<std::string> args, std::ostream& out, std::ostream& err)
{
    ReadRequest request;
    if (const std::optional<std::string> problem = TakeEncoding(args, request.codePage)) return Usage(err, *problem);
    if (const std::optional<std::string> problem = TakeReadChoice(args, request.choice)) return Usage(err, *problem);
    EventsOptions o;
    if (const std::optional<std::string> problem = ParseOptions(args, o)) return Usage(err, *problem);

    request.path = o.files[0];
    return RunOnLoadedRecording(request, err, [&](const RecordingModel& model) {
        const long nD = model.DigitalCount();
        for (long k : o.channels)
            if (k < 1 || k > nD) return Usage(err, "digital channel " + IntText(k) + " is outside 1.." + IntText(nD));
        DigitalEdges edges;
        edges.Build(model);
        out << (o.json ? EventsJson(model, edges, o.channels)
                       : EventsText(model, analysis::DigitalEvents(model, edges, o.channels)));
        return kExitLoaded;
    });
}

}  // namespace sevrana::cli
