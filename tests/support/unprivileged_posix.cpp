#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

#include "tests/support/unprivileged.h"

namespace kalvor::testing {

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kChildFailed = 3;

bool DropRoot() {
    if (geteuid() != 0) {
        return true;
    }
    return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
}

void WriteAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n <= 0) {
            _exit(kChildFailed);
        }
        written += static_cast<std::size_t>(n);
    }
}

}  // namespace

std::optional<std::string> RunUnprivileged(const std::function<std::string()>& work) {
    int fds[2];
    if (pipe(fds) != 0) {
        return std::nullopt;
    }
    const pid_t child = fork();
    if (child < 0) {
        return std::nullopt;
    }
    if (child == 0) {
        close(fds[0]);
        if (!DropRoot()) {
            _exit(kChildFailed);
        }
        WriteAll(fds[1], work());
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    std::array<char, 4096> chunk;
    ssize_t n = 0;
    while ((n = read(fds[0], chunk.data(), chunk.size())) > 0) {
        text.append(chunk.data(), static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return text;
}

}  // namespace kalvor::testing
