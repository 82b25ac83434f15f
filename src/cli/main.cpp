// sevrana-cli: checks COMTRADE recordings from the command line, and (built with
// the viewer) prints them into PDF files.

#include <iostream>
#include <string>
#include <vector>

#include "CliCommands.h"
#ifdef SEVRANA_CLI_PDF
#include "CliPdf.h"
#endif

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
#ifdef SEVRANA_CLI_PDF
    if (!args.empty() && args[0] == "pdf") return sevrana::cli::RunPdf(args, std::cout, std::cerr);
#endif
    return sevrana::cli::RunCli(args, std::cout, std::cerr);
}
