#pragma once
// Finding the files of a recording on disk.

#include <string>

namespace sevrana {

/// True when path names an existing regular file.
bool FileExists(const std::string& path);

/// The data file name for a configuration file: its folder, the file name up to
/// its first "." (a "." in a folder name does not count), then ".dat".
std::string DataFileNameFor(const std::string& configPath);

/// DataFileNameFor, or, when that exact name does not exist, a file in the same
/// folder whose name differs from it only in letter case (F1.DAT). Returns the
/// derived name when neither exists.
std::string ResolveDataFile(const std::string& configPath);

/// The record-information file beside a configuration file: its path without the
/// last three characters, plus "INF", matched without regard to case in its
/// folder. Returns the path found, or empty when there is none. Throws
/// std::runtime_error when the folder cannot be searched or the match is not a
/// readable file.
std::string FindInfoFile(const std::string& configPath);

}  // namespace sevrana
