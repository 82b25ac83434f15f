#include "RecordingFiles.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "TextUtils.h"

namespace sevrana {

namespace fs = std::filesystem;

namespace {

/// Splits a path into its folder part (with the trailing "/") and the file name.
std::pair<std::string, std::string> SplitFolder(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

/// A file in the folder whose name equals name without regard to letter case;
/// the exact name wins. Empty when there is none or the folder does not exist.
/// Throws when an existing folder cannot be listed.
std::string FindIgnoringCase(const std::string& folder, const std::string& name)
{
    const fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
    std::error_code ec;
    if (fs::exists(dir / name, ec)) return folder + name;
    if (!fs::is_directory(dir, ec)) return std::string();
    fs::directory_iterator it(dir, ec);
    if (ec) throw std::runtime_error("cannot list folder");
    std::string found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (EqualsIgnoreCase(entry, name) && (found.empty() || entry < found)) found = entry;
    }
    if (ec) throw std::runtime_error("cannot list folder");
    return found.empty() ? std::string() : folder + found;
}

}  // namespace

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(fs::path(path), ec);
}

std::string DataFileNameFor(const std::string& configPath)
{
    auto [folder, name] = SplitFolder(configPath);
    const auto dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    return folder + name + ".dat";
}

std::string ResolveDataFile(const std::string& configPath)
{
    const std::string derived = DataFileNameFor(configPath);
    if (FileExists(derived)) return derived;
    const auto [folder, name] = SplitFolder(derived);
    try {
        const std::string found = FindIgnoringCase(folder, name);
        if (!found.empty() && FileExists(found)) return found;
    } catch (const std::exception&) {
        // An unlistable folder simply has no other spelling to offer.
    }
    return derived;
}

std::string FindInfoFile(const std::string& configPath)
{
    const std::string base = configPath.size() >= 3 ? configPath.substr(0, configPath.size() - 3) : std::string();
    const auto [folder, name] = SplitFolder(base + "INF");
    const std::string found = FindIgnoringCase(folder, name);
    if (found.empty()) return found;
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(found), ec)) throw std::runtime_error("not a file");
    std::ifstream probe(found, std::ios::binary);
    if (!probe) throw std::runtime_error("cannot read");
    return found;
}

}  // namespace sevrana
