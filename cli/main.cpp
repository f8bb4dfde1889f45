#include <iostream>
#include <string>
#include <vector>

#include "cli/scan_command.h"
#include "cli/stop_signals.h"
#include "platform/command_line.h"

int main(int argc, char** argv) {
    namespace platform = kalvor::platform;
    platform::GuardStandardStreams();
    platform::UseUtf8Console();
    kalvor::cli::CatchStopSignals();
    const std::vector<std::string> args = platform::CommandLineArguments(argc, argv);
    const kalvor::cli::ScanEnvironment environment{
        .outputIsTerminal = platform::IsTerminal(platform::StandardStream::Output),
        .errorIsTerminal = platform::IsTerminal(platform::StandardStream::Error),
        .stopSignal = &kalvor::cli::StopSignal,
    };
    return kalvor::cli::RunScanCommand(args, std::cout, std::cerr, environment);
}
