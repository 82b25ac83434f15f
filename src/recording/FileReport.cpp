#include "FileReport.h"

#include "NumberUtils.h"
#include "TextDecoder.h"

namespace sevrana {

std::vector<std::string> FileInformationLines(const RecordingModel& m)
{
    std::vector<std::string> lines;
    lines.push_back("Station name:\t\t" + m.varStationName);
    lines.push_back("Station ID:\t\t" + m.varDeviceId);
    lines.push_back("Number of channels:\t" + GeneralNumber(m.varTotalChannels) + " (" +
                    GeneralNumber(m.varAnalogChannels) + " analog and " + IntText(m.intDigitalCount) +
                    " digital channels)");
    lines.push_back("Line frequency:\t\t" + IntText(m.intLineFrequency) + " Hz");
    lines.push_back("Different samplerates:\t" + IntText(m.intSampleRateCount));
    lines.push_back("Samplerate(s):\t\t" + IntText(m.lngSampleRate) + " Hz, " + IntText(m.lngLastSample) + " Samples");
    // Further rates (the loader refuses them today, but the report would list them).
    for (long k = 2; k <= m.intSampleRateCount; ++k) {
        const bool held = k <= m.arrSampleRates.UBound() && k <= m.arrLastSamples.UBound();
        if (!held) break;
        lines.push_back("\t\t\t\t" + IntText(m.arrSampleRates(k)) + " Hz, " + IntText(m.arrLastSamples(k)) + " Samples");
    }
    lines.push_back("First sample date and time:\t" + m.varStartStamp);
    lines.push_back("Trigger point date and time:\t" + m.strTriggerStamp);
    lines.push_back("Trigger reason:\t\t" + m.strRecordInfo);
    // Why the newer reader read a 1991 file its loader refused.
    if (!m.strReadNote.empty()) lines.push_back(m.strReadNote);
    lines.push_back(" ");
    lines.push_back("Channel information");
    lines.push_back("Analog channel(s):");
    for (long i = 1; i <= m.AnalogCount(); ++i) {
        const double a = m.arrFactorA(i);
        const double b = m.arrFactorB(i);
        const std::string& unit = m.arrAnalogUnits(i);
        // From the raw extremes of the data file, in double precision.
        const double low = static_cast<double>(m.arrRawMin(i)) * a + b;
        const double high = static_cast<double>(m.arrRawMax(i)) * a + b;
        lines.push_back("\t" + IntText(i) + ": " + m.arrAnalogNames(i) + ", Conversion (ax+b): a=" + GeneralNumber(a) +
                        ", b=" + GeneralNumber(b) + ", Unit: " + unit + ", Value range: " + GeneralNumber(low) +
                        " " + unit + " to " + GeneralNumber(high) + " " + unit);
    }
    lines.push_back("Digital channel(s):");
    for (long j = 1; j <= m.DigitalCount(); ++j) lines.push_back("\t" + IntText(j) + ": " + m.arrDigitalNames(j));
    return lines;
}

std::string FileInformationTitle(const RecordingModel& m)
{
    // ASCII reads alike in every code page: then there is nothing to tell.
    std::string how = m.strReadAs;
    if (!m.strEncoding.empty() && m.strEncoding != kAsciiText) how += (how.empty() ? "" : ", ") + m.strEncoding;
    return kReportTitle + m.varConfigFile + (how.empty() ? std::string() : " (" + how + ")");
}

std::string PrintedStationIdLine(const RecordingModel& m) { return "Station ID:\t\t\t" + m.varDeviceId; }

}  // namespace sevrana
