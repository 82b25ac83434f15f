#include "Measurement.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string_view>

#include "NumberUtils.h"
#include "TextUtils.h"

namespace sevrana::analysis {

namespace {

using Complex = std::complex<double>;

constexpr int kHighestOrder = 15;
constexpr double kDegreesPerRadian = 180 / std::numbers::pi;

std::string_view FieldOf(const Array1<std::string>& field, long i)
{
    return i >= field.LBound() && i <= field.UBound() ? TrimBlanks(field(i)) : std::string_view();
}

bool IsVoltage(const RecordingModel& model, long i)
{
    const std::string_view unit = FieldOf(model.arrAnalogUnits, i);
    return !unit.empty() && (unit.back() == 'V' || unit.back() == 'v');
}

/// Three-phase scheme (0: A/B/C, 1: L1/L2/L3) and position of a phase field; -1 when it is neither.
struct PhaseSlot {
    int scheme = -1;
    int position = -1;
};

PhaseSlot PhaseOf(const RecordingModel& model, long i)
{
    static constexpr std::string_view kNames[2][3] = {{"A", "B", "C"}, {"L1", "L2", "L3"}};
    const std::string phase = ToUpperAscii(FieldOf(model.arrAnalogPhases, i));
    for (int scheme = 0; scheme < 2; ++scheme)
        for (int position = 0; position < 3; ++position)
            if (phase == kNames[scheme][position]) return {scheme, position};
    return {};
}

double Degrees(Complex z) { return std::arg(z) * kDegreesPerRadian; }

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

/// A power of two that brings the largest magnitude into [0.5, 1): sums of squares of values
/// multiplied by it cannot overflow, and multiplying by a power of two changes no digit.
double UnitScale(double largest)
{
    if (!(largest > 0) || !std::isfinite(largest)) return 1;
    int exponent = 0;
    (void)std::frexp(largest, &exponent);
    return std::ldexp(1.0, -exponent);
}

/// A component rounded to exactly 0 when it is residue next to scale.
Complex Cleaned(Complex z, double scale) { return std::abs(z) <= kRoundingResidue * scale ? Complex() : z; }

Phasor RelativePhasor(Complex z, double referenceDegrees)
{
    const double magnitude = std::abs(z);
    if (magnitude == 0) return {};
    if (std::isnan(magnitude)) return {kMissing, kMissing};
    return {magnitude, WrapAngle(Degrees(z) - referenceDegrees)};
}

/// Harmonics 1..H of one cycle of n samples by DFT, from a table of e^(-j 2 pi h k / n) built once
/// per measurement (rows k, columns h) out of one period of n values, so that every entry is as
/// exact as a single cosine.
class Spectrum {
public:
    Spectrum(int n, int orders) : n_(n), orders_(orders), re_(static_cast<std::size_t>(n) * orders), im_(re_.size())
    {
        std::vector<double> c(static_cast<std::size_t>(n));
        std::vector<double> s(c.size());
        for (int j = 0; j < n; ++j) {
            const double angle = 2 * std::numbers::pi * j / n;
            c[static_cast<std::size_t>(j)] = std::cos(angle);
            s[static_cast<std::size_t>(j)] = -std::sin(angle);
        }
        std::size_t at = 0;
        for (int k = 0; k < n; ++k)
            for (int h = 1; h <= orders; ++h, ++at) {
                const auto j = static_cast<std::size_t>((static_cast<long long>(h) * k) % n);
                re_[at] = c[j];
                im_[at] = s[j];
            }
    }

    /// Fills the channel's harmonics and THD from its n samples x, which are the channel's values
    /// times unit (rms likewise); returns the fundamental in the channel's own unit.
    Complex Measure(const double* x, double unit, double rms, ChannelMeasurement& c) const
    {
        // Sample by sample, every order at once: the orders are independent sums, so the inner
        // loop runs in vector registers without reordering any sum.
        double re[kHighestOrder] = {};
        double im[kHighestOrder] = {};
        const double* tr = re_.data();
        const double* ti = im_.data();
        for (int k = 0; k < n_; ++k, tr += orders_, ti += orders_) {
            const double v = x[k];
            for (int h = 0; h < orders_; ++h) {
                re[h] += v * tr[h];
                im[h] += v * ti[h];
            }
        }
        const double scale = std::numbers::sqrt2 / n_;
        Complex spectrum[kHighestOrder];
        double distortion = 0;
        for (int h = 0; h < orders_; ++h) {
            spectrum[h] = Cleaned(Complex(re[h] * scale, im[h] * scale), rms);
            if (h > 0) distortion += std::norm(spectrum[h]);
        }
        const double fundamental = std::abs(spectrum[0]);
        c.harmonics.resize(static_cast<std::size_t>(orders_));
        for (int h = 0; h < orders_; ++h) {
            Harmonic& harmonic = c.harmonics[static_cast<std::size_t>(h)];
            harmonic.order = h + 1;
            harmonic.magnitude = std::abs(spectrum[h]);
            if (fundamental > 0) harmonic.percent = h == 0 ? 100 : 100 * harmonic.magnitude / fundamental;
            harmonic.magnitude /= unit;
        }
        if (fundamental > 0) c.thd = 100 * std::sqrt(distortion) / fundamental;
        return spectrum[0] / unit;
    }

    /// Every harmonic, the THD and the fundamental missing: the window holds a gap.
    Complex Missing(ChannelMeasurement& c) const
    {
        c.harmonics.resize(static_cast<std::size_t>(orders_));
        for (int h = 0; h < orders_; ++h)
            c.harmonics[static_cast<std::size_t>(h)] = Harmonic{h + 1, kMissing, kMissing};
        c.thd = kMissing;
        return {kMissing, kMissing};
    }

private:
    int n_;
    int orders_;
    std::vector<double> re_;
    std::vector<double> im_;
};

struct Window {
    long first = 0;
    long last = 0;
    bool moved = false;
};

/// len samples ending at m, or the first len samples (as far as there are) when that would
/// start before the record.
Window Span(long m, long len, long N)
{
    if (len < 1) return {m, m, false};
    if (m - len + 1 >= 1) return {m - len + 1, m, false};
    return {1, std::min(len, N), true};
}

/// Rising zero crossings of x - dc, in samples (fractional, linear between samples); the
/// frequency from the first to the last, or nothing with fewer than two or a gap in the span.
std::optional<double> CrossingFrequency(const RecordingModel& model, long channel, const Window& span, double dc,
                                        double fs)
{
    const auto& samples = model.arrAnalogSamples;
    double largest = std::fabs(dc);
    for (long k = span.first; k <= span.last; ++k) {
        const double v = samples(channel, k);
        if (std::isnan(v)) return std::nullopt;
        largest = std::max(largest, std::fabs(v));
    }
    if (std::isnan(dc)) return std::nullopt;
    const double unit = UnitScale(largest);  // x - dc of huge values stays finite
    long crossings = 0;
    double firstAt = 0;
    double lastAt = 0;
    double previous = samples(channel, span.first) * unit - dc * unit;
    for (long k = span.first + 1; k <= span.last; ++k) {
        const double y = samples(channel, k) * unit - dc * unit;
        if (previous < 0 && y >= 0) {
            lastAt = static_cast<double>(k - 1) + previous / (previous - y);
            if (crossings++ == 0) firstAt = lastAt;
        }
        previous = y;
    }
    if (crossings < 2) return std::nullopt;
    return static_cast<double>(crossings - 1) * fs / (lastAt - firstAt);
}

/// The three-phase groups: per scheme, circuit and unit, the k-th A, B and C (in channel
/// order) make the k-th group, so two lines with an empty circuit field still pair up.
std::vector<GroupMeasurement> FindGroups(const RecordingModel& model)
{
    struct Key {
        int scheme;
        std::string circuit;
        std::string unit;
        std::array<std::vector<long>, 3> phases;
    };
    std::vector<Key> keys;
    for (long i = 1; i <= model.AnalogCount(); ++i) {
        const PhaseSlot slot = PhaseOf(model, i);
        if (slot.scheme < 0) continue;
        const std::string circuit(FieldOf(model.arrAnalogCircuits, i));
        const std::string unit(FieldOf(model.arrAnalogUnits, i));
        auto key = std::find_if(keys.begin(), keys.end(), [&](const Key& k) {
            return k.scheme == slot.scheme && k.circuit == circuit && k.unit == unit;
        });
        if (key == keys.end()) key = keys.insert(keys.end(), Key{slot.scheme, circuit, unit, {}});
        key->phases[static_cast<std::size_t>(slot.position)].push_back(i);
    }
    std::vector<GroupMeasurement> groups;
    for (const Key& k : keys) {
        const std::size_t count = std::min({k.phases[0].size(), k.phases[1].size(), k.phases[2].size()});
        for (std::size_t g = 0; g < count; ++g) {
            GroupMeasurement group;
            group.circuit = k.circuit;
            group.unit = k.unit;
            group.channels = {k.phases[0][g], k.phases[1][g], k.phases[2][g]};
            groups.push_back(group);
        }
    }
    std::sort(groups.begin(), groups.end(), [](const GroupMeasurement& a, const GroupMeasurement& b) {
        return *std::min_element(a.channels.begin(), a.channels.end()) <
               *std::min_element(b.channels.begin(), b.channels.end());
    });
    return groups;
}

}  // namespace

long DefaultReference(const RecordingModel& model)
{
    const long nA = model.AnalogCount();
    if (nA < 1) return 0;
    for (long i = 1; i <= nA; ++i)
        if (IsVoltage(model, i) && PhaseOf(model, i).position == 0) return i;
    for (long i = 1; i <= nA; ++i)
        if (IsVoltage(model, i)) return i;
    return 1;
}

long TriggerMeasurementSample(const RecordingModel& model)
{
    const long N = model.lngLastSample;
    if (N < 1) return 0;
    return std::clamp<long>(model.lngTriggerSample, 1, N);
}

double WrapAngle(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a > 180) a -= 360;
    if (a <= -180) a += 360;
    return a == 0 ? 0.0 : a;  // no -0
}

Measurement Measure(const RecordingModel& model, long sample, long reference)
{
    const long N = model.lngLastSample;
    const long nA = model.AnalogCount();
    if (sample < 1 || sample > N) throw std::out_of_range("Measurement sample outside the record");
    if (reference < 0 || reference > nA) throw std::out_of_range("Reference channel outside the analog channels");

    Measurement r;
    const double fs = model.lngSampleRate;
    const double f0 = model.intLineFrequency;
    const double perCycle = fs > 0 && f0 > 0 ? fs / f0 : 0;
    r.sample = sample;
    r.time = fs > 0 ? static_cast<double>(sample - 1) / fs : 0;
    r.samplesPerCycle = static_cast<int>(std::min(RoundHalfEven(perCycle), 2147483647.0));
    r.cycleApproximate = perCycle != r.samplesPerCycle;
    const int n = r.samplesPerCycle;
    const Window window = Span(sample, n, N);
    r.first = window.first;
    r.last = window.last;
    r.windowMoved = window.moved;
    r.phasors = n >= 4 && N >= n;
    r.reference = reference != 0 ? reference : DefaultReference(model);

    const int orders = r.phasors ? std::min(kHighestOrder, n / 2) : 0;
    const Spectrum spectrum(r.phasors ? n : 0, orders);
    const long len = window.last - window.first + 1;
    const auto& samples = model.arrAnalogSamples;
    const long stride = samples.Channels();
    std::vector<double> x(static_cast<std::size_t>(len));
    std::vector<Complex> fundamentals(static_cast<std::size_t>(nA));
    r.channels.resize(static_cast<std::size_t>(nA));
    if (nA > 0) (void)samples(nA, window.last);  // bounds checked once; the loops below stay inside
    const double* column = nA > 0 ? samples.Column(window.first) : nullptr;

    for (long i = 1; i <= nA; ++i) {
        ChannelMeasurement& c = r.channels[static_cast<std::size_t>(i - 1)];
        c.index = i;
        c.value = samples(i, sample);
        double largest = 0;
        bool gap = false;
        for (long k = 0; k < len; ++k) {
            const double v = column[k * stride + (i - 1)];
            gap = gap || std::isnan(v);
            largest = std::max(largest, std::fabs(v));
        }
        Complex& fundamental = fundamentals[static_cast<std::size_t>(i - 1)];
        if (gap) {
            c.rms = c.dc = kMissing;
            if (r.phasors) fundamental = spectrum.Missing(c);
            continue;
        }
        // Squares of values past 1e154 overflow: the sums run on the values brought near 1.
        const double unit = UnitScale(largest);
        double sum = 0;
        double squares = 0;
        for (long k = 0; k < len; ++k) {
            const double v = column[k * stride + (i - 1)] * unit;
            x[static_cast<std::size_t>(k)] = v;
            sum += v;
            squares += v * v;
        }
        const double rms = std::sqrt(squares / static_cast<double>(len));
        c.rms = rms / unit;
        c.dc = Cleaned(sum / static_cast<double>(len), rms).real() / unit;
        if (r.phasors) fundamental = spectrum.Measure(x.data(), unit, rms, c);
    }
    if (nA < 1) return r;

    const auto ref = static_cast<std::size_t>(r.reference - 1);
    const Complex referencePhasor = fundamentals[ref];
    // Angles against a reference whose window holds a gap are missing as well.
    const double referenceDegrees = std::isnan(referencePhasor.real()) ? kMissing
                                    : std::abs(referencePhasor) > 0    ? Degrees(referencePhasor)
                                                                       : 0;
    if (r.phasors) {
        for (long i = 1; i <= nA; ++i)
            r.channels[static_cast<std::size_t>(i - 1)].fundamental =
                RelativePhasor(fundamentals[static_cast<std::size_t>(i - 1)], referenceDegrees);

        const Complex a = std::polar(1.0, 2 * std::numbers::pi / 3);
        const Complex a2 = std::conj(a);
        r.groups = FindGroups(model);
        for (GroupMeasurement& g : r.groups) {
            const Complex A = fundamentals[static_cast<std::size_t>(g.channels[0] - 1)];
            const Complex B = fundamentals[static_cast<std::size_t>(g.channels[1] - 1)];
            const Complex C = fundamentals[static_cast<std::size_t>(g.channels[2] - 1)];
            if (std::isnan(A.real()) || std::isnan(B.real()) || std::isnan(C.real())) {
                g.zero = g.positive = g.negative = Phasor{kMissing, kMissing};
                continue;
            }
            // Brought near 1 first, so that the sums of three huge phasors cannot overflow.
            const double largest = std::max({std::abs(A), std::abs(B), std::abs(C)});
            const double unit = UnitScale(largest);
            const Complex a1 = A * unit, b1 = B * unit, c1 = C * unit;
            const auto component = [&](Complex sum) {
                return RelativePhasor(Cleaned(sum / 3.0, largest * unit) / unit, referenceDegrees);
            };
            g.zero = component(a1 + b1 + c1);
            g.positive = component(a1 + a * b1 + a2 * c1);
            g.negative = component(a1 + a2 * b1 + a * c1);
        }
    }

    if (perCycle > 0) {
        const Window span = Span(sample, static_cast<long>(std::min(RoundHalfEven(10 * perCycle), 2e9)), N);
        r.frequency = CrossingFrequency(model, r.reference, span, r.channels[ref].dc, fs);
    }
    return r;
}

}  // namespace sevrana::analysis
