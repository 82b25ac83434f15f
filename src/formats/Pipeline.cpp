#include "Pipeline.h"

namespace sevrana::formats {

PiecePipeline::PiecePipeline(Step decode, Step format)
    : decode_(std::move(decode)),
      format_(std::move(format)),
      slots_(kSlots),
      states_(kSlots, State::Free),
      placed_(kSlots, false),
      sequence_(kSlots, 0)
{
    for (int i = 0; i < kThreads; ++i) threads_.emplace_back([this] { Work(); });
}

PiecePipeline::~PiecePipeline()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void PiecePipeline::Place()
{
    while (placedUpTo_ < read_) {
        const std::size_t i = placedUpTo_ % kSlots;
        if (states_[i] != State::Decoded && states_[i] != State::Formatted) break;
        if (!placed_[i]) {
            slots_[i].before = before_;
            placed_[i] = true;
        }
        before_ += static_cast<std::int64_t>(slots_[i].decoded.block.count);
        ++placedUpTo_;
    }
}

void PiecePipeline::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        // The oldest slot read and not yet taken up.
        std::size_t found = kSlots;
        changed_.wait(lock, [&] {
            for (std::size_t i = 0; i < kSlots; ++i)
                if (states_[i] == State::Read && (found == kSlots || sequence_[i] < sequence_[found])) found = i;
            return stop_ || found != kSlots;
        });
        if (stop_) return;
        Slot& slot = slots_[found];
        states_[found] = State::Decoding;
        lock.unlock();
        try {
            decode_(slot);
        } catch (...) {
            slot.error = std::current_exception();
        }
        lock.lock();
        states_[found] = State::Decoded;
        Place();
        changed_.notify_all();
        if (format_) {
            changed_.wait(lock, [&] { return stop_ || placed_[found]; });
            if (stop_) return;
            lock.unlock();
            try {
                if (!slot.error) format_(slot);
            } catch (...) {
                slot.error = std::current_exception();
            }
            lock.lock();
        }
        states_[found] = State::Formatted;
        changed_.notify_all();
    }
}

void PiecePipeline::Run(const std::function<bool(Piece&)>& read, const std::function<bool(Slot&)>& take)
{
    std::uint64_t taken = 0;
    bool more = true;
    for (;;) {
        while (more && read_ - taken < kSlots) {
            const std::size_t i = read_ % kSlots;
            Slot& slot = slots_[i];  // free: no worker touches it
            slot.error = nullptr;
            slot.text.Clear();
            more = read(slot.piece);
            if (!more) break;
            const std::lock_guard lock(mutex_);
            states_[i] = State::Read;
            placed_[i] = false;
            sequence_[i] = read_++;
            changed_.notify_all();
        }
        if (taken == read_) return;
        const std::size_t i = taken % kSlots;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return states_[i] == State::Formatted; });
        }
        Slot& slot = slots_[i];
        if (slot.error) std::rethrow_exception(slot.error);
        const bool again = take(slot);
        {
            const std::lock_guard lock(mutex_);
            states_[i] = State::Free;
            ++taken;
        }
        if (!again) return;
    }
}

}  // namespace sevrana::formats
