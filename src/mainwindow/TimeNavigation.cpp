#include "TimeNavigation.h"

#include <algorithm>

#include "NumberUtils.h"
#include "ProgramError.h"

namespace sevrana {

namespace {

/// Milliseconds after the first sample for 1-based sample k.
std::string SampleTimeText(std::int32_t sample, std::int32_t sampleRate)
{
    const double offset = static_cast<double>(sample) - 1;
    if (sampleRate == 0) throw offset == 0 ? ProgramError::Overflow() : ProgramError::DivisionByZero();
    return FormatPattern(offset / sampleRate * 1000, "#####0.000") + " ms";
}

}  // namespace

std::int32_t ScrollMaximum(std::int32_t lastSample, double viewSamples, double factor)
{
    return ToInt32((static_cast<double>(lastSample) - viewSamples) * factor);
}

int ScrollStep(double samples, double factor)
{
    return static_cast<int>(std::clamp(RoundHalfEven(samples * factor), 1.0, 2147483647.0));
}

std::int32_t FirstSampleFromScroll(double value, double factor) { return ToInt32(value / factor); }

std::int32_t FirstSampleKeeping(double sample, double fraction, std::int32_t viewSamples)
{
    return ToInt32(sample - fraction * viewSamples);
}

std::int32_t EndSample(std::int32_t firstSample, std::int32_t viewSamples, std::int32_t lastSample)
{
    const std::int64_t end = static_cast<std::int64_t>(firstSample) + viewSamples;
    return end > lastSample ? lastSample : static_cast<std::int32_t>(end);
}

std::string StartReadout(std::int32_t firstSample, std::int32_t sampleRate)
{
    return SampleTimeText(firstSample, sampleRate);
}

std::string EndReadout(std::int32_t firstSample, std::int32_t viewSamples, std::int32_t lastSample,
                       std::int32_t sampleRate)
{
    return SampleTimeText(EndSample(firstSample, viewSamples, lastSample), sampleRate);
}

ScaleVerdict ScaleEntryVerdict(double x, double currentScale, double fullScale, double heightTwips)
{
    ScaleVerdict verdict;
    // The reach is only worked out for a positive value; otherwise it stays 0.
    const double reach = x > 0 ? (heightTwips - 1) / x * fullScale : 0.0;
    verdict.accept = x > 0 && x <= kScaleLimit && x != currentScale && reach <= kScaleLimit;
    verdict.tooLarge = x != 0 && x > kScaleLimit;
    verdict.tooSmall = x != 0 && reach > kScaleLimit;
    verdict.smallest = (heightTwips - 1) * fullScale / kScaleLimit;
    return verdict;
}

std::string ScaleMaximumMessage(const std::string& boxText)
{
    return boxText + " is not a valid number. Maximum is 2000000.";
}

std::string ScaleMinimumMessage(const std::string& boxText, double smallest)
{
    return boxText + " is not a valid number. Minimum is " + FormatPattern(smallest, "#######0.0#####");
}

int FilterScaleKey(int keyAscii)
{
    constexpr int kBackspace = 8;
    if (keyAscii == ',') return '.';
    if ((keyAscii >= '0' && keyAscii <= '9') || keyAscii == '.' || keyAscii == kBackspace) return keyAscii;
    return 0;
}

}  // namespace sevrana
