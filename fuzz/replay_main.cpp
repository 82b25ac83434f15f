// Runs saved fuzz inputs once each, for builds without libFuzzer: every file
// named on the command line and every regular file in the folders named there.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool ReadFile(const fs::path& path, std::vector<char>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            for (const auto& entry : fs::directory_iterator(arg, ec))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else if (fs::is_regular_file(arg, ec)) {
            inputs.push_back(arg);
        } else if (!ec) {
            std::fprintf(stderr, "not a file or folder: %s\n", argv[i]);
            return 2;
        }
        if (ec) {
            std::fprintf(stderr, "cannot read %s: %s\n", argv[i], ec.message().c_str());
            return 2;
        }
    }
    // An empty run would pass without testing anything.
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs found\n");
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());  // stable order, so a failure log reads the same each time

    std::vector<char> bytes;
    for (const fs::path& input : inputs) {
        if (!ReadFile(input, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 2;
        }
        std::fprintf(stderr, "running %s (%zu bytes)\n", input.c_str(), bytes.size());
        // Copied into an exact-size block so that an overread by one byte is caught.
        std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(exact.data(), exact.size());
    }
    std::fprintf(stderr, "%zu inputs ran\n", inputs.size());
    return 0;
}
