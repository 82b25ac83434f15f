#pragma once
// Recordings of synthetic signals for the measurement tests: every channel a function of time.

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "RecordingModel.h"

namespace sevrana::testing {

/// One analog channel: its fields and its value at the time t (seconds) of each sample.
struct Signal {
    std::string unit = "A";
    std::string phase;
    std::string circuit;
    std::function<double(double t)> x = [](double) { return 0.0; };
    std::string name{};  // "CH" and the channel number when empty
};

inline RecordingModel Model(std::int32_t fs, std::int16_t f0, std::int32_t N, const std::vector<Signal>& channels)
{
    RecordingModel m;
    const auto nA = static_cast<long>(channels.size());
    m.varAnalogChannels = static_cast<double>(nA);
    m.lngSampleRate = fs;
    m.intLineFrequency = f0;
    m.lngLastSample = N;
    for (auto* a : {&m.arrAnalogNames, &m.arrAnalogUnits, &m.arrAnalogPhases, &m.arrAnalogCircuits}) a->Redim(1, nA);
    m.arrAnalogSamples.Redim(nA, N + 1);
    for (long i = 1; i <= nA; ++i) {
        const Signal& s = channels[static_cast<std::size_t>(i - 1)];
        m.arrAnalogNames(i) = s.name.empty() ? "CH" + std::to_string(i) : s.name;
        m.arrAnalogUnits(i) = s.unit;
        m.arrAnalogPhases(i) = s.phase;
        m.arrAnalogCircuits(i) = s.circuit;
        for (long k = 1; k <= N; ++k) m.arrAnalogSamples(i, k) = s.x(static_cast<double>(k - 1) / fs);
    }
    return m;
}

/// An RMS magnitude and angle (degrees) at frequency f: sqrt(2) M cos(2 pi f t + angle).
inline std::function<double(double)> Wave(double magnitude, double degrees, double f = 50)
{
    return [=](double t) {
        return std::numbers::sqrt2 * magnitude *
               std::cos(2 * std::numbers::pi * f * t + degrees * std::numbers::pi / 180);
    };
}

}  // namespace sevrana::testing
