#pragma once
// Writing the converted recording: every file under a temporary name in the
// output folder, renamed into place only when all of them are complete.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sevrana::formats {

/// One output file, written through a large buffer.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Space for at least count more bytes; write them there and then Commit(count).
    char* Reserve(std::size_t count)
    {
        if (buffer_.size() - used_ < count) Flush(count);
        return buffer_.data() + used_;
    }
    void Commit(std::size_t count) { used_ += count; }
    void Append(std::string_view text)
    {
        char* to = Reserve(text.size());
        std::copy(text.begin(), text.end(), to);
        Commit(text.size());
    }
    /// Bytes written straight through (after what is buffered): for large blocks of text.
    void Write(const char* data, std::size_t count);
    /// Writes what is buffered; throws ConvertError when the disk refuses it.
    void Flush(std::size_t room = 0);

private:
    friend class OutputSet;
    int fd_ = -1;
    std::string temporary_, final_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

/// The files of one converted recording. Nothing of them remains unless Commit succeeds.
class OutputSet {
public:
    explicit OutputSet(std::string configPath);
    ~OutputSet();
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;

    /// Creates the file that will be named finalPath; throws ConvertError when it cannot.
    OutputFile& Create(const std::string& finalPath);
    /// Flushes and closes every file and renames each to its final name (the configuration last).
    void Commit();
    /// A file of an earlier output that Commit removes, as this output has none.
    void RemoveOnCommit(std::string path) { stale_.push_back(std::move(path)); }

private:
    std::string TemporaryName(const std::string& finalPath) const;
    /// Links a file created without a name under a hidden temporary one.
    void Name(OutputFile& file);
    void Discard();

    std::string folder_;
    std::vector<std::unique_ptr<OutputFile>> files_;
    std::vector<std::string> renamed_;
    std::vector<std::string> stale_;
    bool committed_ = false;
};

}  // namespace sevrana::formats
