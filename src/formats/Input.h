#pragma once
// Reading the source files in blocks: a file read at given offsets, and a window
// that slides over a range of it, so that no file is ever held whole in memory.

#include <cstdint>
#include <string>
#include <vector>

namespace sevrana::formats {

class InputFile {
public:
    /// Opens the file for reading; throws ConvertError naming it when it cannot.
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Path() const { return path_; }
    std::uint64_t Size() const { return size_; }
    /// Up to count bytes at offset; fewer only at the end of the file. Throws ConvertError on a read error.
    std::size_t ReadAt(std::uint64_t offset, char* out, std::size_t count) const;

private:
    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

/// Bytes [begin, end) of a file, read forward one block at a time.
class InputWindow {
public:
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

    InputWindow(const InputFile& file, std::uint64_t begin, std::uint64_t end);

    /// Makes at least count bytes available (fewer at the end of the range); returns how many there are.
    std::size_t Need(std::size_t count);
    /// Up to count bytes into out (fewer at the end of the range), consumed: those not in the buffer
    /// are read straight into out. Returns how many.
    std::size_t Take(char* out, std::size_t count);
    const char* Data() const { return buffer_.data() + head_; }
    std::size_t Available() const { return tail_ - head_; }
    void Consume(std::size_t count) { head_ += count; }
    /// File offset of Data()[0].
    std::uint64_t Offset() const { return next_ - Available(); }
    std::uint64_t Consumed() const { return Offset() - begin_; }
    bool AtEnd() const { return head_ == tail_ && next_ >= end_; }
    /// Every byte of the range is in the buffer (or consumed).
    bool Exhausted() const { return next_ >= end_; }
    std::uint64_t Begin() const { return begin_; }
    std::uint64_t End() const { return end_; }

private:
    const InputFile& file_;
    std::uint64_t begin_, end_;
    std::uint64_t next_;  // file offset of the first byte not yet read
    std::vector<char> buffer_;
    std::size_t head_ = 0, tail_ = 0;
};

}  // namespace sevrana::formats
