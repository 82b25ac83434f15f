#pragma once
// sevrana-cli pdf: opens a recording in the viewer, without a display, and
// prints what File > Print with the range All would print into a PDF file.

#include <iosfwd>
#include <string>
#include <vector>

namespace sevrana::cli {

/// args: "pdf", the configuration file and the PDF file to write, and "--encoding
/// NAME" anywhere after "pdf"; returns the exit code.
int RunPdf(std::vector<std::string> args, std::ostream& out, std::ostream& err);

}  // namespace sevrana::cli
