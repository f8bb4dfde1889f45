#include "platform/command_line.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <memory>

#include "platform/win32/wide_text.h"

namespace kalvor::platform {

namespace {

struct LocalFreer {
    void operator()(LPWSTR* block) const { LocalFree(block); }
};

}  // namespace

std::vector<std::string> CommandLineArguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(ToUtf8(wide.get()[i]));
    }
    return arguments;
}

void UseUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
}

void GuardStandardStreams() {}

bool IsTerminal(StandardStream stream) {
    DWORD mode = 0;
    const DWORD handle = stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    return GetConsoleMode(GetStdHandle(handle), &mode) != 0;
}

}  // namespace kalvor::platform
