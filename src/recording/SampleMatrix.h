#pragma once
// Sample storage: channel 1..C by sample column 1..N, one contiguous block with
// the channel index varying fastest, so one data line fills one run of memory.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace sevrana {

/// Zero-filled anonymous memory, mapped rather than allocated so that untouched
/// pages cost nothing and a large block goes back to the system at once.
class ZeroedBlock {
public:
    ZeroedBlock() = default;
    explicit ZeroedBlock(std::size_t bytes);  // throws std::bad_alloc
    ~ZeroedBlock();
    ZeroedBlock(ZeroedBlock&& other) noexcept { Swap(other); }
    ZeroedBlock& operator=(ZeroedBlock&& other) noexcept
    {
        ZeroedBlock gone(std::move(other));
        Swap(gone);
        return *this;
    }
    ZeroedBlock(const ZeroedBlock&) = delete;
    ZeroedBlock& operator=(const ZeroedBlock&) = delete;

    void* data() const { return ptr_; }
    std::size_t bytes() const { return bytes_; }

private:
    void Swap(ZeroedBlock& other) noexcept
    {
        std::swap(ptr_, other.ptr_);
        std::swap(bytes_, other.bytes_);
    }
    void* ptr_ = nullptr;
    std::size_t bytes_ = 0;
};

template <class T>
class SampleMatrix {
public:
    /// Discards the contents and creates channels 1..channels by columns 1..columns, all zero.
    void Redim(long channels, long columns)
    {
        if (channels < 0 || columns < 0) throw std::out_of_range("Subscript out of range");
        const auto c = static_cast<std::size_t>(channels);
        const auto n = static_cast<std::size_t>(columns);
        if (c != 0 && n > SIZE_MAX / sizeof(T) / c) throw std::bad_alloc();
        block_ = ZeroedBlock();  // free the old block before asking for the new one
        channels_ = 0;
        columns_ = 0;
        block_ = ZeroedBlock(c * n * sizeof(T));
        channels_ = channels;
        columns_ = columns;
    }

    T& operator()(long channel, long column) { return data()[Offset(channel, column)]; }
    const T& operator()(long channel, long column) const { return data()[Offset(channel, column)]; }

    /// Pointer to channel 1 of a sample column; the column's channels follow it.
    T* Column(long column) { return data() + Offset(1, column); }
    const T* Column(long column) const { return data() + Offset(1, column); }

    long Channels() const { return channels_; }
    long Columns() const { return columns_; }
    bool empty() const { return channels_ == 0 || columns_ == 0; }
    T* data() { return static_cast<T*>(block_.data()); }
    const T* data() const { return static_cast<const T*>(block_.data()); }
    std::size_t bytes() const { return block_.bytes(); }

private:
    std::size_t Offset(long channel, long column) const
    {
        if (channel < 1 || channel > channels_ || column < 1 || column > columns_)
            throw std::out_of_range("Subscript out of range");
        return static_cast<std::size_t>(column - 1) * static_cast<std::size_t>(channels_) +
               static_cast<std::size_t>(channel - 1);
    }

    ZeroedBlock block_;
    long channels_ = 0;
    long columns_ = 0;
};

}  // namespace sevrana
