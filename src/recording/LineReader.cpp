#include "LineReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sevrana {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

}  // namespace

const char* FindLineEnd(const char* p, const char* end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p != '\r' && *p != '\n') ++p;
    return p;
}

LineReader::LineReader(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        Close();
        return;
    }
    size_ = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    buffer_.resize(kChunkBytes);
    begin_ = end_ = buffer_.data();
}

LineReader LineReader::FromMemory(std::string_view bytes)
{
    LineReader r;
    r.memory_ = true;
    r.eof_ = true;
    r.size_ = bytes.size();
    r.begin_ = bytes.data();
    r.end_ = bytes.data() + bytes.size();
    r.memoryBegin_ = bytes.data();
    return r;
}

LineReader::~LineReader() { Close(); }

LineReader::LineReader(LineReader&& other) noexcept { *this = std::move(other); }

LineReader& LineReader::operator=(LineReader&& other) noexcept
{
    if (this == &other) return *this;
    Close();
    fd_ = std::exchange(other.fd_, -1);
    memory_ = std::exchange(other.memory_, false);
    eof_ = other.eof_;
    failed_ = other.failed_;
    atStart_ = other.atStart_;
    skipLf_ = other.skipLf_;
    size_ = other.size_;
    memoryBegin_ = std::exchange(other.memoryBegin_, nullptr);
    // The unread range points into the moved buffer; keep its offsets.
    const bool ownBuffer = !memory_ && !other.buffer_.empty();
    const std::ptrdiff_t b = ownBuffer ? other.begin_ - other.buffer_.data() : 0;
    const std::ptrdiff_t e = ownBuffer ? other.end_ - other.buffer_.data() : 0;
    buffer_ = std::move(other.buffer_);
    if (ownBuffer) {
        begin_ = buffer_.data() + b;
        end_ = buffer_.data() + e;
    } else {
        begin_ = other.begin_;
        end_ = other.end_;
    }
    other.begin_ = other.end_ = nullptr;
    other.eof_ = true;
    return *this;
}

bool LineReader::TextStart(std::uint64_t& offset)
{
    if (!atStart_ || failed_ || !IsOpen() || (!memory_ && begin_ != end_)) return false;
    char head[3];
    offset = size_ >= 3 && ReadAt(0, head, 3) && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    return true;
}

bool LineReader::ReadAt(std::uint64_t offset, char* out, std::size_t count) const
{
    if (offset > size_ || count > size_ - offset) return false;
    if (count == 0) return true;  // an empty part of the input: out may be null
    if (memory_) {
        std::memcpy(out, memoryBegin_ + offset, count);
        return true;
    }
    while (count > 0) {
        const ssize_t got = ::pread(fd_, out, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        offset += static_cast<std::uint64_t>(got);
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

void LineReader::Close()
{
    memoryBegin_ = nullptr;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    memory_ = false;
    eof_ = true;
    begin_ = end_ = nullptr;
    std::vector<char>().swap(buffer_);
}

bool LineReader::Refill()
{
    if (eof_ || fd_ < 0) return false;
    const std::size_t pending = static_cast<std::size_t>(end_ - begin_);
    if (pending > 0 && begin_ != buffer_.data()) std::memmove(buffer_.data(), begin_, pending);
    if (pending == buffer_.size()) {
        // One line fills the whole buffer: grow, but not without limit.
        if (buffer_.size() >= kMaxLineBytes) {
            failed_ = true;
            return false;
        }
        buffer_.resize(buffer_.size() * 2);
    }
    begin_ = buffer_.data();
    end_ = begin_ + pending;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data() + pending, buffer_.size() - pending);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            failed_ = true;
            eof_ = true;
            return false;
        }
        if (got == 0) {
            eof_ = true;
            return false;
        }
        end_ += got;
        return true;
    }
}

std::string_view LineReader::Peek(std::size_t limit)
{
    if (!memory_ && fd_ >= 0 && !failed_) {
        std::size_t pending = static_cast<std::size_t>(end_ - begin_);
        if (pending < limit && !eof_) {
            if (begin_ != buffer_.data()) std::memmove(buffer_.data(), begin_, pending);
            if (buffer_.size() < limit) buffer_.resize(limit);
            begin_ = buffer_.data();
            end_ = begin_ + pending;
            while (pending < limit) {
                const ssize_t got = ::read(fd_, buffer_.data() + pending, buffer_.size() - pending);
                if (got < 0 && errno == EINTR) continue;
                if (got <= 0) {
                    failed_ = got < 0;
                    eof_ = true;
                    break;
                }
                pending += static_cast<std::size_t>(got);
                end_ += got;
            }
        }
    }
    const std::size_t available = static_cast<std::size_t>(end_ - begin_);
    return std::string_view(begin_, available < limit ? available : limit);
}

bool LineReader::ReadLine(std::string_view& line)
{
    if (failed_ || (!memory_ && fd_ < 0)) return false;
    for (;;) {
        if (atStart_) {
            // Need three bytes (or the end of the input) to know whether a byte-order mark is there.
            if (end_ - begin_ < 3 && !eof_) {
                Refill();
                if (failed_) return false;
                continue;
            }
            atStart_ = false;
            if (end_ - begin_ >= 3 && std::memcmp(begin_, "\xEF\xBB\xBF", 3) == 0) begin_ += 3;
        }
        if (skipLf_ && begin_ < end_) {
            skipLf_ = false;
            if (*begin_ == '\n') ++begin_;
        }
        if (skipLf_ && begin_ == end_ && !eof_) {
            Refill();
            if (failed_) return false;
            continue;
        }
        const char* stop = FindLineEnd(begin_, end_);
        if (stop < end_) {
            line = std::string_view(begin_, static_cast<std::size_t>(stop - begin_));
            skipLf_ = (*stop == '\r');
            begin_ = stop + 1;
            return true;
        }
        if (eof_) {
            if (begin_ == end_) return false;
            line = std::string_view(begin_, static_cast<std::size_t>(end_ - begin_));
            begin_ = end_;
            return true;
        }
        Refill();
        if (failed_) return false;
    }
}

}  // namespace sevrana
