#pragma once
// Pieces of the data decoded and formatted on two threads while the caller reads
// them and takes them back in their order: the text of a piece needs only the
// number of samples before it, which is known as soon as those pieces are decoded.

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "DataDecoder.h"
#include "SampleWriter.h"

namespace sevrana::formats {

class PiecePipeline {
public:
    struct Slot {
        Piece piece;
        DecodedPiece decoded;
        TextBuffer text;
        std::vector<double> figures;  // what the format step sums up about the piece, for take
        std::int64_t before = 0;      // samples in the pieces before this one
        std::exception_ptr error;
    };
    using Step = std::function<void(Slot&)>;

    /// decode runs first on each slot, then format (when given) once the slot knows its place.
    PiecePipeline(Step decode, Step format);
    ~PiecePipeline();
    PiecePipeline(const PiecePipeline&) = delete;
    PiecePipeline& operator=(const PiecePipeline&) = delete;

    /// Fills slots with read (false at the end of the data) and hands each, decoded and formatted,
    /// to take in the order read; take returns false when it needs no more. Rethrows a step's error.
    void Run(const std::function<bool(Piece&)>& read, const std::function<bool(Slot&)>& take);

private:
    enum class State { Free, Read, Decoding, Decoded, Formatted };
    static constexpr std::size_t kSlots = 4;
    static constexpr int kThreads = 2;

    void Work();
    void Place();  // gives each decoded slot whose predecessors are all decoded its place

    Step decode_, format_;
    std::vector<Slot> slots_;
    std::vector<State> states_;
    std::vector<bool> placed_;
    std::vector<std::uint64_t> sequence_;
    std::uint64_t read_ = 0, placedUpTo_ = 0;
    std::int64_t before_ = 0;
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> threads_;
};

}  // namespace sevrana::formats
