#include "Input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "SourceConfig.h"

namespace sevrana::formats {

InputFile::InputFile(const std::string& path) : path_(path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string reason = fd_ < 0 ? std::strerror(errno) : "not a regular file";
        if (fd_ >= 0) ::close(fd_);
        throw ConvertError("'" + path + "': cannot be read: " + reason);
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

InputFile::~InputFile() { ::close(fd_); }

std::size_t InputFile::ReadAt(std::uint64_t offset, char* out, std::size_t count) const
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw ConvertError("'" + path_ + "': read error: " + std::strerror(errno));
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

InputWindow::InputWindow(const InputFile& file, std::uint64_t begin, std::uint64_t end)
    : file_(file), begin_(begin), end_(std::min(end, file.Size())), next_(begin)
{
    if (end_ < begin_) end_ = begin_;
}

std::size_t InputWindow::Take(char* out, std::size_t count)
{
    std::size_t done = std::min(count, Available());
    if (done > 0) std::memcpy(out, Data(), done);
    Consume(done);
    if (done < count && next_ < end_) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, end_ - next_));
        const std::size_t got = file_.ReadAt(next_, out + done, want);
        if (got < want) end_ = next_ + got;  // the file shrank under us: its end is the range's end
        next_ += got;
        done += got;
    }
    return done;
}

std::size_t InputWindow::Need(std::size_t count)
{
    if (Available() >= count || next_ >= end_) return Available();
    // Keep the unread bytes, move them to the front, and read whole blocks behind them.
    const std::size_t kept = Available();
    const std::size_t capacity = std::max(kBlockBytes, count) + kBlockBytes;
    if (head_ > 0 || buffer_.size() < capacity) {
        if (buffer_.size() < capacity) {
            std::vector<char> grown(capacity);
            if (kept > 0) std::memcpy(grown.data(), Data(), kept);
            buffer_.swap(grown);
        } else {
            if (kept > 0) std::memmove(buffer_.data(), Data(), kept);
        }
        head_ = 0;
        tail_ = kept;
    }
    while (tail_ < count && next_ < end_) {
        const std::size_t room = std::min<std::uint64_t>(buffer_.size() - tail_, end_ - next_);
        const std::size_t got = file_.ReadAt(next_, buffer_.data() + tail_, room);
        if (got == 0) {
            end_ = next_;  // the file shrank under us: its end is the range's end
            break;
        }
        tail_ += got;
        next_ += got;
    }
    return Available();
}

}  // namespace sevrana::formats
