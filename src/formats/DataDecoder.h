#pragma once
// The data in each type, read in pieces that decode on their own (whole lines,
// whole records), so that several pieces can be decoded at once. Positions in a
// piece are its own; the caller, who sees the pieces in order, makes them the file's.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Input.h"
#include "Source.h"
#include "SourceConfig.h"

namespace sevrana::formats {

/// Samples as read: raw analog values (a missing value is 0), digital states and time stamps.
struct SampleBlock {
    std::size_t count = 0;
    std::vector<double> analog;         // count * nA, one sample after the other
    std::vector<std::int16_t> digital;  // count * nD
    std::vector<double> stamp;          // count; in the file's time unit, NaN when not given

    void Reserve(std::size_t samples, std::size_t nA, std::size_t nD)
    {
        if (stamp.size() < samples) {
            analog.resize(samples * nA);
            digital.resize(samples * nD);
            stamp.resize(samples);
        }
        count = 0;
    }
};

/// Bytes of the data that decode on their own.
struct Piece {
    std::vector<char> bytes;
    std::size_t size = 0;      // bytes in use
    std::uint64_t offset = 0;  // file offset of bytes[0]
};

/// What one piece holds, up to the first fault in it.
struct DecodedPiece {
    SampleBlock block;
    std::vector<std::uint32_t> missingAt;       // the sample of each missing analog value, in order
    std::vector<std::uint32_t> missingChannel;  // and its channel (0-based)
    long lines = 0;                             // text: lines in the piece, counted up to the fault
    std::string fault;                          // what is wrong right after the samples decoded; empty when nothing is
    std::size_t partial = 0;                    // binary: bytes of the record that is cut short

    /// Missing analog values in the first samples of the piece.
    std::int64_t MissingIn(std::size_t samples) const
    {
        return std::lower_bound(missingAt.begin(), missingAt.end(), samples) - missingAt.begin();
    }
};

/// The layout of one sample in the data.
struct DataLayout {
    DataType type = DataType::Ascii;
    std::size_t nA = 0, nD = 0;
    std::size_t RecordBytes() const;
};

/// Cuts the data into pieces of about kPieceBytes: whole lines, or whole records (the last
/// piece may end with a record cut short). Reads no further than the samples announced need.
class PieceReader {
public:
    static constexpr std::size_t kPieceBytes = std::size_t{128} << 10;

    PieceReader(const InputFile& file, const SourceParts& parts, const DataLayout& layout, std::int64_t samples);
    /// The next piece; false at the end of the data.
    bool Next(Piece& piece);
    std::uint64_t Done() const { return window_.Consumed(); }
    std::uint64_t Total() const { return window_.End() - window_.Begin(); }
    std::uint64_t Offset() const { return window_.Offset(); }

private:
    DataLayout layout_;
    std::string path_;
    InputWindow window_;
};

/// Decodes every sample of a piece, stopping at the first fault.
void DecodePiece(const Piece& piece, const DataLayout& layout, DecodedPiece& out);

/// Decodes the first count records of a binary piece straight into analog (count * nA raw
/// values, a missing one 0) and digital (count * nD states), the stamps into out.block.
void DecodeRecordsInto(const Piece& piece, const DataLayout& layout, std::size_t count, double* analog,
                       std::int16_t* digital, DecodedPiece& out);

}  // namespace sevrana::formats
