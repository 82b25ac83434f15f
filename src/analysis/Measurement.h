#pragma once
// Measurements at one sample of a loaded recording: values, DC, true RMS, harmonics by DFT over
// one cycle, phasors relative to a reference channel, symmetrical components of three-phase
// groups and the reference channel's frequency. Plain code over the recording model.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "RecordingModel.h"

namespace sevrana::analysis {

/// Rounding leaves sums near 1e-16 of a signal where the exact result is 0 (the fundamental of a
/// constant, the negative sequence of a balanced set). Below this share of the signal a result
/// counts as 0, so that it shows as 0 with angle 0 instead of digits and an angle of noise.
inline constexpr double kRoundingResidue = 1e-12;

/// RMS magnitude and angle in degrees, in (-180, 180], counter-clockwise positive.
struct Phasor {
    double magnitude = 0;
    double angle = 0;
};

struct Harmonic {
    int order = 0;                  // 1..H
    double magnitude = 0;           // RMS
    std::optional<double> percent;  // of the fundamental; empty when the fundamental is 0
};

struct ChannelMeasurement {
    long index = 0;    // analog channel, 1-based
    double value = 0;  // engineering value at the measurement sample
    double dc = 0;
    double rms = 0;
    std::optional<Phasor> fundamental;  // empty when no phasor can be had (n < 4 or N < n)
    std::vector<Harmonic> harmonics;    // orders 1..H; empty with no phasor
    std::optional<double> thd;          // percent; empty when the fundamental is 0 or no phasor
};

struct GroupMeasurement {
    std::string circuit;
    std::string unit;
    std::array<long, 3> channels{};  // A, B, C (or L1, L2, L3)
    Phasor zero;
    Phasor positive;
    Phasor negative;
};

struct Measurement {
    long sample = 0;                // m, 1..N
    double time = 0;                // (m - 1) / fs
    int samplesPerCycle = 0;        // n
    bool cycleApproximate = false;  // fs / f0 is not whole
    long first = 0;                 // the window's first and last samples
    long last = 0;
    bool windowMoved = false;                  // the window starts at sample 1 instead of ending at m
    bool phasors = false;                      // n >= 4 and N >= n
    long reference = 0;                        // analog channel the angles are relative to
    std::optional<double> frequency;           // Hz, of the reference channel
    std::vector<ChannelMeasurement> channels;  // one per analog channel, in channel order
    std::vector<GroupMeasurement> groups;
};

/// The first analog channel whose unit ends in "V" and whose phase is A or L1; else the first
/// whose unit ends in "V"; else 1. 0 when the recording has no analog channel.
long DefaultReference(const RecordingModel& model);

/// The trigger sample limited to 1..N: where the measurement stands when the markers are off.
/// 0 when the recording has no sample.
long TriggerMeasurementSample(const RecordingModel& model);

/// An angle in degrees brought into (-180, 180]; never -0.
double WrapAngle(double degrees);

/// Measures every analog channel at sample m (1..N). reference 0 means DefaultReference.
/// Throws std::out_of_range for a sample outside 1..N or a reference outside 0..nA.
Measurement Measure(const RecordingModel& model, long sample, long reference = 0);

}  // namespace sevrana::analysis
