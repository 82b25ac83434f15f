#pragma once
// The reader's model against the model the 1991 loader fills from the converter's copy of the
// same recording: field by field and value by value, except where the two are known to differ.
// The files, how the recording was read and its information text are the reader's own; a gap
// (NaN) is where the copy has a 0; raw extremes are unrounded where the raw values are real;
// FLOAT32 values read back from their shortest text agree at float precision only.

#include <cmath>
#include <sstream>
#include <string>

#include "RecordingModel.h"

namespace sevrana::testing {

/// The first difference, in words; empty when there is none. floats: raw values were FLOAT32.
inline std::string ModelDifference(const RecordingModel& read, const RecordingModel& loaded, bool floats)
{
    std::ostringstream out;
    out.precision(17);
    const auto same = [&](const auto& r, const auto& l, const char* what, long i = 0) {
        if (r == l) return true;
        out << what << (i != 0 ? "(" + std::to_string(i) + ")" : std::string()) << ": read " << r << ", loaded " << l;
        return false;
    };
#define SAME(field) \
    if (!same(read.field, loaded.field, #field)) return out.str()
    SAME(varStationName);
    SAME(varDeviceId);
    SAME(varTotalChannels);
    SAME(varAnalogChannels);
    SAME(intDigitalCount);
    SAME(intHasDigital);
    SAME(intLineFrequency);
    SAME(intSampleRateCount);
    SAME(lngSampleRate);
    SAME(lngLastSample);
    SAME(varStartStamp);
    SAME(strTriggerStamp);
    SAME(arrSampleRates.LBound());
    SAME(arrSampleRates.UBound());
    SAME(arrSampleRates(1));
    SAME(arrLastSamples(1));
    SAME(arrDigitalSelection.LBound());
    SAME(arrDigitalSelection.UBound());
    SAME(arrAnalogSamples.Channels());
    SAME(arrAnalogSamples.Columns());
    SAME(arrDigitalSamples.Channels());
    SAME(arrDigitalSamples.Columns());
#undef SAME
    const long nA = loaded.AnalogCount(), nD = loaded.DigitalCount();
#define SAME_AT(field) \
    if (!same(read.field(i), loaded.field(i), #field, i)) return out.str()
    if (nA > 0) {
        if (!same(read.arrFactorA.UBound(), loaded.arrFactorA.UBound(), "analog arrays")) return out.str();
        if (!same(read.arrAutoScale.UBound(), loaded.arrAutoScale.UBound(), "arrAutoScale")) return out.str();
        if (!same(read.arrChannelScale.UBound(), loaded.arrChannelScale.UBound(), "arrChannelScale")) return out.str();
    }
    for (long i = 1; i <= nA; ++i) {
        SAME_AT(arrAnalogNames);
        SAME_AT(arrAnalogUnits);
        SAME_AT(arrAnalogPhases);
        SAME_AT(arrAnalogCircuits);
        SAME_AT(arrFactorA);
        SAME_AT(arrFactorB);
        SAME_AT(arrRangeMin);
        SAME_AT(arrRangeMax);
        SAME_AT(arrFullScale);
        bool gaps = false;
        const double a = loaded.arrFactorA(i), b = loaded.arrFactorB(i);
        for (long n = 1; n <= loaded.lngLastSample + 1; ++n) {
            const double r = read.arrAnalogSamples(i, n), l = loaded.arrAnalogSamples(i, n);
            if (std::isnan(r)) {
                gaps = true;
                continue;
            }
            // A float's shortest text reads back to a double near it, not to the float itself.
            // a * x + b of two such x may round to neighbouring doubles, however close the two x are;
            // below the normal floats, a float's step is 2^-149 whatever its size.
            const double allowed =
                floats ? std::fabs(l - b) * 0x1p-22 + std::fabs(l) * 0x1p-51 + std::fabs(a) * 0x1p-148 + 1e-300 : 0;
            if (!(std::fabs(r - l) <= allowed) && !(r == l)) {
                out << "arrAnalogSamples(" << i << ", " << n << "): read " << r << ", loaded " << l;
                return out.str();
            }
        }
        // Raw extremes: the loader rounds each new extreme to a whole number; a gap takes no part, so
        // with gaps the reader's values are some of the copy's (the copy's 0 and what it mixes into).
        for (const auto& [r, l, what, sign] : {std::tuple(read.arrRawMin(i), loaded.arrRawMin(i), "arrRawMin", -1.0),
                                               std::tuple(read.arrRawMax(i), loaded.arrRawMax(i), "arrRawMax", 1.0)}) {
            const double allowed = (r == std::floor(r) ? 0 : 0.5) + (floats ? std::fabs(l) * 0x1p-22 : 0);
            if (!(std::fabs(r - l) <= allowed) && !(gaps && sign * (l - r) >= -allowed)) {
                out << what << "(" << i << "): read " << r << ", loaded " << l;
                return out.str();
            }
        }
        const double rp = read.arrPeakValue(i), lp = loaded.arrPeakValue(i);
        const double peakAllowed =
            floats ? std::fabs(lp) * 0x1p-22 + std::fabs(b) * 0x1p-22 + std::fabs(a) * 0x1p-148 + 1e-300 : 0;
        if (!(std::fabs(rp - lp) <= peakAllowed) && !(gaps && rp <= lp + peakAllowed)) {
            out << "arrPeakValue(" << i << "): read " << rp << ", loaded " << lp;
            return out.str();
        }
    }
    for (long i = 1; i <= nD; ++i) {
        SAME_AT(arrDigitalNames);
        SAME_AT(arrDigitalNormal);
        for (long n = 1; n <= loaded.lngLastSample + 1; ++n)
            if (!same(read.arrDigitalSamples(i, n), loaded.arrDigitalSamples(i, n), "arrDigitalSamples", n))
                return out.str();
    }
#undef SAME_AT
    return {};
}

}  // namespace sevrana::testing
