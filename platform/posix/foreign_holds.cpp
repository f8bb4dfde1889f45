#include "platform/posix/foreign_holds.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sysmacros.h>

#include <memory>

namespace kalvor::platform {

namespace {

struct Closer {
    void operator()(FILE* file) const { fclose(file); }
};

struct LineFreer {
    void operator()(char* line) const { free(line); }
};

// One line of /proc/locks, "3: LEASE  ACTIVE    WRITE 1236 fd:01:131092 0 EOF", into `holds`
// when it names the file. Lines of waiters ("3: -> FLOCK ...") hold nothing.
void Note(const char* line, unsigned major, unsigned minor, unsigned long long inode,
          ForeignHolds& holds) {
    char kind[16] = {};
    char state[16] = {};
    char type[16] = {};
    unsigned lineMajor = 0;
    unsigned lineMinor = 0;
    unsigned long long lineInode = 0;
    if (sscanf(line, "%*[^:]: %15s %15s %15s %*s %x:%x:%llu", kind, state, type, &lineMajor,
               &lineMinor, &lineInode) != 6 ||
        lineMajor != major || lineMinor != minor || lineInode != inode) {
        return;
    }
    if (strcmp(kind, "LEASE") == 0 || strcmp(kind, "DELEG") == 0) {
        holds.writeLease =
            holds.writeLease || strcmp(type, "WRITE") == 0 || strcmp(state, "BREAKING") == 0;
    } else if (strcmp(kind, "POSIX") == 0 || strcmp(kind, "OFDLCK") == 0 ||
               strcmp(kind, "FLOCK") == 0) {
        holds.lock = true;
    }
}

}  // namespace

ForeignHolds HoldsOn(dev_t device, ino_t inode) {
    ForeignHolds holds;
    const std::unique_ptr<FILE, Closer> locks(fopen("/proc/locks", "re"));
    if (locks == nullptr) {
        return holds;
    }
    char* raw = nullptr;
    size_t capacity = 0;
    while (getline(&raw, &capacity, locks.get()) >= 0) {
        Note(raw, major(device), minor(device), inode, holds);
    }
    const std::unique_ptr<char, LineFreer> line(raw);
    return holds;
}

}  // namespace kalvor::platform
