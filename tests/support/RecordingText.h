#pragma once
// Builds the text of small recordings for tests: a configuration whose lines
// can be replaced one by one, and data lines to match.

#include <string>
#include <vector>

namespace sevrana::testing {

struct RecordingText {
    std::string header = "Kallio,REL-1,1991";
    std::string counts = "3,2A,1D";
    std::vector<std::string> analog = {"1,IA,A,,A,2,-1,0,-32767,32767", "2,UA,A,,kV,0.5,0,0,-1000,2000"};
    std::vector<std::string> digital = {"3,TRIP,0"};
    std::string frequency = "50";
    std::string rateCount = "1";
    std::string rate = "1000,10";
    std::string start = "01/01/00,00:00:00.000000";
    std::string trigger = "01/01/00,00:00:00.005000";
    std::string type = "ASCII";
    std::string eol = "\r\n";
    std::vector<std::string> data;  // without line ends

    RecordingText()
    {
        for (int n = 1; n <= 10; ++n)
            data.push_back(std::to_string(n) + "," + std::to_string((n - 1) * 1000) + "," + std::to_string(n * 10) +
                           "," + std::to_string(-n) + "," + (n > 5 ? "1" : "0"));
    }

    /// Configuration lines in file order, nothing omitted.
    std::vector<std::string> ConfigLines() const
    {
        std::vector<std::string> lines{header, counts};
        lines.insert(lines.end(), analog.begin(), analog.end());
        lines.insert(lines.end(), digital.begin(), digital.end());
        for (const auto* l : {&frequency, &rateCount, &rate, &start, &trigger, &type}) lines.push_back(*l);
        return lines;
    }

    static std::string Join(const std::vector<std::string>& lines, const std::string& eol, std::size_t keep)
    {
        std::string text;
        for (std::size_t i = 0; i < lines.size() && i < keep; ++i) text += lines[i] + eol;
        return text;
    }

    /// The configuration, cut after its first keep lines when keep is given.
    std::string Config(std::size_t keep = SIZE_MAX) const { return Join(ConfigLines(), eol, keep); }
    std::string Data(std::size_t keep = SIZE_MAX) const { return Join(data, eol, keep); }
};

/// The loader's message for a bad line of a file.
inline std::string LineError(long line, const std::string& path)
{
    return "Error at line #" + std::to_string(line) + " in '" + path + "'.";
}

}  // namespace sevrana::testing
