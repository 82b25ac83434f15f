// The reader against the converter and the 1991 loader: a recording read straight into the
// model must give the model the loader fills from the converter's copy, but for the gaps.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "Convert.h"
#include "Loader.h"
#include "NewRecording.h"
#include "Reader.h"
#include "RecordingFiles.h"
#include "SameModel.h"
#include "TempDir.h"

namespace sevrana::formats {
namespace {

using testing::ModelDifference;
using testing::NewRecording;
using testing::TempDir;

struct Quiet : LoadObserver {
    std::vector<std::string> messages;
    void SetCaption(const std::string&) override {}
    void ShowMessage(const std::string& m) override { messages.push_back(m); }
};

class ReaderTest : public ::testing::Test {
protected:
    ReadResult Read(const std::string& input, std::optional<double> rate = {}, Quantity quantity = Quantity::AsRecorded,
                    const Progress& progress = {})
    {
        ReadOptions options;
        options.input = input;
        options.rate = rate;
        options.quantity = quantity;
        model = {};
        return ReadRecording(options, model, progress);
    }

    /// The converter's copy loaded by the 1991 loader; its error when either refuses.
    std::string ConvertAndLoad(const std::string& input, std::optional<double> rate = {},
                               Quantity quantity = Quantity::AsRecorded)
    {
        ConvertOptions options;
        options.input = input;
        options.output = dir / "out/OUT.cfg";
        options.rate = rate;
        options.quantity = quantity;
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directories(dir / "out");
        const ConvertResult converted = ConvertRecording(options);
        if (!converted.ok) return converted.error;
        loaded = {};
        loaded.varConfigFile = options.output;
        loaded.strDataFile = ResolveDataFile(options.output);
        LineReader cfg(loaded.varConfigFile);
        LineReader dat(loaded.strDataFile);
        Quiet quiet;
        if (LoadRecording(loaded, cfg, dat, quiet) != LoadOutcome::Loaded)
            return "loader: " + (quiet.messages.empty() ? std::string("refused") : quiet.messages.front());
        return {};
    }

    /// Reads r both ways and expects the same model.
    void ExpectSameAsLoaded(const NewRecording& r, std::optional<double> rate = {},
                            Quantity quantity = Quantity::AsRecorded)
    {
        const std::string input = r.Write(dir, "IN");
        ASSERT_EQ(ConvertAndLoad(input, rate, quantity), "");
        const ReadResult result = Read(input, rate, quantity);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.samples, loaded.lngLastSample);
        EXPECT_EQ(ModelDifference(model, loaded, r.type == "FLOAT32"), "");
    }

    TempDir dir;
    RecordingModel model, loaded;
};

TEST_F(ReaderTest, EveryTypeAndLayoutReadsAsTheLoaderLoadsTheCopy)
{
    for (const int revision : {1999, 2013}) {
        for (const char* type : {"ASCII", "BINARY", "BINARY32", "FLOAT32"}) {
            for (const bool combined : {false, true}) {
                SCOPED_TRACE(std::to_string(revision) + " " + type + (combined ? " combined" : ""));
                NewRecording r;
                r.revision = revision;
                r.type = type;
                r.combined = combined && revision == 2013;
                r.info = "Trip on Z1";
                r.Fill(300);
                if (r.type == "ASCII" || r.type == "FLOAT32")
                    for (std::size_t n = 0; n < r.values.size(); ++n)
                        r.values[n][0] += 0.1 * static_cast<double>(n % 7);
                ExpectSameAsLoaded(r);
                EXPECT_EQ(std::tuple(model.strReadAs, model.varConfigFile, model.strRecordInfo),
                          std::tuple("IEEE C37.111-" + std::to_string(revision) + " " + type,
                                     dir / (r.combined ? "IN.cff" : "IN.cfg"), "Trip on Z1"));
                EXPECT_EQ(model.strDataFile, dir / (r.combined ? "IN.cff" : "IN.dat"));
            }
        }
    }
}

}  // namespace
}  // namespace sevrana::formats
