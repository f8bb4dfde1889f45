#include "scan/formats/zip_package.h"

#include <zip.h>

#include <algorithm>
#include <limits>
#include <new>
#include <string>

#include "scan/formats/package_libraries.h"
#include "scan/formats/zip_end_records.h"

namespace kalvor::scan {

namespace {

// The parts searched, all of them together, inflate to at most this. Word's text of thousands of
// pages stays far below it; a zip bomb reaches it at once.
constexpr std::uint64_t kMaxInflatedPerPackage = 512ull * 1024 * 1024;
// A part, and the parts of a package together, may inflate to at most this many times the bytes
// read for them, once past kRatioFloor. Deflate reaches about 1030 to 1, Word's XML about 10 to 1;
// the margin is for documents of one table repeated page after page. Below the floor, inflating
// costs too little to matter.
constexpr std::uint64_t kMaxInflateRatio = 200;
constexpr std::uint64_t kRatioFloor = 8ull * 1024 * 1024;
// What libzip may read to open a package: the end of the file, where it looks for the end record,
// and the central directory.
constexpr std::uint64_t kMaxOpeningBytes = kMaxCentralDirectory;

// The memory libzip and the list of parts take for a central directory, per byte of it: a few
// hundred bytes for each entry of at least 46.
constexpr std::uint64_t kDirectoryMemoryPerByte = 10;

// A part name as part names are compared: ASCII letters in lower case, nothing else changed.
std::string PartKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

// Whether `inflated` bytes made from `consumed` have grown past what any real document inflates to.
bool IsBomb(std::uint64_t inflated, std::uint64_t consumed) {
    return inflated > kRatioFloor && inflated / kMaxInflateRatio > consumed;
}

}  // namespace

// libzip's view of the file: every byte it asks for is read through the ByteSource, and counted,
// so the inflate ratio rests on the compressed bytes really consumed.
struct ZipPackage::Source {
    cfb::ByteSource& file;
    std::uint64_t position = 0;
    std::uint64_t delivered = 0;
    std::uint64_t limit = kMaxOpeningBytes;  // on what is delivered
    bool failedRead = false;                 // the file could not give bytes it has: an I/O error
    bool overLimit = false;
    zip_error_t error{};

    explicit Source(cfb::ByteSource& f) : file(f) { PackageLibrary().zip_error_init(&error); }
    ~Source() { PackageLibrary().zip_error_fini(&error); }

    zip_int64_t Fail(int code) {
        PackageLibrary().zip_error_set(&error, code, 0);
        return -1;
    }

    zip_int64_t ReadInto(void* data, zip_uint64_t length) {
        const std::uint64_t size = file.Size();
        const std::uint64_t wanted = position < size ? std::min(length, size - position) : 0;
        if (wanted > limit - delivered) {
            overLimit = true;
            return Fail(ZIP_ER_READ);
        }
        const std::size_t got = file.ReadAt(
            position, {static_cast<std::uint8_t*>(data), static_cast<std::size_t>(wanted)});
        if (got < wanted) {
            failedRead = true;
            return Fail(ZIP_ER_READ);
        }
        position += got;
        delivered += got;
        return static_cast<zip_int64_t>(got);
    }

    zip_int64_t Command(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
            case ZIP_SOURCE_OPEN:
                position = 0;
                return 0;
            case ZIP_SOURCE_READ:
                return ReadInto(data, length);
            case ZIP_SOURCE_CLOSE:
            case ZIP_SOURCE_FREE:
                return 0;
            case ZIP_SOURCE_STAT: {
                auto* stat = static_cast<zip_stat_t*>(data);
                PackageLibrary().zip_stat_init(stat);
                stat->size = file.Size();
                stat->valid |= ZIP_STAT_SIZE;
                return sizeof(zip_stat_t);
            }
            case ZIP_SOURCE_ERROR:
                return PackageLibrary().zip_error_to_data(&error, data, length);
            case ZIP_SOURCE_SEEK: {
                const zip_int64_t to = PackageLibrary().zip_source_seek_compute_offset(
                    position, file.Size(), data, length, &error);
                if (to < 0) {
                    return -1;
                }
                position = static_cast<std::uint64_t>(to);
                return 0;
            }
            case ZIP_SOURCE_TELL:
                return static_cast<zip_int64_t>(position);
            case ZIP_SOURCE_SUPPORTS:
                return ZIP_SOURCE_SUPPORTS_SEEKABLE;
            default:
                return Fail(ZIP_ER_OPNOTSUPP);
        }
    }

    static zip_int64_t Callback(void* self, void* data, zip_uint64_t length,
                                zip_source_cmd_t command) {
        return static_cast<Source*>(self)->Command(data, length, command);
    }
};

ZipPackage::ZipPackage(cfb::ByteSource& file) {
    if (LoadedPackageLibraries() == nullptr) {
        openFailure_ = PackageRefusal::LibrariesMissing;
        return;
    }
    source_ = std::make_unique<Source>(file);
    const EndRecords end = CheckEndRecords(file);
    openFailure_ = end.refusal;
    if (openFailure_.has_value()) {
        return;
    }
    directoryCharge_.Add(static_cast<std::size_t>(kDirectoryMemoryPerByte * end.directoryBytes));
    zip_error_t error;
    PackageLibrary().zip_error_init(&error);
    zip_source_t* source =
        PackageLibrary().zip_source_function_create(&Source::Callback, source_.get(), &error);
    if (source != nullptr) {
        archive_ = PackageLibrary().zip_open_from_source(source, ZIP_RDONLY, &error);
        if (archive_ == nullptr) {
            PackageLibrary().zip_source_free(source);
        }
    }
    const int zipError = PackageLibrary().zip_error_code_zip(&error);
    PackageLibrary().zip_error_fini(&error);
    openFailure_ = archive_ == nullptr ? ReasonFor(zipError) : ListParts();
    source_->limit = std::numeric_limits<std::uint64_t>::max();
}

ZipPackage::~ZipPackage() {
    if (archive_ != nullptr) {
        PackageLibrary().zip_discard(archive_);
    }
}

NotExaminedReason ZipPackage::ReasonFor(int zipError) const {
    switch (zipError) {
        case ZIP_ER_NOPASSWD:
        case ZIP_ER_WRONGPASSWD:
        case ZIP_ER_ENCRNOTSUPP:
            return PackageRefusal::Encrypted;
        case ZIP_ER_MEMORY:
            throw std::bad_alloc();
        default:
            if (source_->overLimit) {
                return PackageRefusal::TooLarge;
            }
            if (source_->failedRead) {
                return FileRefusal::Unreadable;
            }
            return PackageRefusal::Damaged;
    }
}

NotExaminedReason ZipPackage::ArchiveFailure() const {
    return ReasonFor(PackageLibrary().zip_error_code_zip(PackageLibrary().zip_get_error(archive_)));
}

std::optional<NotExaminedReason> ZipPackage::ListParts() {
    const zip_int64_t count = PackageLibrary().zip_get_num_entries(archive_, 0);
    parts_.reserve(static_cast<std::size_t>(std::max<zip_int64_t>(count, 0)));
    for (zip_int64_t entry = 0; entry < count; ++entry) {
        const char* name =
            PackageLibrary().zip_get_name(archive_, static_cast<zip_uint64_t>(entry), 0);
        if (name == nullptr) {
            return ArchiveFailure();
        }
        parts_.emplace_back(PartKey(name), static_cast<std::uint64_t>(entry));
    }
    std::sort(parts_.begin(), parts_.end());
    const bool repeated =
        std::adjacent_find(parts_.begin(), parts_.end(), [](const auto& a, const auto& b) {
            return a.first == b.first;
        }) != parts_.end();
    if (repeated) {
        return PackageRefusal::Damaged;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ZipPackage::Find(std::string_view name) const {
    const std::string key = PartKey(name);
    const auto found = std::lower_bound(
        parts_.begin(), parts_.end(), key,
        [](const auto& part, const std::string& wanted) { return part.first < wanted; });
    if (found == parts_.end() || found->first != key) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<NotExaminedReason> ZipPackage::Read(std::uint64_t entry, PartSink& sink) {
    const std::unique_ptr<zip_file_t, decltype(PackageLibraries::zip_fclose)> part(
        PackageLibrary().zip_fopen_index(archive_, entry, 0), PackageLibrary().zip_fclose);
    if (part == nullptr) {
        return ArchiveFailure();
    }
    const std::uint64_t deliveredBefore = source_->delivered;
    std::uint64_t inflatedHere = 0;
    bool tooLarge = false;
    int zipError = ZIP_ER_OK;
    for (;;) {
        const std::span<std::uint8_t> room = sink.Room();
        if (room.empty()) {
            break;
        }
        const zip_int64_t got = PackageLibrary().zip_fread(part.get(), room.data(), room.size());
        if (got < 0) {
            zipError = PackageLibrary().zip_error_code_zip(
                PackageLibrary().zip_file_get_error(part.get()));
            break;
        }
        const auto length = static_cast<std::uint64_t>(got);
        inflatedHere += length;
        inflated_ += length;
        if (inflated_ > kMaxInflatedPerPackage || IsBomb(inflated_, source_->delivered) ||
            IsBomb(inflatedHere, source_->delivered - deliveredBefore)) {
            tooLarge = true;
            break;
        }
        if (!sink.Take(static_cast<std::size_t>(length), length == 0) || length == 0) {
            break;
        }
    }
    if (tooLarge) {
        return PackageRefusal::TooLarge;
    }
    if (zipError != ZIP_ER_OK) {
        return ReasonFor(zipError);
    }
    return std::nullopt;
}

}  // namespace kalvor::scan
