#include "DataStage.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "NumberUtils.h"

namespace sevrana {

namespace {

/// A field or line that does not meet the format.
struct LineFailure {};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// Whole-field integer fast path: optional blanks, optional sign, up to 15 digits,
/// optional blanks. Gives exactly the double a full conversion gives (every such
/// integer is exact in a double), -0 included. False when the field is anything else.
bool ParseSmallInteger(const char* p, const char* e, double& out)
{
    while (p < e && *p == ' ') ++p;
    bool negative = false;
    if (p < e && (*p == '-' || *p == '+')) {
        negative = (*p == '-');
        ++p;
    }
    const char* digits = p;
    std::int64_t v = 0;
    while (p < e && IsDigit(*p)) {
        if (p - digits == 15) return false;  // longer numbers take the full conversion
        v = v * 10 + (*p - '0');
        ++p;
    }
    if (p == digits) return false;
    while (p < e && *p == ' ') ++p;
    if (p != e) return false;
    out = negative ? -static_cast<double>(v) : static_cast<double>(v);
    return true;
}

/// Val() of a data line's first field, fast for the usual plain sample number.
double SampleNumberOf(std::string_view field)
{
    const char* p = field.data();
    const char* e = p + field.size();
    while (p < e && (*p == ' ' || *p == '\t')) ++p;
    const char* digits = p;
    std::int64_t v = 0;
    while (p < e && IsDigit(*p) && p - digits < 15) {
        v = v * 10 + (*p - '0');
        ++p;
    }
    if (p > digits && (p == e || (!IsDigit(*p) && *p != '.' && *p != 'e' && *p != 'E'))) return static_cast<double>(v);
    return Val(field);
}

/// Splits a data line at commas into exactly the expected number of fields;
/// false when the count differs.
bool SplitLine(std::string_view line, std::vector<std::string_view>& fields)
{
    const std::size_t expected = fields.size();
    const char* p = line.data();
    const char* const e = p + line.size();
    const char* start = p;
    std::size_t k = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: fields are short, so one search per field costs more than the field.
    const __m128i comma = _mm_set1_epi8(',');
    while (e - p >= 16) {
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), comma)));
        while (mask != 0) {
            const char* c = p + __builtin_ctz(mask);
            mask &= mask - 1;
            if (k == expected) return false;
            fields[k++] = std::string_view(start, static_cast<std::size_t>(c - start));
            start = c + 1;
        }
        p += 16;
    }
#endif
    for (; p < e; ++p) {
        if (*p != ',') continue;
        if (k == expected) return false;
        fields[k++] = std::string_view(start, static_cast<std::size_t>(p - start));
        start = p + 1;
    }
    if (k == expected) return false;
    fields[k++] = std::string_view(start, static_cast<std::size_t>(e - start));
    return k == expected;
}

/// One value field: the integer fast path, else the full conversion; an empty
/// or non-numeric field fails the line.
double ValueOf(std::string_view f)
{
    double x;
    if (ParseSmallInteger(f.data(), f.data() + f.size(), x)) return x;
    const auto parsed = ParseNumber(f);
    if (!parsed) throw LineFailure{};
    return *parsed;
}

/// Raw extremes and peaks of the analog channels, as a load keeps them (from 0).
struct Statistics {
    explicit Statistics(long nA)
        : rawMin(static_cast<std::size_t>(nA), 0),
          rawMax(static_cast<std::size_t>(nA), 0),
          peak(static_cast<std::size_t>(nA), 0)
    {
    }
    std::vector<double> rawMin, rawMax;  // whole numbers: the 1991 layout's raw values are integers
    std::vector<double> peak;
};

/// Converts data lines into the sample blocks. Stateless but for the split fields,
/// so each thread has its own.
class LineParser {
public:
    explicit LineParser(RecordingModel& m)
        : m_(m),
          nA_(m.AnalogCount()),
          nD_(m.DigitalCount()),
          fields_(static_cast<std::size_t>(m.AnalogCount() + m.DigitalCount() + 2))
    {
    }

    /// Line n into column n; throws on anything malformed (the fields before the bad one
    /// stay converted, as they would line by line).
    void Parse(std::string_view line, long n, Statistics& s)
    {
        if (!SplitLine(line, fields_) || SampleNumberOf(fields_[0]) != static_cast<double>(n)) throw LineFailure{};
        if (nA_ > 0) {
            const double* a = m_.arrFactorA.data();
            const double* b = m_.arrFactorB.data();
            double* out = m_.arrAnalogSamples.Column(n);
            for (long i = 0; i < nA_; ++i) {
                const auto k = static_cast<std::size_t>(i);
                const double x = ValueOf(fields_[k + 2]);
                if (x > s.rawMax[k]) s.rawMax[k] = ToInt32(x);
                if (x < s.rawMin[k]) s.rawMin[k] = ToInt32(x);
                const double v = a[i] * x + b[i];
                out[i] = v;
                if (std::fabs(v) > s.peak[k]) s.peak[k] = std::fabs(v);
            }
        }
        if (nD_ > 0) {
            std::int16_t* out = m_.arrDigitalSamples.Column(n);
            for (long i = 0; i < nD_; ++i) {
                const std::string_view f = fields_[static_cast<std::size_t>(nA_ + i + 2)];
                if (f.size() == 1 && IsDigit(f[0])) {
                    out[i] = static_cast<std::int16_t>(f[0] - '0');
                    continue;
                }
                out[i] = ToInt16(ValueOf(f));
            }
        }
    }

private:
    RecordingModel& m_;
    long nA_, nD_;
    std::vector<std::string_view> fields_;
};

/// The progress a line-by-line read reports: a new percentage before the line that reaches it.
class Progress {
public:
    Progress(long last, const std::function<void(long)>& report) : last_(last), report_(report) {}
    /// Every report due up to and including line n, in order.
    void Through(long n)
    {
        for (; next_ <= n && next_ <= last_; ++next_) {
            const long percent = static_cast<long>(RoundHalfEven(static_cast<double>(next_) / last_ * 100));
            if (percent > shown_) {
                report_(percent);
                shown_ = percent;
            }
        }
    }

private:
    long last_;
    const std::function<void(long)>& report_;
    long next_ = 1;
    long shown_ = 0;
};

/// Folds a part's statistics into the model's.
void Merge(RecordingModel& m, const Statistics& s)
{
    for (long i = 1; i <= m.AnalogCount(); ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        m.arrRawMin(i) = std::min(m.arrRawMin(i), s.rawMin[k]);
        m.arrRawMax(i) = std::max(m.arrRawMax(i), s.rawMax[k]);
        m.arrPeakValue(i) = std::max(m.arrPeakValue(i), s.peak[k]);
    }
}

/// Lines longer than this send the whole file back to the line-by-line reader, which
/// knows the limits of its buffer.
constexpr std::size_t kLongLine = std::size_t{1} << 20;

/// One part of the file: whole lines, its first line's number, and what became of it.
struct Part {
    std::uint64_t begin = 0, end = 0;  // byte offsets in the file
    long lines = -1;                   // counted; -1 until then
    long first = 0;                    // number of its first line, once the parts before it are counted
    std::atomic<long> done{0};         // lines converted so far
    std::atomic<bool> finished{false};
    long failedAt = 0;  // the line that failed, 0 when none
    Statistics stats{0};
};

/// Lines of the bytes as the line reader splits them; at the end of the file a last
/// line without its line end counts too.
long CountLines(const char* p, const char* end, bool atFileEnd)
{
    long lines = 0;
    while (p < end) {
        const char* q = FindLineEnd(p, end);
        if (q == end) return lines + (atFileEnd ? 1 : 0);
        ++lines;
        if (*q == '\r' && q + 1 < end && q[1] == '\n') ++q;
        p = q + 1;
    }
    return lines;
}

/// Where a part may end at or after offset: just past a whole line end (CR LF kept
/// together), or at the end of the file. False when no line end comes within kLongLine
/// bytes.
bool PartEnd(const LineReader& data, std::uint64_t offset, std::uint64_t& end)
{
    const std::uint64_t size = data.SizeBytes();
    const std::uint64_t limit = std::min<std::uint64_t>(kLongLine + 1, size - offset);
    // Lines are short as a rule: look a little way ahead first, not the whole limit.
    std::vector<char> window;
    std::uint64_t seen = 0;
    const char* q = nullptr;
    while (q == nullptr) {
        if (seen == limit) {
            end = size;
            return offset + limit == size;
        }
        const auto step =
            static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(seen, 256), limit - seen));
        window.resize(step);
        if (!data.ReadAt(offset + seen, window.data(), step)) return false;
        const char* const e = window.data() + step;
        const char* found = FindLineEnd(window.data(), e);
        if (found < e)
            q = found;
        else
            seen += step;
    }
    end = offset + seen + static_cast<std::uint64_t>(q - window.data()) + 1;
    if (*q == '\r' && end < size) {
        char next = 0;
        if (!data.ReadAt(end, &next, 1)) return false;
        if (next == '\n') ++end;
    }
    return true;
}

/// Zeroes sample columns from..to of a block, as far as the block reaches: it holds no
/// more columns than the file can fill, which may be fewer than the lines counted.
template <class T>
void ClearColumns(SampleMatrix<T>& block, long from, long to)
{
    to = std::min(to, block.Columns());
    if (block.empty() || from > to) return;
    std::memset(block.Column(from), 0,
                static_cast<std::size_t>(to - from + 1) * static_cast<std::size_t>(block.Channels()) * sizeof(T));
}

/// Reads the lines on one thread whatever the size (the reference for the parallel path).
long ReadDataLinesSequential(RecordingModel& m, LineReader& data, const std::function<void(long percent)>& progress)
{
    const long last = m.lngLastSample;
    Progress steps(last, progress);
    LineParser parser(m);
    Statistics stats(m.AnalogCount());
    long n = 1;
    long failed = 0;
    try {
        for (; n <= last; ++n) {
            steps.Through(n);
            std::string_view line;
            if (!data.ReadLine(line)) throw LineFailure{};
            parser.Parse(line, n, stats);
        }
    } catch (...) {
        // Whatever went wrong, it went wrong on this line of the data file.
        failed = n;
    }
    Merge(m, stats);
    return failed;
}

}  // namespace

long ReadDataLines(RecordingModel& m, LineReader& data, const std::function<void(long percent)>& progress,
                   const DataSplit& split)
{
    const long last = m.lngLastSample;
    const unsigned threads = split.threads != 0 ? split.threads : std::min(16u, std::thread::hardware_concurrency());
    const std::uint64_t size = data.SizeBytes();
    std::uint64_t start = 0;
    if (threads < 2 || last < 2 || size < split.parallelFrom || !data.TextStart(start))
        return ReadDataLinesSequential(m, data, progress);

    // Parts at line ends, several per thread so that the early ones finish early (the
    // progress and a failure's line come from the front of the file), and none larger
    // than a bounded buffer: each thread holds one part at a time.
    constexpr std::uint64_t kPartBytes = std::uint64_t{16} << 20;
    const std::uint64_t text = size - start;
    const std::size_t count = static_cast<std::size_t>(
        split.partBytes != 0
            ? std::max<std::uint64_t>(1, (text + split.partBytes - 1) / split.partBytes)
            : std::max<std::uint64_t>(
                  1, std::min(std::max<std::uint64_t>(threads * 8, text / kPartBytes + 1), text >> 18)));
    const std::uint64_t step = split.partBytes != 0 ? split.partBytes : text / count;
    std::vector<Part> parts(count);
    std::uint64_t at = start;
    for (std::size_t c = 0; c < count; ++c) {
        std::uint64_t end = size;
        if (c + 1 < count && !PartEnd(data, std::max(at, start + step * (c + 1)), end))
            return ReadDataLinesSequential(m, data, progress);  // a line too long to split around
        parts[c].begin = at;
        parts[c].end = end;
        at = end;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::size_t counted = 0;  // parts before this one are counted, so their first lines are known
    long total = 0;
    std::atomic<long> firstFailure{LONG_MAX};
    std::atomic<bool> unreadable{false};
    std::atomic<std::size_t> nextPart{0};
    auto convert = [&](std::size_t c, std::vector<char>& buffer) {
        Part& part = parts[c];
        part.stats = Statistics(m.AnalogCount());
        buffer.resize(static_cast<std::size_t>(part.end - part.begin));
        const bool read = data.ReadAt(part.begin, buffer.data(), buffer.size());
        const char* p = buffer.data();
        const char* const e = p + buffer.size();
        if (!read) {
            unreadable = true;  // the line reader is left to say where
            firstFailure = 0;
        }
        {
            std::unique_lock lock(mutex);
            // A last line without its line end belongs to the part that reaches the end of
            // the file, which need not be the last part when that line is longer than a part.
            part.lines = read ? CountLines(p, e, part.end == size) : 0;
            while (counted < count && parts[counted].lines >= 0) {
                parts[counted].first = total + 1;
                total += parts[counted].lines;
                ++counted;
            }
            changed.notify_all();
            changed.wait(lock, [&] { return counted > c; });
        }
        LineParser parser(m);
        long n = part.first;
        try {
            for (; p < e && n <= last; ++n) {
                if (n > firstFailure.load(std::memory_order_relaxed)) break;  // past a failure: of no use
                const char* q = FindLineEnd(p, e);
                if (static_cast<std::size_t>(q - p) >= LineReader::kMaxLineBytes) throw LineFailure{};
                parser.Parse(std::string_view(p, static_cast<std::size_t>(q - p)), n, part.stats);
                if (q < e && *q == '\r' && q + 1 < e && q[1] == '\n') ++q;
                p = q + 1;
                if ((n & 1023) == 0) part.done.store(n - part.first + 1, std::memory_order_release);
            }
        } catch (...) {
            part.failedAt = n;
            long seen = firstFailure.load();
            while (n < seen && !firstFailure.compare_exchange_weak(seen, n)) {}
        }
        part.done.store(n - part.first, std::memory_order_release);
        {
            std::lock_guard lock(mutex);
            part.finished.store(true, std::memory_order_release);
        }
        changed.notify_all();
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            std::vector<char> buffer;
            for (std::size_t c; (c = nextPart.fetch_add(1)) < count;) convert(c, buffer);
        });

    // The calling thread reports progress through the lines that are done from the first on.
    Progress steps(last, progress);
    auto doneFromStart = [&] {
        long through = 0;
        for (std::size_t c = 0; c < counted; ++c) {
            const Part& part = parts[c];
            const bool finished = part.finished.load(std::memory_order_acquire);
            through = part.first - 1 + part.done.load(std::memory_order_acquire);
            if (!finished || part.failedAt != 0 || through < part.first - 1 + part.lines) break;
        }
        return through;
    };
    for (;;) {
        std::unique_lock lock(mutex);
        if (std::all_of(parts.begin(), parts.end(), [](const Part& p) { return p.finished.load(); })) break;
        changed.wait_for(lock, std::chrono::milliseconds(15));
        const long through = doneFromStart();
        lock.unlock();
        steps.Through(std::min(through, last));
    }
    for (std::thread& t : pool) t.join();
    if (unreadable) {
        // Nothing of it counts: start again from a clean block, line by line.
        ClearColumns(m.arrAnalogSamples, 1, LONG_MAX);
        ClearColumns(m.arrDigitalSamples, 1, LONG_MAX);
        return ReadDataLinesSequential(m, data, progress);
    }

    // The first line that failed, or the first missing one.
    long failed = 0;
    std::size_t failedPart = count;
    const long lines = total;
    for (std::size_t c = 0; c < count && failed == 0; ++c)
        if (parts[c].failedAt != 0) {
            failed = parts[c].failedAt;
            failedPart = c;
        }
    if (failed == 0 && lines < last) failed = lines + 1;
    if (failed == 0) {
        steps.Through(last);
        for (const Part& part : parts) Merge(m, part.stats);
        return 0;
    }
    // As line by line: the lines before the failure and the good fields of the failing line
    // count; nothing after it does.
    steps.Through(failed);
    for (std::size_t c = 0; c < count && c <= failedPart; ++c) Merge(m, parts[c].stats);
    ClearColumns(m.arrAnalogSamples, failed + 1, std::min(lines, last));
    ClearColumns(m.arrDigitalSamples, failed + 1, std::min(lines, last));
    return failed;
}

}  // namespace sevrana
