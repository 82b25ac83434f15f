#include "SampleWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "FieldText.h"
#include "NumberUtils.h"
#include "SourceConfig.h"

namespace sevrana::formats {

namespace {

// Longest field texts: a 64-bit integer, a shortest double ("-1.2345678901234567e-308").
constexpr std::size_t kLongestNumber = 26;

}  // namespace

void TextBuffer::Grow(std::size_t count)
{
    const std::size_t capacity = std::max(capacity_ * 2, size_ + count + (std::size_t{64} << 10));
    std::unique_ptr<char[]> grown(new char[capacity]);
    if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_);
    data_ = std::move(grown);
    capacity_ = capacity;
}

SampleWriter::SampleWriter(std::size_t nA, std::size_t nD, ValueForm form, std::string source)
    : nA_(nA),
      nD_(nD),
      form_(form),
      source_(std::move(source)),
      longest_((2 + nA + nD) * (kLongestNumber + 1) + 2),
      texts_(FieldText::Get())
{
}

ConvertError RawBeyondRange(const std::string& source, std::int64_t sample, std::size_t channel, double value)
{
    return ConvertError("'" + source + "': sample " + std::to_string(sample) + ", analog value " +
                        std::to_string(channel + 1) + ": " + ExactNumber(value) +
                        " is beyond the 32-bit range that the viewer reads raw values into");
}

void SampleWriter::TooLarge(std::size_t channel, double value) const
{
    throw RawBeyondRange(source_, written_, channel, value);
}

void SampleWriter::Begin(TextBuffer& text, std::int64_t written)
{
    text_ = &text;
    written_ = written;
    numberLength_ = static_cast<std::size_t>(PutUnsigned(number_, static_cast<std::uint64_t>(written + 1)) - number_);
}

void SampleWriter::Put(double microseconds, const double* analog, const std::int16_t* digital)
{
    char* const begin = text_->Reserve(longest_);
    std::memcpy(begin, number_, sizeof number_);
    char* p = begin + numberLength_;
    ++written_;
    std::size_t digit = numberLength_;
    while (digit > 0 && number_[digit - 1] == '9') number_[--digit] = '0';
    if (digit > 0) {
        ++number_[digit - 1];
    } else {
        number_[0] = '1';  // 999 became 000: 1000
        number_[numberLength_++] = '0';
    }
    // A stamp beyond what 64 bits hold is no time: the viewer does not read it anyway.
    const double stamp = RoundHalfEven(microseconds);
    p = texts_.Whole(p, std::fabs(stamp) < 9e18 ? stamp : 0.0);
    switch (form_) {
    case ValueForm::Whole:
        for (std::size_t i = 0; i < nA_; ++i) p = texts_.Whole(p, analog[i]);
        break;
    case ValueForm::Single:
        for (std::size_t i = 0; i < nA_; ++i) {
            if (!(std::fabs(analog[i]) < 2147483647.5)) TooLarge(i, analog[i]);
            p = texts_.Single(p, static_cast<float>(analog[i]));
        }
        break;
    case ValueForm::Exact:
        for (std::size_t i = 0; i < nA_; ++i) {
            if (!(std::fabs(analog[i]) < 2147483647.5)) TooLarge(i, analog[i]);
            p = texts_.Exact(p, analog[i]);
        }
        break;
    }
    p = FieldText::States(p, digital, nD_);
    *p++ = '\r';
    *p++ = '\n';
    text_->Commit(static_cast<std::size_t>(p - begin));
}

Resampler::Resampler(SampleSink& sink, std::size_t nA, std::size_t nD, double rate, std::int64_t limit)
    : sink_(sink), nA_(nA), nD_(nD), rate_(rate), limit_(limit), previous_(nA), mixed_(nA), previousDigital_(nD)
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
        if (at > seconds + near || next_ >= limit_) break;
        const double microseconds = static_cast<double>(next_) * 1e6 / rate_;
        if (at >= seconds - near) {
            sink_.Put(microseconds, analog, digital);
        } else {
            // previousTime_ < at < seconds: every new sample up to the previous source sample is written.
            const double share = (at - previousTime_) / (seconds - previousTime_);
            for (std::size_t i = 0; i < nA_; ++i) mixed_[i] = previous_[i] + (analog[i] - previous_[i]) * share;
            sink_.Put(microseconds, mixed_.data(), previousDigital_.data());
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
