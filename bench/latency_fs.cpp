// A file system that shows a folder as a file share would: every request is answered only after a
// fixed delay, like a network round trip, and many requests are served at once. Nothing is kept
// in the kernel's caches, so every run through it pays every round trip. The source folder is
// only ever opened for reading.
//
//   kalvor-latency-fs --delay-us N [--stats FILE] SOURCE MOUNTPOINT
//
// Runs in the foreground until the mount is unmounted (fusermount3 -u MOUNTPOINT), then writes to
// FILE what it served: the requests of each kind, the most in flight at once, and the seconds all
// requests spent in the file system added up (divided by a run's time, the mean in flight).

#define FUSE_USE_VERSION 312

#include <dirent.h>
#include <fcntl.h>
#include <fuse3/fuse_lowlevel.h>
#include <linux/fuse.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// Enough for every request a parallel scan keeps outstanding; a thread only sleeps.
constexpr int kMaxThreads = 512;
// Releases are sent in the background; the kernel's default of 12 would queue them.
constexpr unsigned kMaxBackground = 256;

enum Kind {
    kLookup,
    kGetattr,
    kAccess,
    kOpen,
    kRead,
    kFlush,
    kRelease,
    kOpendir,
    kReaddir,
    kReleasedir,
    kStatfs,
    kReadlink,
    kKinds
};
constexpr std::array<const char*, kKinds> kKindNames = {
    "lookup",  "getattr", "access",  "open",       "read",   "flush",
    "release", "opendir", "readdir", "releasedir", "statfs", "readlink"};

struct Counters {
    std::array<std::atomic<std::uint64_t>, kKinds> requests{};
    std::atomic<std::uint64_t> nanosecondsInFlight{0};
    std::atomic<int> inFlight{0};
    std::atomic<int> peakInFlight{0};

    bool Write(const char* path) const {
        std::ofstream out(path);
        out << "peak_in_flight " << peakInFlight << "\nseconds_in_flight "
            << static_cast<double>(nanosecondsInFlight) / 1e9 << "\n";
        for (int kind = 0; kind < kKinds; ++kind) {
            out << kKindNames[kind] << " " << requests[kind] << "\n";
        }
        return static_cast<bool>(out.flush());
    }
};

// A file or folder the kernel knows by number: the number is the node's address, and a file
// keeps its node as long as the kernel remembers it, so a repeated lookup finds the same number
// (a new one would make the kernel drop its entry and look the name up again).
struct Node {
    std::string path;  // relative to the source folder
    std::pair<dev_t, ino_t> identity;
    std::uint64_t lookups = 0;
};

struct LatencyFs {
    int source = -1;
    timespec delay{};
    std::uint64_t initRequest = 0;  // the kernel's INIT, answered before any other request
    bool parallelDirectoryOperationsOffered = false;
    Counters counters;
    Node root{".", {}, 0};
    std::mutex nodesMutex;
    std::map<std::pair<dev_t, ino_t>, std::unique_ptr<Node>> nodes;

    const std::string& PathOf(fuse_ino_t ino) {
        return ino == FUSE_ROOT_ID ? root.path : reinterpret_cast<Node*>(ino)->path;
    }

    fuse_ino_t Remember(std::string path, const struct stat& status) {
        std::lock_guard lock(nodesMutex);
        const std::pair identity{status.st_dev, status.st_ino};
        auto& node = nodes[identity];
        if (!node) {
            node = std::make_unique<Node>(Node{std::move(path), identity, 0});
        }
        ++node->lookups;
        return reinterpret_cast<fuse_ino_t>(node.get());
    }

    void Forget(fuse_ino_t ino, std::uint64_t count) {
        if (ino == FUSE_ROOT_ID) {
            return;
        }
        std::lock_guard lock(nodesMutex);
        auto* node = reinterpret_cast<Node*>(ino);
        node->lookups -= count;
        if (node->lookups == 0) {
            nodes.erase(node->identity);
        }
    }
};

LatencyFs& FsOf(fuse_req_t req) {
    return *static_cast<LatencyFs*>(fuse_req_userdata(req));
}

// One request's stay in the file system: it waits out the delay before any work, as a request
// crossing a network would, and is counted in flight until it has been answered. Each request
// sleeps in its own thread, so requests overlap as freely as the kernel sends them.
class RoundTrip {
  public:
    RoundTrip(fuse_req_t req, Kind kind) : counters_(FsOf(req).counters) {
        clock_gettime(CLOCK_MONOTONIC, &start_);
        ++counters_.requests[kind];
        const int now = ++counters_.inFlight;
        int peak = counters_.peakInFlight;
        while (now > peak && !counters_.peakInFlight.compare_exchange_weak(peak, now)) {
        }
        timespec until = start_;
        until.tv_sec += FsOf(req).delay.tv_sec;
        until.tv_nsec += FsOf(req).delay.tv_nsec;
        if (until.tv_nsec >= 1'000'000'000) {
            until.tv_nsec -= 1'000'000'000;
            ++until.tv_sec;
        }
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
    ~RoundTrip() {
        timespec end{};
        clock_gettime(CLOCK_MONOTONIC, &end);
        counters_.nanosecondsInFlight += static_cast<std::uint64_t>(
            (end.tv_sec - start_.tv_sec) * 1'000'000'000LL + (end.tv_nsec - start_.tv_nsec));
        --counters_.inFlight;
    }
    RoundTrip(const RoundTrip&) = delete;
    RoundTrip& operator=(const RoundTrip&) = delete;

  private:
    Counters& counters_;
    timespec start_{};
};

std::string ChildPath(const std::string& parent, const char* name) {
    return parent == "." ? std::string(name) : parent + "/" + name;
}

void Lookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
    RoundTrip trip(req, kLookup);
    LatencyFs& fs = FsOf(req);
    std::string path = ChildPath(fs.PathOf(parent), name);
    fuse_entry_param entry{};
    if (fstatat(fs.source, path.c_str(), &entry.attr, AT_SYMLINK_NOFOLLOW) != 0) {
        fuse_reply_err(req, errno);
        return;
    }
    entry.ino = fs.Remember(std::move(path), entry.attr);
    fuse_reply_entry(req, &entry);  // timeouts 0: the kernel asks again next time
}

void Forget(fuse_req_t req, fuse_ino_t ino, std::uint64_t lookups) {
    FsOf(req).Forget(ino, lookups);
    fuse_reply_none(req);
}

void ForgetMulti(fuse_req_t req, std::size_t count, fuse_forget_data* forgets) {
    for (std::size_t i = 0; i < count; ++i) {
        FsOf(req).Forget(forgets[i].ino, forgets[i].nlookup);
    }
    fuse_reply_none(req);
}

void Getattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    RoundTrip trip(req, kGetattr);
    LatencyFs& fs = FsOf(req);
    struct stat status {};
    const int result =
        file ? fstat(static_cast<int>(file->fh), &status)
             : fstatat(fs.source, fs.PathOf(ino).c_str(), &status, AT_SYMLINK_NOFOLLOW);
    if (result != 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fuse_reply_attr(req, &status, 0);
}

void Access(fuse_req_t req, fuse_ino_t ino, int mask) {
    RoundTrip trip(req, kAccess);
    LatencyFs& fs = FsOf(req);
    fuse_reply_err(req,
                   faccessat(fs.source, fs.PathOf(ino).c_str(), mask, AT_EACCESS) == 0 ? 0 : errno);
}

void Readlink(fuse_req_t req, fuse_ino_t ino) {
    RoundTrip trip(req, kReadlink);
    LatencyFs& fs = FsOf(req);
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t length =
        readlinkat(fs.source, fs.PathOf(ino).c_str(), target.data(), target.size() - 1);
    if (length < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    target[static_cast<std::size_t>(length)] = '\0';
    fuse_reply_readlink(req, target.data());
}

void Open(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    RoundTrip trip(req, kOpen);
    LatencyFs& fs = FsOf(req);
    if ((file->flags & O_ACCMODE) != O_RDONLY || (file->flags & O_TRUNC) != 0) {
        fuse_reply_err(req, EROFS);
        return;
    }
    const int fd = openat(fs.source, fs.PathOf(ino).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    file->fh = static_cast<std::uint64_t>(fd);
    file->direct_io = 1;  // no page cache: each read is a round trip, in every run
    file->keep_cache = 0;
    if (fuse_reply_open(req, file) != 0) {
        close(fd);
    }
}

void Read(fuse_req_t req, fuse_ino_t, std::size_t size, off_t offset, fuse_file_info* file) {
    RoundTrip trip(req, kRead);
    fuse_bufvec data = FUSE_BUFVEC_INIT(size);
    data.buf[0].flags = static_cast<fuse_buf_flags>(FUSE_BUF_IS_FD | FUSE_BUF_FD_SEEK);
    data.buf[0].fd = static_cast<int>(file->fh);
    data.buf[0].pos = offset;
    fuse_reply_data(req, &data, FUSE_BUF_SPLICE_MOVE);
}

void Flush(fuse_req_t req, fuse_ino_t, fuse_file_info*) {
    RoundTrip trip(req, kFlush);
    fuse_reply_err(req, 0);
}

void Release(fuse_req_t req, fuse_ino_t, fuse_file_info* file) {
    RoundTrip trip(req, kRelease);
    close(static_cast<int>(file->fh));
    fuse_reply_err(req, 0);
}

void Opendir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    RoundTrip trip(req, kOpendir);
    LatencyFs& fs = FsOf(req);
    const int fd =
        openat(fs.source, fs.PathOf(ino).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        if (fd >= 0) {
            close(fd);
        }
        fuse_reply_err(req, error);
        return;
    }
    file->fh = reinterpret_cast<std::uint64_t>(dir);
    if (fuse_reply_open(req, file) != 0) {
        closedir(dir);
    }
}

// The kernel sends one listing request at a time for an open folder, so the stream needs no lock.
void Readdir(fuse_req_t req, fuse_ino_t, std::size_t size, off_t offset, fuse_file_info* file) {
    RoundTrip trip(req, kReaddir);
    DIR* dir = reinterpret_cast<DIR*>(file->fh);
    std::vector<char> reply(size);
    std::size_t used = 0;
    seekdir(dir, offset);
    for (;;) {
        const long before = telldir(dir);
        errno = 0;
        const dirent* entry = readdir(dir);
        if (entry == nullptr) {
            if (errno != 0 && used == 0) {
                fuse_reply_err(req, errno);
                return;
            }
            break;
        }
        struct stat status {};
        status.st_ino = entry->d_ino;
        status.st_mode = DTTOIF(entry->d_type);
        const std::size_t needed = fuse_add_direntry(req, reply.data() + used, size - used,
                                                     entry->d_name, &status, telldir(dir));
        if (needed > size - used) {
            seekdir(dir, before);  // sent with the next request
            break;
        }
        used += needed;
    }
    fuse_reply_buf(req, reply.data(), used);
}

void Releasedir(fuse_req_t req, fuse_ino_t, fuse_file_info* file) {
    RoundTrip trip(req, kReleasedir);
    closedir(reinterpret_cast<DIR*>(file->fh));
    fuse_reply_err(req, 0);
}

void Statfs(fuse_req_t req, fuse_ino_t) {
    RoundTrip trip(req, kStatfs);
    struct statvfs status {};
    if (fstatvfs(FsOf(req).source, &status) != 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fuse_reply_statfs(req, &status);
}

void Init(void*, fuse_conn_info* connection) {
    // A listing gives names and types only; a file's status is a request of its own.
    connection->want &= ~(FUSE_CAP_READDIRPLUS | FUSE_CAP_READDIRPLUS_AUTO);
    connection->want |= FUSE_CAP_SPLICE_WRITE | FUSE_CAP_SPLICE_MOVE;
    connection->max_background = kMaxBackground;
    connection->congestion_threshold = kMaxBackground * 3 / 4;
}

struct Arguments {
    long delayMicroseconds = -1;
    const char* stats = nullptr;
    const char* source = nullptr;
    const char* mountpoint = nullptr;
};

bool Parse(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--delay-us" && i + 1 < argc) {
            char* end = nullptr;
            arguments.delayMicroseconds = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || arguments.delayMicroseconds < 0) {
                return false;
            }
        } else if (argument == "--stats" && i + 1 < argc) {
            arguments.stats = argv[++i];
        } else if (arguments.source == nullptr) {
            arguments.source = argv[i];
        } else if (arguments.mountpoint == nullptr) {
            arguments.mountpoint = argv[i];
        } else {
            return false;
        }
    }
    return arguments.delayMicroseconds >= 0 && arguments.mountpoint != nullptr;
}

// A share answers lookups and listings in one folder side by side, but the kernel sends them one
// at a time unless the file system's answer to its INIT says otherwise, and libfuse 3.14 leaves
// that flag out of the answer whatever the file system wants. So the file system mounts
// /dev/fuse itself and adds the flag to the answer on its way to the kernel.
ssize_t ReadRequest(int fd, void* buffer, std::size_t length, void* userdata) {
    const ssize_t got = read(fd, buffer, length);
    if (got >= static_cast<ssize_t>(sizeof(fuse_in_header) + sizeof(fuse_init_in))) {
        fuse_in_header header{};
        std::memcpy(&header, buffer, sizeof(header));
        if (header.opcode == FUSE_INIT) {
            fuse_init_in init{};
            std::memcpy(&init, static_cast<char*>(buffer) + sizeof(header), sizeof(init));
            auto& fs = *static_cast<LatencyFs*>(userdata);
            fs.initRequest = header.unique;
            fs.parallelDirectoryOperationsOffered = (init.flags & FUSE_PARALLEL_DIROPS) != 0;
        }
    }
    return got;
}

ssize_t WriteReply(int fd, iovec* iov, int count, void* userdata) {
    auto& fs = *static_cast<LatencyFs*>(userdata);
    if (count >= 2 && iov[0].iov_len == sizeof(fuse_out_header) &&
        iov[1].iov_len >= offsetof(fuse_init_out, flags) + sizeof(std::uint32_t)) {
        fuse_out_header header{};
        std::memcpy(&header, iov[0].iov_base, sizeof(header));
        if (header.error == 0 && header.unique == fs.initRequest &&
            fs.parallelDirectoryOperationsOffered) {
            static_cast<fuse_init_out*>(iov[1].iov_base)->flags |= FUSE_PARALLEL_DIROPS;
        }
    }
    return writev(fd, iov, count);
}

// Reads are answered by moving the source's pages into the device, not by copying them through a
// buffer, so that the file system's own work stays small beside the delay.
ssize_t SpliceReply(int from, off_t* fromOffset, int to, off_t* toOffset, std::size_t length,
                    unsigned int flags, void*) {
    return splice(from, fromOffset, to, toOffset, length, flags);
}

// The device opened and mounted as fusermount3 would, for the user running this (root).
int MountDevice(const char* mountpoint) {
    struct stat status {};
    if (stat(mountpoint, &status) != 0) {
        return -1;
    }
    const int device = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (device < 0) {
        return -1;
    }
    char options[128];
    std::snprintf(options, sizeof(options), "fd=%d,rootmode=%o,user_id=%u,group_id=%u", device,
                  status.st_mode & S_IFMT, getuid(), getgid());
    if (mount("kalvor-latency", mountpoint, "fuse.latency", MS_NOSUID | MS_NODEV, options) != 0) {
        const int error = errno;
        close(device);
        errno = error;
        return -1;
    }
    return device;
}

int Serve(LatencyFs& fs, const char* mountpoint) {
    fuse_lowlevel_ops operations{};
    operations.init = Init;
    operations.lookup = Lookup;
    operations.forget = Forget;
    operations.forget_multi = ForgetMulti;
    operations.getattr = Getattr;
    operations.access = Access;
    operations.readlink = Readlink;
    operations.open = Open;
    operations.read = Read;
    operations.flush = Flush;
    operations.release = Release;
    operations.opendir = Opendir;
    operations.readdir = Readdir;
    operations.releasedir = Releasedir;
    operations.statfs = Statfs;

    char program[] = "kalvor-latency-fs";
    char* argv[] = {program};
    fuse_args args = FUSE_ARGS_INIT(1, argv);
    fuse_session* session = fuse_session_new(&args, &operations, sizeof(operations), &fs);
    if (session == nullptr) {
        return 1;
    }
    fuse_custom_io io{};
    io.read = ReadRequest;
    io.writev = WriteReply;
    io.splice_send = SpliceReply;
    int status = 1;
    // Not mounted read-only: a program that finds the mount read-only may pass its files over.
    // Writes are refused all the same, since every file is opened for reading only.
    const int device = MountDevice(mountpoint);
    if (device < 0) {
        std::fprintf(stderr, "kalvor-latency-fs: mounting %s: %s\n", mountpoint,
                     std::strerror(errno));
    } else if (fuse_session_custom_io(session, &io, device) == 0 &&
               fuse_set_signal_handlers(session) == 0) {
        // fuse_main would take no thread limit from the command line; the loop's own does.
        fuse_loop_config* config = fuse_loop_cfg_create();
        fuse_loop_cfg_set_clone_fd(config, 1);
        fuse_loop_cfg_set_max_threads(config, kMaxThreads);
        fuse_loop_cfg_set_idle_threads(config, kMaxThreads);
        status = fuse_session_loop_mt(session, config) == 0 ? 0 : 1;
        fuse_loop_cfg_destroy(config);
        fuse_remove_signal_handlers(session);
        umount2(mountpoint, MNT_DETACH);  // stopped by a signal rather than by an unmount
    }
    fuse_session_destroy(session);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!Parse(argc, argv, arguments)) {
        std::fprintf(stderr,
                     "usage: kalvor-latency-fs --delay-us N [--stats FILE] SOURCE MOUNTPOINT\n");
        return 2;
    }
    LatencyFs fs;
    fs.source = open(arguments.source, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fs.source < 0) {
        std::fprintf(stderr, "kalvor-latency-fs: %s: %s\n", arguments.source, std::strerror(errno));
        return 1;
    }
    fs.delay.tv_sec = arguments.delayMicroseconds / 1'000'000;
    fs.delay.tv_nsec = arguments.delayMicroseconds % 1'000'000 * 1'000;
    // A sleeping thread may otherwise wake up to 50 µs late, a quarter of a 200 µs delay; the
    // slack is inherited by every thread the loop starts.
    prctl(PR_SET_TIMERSLACK, 1UL);
    const int status = Serve(fs, arguments.mountpoint);
    if (arguments.stats != nullptr && !fs.counters.Write(arguments.stats)) {
        std::fprintf(stderr, "kalvor-latency-fs: cannot write %s\n", arguments.stats);
        return 1;
    }
    return status;
}
