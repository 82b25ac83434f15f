#include "SampleWriter.h"

#include <charconv>
#include <cmath>

#include "NumberUtils.h"

namespace sevrana::formats {

namespace {

// Longest texts: a 64-bit integer, a shortest double ("-1.2345678901234567e-308").
constexpr std::size_t kLongestNumber = 26;

char* PutWhole(char* to, double value)
{
    return std::to_chars(to, to + kLongestNumber, static_cast<long long>(value)).ptr;
}

char* PutValue(char* to, double value, ValueForm form)
{
    switch (form) {
    case ValueForm::Whole:
        return PutWhole(to, value);
    case ValueForm::Single:
        return std::to_chars(to, to + kLongestNumber, static_cast<float>(value)).ptr;
    case ValueForm::Exact:
        if (value == std::floor(value) && std::fabs(value) < 1e15) return PutWhole(to, value);
        return std::to_chars(to, to + kLongestNumber, value).ptr;
    }
    return to;
}

}  // namespace

SampleWriter::SampleWriter(OutputFile& out, std::size_t nA, std::size_t nD, ValueForm form)
    : out_(out), nA_(nA), nD_(nD), form_(form), longest_((2 + nA + nD) * (kLongestNumber + 1) + 2)
{
}

void SampleWriter::Put(double microseconds, const double* analog, const std::int16_t* digital)
{
    char* const begin = out_.Reserve(longest_);
    char* p = PutWhole(begin, static_cast<double>(++written_));
    *p++ = ',';
    p = PutWhole(p, RoundHalfEven(microseconds));
    for (std::size_t i = 0; i < nA_; ++i) {
        *p++ = ',';
        p = PutValue(p, analog[i], form_);
    }
    for (std::size_t i = 0; i < nD_; ++i) {
        *p++ = ',';
        p = std::to_chars(p, p + 8, digital[i]).ptr;
    }
    *p++ = '\r';
    *p++ = '\n';
    out_.Commit(static_cast<std::size_t>(p - begin));
}

Resampler::Resampler(SampleWriter& writer, std::size_t nA, std::size_t nD, double rate)
    : writer_(writer), nA_(nA), nD_(nD), rate_(rate), previous_(nA), mixed_(nA), previousDigital_(nD)
{
}

void Resampler::Put(double seconds, const double* analog, const std::int16_t* digital)
{
    if (!started_) {
        started_ = true;
        first_ = seconds;
        previousTime_ = seconds;
    }
    // Times summed from several rates miss each other by a rounding: closer than this they are one time.
    const double near = 1e-9 / rate_;
    for (;;) {
        const double at = first_ + static_cast<double>(next_) / rate_;
        if (at > seconds + near) break;
        const double microseconds = static_cast<double>(next_) * 1e6 / rate_;
        if (at >= seconds - near) {
            writer_.Put(microseconds, analog, digital);
        } else {
            // previousTime_ < at < seconds: every new sample up to the previous source sample is written.
            const double share = (at - previousTime_) / (seconds - previousTime_);
            for (std::size_t i = 0; i < nA_; ++i) mixed_[i] = previous_[i] + (analog[i] - previous_[i]) * share;
            writer_.Put(microseconds, mixed_.data(), previousDigital_.data());
        }
        ++next_;
    }
    std::copy(analog, analog + nA_, previous_.begin());
    std::copy(digital, digital + nD_, previousDigital_.begin());
    previousTime_ = seconds;
}

bool EvenStamps::Add(std::int64_t index, double microseconds)
{
    if (index == 0) {
        first_ = microseconds;
        return true;
    }
    // Each stamp is within a unit of its exact time, so two of them differ by less than a unit more.
    const double span = microseconds - first_;
    const double n = static_cast<double>(index);
    low_ = std::max(low_, (span - unit_) / n);
    high_ = std::min(high_, (span + unit_) / n);
    return low_ <= high_ && high_ > 0;
}

double EvenStamps::Rate() const
{
    if (!(high_ > 0) || high_ >= 1e300) return 0;
    const double middle = (std::max(low_, 0.0) + high_) / 2;
    const double rate = RoundHalfEven(1e6 / middle);
    if (rate < 1) return 0;
    const double spacing = 1e6 / rate;
    return spacing >= low_ - 1e-9 && spacing <= high_ + 1e-9 ? rate : 0;
}

}  // namespace sevrana::formats
