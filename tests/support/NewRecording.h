#pragma once
// Writes recordings of the 1999 and 2013 revisions (separate files or one combined
// file) from known values, in every data type, for the converter's tests.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "TempDir.h"

namespace sevrana::testing {

struct NewRecording {
    struct Analog {
        std::string id, phase, circuit, unit;
        std::string a, b;  // as written
        std::string primary = "1", secondary = "1", ps = "P";
    };

    int revision = 2013;
    std::string type = "ASCII";  // ASCII, BINARY, BINARY32 or FLOAT32
    bool combined = false;
    std::string station = "Kallio", device = "REL-670";
    std::vector<Analog> analog = {{"IA", "A", "Feeder 1", "A", "0.5", "-2"}, {"UB", "B", "", "kV", "0.25", "1.5"}};
    std::vector<std::string> digital = {"TRIP", "CB OPEN", "AR"};
    std::vector<std::pair<std::string, long>> rates = {{"1000", 8}};  // rate text, last sample
    std::string start = "15/03/2021,10:20:30.123456";
    std::string trigger = "15/03/2021,10:20:30.126456";
    std::string timeMultiplier = "1";
    std::vector<std::string> extraLines = {"+1h30,+0", "0,0"};  // 2013: time codes, time quality
    std::vector<double> stamps;                                 // per sample, in the file's unit; NaN: none
    std::vector<std::vector<double>> values;                    // [sample][channel] raw; NaN: missing
    std::vector<std::vector<int>> states;                       // [sample][channel]
    std::string info;                                           // record information; empty: no information file
    std::string header;                                         // empty: no header file
    std::string eol = "\r\n";
    std::string dataEnd;  // bytes after the data (an end-of-file byte, say)

    /// Values that fit every type: whole quarters, within 16 bits, and states in a pattern.
    NewRecording() { Fill(8); }

    void Fill(long samples)
    {
        values.assign(samples, std::vector<double>(analog.size()));
        states.assign(samples, std::vector<int>(digital.size()));
        stamps.assign(samples, 0);
        rates = {{"1000", samples}};
        for (long n = 0; n < samples; ++n) {
            stamps[n] = static_cast<double>(n * 1000);
            for (std::size_t i = 0; i < analog.size(); ++i)
                values[n][i] = static_cast<double>((n * 7919 + static_cast<long>(i) * 104729) % 60001 - 30000);
            for (std::size_t i = 0; i < digital.size(); ++i) states[n][i] = ((n >> i) & 1) != 0;
        }
    }

    std::string Config() const
    {
        std::string t = station + "," + device + "," + std::to_string(revision) + eol;
        t += std::to_string(analog.size() + digital.size()) + "," + std::to_string(analog.size()) + "A," +
             std::to_string(digital.size()) + "D" + eol;
        for (std::size_t i = 0; i < analog.size(); ++i) {
            const Analog& c = analog[i];
            t += std::to_string(i + 1) + "," + c.id + "," + c.phase + "," + c.circuit + "," + c.unit + "," + c.a + "," +
                 c.b + ",0,-32767,32767," + c.primary + "," + c.secondary + "," + c.ps + eol;
        }
        for (std::size_t i = 0; i < digital.size(); ++i)
            t += std::to_string(i + 1) + "," + digital[i] + ",,," + std::to_string(i % 2) + eol;
        t += "50" + eol + std::to_string(rates.size()) + eol;
        for (const auto& [rate, last] : rates) t += rate + "," + std::to_string(last) + eol;
        t += start + eol + trigger + eol + type + eol + timeMultiplier + eol;
        if (revision >= 2013)
            for (const std::string& line : extraLines) t += line + eol;
        return t;
    }

    static std::string Number(double v)
    {
        if (std::isnan(v)) return "";
        char text[32];
        std::snprintf(text, sizeof text, "%.17g", v);
        return text;
    }

    std::string Data() const
    {
        std::string d;
        for (std::size_t n = 0; n < values.size(); ++n) {
            if (type == "ASCII") {
                d += std::to_string(n + 1) + "," + Number(stamps[n]);
                for (const double v : values[n]) d += "," + Number(v);
                for (const int s : states[n]) d += "," + std::to_string(s);
                d += eol;
                continue;
            }
            Put<std::uint32_t>(d, static_cast<std::uint32_t>(n + 1));
            Put<std::uint32_t>(d, std::isnan(stamps[n]) ? 0xFFFFFFFFu : static_cast<std::uint32_t>(stamps[n]));
            for (const double v : values[n]) {
                if (type == "BINARY") Put<std::int16_t>(d, std::isnan(v) ? INT16_MIN : static_cast<std::int16_t>(v));
                if (type == "BINARY32") Put<std::int32_t>(d, std::isnan(v) ? INT32_MIN : static_cast<std::int32_t>(v));
                if (type == "FLOAT32") Put<float>(d, static_cast<float>(v));
            }
            for (std::size_t w = 0; w < (states[n].size() + 15) / 16; ++w) {
                std::uint16_t word = 0;
                for (std::size_t i = w * 16; i < states[n].size() && i < w * 16 + 16; ++i)
                    word |= static_cast<std::uint16_t>((states[n][i] & 1) << (i % 16));
                Put<std::uint16_t>(d, word);
            }
        }
        return d + dataEnd;
    }

    std::string Info() const { return "[Public Record_Information]" + eol + "Record_Information=" + info + eol; }

    std::string Combined() const
    {
        std::string t = "--- file type: CFG ---" + eol + Config();
        if (!info.empty()) t += "--- file type: INF ---" + eol + Info();
        if (!header.empty()) t += "--- file type: HDR ---" + eol + header + eol;
        const std::string data = Data();
        t += "--- file type: DAT " + type + (type == "ASCII" ? "" : ": " + std::to_string(data.size())) + " ---" + eol;
        return t + data;
    }

    /// Writes the recording as name.cfg (and name.dat, name.inf, name.hdr) or name.cff; returns the path to convert.
    std::string Write(const TempDir& dir, const std::string& name) const
    {
        if (combined) return dir.Write(name + ".cff", Combined());
        if (!info.empty()) dir.Write(name + ".inf", Info());
        if (!header.empty()) dir.Write(name + ".hdr", header);
        dir.Write(name + ".dat", Data());
        return dir.Write(name + ".cfg", Config());
    }

private:
    template <class T>
    static void Put(std::string& to, T value)
    {
        char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        to.append(bytes, sizeof(T));
    }
};

}  // namespace sevrana::testing
