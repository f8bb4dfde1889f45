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

// Puts a descriptor that refuses every read and write where standard input, output or error was
// closed, so that no file the program opens later takes its number and receives its output.
// Writing to a closed standard output then still fails, as it should. Nothing to do on Windows.
void GuardStandardStreams();

enum class StandardStream { Output, Error };

// Whether `stream` goes to a terminal (a console on Windows) that a person is watching.
bool IsTerminal(StandardStream stream);

}  // namespace kalvor::platform
