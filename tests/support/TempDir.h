#pragma once
// A scratch folder for one test, removed with everything in it afterwards.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace sevrana::testing {

class TempDir {
public:
    TempDir()
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("sevrana-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// Full path of a name inside the folder.
    std::string operator/(std::string_view name) const { return (path_ / std::string(name)).string(); }
    std::string Path() const { return path_.string(); }

    /// Writes bytes exactly as given; returns the full path.
    std::string Write(std::string_view name, std::string_view bytes) const
    {
        const std::string full = *this / name;
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return full;
    }

private:
    std::filesystem::path path_;
};

}  // namespace sevrana::testing
