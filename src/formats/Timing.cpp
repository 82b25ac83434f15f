#include "Timing.h"

#include <algorithm>
#include <cmath>

#include "NumberUtils.h"
#include "Pipeline.h"

namespace sevrana::formats {

namespace {

/// A count as text, whole when it fits.
std::string CountText(double count)
{
    return count < 9e18 ? std::to_string(static_cast<long long>(count)) : RateText(count);
}

}  // namespace

std::string RateText(double rate)
{
    if (rate == std::floor(rate) && std::fabs(rate) < 1e15) return IntText(static_cast<long long>(rate));
    return ExactNumber(rate);
}

RatePlan PlanRates(const SourceConfig& cfg, std::optional<double> rate, const std::string& path,
                   const std::string& holder)
{
    RatePlan plan;
    bool anyZero = false;
    for (const RateSection& r : cfg.rates) anyZero = anyZero || r.rate == 0;
    if (rate) {
        if (!(*rate >= 1 && *rate <= kMostSamples && *rate == std::floor(*rate)))
            throw ConvertError("the rate to resample onto must be a whole number of samples per second, not " +
                               RateText(*rate));
        plan.timing = Timing::Resample;
        plan.rate = *rate;
        plan.sectionTimes = !anyZero;
        return plan;
    }
    if (anyZero) {
        plan.timing = Timing::FromStamps;
        return plan;
    }
    const RateSection& first = cfg.rates.front();
    const RateSection* other = nullptr;  // the first section at another rate
    std::vector<double> found;
    for (const RateSection& r : cfg.rates) {
        if (r.rate != first.rate && other == nullptr) other = &r;
        if (std::find(found.begin(), found.end(), r.rate) == found.end()) found.push_back(r.rate);
    }
    if (other != nullptr) {
        std::string rates;
        for (std::size_t i = 0; i < found.size(); ++i)
            rates += (i == 0 ? "" : i + 1 == found.size() ? " and " : ", ") + RateText(found[i]) + " Hz";
        throw RateNeeded(LineMessage(path, other->line,
                                     "the recording has sampling rates of " + rates + ", and " + holder +
                                         " holds one: give a rate to resample onto"));
    }
    if (first.rate != std::floor(first.rate))
        throw RateNeeded(LineMessage(path, first.line,
                                     "the sampling rate " + RateText(first.rate) + " Hz is not a whole number, which " +
                                         holder + " needs: give a rate to resample onto"));
    if (first.rate > kMostSamples)
        throw RateNeeded(LineMessage(path, first.line,
                                     "the sampling rate " + RateText(first.rate) + " Hz is above the " +
                                         std::to_string(kMostSamples) + " samples per second " + holder +
                                         " holds: give a rate to resample onto"));
    plan.rate = first.rate;
    return plan;
}

RateNeeded UnevenStamps(const std::string& path, std::int64_t index)
{
    return RateNeeded("'" + path +
                      "': the configuration gives no sampling rate and the time stamps are not evenly spaced (sample " +
                      std::to_string(index + 1) + "): give a rate to resample onto");
}

double RateOfStamps(const EvenStamps& even, const std::string& path)
{
    const double rate = even.Rate();
    if (rate == 0)
        throw RateNeeded("'" + path +
                         "': the configuration gives no sampling rate and the time stamps give no whole number of "
                         "samples per second: give a rate to resample onto");
    if (rate > kMostSamples)
        throw RateNeeded("'" + path + "': the time stamps give " + RateText(rate) +
                         " samples per second, more than the " + std::to_string(kMostSamples) +
                         " the viewer holds: give a rate to resample onto");
    return rate;
}

double SectionClock::Seconds(std::int64_t index)
{
    while (section_ + 1 < rates_.size() && index >= rates_[section_].lastSample) {
        const RateSection& done = rates_[section_];
        if (done.lastSample > first_) base_ += static_cast<double>(done.lastSample - 1 - first_) / done.rate;
        first_ = done.lastSample;
        ++section_;
        if (first_ > 0) base_ += 1.0 / rates_[section_].rate;
    }
    return base_ + static_cast<double>(index - first_) / rates_[section_].rate;
}

std::int64_t ResampledCount(double first, double last, double rate, const std::string& path)
{
    // The resampler's own test: a new sample at first + k / rate is made while it is not past last.
    const double near = 1e-9 / rate;
    const auto within = [&](std::int64_t k) { return first + static_cast<double>(k) / rate <= last + near; };
    const double estimate = std::floor((last + near - first) * rate);
    if (!(estimate < static_cast<double>(kMostSamples)))
        throw ConvertError("'" + path + "': resampled at " + RateText(rate) + " Hz the recording would have " +
                           (std::isfinite(estimate) ? CountText(estimate + 1) + " samples, more than the "
                                                    : std::string("more than the ")) +
                           std::to_string(kMostSamples) + " samples the viewer holds");
    std::int64_t k = std::max<std::int64_t>(0, static_cast<std::int64_t>(estimate));
    while (k + 1 < kMostSamples && within(k + 1)) ++k;
    while (k > 0 && !within(k)) --k;
    return k + 1;
}

void StampOrder::Add(std::int64_t index, double microseconds)
{
    if (std::isnan(microseconds))
        throw ConvertError("'" + path_ + "': sample " + std::to_string(index + 1) +
                           " has no time stamp, and the configuration gives no sampling rate");
    if (index == 0) {
        first_ = last_ = microseconds;
        return;
    }
    if (microseconds < last_)
        throw ConvertError("'" + path_ + "': sample " + std::to_string(index + 1) + " has the time stamp " +
                           RateText(microseconds) + " microseconds, earlier than the sample before it (" +
                           RateText(last_) + " microseconds): time stamps must not go backwards");
    last_ = microseconds;
}

std::int64_t ResampledSamples(const SourceConfig& cfg, const SourceParts& parts, const DataLayout& layout,
                              const RatePlan& plan, const std::string& input)
{
    const std::int64_t samples = cfg.Samples();
    if (samples <= 0) return 0;
    if (plan.sectionTimes) {
        SectionClock clock(cfg.rates);
        return ResampledCount(0, clock.Seconds(samples - 1), plan.rate, input);
    }
    // The stamps' span: every stamp is read, the samples are not kept.
    const double multiplier = cfg.MicrosecondsPerStamp();
    const InputFile file(parts.dataPath);
    PieceReader reader(file, parts, layout, samples);
    StampOrder order(parts.dataPath);
    std::int64_t taken = 0;
    const auto decode = [&](PiecePipeline::Slot& slot) { DecodePiece(slot.piece, layout, slot.decoded); };
    const auto take = [&](PiecePipeline::Slot& slot) {
        const SampleBlock& b = slot.decoded.block;
        const std::int64_t use = std::min<std::int64_t>(samples - taken, static_cast<std::int64_t>(b.count));
        for (std::int64_t s = 0; s < use; ++s) order.Add(taken + s, b.stamp[static_cast<std::size_t>(s)] * multiplier);
        taken += use;
        // A fault, or data cut short, is told by the pass that follows.
        return taken < samples && slot.decoded.fault.empty() && slot.decoded.partial == 0;
    };
    {
        PiecePipeline pipeline(decode, nullptr);
        pipeline.Run([&](Piece& piece) { return reader.Next(piece); }, take);
    }
    if (taken == 0) return 0;
    return ResampledCount(order.First() * 1e-6, order.Last() * 1e-6, plan.rate, input);
}

void CheckChannelLimits(const SourceConfig& cfg, const std::string& path)
{
    if (static_cast<std::int64_t>(cfg.digital.size()) > kMostDigital)
        throw ConvertError("'" + path + "': " + std::to_string(cfg.digital.size()) +
                           " digital channels, more than the " + std::to_string(kMostDigital) + " the viewer holds");
    if (static_cast<std::int64_t>(cfg.analog.size()) > kMostAnalog)
        throw ConvertError("'" + path + "': " + std::to_string(cfg.analog.size()) + " analog channels, more than the " +
                           std::to_string(kMostAnalog) + " the viewer holds");
}

void CheckSampleLimit(std::int64_t samples, const std::string& path)
{
    if (samples > kMostSamples)
        throw ConvertError("'" + path + "': " + std::to_string(samples) + " samples, more than the " +
                           std::to_string(kMostSamples) + " the viewer holds");
}

}  // namespace sevrana::formats
