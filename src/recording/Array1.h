#pragma once
// Arrays with a chosen lower bound (1 for channels and samples), checked on
// every access so that a stray index raises an error a handler can report
// instead of reading foreign memory.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace sevrana {

template <class T>
class Array1 {
public:
    Array1() = default;
    Array1(long lower, long upper) { Redim(lower, upper); }

    /// Discards the contents and creates lower..upper, every element default (0, false, empty).
    /// An upper bound below lower - 1 is an error, as it is for any array declaration.
    void Redim(long lower, long upper)
    {
        if (upper < lower - 1) throw std::out_of_range("Subscript out of range");
        std::vector<T> fresh(static_cast<std::size_t>(upper - lower + 1));
        data_.swap(fresh);
        lower_ = lower;
    }

    /// Like Redim, but keeps the storage already allocated (for arrays refilled often).
    void Reset(long lower, long upper)
    {
        if (upper < lower - 1) throw std::out_of_range("Subscript out of range");
        data_.assign(static_cast<std::size_t>(upper - lower + 1), T{});
        lower_ = lower;
    }

    /// Grows or shrinks to lower..upper, keeping the elements that remain.
    void RedimPreserve(long upper)
    {
        if (upper < lower_ - 1) throw std::out_of_range("Subscript out of range");
        data_.resize(static_cast<std::size_t>(upper - lower_ + 1));
    }

    T& operator()(long i) { return data_.at(Offset(i)); }
    const T& operator()(long i) const { return data_.at(Offset(i)); }

    long LBound() const { return lower_; }
    long UBound() const { return lower_ + static_cast<long>(data_.size()) - 1; }
    std::size_t size() const { return data_.size(); }
    bool empty() const { return data_.empty(); }

    T* data() { return data_.data(); }
    const T* data() const { return data_.data(); }

private:
    std::size_t Offset(long i) const
    {
        if (i < lower_) throw std::out_of_range("Subscript out of range");
        return static_cast<std::size_t>(i - lower_);
    }

    std::vector<T> data_;
    long lower_ = 1;
};

}  // namespace sevrana
