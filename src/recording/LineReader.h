#pragma once
// Reads a text file (or bytes in memory) one line at a time. A line ends at CR,
// CR LF or a lone LF; the end is not part of the line. A UTF-8 byte-order mark at
// the very start is skipped. Lines are returned as views into a reused buffer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sevrana {

/// First CR or LF in [p, end), or end. Data lines are long enough that a
/// 16-byte compare pays for itself.
const char* FindLineEnd(const char* p, const char* end);

class LineReader {
public:
    /// An empty reader (no file): every read ends.
    LineReader() = default;
    /// Reads the file at path; IsOpen() tells whether it could be opened.
    explicit LineReader(const std::string& path);
    /// Reads the given bytes, which must outlive the reader.
    static LineReader FromMemory(std::string_view bytes);

    ~LineReader();
    LineReader(LineReader&& other) noexcept;
    LineReader& operator=(LineReader&& other) noexcept;
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool IsOpen() const { return fd_ >= 0 || memory_; }
    /// Size of the whole input in bytes (0 when not open).
    std::uint64_t SizeBytes() const { return size_; }

    /// Next line into line (valid until the next call). False at the end of the
    /// input, on a read error, or when a line is longer than the longest line
    /// accepted; ReadFailed() tells the last two apart from a plain end.
    bool ReadLine(std::string_view& line);
    bool ReadFailed() const { return failed_; }

    /// The next unread bytes, at most limit of them, kept for the lines read
    /// after it, so a file is read only once. Shorter at the end of the input or
    /// on a read error. A byte-order mark not yet skipped is part of it. Valid
    /// until the next call.
    std::string_view Peek(std::size_t limit);

    void Close();

    /// For a caller that splits the input itself, before the first line is read: where
    /// the text starts (after a byte-order mark) and bytes [offset, offset + count) of the
    /// input. False when the bytes cannot be had (then read it line by line).
    bool TextStart(std::uint64_t& offset);
    bool ReadAt(std::uint64_t offset, char* out, std::size_t count) const;

    /// Lines longer than this are refused rather than buffered without limit.
    static constexpr std::size_t kMaxLineBytes = std::size_t{64} << 20;

private:
    bool Refill();

    int fd_ = -1;
    bool memory_ = false;
    bool eof_ = false;
    bool failed_ = false;
    bool atStart_ = true;
    bool skipLf_ = false;  // the previous line ended with CR: a following LF belongs to it
    std::uint64_t size_ = 0;
    std::vector<char> buffer_;
    const char* begin_ = nullptr;  // unread bytes
    const char* end_ = nullptr;
    const char* memoryBegin_ = nullptr;  // all of the input of a reader over memory
};

}  // namespace sevrana
