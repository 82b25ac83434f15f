#include "CliConvert.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <filesystem>
#include <iostream>
#include <set>

#include "CliCommands.h"
#include "RecordingFiles.h"
#include "TextDecoder.h"
#include "TextUtils.h"

namespace sevrana::cli {

namespace {

/// Progress is worth showing only where a conversion takes a while.
constexpr std::uint64_t kProgressFrom = std::uint64_t{32} << 20;

/// "IEEE C37.111-2013 BINARY", and " CFF" when it came in one combined file.
std::string Describe(const formats::ConvertResult& result)
{
    return "IEEE C37.111-" + std::to_string(result.revision) + " " + result.dataType + (result.combined ? " CFF" : "");
}

/// "1 missing analog value", "2 missing analog values".
std::string MissingValues(std::int64_t count)
{
    return std::to_string(count) + (count == 1 ? " missing analog value" : " missing analog values");
}

/// Percent done on one terminal line, rewritten in place and wiped at the end.
class TerminalProgress {
public:
    TerminalProgress(std::ostream& err, const std::string& input)
        : err_(err), input_(input), shown_(&err == &std::cerr && ::isatty(STDERR_FILENO) == 1)
    {
    }
    ~TerminalProgress()
    {
        if (width_ > 0) err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    formats::Progress Callback()
    {
        if (!shown_) return {};
        return [this](std::uint64_t done, std::uint64_t total) {
            if (total < kProgressFrom) return true;
            const int percent = static_cast<int>(done * 100 / total);
            if (percent != percent_) {
                percent_ = percent;
                const std::string line = input_ + ": " + std::to_string(percent) + " %";
                width_ = std::max(width_, line.size());
                err_ << '\r' << line << std::flush;
            }
            return true;
        };
    }

private:
    std::ostream& err_;
    const std::string& input_;
    const bool shown_;
    int percent_ = -1;
    std::size_t width_ = 0;
};

/// Converts one recording and writes its line; returns its exit code.
int ConvertOne(formats::ConvertOptions options, const std::string& input, const std::string& output, std::ostream& out,
               std::ostream& err)
{
    if (!FileExists(input)) {
        out << "refused: " << input << ": no such file\n";
        return kExitUsage;
    }
    options.input = input;
    options.output = output;
    formats::ConvertResult result;
    {
        TerminalProgress progress(err, input);
        result = formats::ConvertRecording(options, progress.Callback());
    }
    if (!result.ok) {
        // What was found before the refusal is of no use: nothing was written.
        out << "refused: " << input << ": " << result.error << '\n';
        return kExitNotLoaded;
    }
    for (const std::string& warning : result.warnings) err << "warning: " << input << ": " << warning << '\n';
    if (result.missingValues > 0) err << input << ": " << MissingValues(result.missingValues) << " written as 0\n";
    out << "converted: " << input << " -> " << output << " (" << Describe(result) << ", " << result.samples
        << " samples" << (result.resampled ? ", resampled" : "") << ")\n";
    return kExitLoaded;
}

bool HasSuffix(const std::string& path, std::string_view suffix)
{
    return path.size() >= suffix.size() &&
           EqualsIgnoreCase(std::string_view(path).substr(path.size() - suffix.size()), suffix);
}

}  // namespace

int RunConvert(std::vector<std::string> args, std::ostream& out, std::ostream& err)
{
    formats::ConvertOptions options;
    if (const std::optional<std::string> problem = TakeEncoding(args, options.codePage)) return Usage(err, *problem);
    ReadChoice choice;
    if (const std::optional<std::string> problem = TakeReadChoice(args, choice)) return Usage(err, *problem);
    options.rate = choice.rate;
    options.quantity = choice.quantity;
    std::optional<std::string> outDir;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--out-dir") {
                if (i + 1 >= args.size()) return Usage(err, "missing value after " + arg);
                outDir = args[++i];
            } else {
                return Usage(err, "unknown option '" + arg + "'");
            }
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return Usage(err, "missing recording to convert");
    if (!outDir) {
        if (files.size() < 2) return Usage(err, "missing output configuration file");
        if (files.size() > 2) return Usage(err, "more than one output file (--out-dir converts several)");
        if (!HasSuffix(files[1], ".cfg")) return Usage(err, "the output must be a .cfg file");
        return ConvertOne(options, files[0], files[1], out, err);
    }

    int code = kExitLoaded;
    std::set<std::string> written;
    for (const std::string& input : files) {
        const std::string output =
            (std::filesystem::path(*outDir) / std::filesystem::path(input).stem().concat(".cfg")).string();
        if (!written.insert(output).second) {
            // Two inputs of one base name (F1.cfg and F1.cff): the second would replace the first.
            out << "refused: " << input << ": " << output << " is already written from another file\n";
            code = std::max(code, kExitNotLoaded);
            continue;
        }
        code = std::max(code, ConvertOne(options, input, output, out, err));
    }
    return code;
}

std::optional<std::string> TakeReadChoice(std::vector<std::string>& args, ReadChoice& choice)
{
    for (std::size_t i = 1; i < args.size() && args[i] != "--";) {
        const std::string& arg = args[i];
        std::size_t taken = 1;
        if (arg == "--primary" || arg == "--secondary") {
            const auto quantity = arg == "--primary" ? formats::Quantity::Primary : formats::Quantity::Secondary;
            if (choice.quantity != formats::Quantity::AsRecorded && choice.quantity != quantity)
                return "--primary and --secondary exclude each other";
            choice.quantity = quantity;
        } else if (arg == "--rate") {
            if (i + 1 >= args.size()) return "missing value after --rate";
            const std::string& value = args[i + 1];
            double rate = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), rate);
            if (ec != std::errc() || end != value.data() + value.size() || !std::isfinite(rate) || rate <= 0)
                return "invalid rate '" + value + "'";
            choice.rate = rate;
            taken = 2;
        } else if (arg != "--import") {  // once the way to newer recordings; every command reads them now
            ++i;
            continue;
        }
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i + taken));
    }
    return std::nullopt;
}

}  // namespace sevrana::cli
