#pragma once
// The arithmetic behind the time scroll bar, the zoom list, the time read-outs
// and the scale entry box, kept free of widgets so it can be checked directly.
// Sample numbers are 1-based; N is the number of samples in the record.

#include <cstdint>
#include <string>

namespace sevrana {

/// Scroll-bar maximum for a view of viewSamples: (N − viewSamples) × factor,
/// rounded to a 32-bit whole number (the bar holds one position per sample).
std::int32_t ScrollMaximum(std::int32_t lastSample, double viewSamples, double factor);

/// Scroll units for a move of this many samples: rounded, at least one, within 32 bits.
int ScrollStep(double samples, double factor);

/// First visible sample for a scroll value: value / factor, rounded.
std::int32_t FirstSampleFromScroll(double value, double factor);

/// First sample of a view of viewSamples that keeps sample where it is, at this fraction
/// (0 left edge, 1 right edge) of the window's width: sample − fraction × viewSamples, rounded.
/// The scroll bar keeps it within the record.
std::int32_t FirstSampleKeeping(double sample, double fraction, std::int32_t viewSamples);

/// Last sample the end box refers to: f + v, but never past the end of the record.
std::int32_t EndSample(std::int32_t firstSample, std::int32_t viewSamples, std::int32_t lastSample);

/// Start box text: time of sample f in milliseconds, "#####0.000 ms".
/// Throws ProgramError for a sampling rate of 0.
std::string StartReadout(std::int32_t firstSample, std::int32_t sampleRate);

/// End box text: time of the last visible sample (EndSample) in milliseconds.
/// Throws ProgramError for a sampling rate of 0.
std::string EndReadout(std::int32_t firstSample, std::int32_t viewSamples, std::int32_t lastSample,
                       std::int32_t sampleRate);

/// Largest scale the box takes, and the plot reach a scale may not exceed.
inline constexpr double kScaleLimit = 2000000;

struct ScaleVerdict {
    bool accept = false;    ///< apply x as the channel's scale
    bool tooLarge = false;  ///< show the maximum message
    bool tooSmall = false;  ///< show the minimum message
    double smallest = 0;    ///< smallest scale the window can show: (H − 1) × full scale / limit
};

/// What Enter in the scale box does with the value x for a channel whose scale is
/// currentScale and whose full-scale value is fullScale, in a main window of inner
/// height heightTwips. Zero, negative and unchanged values are ignored silently.
ScaleVerdict ScaleEntryVerdict(double x, double currentScale, double fullScale, double heightTwips);

/// "<text> is not a valid number. Maximum is 2000000."
std::string ScaleMaximumMessage(const std::string& boxText);

/// "<text> is not a valid number. Minimum is <smallest>" (smallest as "#######0.0#####").
std::string ScaleMinimumMessage(const std::string& boxText, double smallest);

/// Character filter of the scale box: "," becomes "."; digits, "." and backspace
/// pass; anything else gives 0 (dropped).
int FilterScaleKey(int keyAscii);

}  // namespace sevrana
