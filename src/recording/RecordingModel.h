#pragma once
// The one loaded COMTRADE recording: header fields, per-channel arrays (1-based)
// and the sample blocks. A plain value that its owner passes by reference.

#include <cstdint>
#include <string>

#include "Array1.h"
#include "SampleMatrix.h"

namespace sevrana {

/// Flags are 16-bit integers: -1 for true, 0 for false.
using Flag = std::int16_t;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

struct RecordingModel {
    // Files, set by whoever opens the recording.
    std::string varConfigFile;
    std::string strDataFile;

    // Header (configuration lines 1 and 2, rate, dates).
    std::string varStationName;
    std::string varDeviceId;
    std::string strRecordInfo;
    std::string strEncoding;  // the code page the texts were read in ("ASCII": nothing to read)
    // How the recording was read: empty for the 1991 loader, else e.g. "IEEE C37.111-2013 BINARY32".
    std::string strReadAs;
    // Why the 1991 loader did not read it when the newer reader did (one line), else empty.
    std::string strReadNote;
    double varTotalChannels = 0;
    double varAnalogChannels = 0;  // integral
    std::int16_t intDigitalCount = 0;
    std::int16_t intHasDigital = 0;
    std::int16_t intLineFrequency = 0;
    std::int16_t intSampleRateCount = 0;
    std::int32_t lngSampleRate = 0;
    std::int32_t lngLastSample = 0;
    Array1<std::int32_t> arrSampleRates;
    Array1<std::int32_t> arrLastSamples;
    std::string varStartStamp;
    std::string strTriggerStamp;

    // Per analog channel, 1..nA.
    Array1<std::string> arrAnalogNames;
    Array1<std::string> arrAnalogUnits;
    Array1<std::string> arrAnalogPhases;    // phase field (A, B, C, L1...), trimmed
    Array1<std::string> arrAnalogCircuits;  // circuit component field, trimmed
    Array1<double> arrFactorA;
    Array1<double> arrFactorB;
    Array1<double> arrRangeMin;
    Array1<double> arrRangeMax;
    Array1<double> arrFullScale;
    // Raw extremes from 0: whole numbers for the 1991 layout's integers, as read for real-valued data.
    Array1<double> arrRawMin;
    Array1<double> arrRawMax;
    Array1<double> arrPeakValue;
    Array1<double> arrChannelScale;
    Array1<Flag> arrAutoScale;

    // Per digital channel, 1..nD.
    Array1<std::string> arrDigitalNames;
    Array1<std::int16_t> arrDigitalNormal;

    // Samples: channel by sample 1..lngLastSample + 1 (the last column stays 0).
    SampleMatrix<double> arrAnalogSamples;
    SampleMatrix<std::int16_t> arrDigitalSamples;

    // Derived at channel set-up.
    double varTriggerTime = 0;
    std::int32_t lngTriggerSample = 0;
    double dblScrollFactor = 1.0;
    std::int32_t lngViewSamples = 0;

    // Digital selection 0..nD + 1: element 0 = 1 means all shown, nD + 1 holds the shown count.
    Array1<std::int16_t> arrDigitalSelection;
    std::string strDigitalNames;

    /// nA as a count (the field itself is a double, as read from line 2).
    long AnalogCount() const { return static_cast<long>(varAnalogChannels); }
    long DigitalCount() const { return intDigitalCount; }
};

}  // namespace sevrana
