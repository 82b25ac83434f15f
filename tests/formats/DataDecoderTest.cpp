// Binary records decoded: the states of every digital word, whole or in part.

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "DataDecoder.h"

namespace sevrana::formats {
namespace {

TEST(DataDecoderTest, EveryStateBitIsItsChannel)
{
    std::mt19937 random(23);
    for (const std::size_t nD : {1u, 15u, 16u, 19u, 32u, 35u}) {
        const DataLayout layout{DataType::Binary, 2, nD};
        const std::size_t record = layout.RecordBytes(), samples = 300;
        Piece piece;
        piece.bytes.resize(record * samples);
        piece.size = piece.bytes.size();
        for (char& byte : piece.bytes) byte = static_cast<char>(random());
        DecodedPiece decoded;
        DecodePiece(piece, layout, decoded);
        ASSERT_EQ(decoded.block.count, samples);
        for (std::size_t s = 0; s < samples; ++s) {
            const auto* words = reinterpret_cast<const unsigned char*>(piece.bytes.data() + s * record + 12);
            for (std::size_t i = 0; i < nD; ++i)
                ASSERT_EQ(decoded.block.digital[s * nD + i], (words[i / 8] >> (i % 8)) & 1)
                    << nD << " channels, sample " << s << ", channel " << i;
        }
    }
}

}  // namespace
}  // namespace sevrana::formats
