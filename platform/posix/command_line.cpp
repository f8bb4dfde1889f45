#include "platform/command_line.h"

namespace kalvor::platform {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void UseUtf8Console() {}

}  // namespace kalvor::platform
