// The floor a search is measured against: reads, for every .doc below a folder, only the bytes a
// verdict needs (the compound file's header, FAT and directory and the "WordDocument" stream,
// through the windows kalvor-scan reads them through), THREADS documents at once, and nothing else:
// no lock, no question whether it may be written, no check that it stayed the same, no verdict.
// Prints how many documents it read and how many stream bytes.
//
//   kalvor-byte-run-reader FOLDER [THREADS]

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cfb/byte_source.h"
#include "cfb/compound_file.h"
#include "cfb/memory_hook.h"
#include "cfb/windowed_file.h"

namespace {

namespace fs = std::filesystem;

class DescriptorSource final : public kalvor::cfb::ByteSource {
  public:
    DescriptorSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        const ssize_t got = pread(fd_, out.data(), out.size(), static_cast<off_t>(offset));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

  private:
    int fd_;
    std::uint64_t size_;
};

// The documents the walk has found and no reader has taken yet.
class Queue {
  public:
    void Push(fs::path path) {
        {
            const std::lock_guard lock(mutex_);
            paths_.push_back(std::move(path));
        }
        changed_.notify_one();
    }

    void Close() {
        {
            const std::lock_guard lock(mutex_);
            closed_ = true;
        }
        changed_.notify_all();
    }

    bool Pop(fs::path& path) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return closed_ || !paths_.empty(); });
        if (paths_.empty()) {
            return false;
        }
        path = std::move(paths_.front());
        paths_.pop_front();
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<fs::path> paths_;
    bool closed_ = false;
};

bool IsDoc(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".doc";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: kalvor-byte-run-reader FOLDER [THREADS]\n";
        return 2;
    }
    const unsigned threads =
        argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 64;
    Queue queue;
    std::atomic<std::uint64_t> documents = 0;
    std::atomic<std::uint64_t> streamBytes = 0;
    std::vector<std::thread> readers;
    for (unsigned i = 0; i < std::max(threads, 1U); ++i) {
        readers.emplace_back([&] {
            kalvor::cfb::RootStreamReader reader(kalvor::cfb::UnchargedMemory());
            kalvor::cfb::WindowBuffers windows(kalvor::cfb::UnchargedMemory());
            fs::path path;
            while (queue.Pop(path)) {
                const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
                struct stat status {};
                if (fd < 0) {
                    continue;
                }
                if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
                    DescriptorSource file(fd, static_cast<std::uint64_t>(status.st_size));
                    kalvor::cfb::WindowedFile windowed(file, windows);
                    const kalvor::cfb::StreamView stream = reader.Read(windowed, u"WordDocument");
                    ++documents;
                    streamBytes += stream.image.size();
                }
                close(fd);
            }
        });
    }
    std::error_code error;
    for (fs::recursive_directory_iterator
             it(argv[1], fs::directory_options::skip_permission_denied, error),
         end;
         !error && it != end; it.increment(error)) {
        // The listing's type alone decides, as a search's walk does: no question per file.
        if (!it->is_directory(error) && IsDoc(it->path())) {
            queue.Push(it->path());
        }
    }
    queue.Close();
    for (std::thread& reader : readers) {
        reader.join();
    }
    std::cout << documents << " documents, " << streamBytes << " stream bytes\n";
    return 0;
}
