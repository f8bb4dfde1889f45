#include "platform/command_line.h"

#include <fcntl.h>
#include <unistd.h>

namespace kalvor::platform {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void UseUtf8Console() {}

void GuardStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            // A path descriptor allows neither reading nor writing. open() takes the lowest free
            // number, which is `fd` while the ones below are open.
            open("/", O_PATH | O_DIRECTORY);
        }
    }
}

bool IsTerminal(StandardStream stream) {
    return isatty(stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

}  // namespace kalvor::platform
