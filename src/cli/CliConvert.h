#pragma once
// sevrana-cli convert, and the reading options (--rate, --primary, --secondary) every command
// that reads a recording takes.

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "AnyRevision.h"

namespace sevrana::cli {

/// args: "convert" and what follows it; returns the exit code. One line per recording on
/// out; warnings, missing values and (on a terminal, for large files) progress on err.
int RunConvert(std::vector<std::string> args, std::ostream& out, std::ostream& err);

/// Takes "--rate HZ", "--primary" or "--secondary" out of the arguments (up to "--") into choice,
/// and "--import", which changes nothing; the problem with them, if any.
std::optional<std::string> TakeReadChoice(std::vector<std::string>& args, ReadChoice& choice);

}  // namespace sevrana::cli
