#pragma once
// When the samples of a source recording were taken, as both the converter and the reader
// need it: the rate plan, the times of the rate sections, the order of the time stamps, the
// number of samples a resampling makes, and the limits of what the viewer's model holds.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DataDecoder.h"
#include "SampleWriter.h"
#include "Source.h"
#include "SourceConfig.h"

namespace sevrana::formats {

/// The most samples, and the highest whole rate, the model counts (32 bits).
inline constexpr std::int64_t kMostSamples = 2147483647;
/// The most digital channels the model counts (16 bits).
inline constexpr std::int64_t kMostDigital = 32767;
/// The most analog channels the model's arrays are sized for.
inline constexpr std::int64_t kMostAnalog = 2147483646;

/// A rate as text: the shortest that reads back to the same double.
std::string RateText(double rate);

enum class Timing { Copy, FromStamps, Resample };

struct RatePlan {
    Timing timing = Timing::Copy;
    double rate = 0;
    bool sectionTimes = true;  // resampling: times from the rate sections, else from the stamps
};

/// The recording cannot be shown at its own rates: a rate to resample onto must be chosen.
struct RateNeeded : ConvertError {
    using ConvertError::ConvertError;
};

/// How the samples are timed. holder names what needs one whole rate in messages ("the 1991
/// layout"). Throws RateNeeded for several rates or a rate the holder cannot take, ConvertError
/// for a rate to resample onto that is no whole number of samples per second.
RatePlan PlanRates(const SourceConfig& cfg, std::optional<double> rate, const std::string& path,
                   const std::string& holder);

/// Stamps that time the samples but are not evenly spaced from sample index (0-based) on.
RateNeeded UnevenStamps(const std::string& path, std::int64_t index);
/// The whole rate of evenly spaced stamps; throws RateNeeded when they give none the viewer holds.
double RateOfStamps(const EvenStamps& even, const std::string& path);

/// Times of the samples of the rate sections: each section's first sample follows the last
/// sample of the section before it by one of its own sample periods.
class SectionClock {
public:
    explicit SectionClock(const std::vector<RateSection>& rates) : rates_(rates) {}
    /// Seconds from the first sample; index never goes back.
    double Seconds(std::int64_t index);

private:
    const std::vector<RateSection>& rates_;
    std::size_t section_ = 0;
    double base_ = 0;
    std::int64_t first_ = 0;
};

/// Samples that resampling from first to last (seconds) at rate makes, counted exactly as the
/// resampler places them. Throws ConvertError, naming the count, beyond kMostSamples.
std::int64_t ResampledCount(double first, double last, double rate, const std::string& path);

/// Refuses a stamp earlier than the one before it, and a missing one where the stamps time the samples.
class StampOrder {
public:
    explicit StampOrder(std::string path) : path_(std::move(path)) {}
    /// microseconds of sample index (0-based); NaN when the sample has none.
    void Add(std::int64_t index, double microseconds);
    double First() const { return first_; }
    double Last() const { return last_; }

private:
    std::string path_;
    double first_ = 0, last_ = 0;
};

/// The samples the plan's resampling makes (0 for no samples), counted before any is made: from the
/// rate sections, or from the first and last time stamps, which are read for it (and refused out of
/// order). Throws ConvertError, naming the count, beyond kMostSamples; input names the recording.
std::int64_t ResampledSamples(const SourceConfig& cfg, const SourceParts& parts, const DataLayout& layout,
                              const RatePlan& plan, const std::string& input);

/// Refuses a configuration whose channel counts the model cannot hold, naming the limit.
void CheckChannelLimits(const SourceConfig& cfg, const std::string& path);
/// Refuses more samples than the model counts, naming the limit.
void CheckSampleLimit(std::int64_t samples, const std::string& path);

}  // namespace sevrana::formats
