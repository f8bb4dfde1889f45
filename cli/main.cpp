#include <iostream>
#include <string>
#include <vector>

#include "cli/scan_command.h"
#include "platform/command_line.h"

int main(int argc, char** argv) {
    kalvor::platform::UseUtf8Console();
    const std::vector<std::string> args = kalvor::platform::CommandLineArguments(argc, argv);
    return kalvor::cli::RunScanCommand(args, std::cout, std::cerr);
}
