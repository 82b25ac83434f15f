#pragma once
// Where the parts of a source recording are: a configuration file with its data,
// information and header files beside it, or the sections of one combined file.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SourceConfig.h"

namespace sevrana::formats {

struct SourceParts {
    bool combined = false;
    std::string configPath;                // the file the configuration lines are in
    std::vector<std::string> configLines;  // undecoded, without line ends
    long configFirstLine = 1;
    std::string infoText;               // the record-information file's bytes, empty when none
    std::uint64_t headerBegin = 0, headerEnd = 0;  // the header section's bytes (combined file only)
    std::string headerPath;             // the header file beside the configuration, empty when none
    std::string infoPath;               // the record-information file beside it, empty when none
    std::string dataPath;
    std::uint64_t dataBegin = 0;
    std::uint64_t dataEnd = UINT64_MAX;
    long dataFirstLine = 1;
    std::optional<DataType> sectionType;  // the type a combined file's data section names
};

/// Finds the parts of the recording at path (.cff: a combined file, else a configuration file).
/// Throws ConvertError.
SourceParts LocateSource(const std::string& path);

/// Splits bytes into lines at CR, LF, CR LF, CR CR LF or LF CR; a trailing end-of-file byte (0x1A) is not text.
std::vector<std::string> SplitLines(std::string_view bytes);

/// Value of key in section of an INI text, both matched without regard to case; empty when missing.
std::string IniValue(std::string_view text, std::string_view section, std::string_view key);

/// A file beside path named as path with its last three characters replaced by extension, in any
/// letter case; empty when there is none.
std::string FindSibling(const std::string& path, std::string_view extension);

bool HasExtension(const std::string& path, std::string_view extension);

}  // namespace sevrana::formats
