#include "CliCommands.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <functional>
#include <ostream>

#include "ChannelSetup.h"
#include "CliConvert.h"
#include "CliEvents.h"
#include "CliMeasure.h"
#include "FileReport.h"
#include "LineReader.h"
#include "Loader.h"
#include "Messages.h"
#include "NumberUtils.h"
#include "RecordingFiles.h"
#include "TextDecoder.h"
#include "TextUtils.h"

namespace sevrana::cli {

namespace {

constexpr const char* kUsage =
    "usage: sevrana-cli check FILE [--json] [--strict] [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli csv FILE [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli info FILE [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli pdf FILE OUT.pdf [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli measure FILE [--at SECONDS | --sample N] [--reference CHANNEL] [--json] [--rate HZ] "
    "[--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli events FILE [--channel N]... [--json] [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli convert IN.cfg|IN.cff OUT.cfg [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli convert --out-dir DIR FILES... [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "FILE is a recording of any revision: its .cfg file, or one combined .cff file\n"
    "--rate resamples every channel onto that rate; a recording with several rates, or with unevenly\n"
    "       spaced time stamps only, needs one\n"
    "--primary, --secondary show the values on that side of the transformers\n"
    "--strict reads with the 1991 loader alone\n"
    "--encoding reads the recording's texts in that code page instead of the one judged from them:\n"
    "       UTF-8, Windows-1251, IBM866, KOI8-R, GB18030, Big5, Shift-JIS, EUC-KR, Windows-1252\n"
    "exit codes: 0 loaded, 1 failed or rejected, 2 usage error or missing file\n";

/// Continuation lines of a multi-line message line up under its first line.
constexpr std::string_view kMessagePrefix = "message: ";
constexpr std::string_view kMessageIndent = "         ";

class CollectingObserver : public LoadObserver {
public:
    explicit CollectingObserver(std::vector<std::string>& messages) : messages_(messages) {}
    void SetCaption(const std::string&) override {}  // progress is of no use to a batch check
    void ShowMessage(const std::string& text) override { messages_.push_back(text); }

private:
    std::vector<std::string>& messages_;
};

/// Element i, or the type's zero when the array does not hold it: after a failed
/// load the per-channel arrays may be shorter than the counts say.
template <class T>
T At(const Array1<T>& array, long i)
{
    return i >= array.LBound() && i <= array.UBound() ? array(i) : T{};
}

/// Channel numbers the arrays actually hold, first..last.
template <class T>
std::pair<long, long> Held(const Array1<T>& array)
{
    return {std::max(array.LBound(), 1L), array.UBound()};
}

/// Characters on screen: UTF-8 continuation bytes take no column.
std::size_t DisplayWidth(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void WriteTable(const std::vector<std::vector<std::string>>& rows, std::ostream& out)
{
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    for (const auto& row : rows) {
        std::string line = "  ";
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line.append(widths[c] - DisplayWidth(row[c]) + 2, ' ');
        }
        out << line << '\n';
    }
}

std::string Number(double value) { return ExactNumber(value); }

/// A gap (a missing value) is an empty field.
void AppendCsvNumber(std::string& buffer, double value)
{
    if (!std::isnan(value)) buffer += GeneralNumber(value);
}

void AppendInt(std::string& buffer, long long value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    buffer.append(digits, result.ptr);
}

}  // namespace

int Usage(std::ostream& err, const std::string& problem)
{
    if (!problem.empty()) err << "sevrana-cli: " << problem << '\n';
    err << kUsage;
    return kExitUsage;
}

const char* OutcomeName(CheckOutcome outcome)
{
    switch (outcome) {
    case CheckOutcome::Loaded:
        return "loaded";
    case CheckOutcome::Rejected:
        return "rejected";
    case CheckOutcome::Failed:
        break;
    }
    return "failed";
}

CheckedRecording CheckRecording(const ReadRequest& request)
{
    CheckedRecording result;
    RecordingModel& model = result.model;
    CollectingObserver observer(result.messages);
    if (request.strict) {
        model.varConfigFile = request.path;
        model.strDataFile = ResolveDataFile(request.path);
        if (!FileExists(request.path) || !FileExists(model.strDataFile)) {
            result.filesMissing = true;
            result.messages.push_back(messages::kFileNotExist);
            return result;
        }
        LineReader config(request.path);
        LineReader data(model.strDataFile);
        switch (LoadRecording(model, config, data, observer, {}, request.codePage)) {
        case LoadOutcome::Loaded:
        case LoadOutcome::LoadedUnsupportedType:
            result.outcome = PrepareChannels(model, observer) ? CheckOutcome::Loaded : CheckOutcome::Failed;
            break;
        case LoadOutcome::Failed:
            result.outcome = CheckOutcome::Failed;
            break;
        case LoadOutcome::Rejected:
            result.outcome = CheckOutcome::Rejected;
            break;
        }
        return result;
    }

    OpenRequest open;
    open.path = request.path;
    open.codePage = request.codePage;
    open.choice = request.choice;
    const OpenOutcome opened = OpenAnyRevision(open, model, observer);
    result.filesMissing = opened.filesMissing;
    const bool byReader = opened.by == OpenedBy::Reader || (!opened.Opened() && opened.read.revision > 0);
    result.reader = byReader ? opened.read.ReadAs() : "1991";
    if (opened.rateRefused) {
        result.messages.push_back(NeedsRateText(opened.read.needsRate->ratesFound));
        result.outcome = CheckOutcome::Rejected;
        return result;
    }
    if (!opened.Opened()) {
        result.outcome = opened.loaded == LoadOutcome::Rejected ? CheckOutcome::Rejected : CheckOutcome::Failed;
        return result;
    }
    result.outcome = PrepareChannels(model, observer) ? CheckOutcome::Loaded : CheckOutcome::Failed;
    if (opened.by == OpenedBy::Reader) {
        const std::string remarks = ReadRemarks(opened.read);
        if (!remarks.empty()) result.messages.push_back(remarks);
    }
    return result;
}

std::string JsonString(std::string_view text)
{
    // JSON must be UTF-8; a path given on the command line need not be.
    const std::string utf8 = DecodeText(text);
    std::string quoted;
    quoted.reserve(utf8.size() + 2);
    quoted += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\b':
            quoted += "\\b";
            break;
        case '\f':
            quoted += "\\f";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                quoted += "\\u00";
                quoted += kHex[(c >> 4) & 0xF];
                quoted += kHex[c & 0xF];
            } else {
                quoted += c;
            }
        }
    }
    quoted += '"';
    return quoted;
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void WriteMessages(const std::vector<std::string>& messages, std::ostream& out)
{
    for (const std::string& text : messages) {
        std::string line(kMessagePrefix);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;  // CR LF is one break
                line += '\n';
                line += kMessageIndent;
            } else {
                line += c;
            }
        }
        out << line << '\n';
    }
}

void WriteSummary(const CheckedRecording& recording, std::ostream& out)
{
    const RecordingModel& m = recording.model;
    out << "outcome: " << OutcomeName(recording.outcome) << '\n';
    if (!recording.reader.empty()) out << "reader: " << recording.reader << '\n';
    if (!m.strReadNote.empty()) out << "read note: " << m.strReadNote << '\n';
    out << "configuration file: " << m.varConfigFile << '\n'
        << "data file: " << m.strDataFile << '\n'
        << "encoding: " << m.strEncoding << '\n'
        << "station: " << m.varStationName << '\n'
        << "device: " << m.varDeviceId << '\n'
        << "record information: " << m.strRecordInfo << '\n'
        << "channels: " << GeneralNumber(m.varTotalChannels) << " (" << GeneralNumber(m.varAnalogChannels)
        << " analog, " << IntText(m.intDigitalCount) << " digital)\n"
        << "line frequency: " << IntText(m.intLineFrequency) << " Hz\n"
        << "sampling rate: " << IntText(m.lngSampleRate) << " Hz\n"
        << "samples: " << IntText(m.lngLastSample) << '\n';
    if (m.lngSampleRate > 0)
        out << "duration: " << GeneralNumber(static_cast<double>(m.lngLastSample) / m.lngSampleRate) << " s\n";
    else
        out << "duration: unknown (no sampling rate)\n";
    out << "start: " << m.varStartStamp << '\n'
        << "trigger: " << m.strTriggerStamp << '\n'
        << "trigger time: " << GeneralNumber(m.varTriggerTime) << " s\n"
        << "trigger sample: " << IntText(m.lngTriggerSample) << '\n';

    const auto [firstAnalog, lastAnalog] = Held(m.arrAnalogNames);
    if (firstAnalog <= lastAnalog) {
        std::vector<std::vector<std::string>> rows{{"#", "name", "unit", "a", "b", "peak", "initial scale"}};
        for (long i = firstAnalog; i <= lastAnalog; ++i)
            rows.push_back({IntText(i), m.arrAnalogNames(i), At(m.arrAnalogUnits, i),
                            GeneralNumber(At(m.arrFactorA, i)), GeneralNumber(At(m.arrFactorB, i)),
                            GeneralNumber(At(m.arrPeakValue, i)), GeneralNumber(At(m.arrChannelScale, i))});
        out << "analog channels:\n";
        WriteTable(rows, out);
    } else {
        out << "analog channels: none\n";
    }

    const auto [firstDigital, lastDigital] = Held(m.arrDigitalNames);
    if (firstDigital <= lastDigital) {
        std::vector<std::vector<std::string>> rows{{"#", "name", "normal"}};
        for (long i = firstDigital; i <= lastDigital; ++i)
            rows.push_back({IntText(i), m.arrDigitalNames(i), IntText(At(m.arrDigitalNormal, i))});
        out << "digital channels:\n";
        WriteTable(rows, out);
    } else {
        out << "digital channels: none\n";
    }
}

void WriteJson(const CheckedRecording& recording, std::ostream& out)
{
    const RecordingModel& m = recording.model;
    std::string json = "{\n  \"messages\": [";
    for (std::size_t i = 0; i < recording.messages.size(); ++i) {
        if (i > 0) json += ", ";
        json += JsonString(recording.messages[i]);
    }
    json += "],\n  \"outcome\": ";
    json += JsonString(OutcomeName(recording.outcome));
    if (!recording.reader.empty()) json += ",\n  \"reader\": " + JsonString(recording.reader);
    if (!m.strReadNote.empty()) json += ",\n  \"read_note\": " + JsonString(m.strReadNote);
    json += ",\n  \"config_file\": " + JsonString(m.varConfigFile);
    json += ",\n  \"data_file\": " + JsonString(m.strDataFile);
    json += ",\n  \"encoding\": " + JsonString(m.strEncoding);
    json += ",\n  \"model\": {";
    json += "\n    \"station\": " + JsonString(m.varStationName);
    json += ",\n    \"device\": " + JsonString(m.varDeviceId);
    json += ",\n    \"record_info\": " + JsonString(m.strRecordInfo);
    json += ",\n    \"total_channels\": " + Number(m.varTotalChannels);
    json += ",\n    \"analog_channels\": " + Number(m.varAnalogChannels);
    json += ",\n    \"digital_channels\": " + IntText(m.intDigitalCount);
    json += ",\n    \"line_frequency\": " + IntText(m.intLineFrequency);
    json += ",\n    \"sample_rate\": " + IntText(m.lngSampleRate);
    json += ",\n    \"last_sample\": " + IntText(m.lngLastSample);
    json += ",\n    \"start_stamp\": " + JsonString(m.varStartStamp);
    json += ",\n    \"trigger_stamp\": " + JsonString(m.strTriggerStamp);
    json += ",\n    \"trigger_time\": " + Number(m.varTriggerTime);
    json += ",\n    \"trigger_sample\": " + IntText(m.lngTriggerSample);

    json += ",\n    \"analog\": [";
    const auto [firstAnalog, lastAnalog] = Held(m.arrAnalogNames);
    for (long i = firstAnalog; i <= lastAnalog; ++i) {
        json += i == firstAnalog ? "\n      {" : ",\n      {";
        json += "\"name\": " + JsonString(m.arrAnalogNames(i));
        json += ", \"unit\": " + JsonString(At(m.arrAnalogUnits, i));
        json += ", \"a\": " + Number(At(m.arrFactorA, i));
        json += ", \"b\": " + Number(At(m.arrFactorB, i));
        json += ", \"range_min\": " + Number(At(m.arrRangeMin, i));
        json += ", \"range_max\": " + Number(At(m.arrRangeMax, i));
        json += ", \"full_scale\": " + Number(At(m.arrFullScale, i));
        json += ", \"raw_min\": " + Number(At(m.arrRawMin, i));
        json += ", \"raw_max\": " + Number(At(m.arrRawMax, i));
        json += ", \"peak\": " + Number(At(m.arrPeakValue, i));
        json += ", \"initial_scale\": " + Number(At(m.arrChannelScale, i));
        json += "}";
    }
    json += firstAnalog <= lastAnalog ? "\n    ]" : "]";

    json += ",\n    \"digital\": [";
    const auto [firstDigital, lastDigital] = Held(m.arrDigitalNames);
    for (long i = firstDigital; i <= lastDigital; ++i) {
        json += i == firstDigital ? "\n      {" : ",\n      {";
        json += "\"name\": " + JsonString(m.arrDigitalNames(i));
        json += ", \"normal\": " + IntText(At(m.arrDigitalNormal, i));
        json += "}";
    }
    json += firstDigital <= lastDigital ? "\n    ]" : "]";
    json += "\n  }\n}\n";
    out << json;
}

void WriteCsv(const RecordingModel& m, std::ostream& out)
{
    // Long records are streamed through one large buffer rather than line by line.
    constexpr std::size_t kFlushAt = std::size_t{1} << 20;
    std::string buffer;
    buffer.reserve(kFlushAt + 4096);
    const auto flushIfFull = [&] {
        if (buffer.size() >= kFlushAt) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    };

    const long nA = m.AnalogCount();
    const long nD = m.DigitalCount();
    buffer += "sample,time_s";
    for (long i = 1; i <= nA; ++i) buffer += ',' + CsvField(At(m.arrAnalogNames, i));
    for (long i = 1; i <= nD; ++i) buffer += ',' + CsvField(At(m.arrDigitalNames, i));
    buffer += '\n';

    // Channels or columns the sample blocks do not hold are written as 0 (the
    // samples of a file type that is not read stay 0 as well).
    const long analogHeld = std::min(nA, m.arrAnalogSamples.Channels());
    const long digitalHeld = std::min(nD, m.arrDigitalSamples.Channels());
    for (long k = 1; k <= m.lngLastSample; ++k) {
        AppendInt(buffer, k);
        buffer += ',';
        AppendCsvNumber(buffer, static_cast<double>(k - 1) / m.lngSampleRate);
        const double* analog =
            k <= m.arrAnalogSamples.Columns() && analogHeld > 0 ? m.arrAnalogSamples.Column(k) : nullptr;
        for (long i = 0; i < nA; ++i) {
            buffer += ',';
            AppendCsvNumber(buffer, analog != nullptr && i < analogHeld ? analog[i] : 0.0);
        }
        const std::int16_t* digital =
            k <= m.arrDigitalSamples.Columns() && digitalHeld > 0 ? m.arrDigitalSamples.Column(k) : nullptr;
        for (long i = 0; i < nD; ++i) {
            buffer += ',';
            AppendInt(buffer, digital != nullptr && i < digitalHeld ? digital[i] : 0);
        }
        buffer += '\n';
        flushIfFull();
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.flush();
}

int RunCheck(const ReadRequest& request, bool json, std::ostream& out, std::ostream& err)
{
    const CheckedRecording recording = CheckRecording(request);
    if (json) {
        WriteJson(recording, out);
    } else if (recording.filesMissing) {
        err << messages::kFileNotExist << '\n';  // nothing was read: no message box, no summary
    } else {
        WriteMessages(recording.messages, out);
        WriteSummary(recording, out);
    }
    if (recording.filesMissing) return kExitUsage;
    return recording.outcome == CheckOutcome::Loaded ? kExitLoaded : kExitNotLoaded;
}

int RunOnLoadedRecording(const ReadRequest& request, std::ostream& err,
                         const std::function<int(const RecordingModel&)>& use)
{
    try {
        const CheckedRecording recording = CheckRecording(request);
        if (recording.filesMissing) {
            err << messages::kFileNotExist << '\n';
            return kExitUsage;
        }
        WriteMessages(recording.messages, err);
        if (recording.outcome != CheckOutcome::Loaded) {
            err << "outcome: " << OutcomeName(recording.outcome) << '\n';
            return kExitNotLoaded;
        }
        return use(recording.model);
    } catch (const std::exception& e) {
        // Anything the loader does not report itself means the recording cannot be used.
        err << "sevrana-cli: " << e.what() << '\n';
        return kExitNotLoaded;
    }
}

int RunCsv(const ReadRequest& request, std::ostream& out, std::ostream& err)
{
    return RunOnLoadedRecording(request, err, [&](const RecordingModel& model) {
        WriteCsv(model, out);
        return kExitLoaded;
    });
}

void WriteInfo(const RecordingModel& model, std::ostream& out)
{
    for (const std::string& line : FileInformationLines(model)) out << line << '\n';
}

int RunInfo(const ReadRequest& request, std::ostream& out, std::ostream& err)
{
    return RunOnLoadedRecording(request, err, [&](const RecordingModel& model) {
        WriteInfo(model, out);
        return kExitLoaded;
    });
}

std::optional<std::string> TakeEncoding(std::vector<std::string>& args, const CodePage*& codePage)
{
    codePage = nullptr;
    for (std::size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        constexpr std::string_view kOption = "--encoding";
        if (arg.compare(0, kOption.size(), kOption) != 0) continue;
        std::string name;
        std::size_t taken = 1;
        if (arg.size() > kOption.size() && arg[kOption.size()] == '=') {
            name = arg.substr(kOption.size() + 1);
        } else if (arg.size() == kOption.size()) {
            if (i + 1 >= args.size()) return "missing code page after --encoding";
            name = args[i + 1];
            taken = 2;
        } else {
            continue;  // another option, told as unknown by the command
        }
        // "Automatic" is the judging that happens anyway.
        if (!EqualsIgnoreCase(name, "automatic")) {
            codePage = FindCodePage(name);
            if (codePage == nullptr) return "unknown encoding '" + name + "'";
        }
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i + taken));
        --i;
    }
    return std::nullopt;
}

int RunCli(std::vector<std::string> args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) return Usage(err, "no command given");
    const std::string& command = args[0];
    if (command == "help" || command == "--help" || command == "-h") {
        out << kUsage;
        return kExitLoaded;
    }
    if (command == "convert") return RunConvert(std::move(args), out, err);
    if (command == "measure") return RunMeasure(std::move(args), out, err);
    if (command == "events") return RunEvents(std::move(args), out, err);
    if (command != "check" && command != "csv" && command != "info")
        return Usage(err, "unknown command '" + command + "'");
    ReadRequest request;
    if (const std::optional<std::string> problem = TakeEncoding(args, request.codePage)) return Usage(err, *problem);
    if (const std::optional<std::string> problem = TakeReadChoice(args, request.choice)) return Usage(err, *problem);

    bool json = false;
    bool optionsEnded = false;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (command == "check" && arg == "--json")
                json = true;
            else if (command == "check" && arg == "--strict")
                request.strict = true;
            else
                return Usage(err, "unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return Usage(err, "missing configuration file");
    if (files.size() > 1) return Usage(err, "more than one configuration file");
    if (request.strict && request.choice.Given())
        return Usage(err, "--strict reads as recorded: no --rate, --primary or --secondary");

    try {
        request.path = files[0];
        if (command == "check") return RunCheck(request, json, out, err);
        return (command == "csv" ? RunCsv : RunInfo)(request, out, err);
    } catch (const std::exception& e) {
        // Anything the loader does not report itself means the recording cannot be used.
        err << "sevrana-cli: " << e.what() << '\n';
        return kExitNotLoaded;
    }
}

}  // namespace sevrana::cli
