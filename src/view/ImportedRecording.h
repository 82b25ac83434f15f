#pragma once
// A recording of the 1999 or 2013 revision is read through the converter: its copy in
// the 1991 layout is written into a folder of its own, which goes, with the copy, when
// the object holding it goes (the viewer keeps it until the next recording or the end).

#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "Convert.h"

namespace sevrana {

class ImportFolder {
public:
    ImportFolder() = default;
    ~ImportFolder() { Remove(); }
    ImportFolder(ImportFolder&& other) noexcept : path_(std::exchange(other.path_, {})) {}
    ImportFolder& operator=(ImportFolder&& other) noexcept
    {
        if (this != &other) {
            Remove();
            path_ = std::exchange(other.path_, {});
        }
        return *this;
    }
    ImportFolder(const ImportFolder&) = delete;
    ImportFolder& operator=(const ImportFolder&) = delete;

    /// A new, empty folder under the system's temporary folder, readable by its owner only;
    /// one without a path (and the reason in error) when none could be made.
    static ImportFolder Create(std::string& error)
    {
        ImportFolder folder;
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec) {
            error = "No temporary folder: " + ec.message();
            return folder;
        }
        std::random_device seed;
        std::mt19937_64 names(seed());
        // Another program's folder of the same name is never reused: a fresh name is drawn.
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path candidate = base / ("sevrana-import-" + std::to_string(names() % 1000000000));
            if (std::filesystem::create_directory(candidate, ec)) {
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, ec);
                folder.path_ = candidate.string();
                return folder;
            }
            if (ec) break;
        }
        error = "Cannot create a temporary folder in " + base.string() + (ec ? ": " + ec.message() : std::string());
        return folder;
    }

    const std::string& Path() const { return path_; }
    bool Made() const { return !path_.empty(); }

private:
    void Remove()
    {
        if (path_.empty()) return;
        std::error_code ec;  // what cannot be removed stays; nothing to tell anyone at this point
        std::filesystem::remove_all(path_, ec);
        path_.clear();
    }

    std::string path_;
};

struct ImportedRecording {
    formats::ConvertResult conversion;
    std::string converted;  // the 1991 configuration file written, inside folder
    ImportFolder folder;
};

/// Converts the recording at original into a new temporary folder, as its base name
/// followed by ".cfg" (with ".dat", ".INF" and ".HDR" beside it). On failure the folder
/// is gone again and conversion.error says why.
inline ImportedRecording ImportRecording(const std::string& original, const CodePage* codePage,
                                         const formats::Progress& progress = {})
{
    ImportedRecording imported;
    imported.folder = ImportFolder::Create(imported.conversion.error);
    if (!imported.folder.Made()) return imported;
    formats::ConvertOptions options;
    options.input = original;
    options.output =
        (std::filesystem::path(imported.folder.Path()) / std::filesystem::path(original).stem().concat(".cfg"))
            .string();
    options.codePage = codePage;
    imported.conversion = formats::ConvertRecording(options, progress);
    if (imported.conversion.ok)
        imported.converted = options.output;
    else
        imported.folder = ImportFolder();
    return imported;
}

}  // namespace sevrana
