#pragma once

#include <string>
#include <vector>

namespace kalvor::platform {

// The arguments that follow the program name, as UTF-8 on Windows (read from the wide command
// line, since the narrow one loses every character outside the ANSI code page) and as given on
// POSIX.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes a Windows console show what the program writes as UTF-8. Nothing to do on POSIX.
void UseUtf8Console();

}  // namespace kalvor::platform
