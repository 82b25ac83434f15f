// Reading a source recording's configuration and finding its parts: what real
// recorders write that the layouts do not quite allow.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "Source.h"
#include "SourceConfig.h"

namespace sevrana::formats {
namespace {

using Lines = std::vector<std::string>;

/// A 1991 configuration of one analog channel and the given digital lines.
Lines Config(const Lines& digital, const std::string& start = "10/12/15,10:20:30.123456")
{
    Lines lines = {"Station,Device,1991",
                   std::to_string(1 + digital.size()) + ",1A," + std::to_string(digital.size()) + "D",
                   "1,IA,A,,A,0.5,0,0,-1,1"};
    lines.insert(lines.end(), digital.begin(), digital.end());
    lines.insert(lines.end(), {"50", "1", "1000,8", start, start, "ASCII"});
    return lines;
}

TEST(SourceConfig, DigitalLinesOfFourFieldsAreReadWithOneWarning)
{
    // A Russian recorder leaves out the phase of some lines, before or after the normal state.
    const SourceConfig cfg =
        ParseConfig(Config({"1,TRIP,,,1", "2,Резерв1,0,Резервные", "3,Резерв2,Резервные,1", "4,AR,0"}), "R.cfg");
    ASSERT_EQ(cfg.digital.size(), 4u);
    const auto fields = [](const DigitalChannel& c) { return std::tuple(c.id, c.phase, c.circuit, c.normal); };
    EXPECT_EQ(fields(cfg.digital[0]), std::tuple("TRIP", "", "", "1"));
    EXPECT_EQ(fields(cfg.digital[1]), std::tuple("Резерв1", "", "Резервные", "0"));
    EXPECT_EQ(fields(cfg.digital[2]), std::tuple("Резерв2", "", "Резервные", "1"));
    EXPECT_EQ(fields(cfg.digital[3]), std::tuple("AR", "", "", "0"));
    EXPECT_EQ(cfg.warnings, Lines{"'R.cfg' line 5: a digital channel line of 4 fields, not 5 (3 in the 1991 layout), "
                                  "and 1 more: the field that is 0 or 1 is read as the normal state, the other as the "
                                  "circuit"});

    // Both fields states: the last is the normal state, as in a whole line.
    EXPECT_EQ(ParseConfig(Config({"1,T,1,0"}), "R.cfg").digital[0].normal, "0");
    // Neither a state: refused, by the field where the normal state belongs.
    try {
        ParseConfig(Config({"1,T,,,0", "2,Резерв1,A,Резервные"}), "R.cfg");
        ADD_FAILURE() << "read";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'R.cfg' line 5: expected the normal state as 0 or 1, found 'Резервные'");
    }
}

}  // namespace
}  // namespace sevrana::formats
