#pragma once
// The data lines of the converted recording, and the resampling that may feed them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FieldText.h"
#include "SourceConfig.h"

namespace sevrana::formats {

/// Text grown as needed and reused without clearing its bytes.
class TextBuffer {
public:
    /// Room for count more bytes at the returned place; Commit says how many were used.
    char* Reserve(std::size_t count)
    {
        if (capacity_ - size_ < count) Grow(count);
        return data_.get() + size_;
    }
    void Commit(std::size_t count) { size_ += count; }
    const char* Data() const { return data_.get(); }
    std::size_t Size() const { return size_; }
    void Clear() { size_ = 0; }

private:
    void Grow(std::size_t count);

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0, capacity_ = 0;
};

/// How raw values are written: whole numbers, single-precision values in the shortest text
/// that reads back to the same float, or doubles in the shortest text that reads back exactly.
enum class ValueForm { Whole, Single, Exact };

/// Where samples go, one after the other: the converter's data lines or the reader's model.
class SampleSink {
public:
    virtual ~SampleSink() = default;
    /// One sample: its time (microseconds from the first), the raw analog values, the states.
    virtual void Put(double microseconds, const double* analog, const std::int16_t* digital) = 0;
};

/// A raw value beyond the 32 bits the viewer reads raw values into (sample is 1-based).
ConvertError RawBeyondRange(const std::string& source, std::int64_t sample, std::size_t channel, double value);

class SampleWriter final : public SampleSink {
public:
    /// source names the data file in messages.
    SampleWriter(std::size_t nA, std::size_t nD, ValueForm form, std::string source);

    /// Data lines go to text from now on, the next with sample number written + 1.
    void Begin(TextBuffer& text, std::int64_t written);
    /// One data line: the next sample number, the time stamp (whole microseconds), the values.
    /// Throws ConvertError for a value beyond the 32 bits the viewer reads raw values into.
    void Put(double microseconds, const double* analog, const std::int16_t* digital) override;
    std::int64_t Written() const { return written_; }

private:
    [[noreturn]] void TooLarge(std::size_t channel, double value) const;

    std::size_t nA_, nD_;
    ValueForm form_;
    std::string source_;
    std::size_t longest_;
    const FieldText& texts_;
    TextBuffer* text_ = nullptr;
    std::int64_t written_ = 0;
    // The next sample number as text, counted up in place: most lines change only its last digit.
    char number_[24] = {'1'};
    std::size_t numberLength_ = 1;
};

/// Linear interpolation of the analog values onto a fixed rate; digital channels keep the
/// state of the last sample at or before each new sample.
class Resampler {
public:
    /// Makes no more than limit new samples (ResampledCount gives how many it makes).
    Resampler(SampleSink& sink, std::size_t nA, std::size_t nD, double rate, std::int64_t limit);
    /// The next source sample, at time seconds (never earlier than the one before).
    void Put(double seconds, const double* analog, const std::int16_t* digital);

private:
    SampleSink& sink_;
    std::size_t nA_, nD_;
    double rate_;
    std::int64_t limit_;
    bool started_ = false;
    double first_ = 0;       // time of the first source sample: the new samples count from it
    std::int64_t next_ = 0;  // index of the next new sample
    double previousTime_ = 0;
    std::vector<double> previous_, mixed_;
    std::vector<std::int16_t> previousDigital_;
};

/// Whether time stamps are evenly spaced, checked sample by sample without keeping them:
/// the spacings that fit every stamp so far (within one unit of the stamp) form an interval.
class EvenStamps {
public:
    explicit EvenStamps(double unit) : unit_(unit) {}
    /// False when the stamps so far cannot be evenly spaced.
    bool Add(std::int64_t index, double microseconds);
    /// The whole number of samples per second that the stamps give, or 0 when none fits.
    double Rate() const;

private:
    double unit_;
    double first_ = 0;
    double low_ = 0, high_ = 1e300;
};

}  // namespace sevrana::formats
