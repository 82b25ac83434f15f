#include "CliMeasure.h"

#include <cmath>
#include <optional>
#include <ostream>

#include "CliCommands.h"
#include "CliConvert.h"
#include "MeasurementText.h"
#include "NumberUtils.h"
#include "TextUtils.h"

namespace sevrana::cli {

namespace {

using analysis::Measurement;
using analysis::Phasor;

std::string Number(double v) { return ExactNumber(v); }
std::string OrNull(std::optional<double> v) { return v ? Number(*v) : "null"; }
std::string FieldOf(const Array1<std::string>& field, long i)
{
    return i >= field.LBound() && i <= field.UBound() ? std::string(TrimBlanks(field(i))) : std::string();
}

std::string PhasorJson(const Phasor& p)
{
    return "{\"magnitude\": " + Number(p.magnitude) + ", \"angle\": " + Number(p.angle) + "}";
}

struct MeasureOptions {
    std::optional<std::string> at;
    std::optional<std::string> sample;
    std::optional<std::string> reference;
    bool json = false;
    std::vector<std::string> files;
};

/// The option's value from "--name VALUE" or "--name=VALUE"; the problem when it is missing or given twice.
std::optional<std::string> TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
                                     std::optional<std::string>& value, bool& matched)
{
    const std::string& arg = args[i];
    matched = false;
    if (arg.compare(0, name.size(), name) != 0 || (arg.size() > name.size() && arg[name.size()] != '=')) return {};
    matched = true;
    if (value) return "--" + std::string(name.substr(2)) + " given twice";
    if (arg.size() > name.size()) {
        value = arg.substr(name.size() + 1);
    } else {
        if (i + 1 >= args.size()) return "missing value after " + std::string(name);
        value = args[++i];
    }
    return {};
}

std::optional<std::string> ParseOptions(const std::vector<std::string>& args, MeasureOptions& o)
{
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            o.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--json") {
            o.json = true;
            continue;
        }
        bool matched = false;
        for (auto [name, value] : {std::pair{"--at", &o.at}, {"--sample", &o.sample}, {"--reference", &o.reference}}) {
            if (auto problem = TakeValue(args, i, name, *value, matched)) return problem;
            if (matched) break;
        }
        if (!matched) return "unknown option '" + arg + "'";
    }
    if (o.at && o.sample) return "--at and --sample cannot both be given";
    if (o.files.empty()) return "missing configuration file";
    if (o.files.size() > 1) return "more than one configuration file";
    return {};
}

/// A whole number spelt by the text (sign, digits, point and exponent allowed, as long as the value is whole).
std::optional<long> WholeNumber(const std::string& text)
{
    const std::optional<double> v = ParseNumber(text);
    if (!v || *v != std::floor(*v) || std::fabs(*v) > 1e15) return std::nullopt;
    return static_cast<long>(*v);
}

/// The measurement sample the options choose, or the problem with them.
std::optional<std::string> ChooseSample(const MeasureOptions& o, const RecordingModel& m, long& sample)
{
    const long N = m.lngLastSample;
    sample = analysis::TriggerMeasurementSample(m);
    if (o.sample) {
        const std::optional<long> n = WholeNumber(*o.sample);
        if (!n) return "--sample needs a whole number, not '" + *o.sample + "'";
        sample = *n;
    } else if (o.at) {
        const std::optional<double> t = ParseNumber(*o.at);
        if (!t) return "--at needs a time in seconds, not '" + *o.at + "'";
        const double s = RoundHalfEven(*t * m.lngSampleRate) + 1;
        if (!(s >= 1 && s <= static_cast<double>(N))) return "--at " + *o.at + " s is outside the record";
        sample = static_cast<long>(s);
    }
    if (sample < 1 || sample > N) return "sample " + IntText(sample) + " is outside 1.." + IntText(N);
    return {};
}

}  // namespace

std::string MeasurementJson(const RecordingModel& model, const Measurement& m)
{
    std::string json = "{\n  \"sample\": " + IntText(m.sample);
    json += ",\n  \"time\": " + Number(m.time);
    json += ",\n  \"samples_per_cycle\": " + IntText(m.samplesPerCycle);
    json += ",\n  \"window\": [" + IntText(m.first) + ", " + IntText(m.last) + "]";
    json += ",\n  \"window_moved\": " + std::string(m.windowMoved ? "true" : "false");
    json += ",\n  \"reference\": " + IntText(m.reference);
    json += ",\n  \"frequency\": " + OrNull(m.frequency);
    json += ",\n  \"channels\": [";
    for (const analysis::ChannelMeasurement& c : m.channels) {
        const long i = c.index;
        json += i == 1 ? "\n    {" : ",\n    {";
        json += "\"index\": " + IntText(i);
        json += ", \"name\": " + JsonString(FieldOf(model.arrAnalogNames, i));
        json += ", \"unit\": " + JsonString(FieldOf(model.arrAnalogUnits, i));
        json += ", \"phase\": " + JsonString(FieldOf(model.arrAnalogPhases, i));
        json += ", \"circuit\": " + JsonString(FieldOf(model.arrAnalogCircuits, i));
        json += ", \"value\": " + Number(c.value);
        json += ", \"dc\": " + Number(c.dc);
        json += ", \"rms\": " + Number(c.rms);
        json += ", \"fundamental\": " + (c.fundamental ? PhasorJson(*c.fundamental) : "null");
        json += ", \"harmonics\": [";
        for (const analysis::Harmonic& h : c.harmonics)
            json += (h.order > 1 ? ", " : "") + std::string("{\"order\": ") + IntText(h.order) +
                    ", \"magnitude\": " + Number(h.magnitude) + ", \"percent\": " + OrNull(h.percent) + "}";
        json += "], \"thd\": " + OrNull(c.thd) + "}";
    }
    json += m.channels.empty() ? "]" : "\n  ]";
    json += ",\n  \"groups\": [";
    for (std::size_t g = 0; g < m.groups.size(); ++g) {
        const analysis::GroupMeasurement& group = m.groups[g];
        json += g == 0 ? "\n    {" : ",\n    {";
        json += "\"circuit\": " + JsonString(group.circuit);
        json += ", \"unit\": " + JsonString(group.unit);
        json += ", \"channels\": [" + IntText(group.channels[0]) + ", " + IntText(group.channels[1]) + ", " +
                IntText(group.channels[2]) + "]";
        json += ", \"zero\": " + PhasorJson(group.zero);
        json += ", \"positive\": " + PhasorJson(group.positive);
        json += ", \"negative\": " + PhasorJson(group.negative) + "}";
    }
    json += m.groups.empty() ? "]" : "\n  ]";
    return json + "\n}\n";
}

int RunMeasure(std::vector<std::string> args, std::ostream& out, std::ostream& err)
{
    ReadRequest request;
    if (const std::optional<std::string> problem = TakeEncoding(args, request.codePage)) return Usage(err, *problem);
    if (const std::optional<std::string> problem = TakeReadChoice(args, request.choice)) return Usage(err, *problem);
    MeasureOptions o;
    if (const std::optional<std::string> problem = ParseOptions(args, o)) return Usage(err, *problem);
    std::optional<long> reference;
    if (o.reference && !(reference = WholeNumber(*o.reference)))
        return Usage(err, "--reference needs a channel number, not '" + *o.reference + "'");

    request.path = o.files[0];
    return RunOnLoadedRecording(request, err, [&](const RecordingModel& model) {
        long sample = 0;
        if (const std::optional<std::string> problem = ChooseSample(o, model, sample)) return Usage(err, *problem);
        const long nA = model.AnalogCount();
        if (reference && (*reference < 1 || *reference > nA))
            return Usage(err, "reference channel " + IntText(*reference) + " is outside 1.." + IntText(nA));
        const Measurement m = analysis::Measure(model, sample, reference.value_or(0));
        out << (o.json ? MeasurementJson(model, m) : analysis::TablesText(model, m));
        return kExitLoaded;
    });
}

}  // namespace sevrana::cli
