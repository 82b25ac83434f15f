// sevrana-cli: checks COMTRADE recordings from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "CliCommands.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    return sevrana::cli::RunCli(args, std::cout, std::cerr);
}
