#pragma once
// Every text the loader shows to the user, in one place.

#include <string>

namespace sevrana::messages {

inline constexpr const char* kAppTitle = "Sevrana";

inline std::string ErrorAtLine(long line, const std::string& path)
{
    return "Error at line #" + std::to_string(line) + " in '" + path + "'.";
}
inline std::string ErrorInFile(const std::string& path) { return "Error in file '" + path + "'."; }
inline constexpr const char* kRevision1999 = "IEEE C37.111-1999 not supported!";
inline constexpr const char* kMultipleRates = "Multiple sampling rates not supported!";
inline std::string FactorWarning(const std::string& path)
{
    return "Warning: Conversion factor a is missing or zero for some of the\r\nanalog channels in '" + path + "'!";
}
inline constexpr const char* kDisplayError = "Error occured while trying to display data.";
inline constexpr const char* kUnsupportedDataType = "Data file type specified in configuration file is not supported!";
inline constexpr const char* kTimeStampError = "Error in file: Time stamps are not meeting COMTRADE specifications!";
inline constexpr const char* kTriggerOutOfRecord = "Trigger point is out of record";
inline constexpr const char* kFileNotExist = "COMTRADE configuration or data file not exist in specified location!";

inline std::string OpeningCaption(const std::string& path) { return "Sevrana - Opening file " + path + "..."; }
inline std::string ProgressCaption(const std::string& path, long percent)
{
    return OpeningCaption(path) + std::to_string(percent) + " %";
}
/// readAs: how the newer reader read the recording ("IEEE C37.111-2013 BINARY32"); empty for the 1991 loader.
inline std::string LoadedCaption(const std::string& station, const std::string& path, const std::string& readAs = {})
{
    return "Sevrana - " + station + " (" + path + ")" + (readAs.empty() ? "" : " (" + readAs + ")");
}

}  // namespace sevrana::messages
