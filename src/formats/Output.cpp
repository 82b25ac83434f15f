#include "Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "SourceConfig.h"

namespace sevrana::formats {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

std::string Reason() { return std::strerror(errno); }

}  // namespace

OutputFile::~OutputFile()
{
    if (fd_ >= 0) ::close(fd_);
}

void OutputFile::Flush(std::size_t room)
{
    std::size_t done = 0;
    while (done < used_) {
        const ssize_t put = ::write(fd_, buffer_.data() + done, used_ - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) throw ConvertError("'" + final_ + "': cannot be written: " + (put < 0 ? Reason() : "disk full"));
        done += static_cast<std::size_t>(put);
    }
    used_ = 0;
    if (buffer_.size() < std::max(room, kBufferBytes)) buffer_.resize(std::max(room, kBufferBytes));
}

void OutputFile::Write(const char* data, std::size_t count)
{
    if (count == 0) return;  // an empty text may have no bytes to point at
    // Copying a large block into the buffer would only delay its write.
    if (count < buffer_.size() - used_ && count < kBufferBytes / 8) {
        std::memcpy(buffer_.data() + used_, data, count);
        used_ += count;
        return;
    }
    Flush();
    while (count > 0) {
        const ssize_t put = ::write(fd_, data, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) throw ConvertError("'" + final_ + "': cannot be written: " + (put < 0 ? Reason() : "disk full"));
        data += put;
        count -= static_cast<std::size_t>(put);
    }
}

OutputSet::OutputSet(std::string configPath)
{
    const std::filesystem::path path(configPath);
    folder_ = path.has_parent_path() ? path.parent_path().string() : ".";
}

OutputSet::~OutputSet()
{
    if (!committed_) Discard();
}

OutputFile& OutputSet::Create(const std::string& finalPath)
{
    auto file = std::make_unique<OutputFile>();
    file->final_ = finalPath;
    // A file without a name goes with the process however it ends (killed, interrupted): it gets
    // its name (through /proc) only when complete. Where that cannot be, a hidden name from the start.
    file->fd_ =
        ::access("/proc/self/fd", X_OK) == 0 ? ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644) : -1;
    if (file->fd_ < 0) {
        std::string name = TemporaryName(finalPath);
        file->fd_ = ::mkstemp(name.data());
        if (file->fd_ < 0) throw ConvertError("'" + finalPath + "': cannot be written: " + Reason());
        file->temporary_ = name;
    }
    ::fchmod(file->fd_, 0644);
    file->buffer_.resize(kBufferBytes);
    files_.push_back(std::move(file));
    return *files_.back();
}

void OutputSet::Commit()
{
    for (auto& file : files_) {
        file->Flush();
        if (file->temporary_.empty()) Name(*file);
        const int fd = file->fd_;
        file->fd_ = -1;
        if (::close(fd) != 0) throw ConvertError("'" + file->final_ + "': cannot be written: " + Reason());
    }
    // The configuration was created first and is renamed last: a reader never sees it without its data.
    const auto rename = [this](OutputFile& file) {
        if (std::rename(file.temporary_.c_str(), file.final_.c_str()) != 0)
            throw ConvertError("'" + file.final_ + "': cannot be written: " + Reason());
        renamed_.push_back(file.final_);
        file.temporary_.clear();
    };
    for (std::size_t i = 1; i < files_.size(); ++i) rename(*files_[i]);
    if (!files_.empty()) rename(*files_.front());
    for (const std::string& path : stale_) ::unlink(path.c_str());
    committed_ = true;
}

std::string OutputSet::TemporaryName(const std::string& finalPath) const
{
    return folder_ + "/." + std::filesystem::path(finalPath).filename().string() + ".XXXXXX";
}

void OutputSet::Name(OutputFile& file)
{
    const std::string self = "/proc/self/fd/" + std::to_string(file.fd_);
    for (int attempt = 0;; ++attempt) {
        // A free name, taken and given back at once: the link below fails rather than replace a file.
        std::string name = TemporaryName(file.final_);
        const int reserved = ::mkstemp(name.data());
        if (reserved < 0) throw ConvertError("'" + file.final_ + "': cannot be written: " + Reason());
        ::close(reserved);
        ::unlink(name.c_str());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            file.temporary_ = name;
            return;
        }
        if (errno != EEXIST || attempt == 8)
            throw ConvertError("'" + file.final_ + "': cannot be written: " + Reason());
    }
}

void OutputSet::Discard()
{
    for (auto& file : files_) {
        if (file->fd_ >= 0) ::close(file->fd_);
        file->fd_ = -1;
        if (!file->temporary_.empty()) ::unlink(file->temporary_.c_str());
    }
    for (const std::string& path : renamed_) ::unlink(path.c_str());
}

}  // namespace sevrana::formats
