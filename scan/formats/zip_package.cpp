#include "scan/formats/zip_package.h"

#include <zip.h>

#include <algorithm>
#include <limits>
#include <new>
#include <string>

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
// What libzip may read to open a package: the search for the end record and the central
// directory, whose entries it keeps in memory at a few hundred bytes each. Word writes well under
// a thousand entries; this allows tens of thousands.
constexpr std::uint64_t kMaxOpeningBytes = 4ull * 1024 * 1024;

// Whether `inflated` bytes made from `consumed` have grown past what any real document inflates to.
bool IsBomb(std::uint64_t inflated, std::uint64_t consumed) {
    return inflated > kRatioFloor && inflated / kMaxInflateRatio > consumed;
}

}  // namespace

// libzip's view of the file: every byte it asks for is read through the ByteSource, and counted,
// so the inflate ratio rests on the compressed bytes really consumed.
struct ZipPackage::Source {
    platform::ByteSource& file;
    std::uint64_t position = 0;
    std::uint64_t delivered = 0;
    std::uint64_t limit = kMaxOpeningBytes;  // on what is delivered
    bool failedRead = false;                 // the file could not give bytes it has: an I/O error
    bool overLimit = false;
    zip_error_t error{};

    explicit Source(platform::ByteSource& f) : file(f) { zip_error_init(&error); }
    ~Source() { zip_error_fini(&error); }

    zip_int64_t Fail(int code) {
        zip_error_set(&error, code, 0);
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
                zip_stat_init(stat);
                stat->size = file.Size();
                stat->valid |= ZIP_STAT_SIZE;
                return sizeof(zip_stat_t);
            }
            case ZIP_SOURCE_ERROR:
                return zip_error_to_data(&error, data, length);
            case ZIP_SOURCE_SEEK: {
                const zip_int64_t to =
                    zip_source_seek_compute_offset(position, file.Size(), data, length, &error);
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

ZipPackage::ZipPackage(platform::ByteSource& file) : source_(std::make_unique<Source>(file)) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(&Source::Callback, source_.get(), &error);
    if (source != nullptr) {
        archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (archive_ == nullptr) {
            zip_source_free(source);
        }
    }
    const int zipError = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (archive_ == nullptr) {
        openFailure_ = ReasonFor(zipError);
    }
    source_->limit = std::numeric_limits<std::uint64_t>::max();
}

ZipPackage::~ZipPackage() {
    if (archive_ != nullptr) {
        zip_discard(archive_);
    }
}

NotExaminedReason ZipPackage::ReasonFor(int zipError) const {
    switch (zipError) {
        case ZIP_ER_NOPASSWD:
        case ZIP_ER_WRONGPASSWD:
        case ZIP_ER_ENCRNOTSUPP:
            return NotExaminedReason::EncryptedPackage;
        case ZIP_ER_MEMORY:
            throw std::bad_alloc();
        default:
            if (source_->overLimit) {
                return NotExaminedReason::PackageTooLarge;
            }
            return source_->failedRead ? NotExaminedReason::Unreadable
                                       : NotExaminedReason::DamagedPackage;
    }
}

std::optional<std::uint64_t> ZipPackage::Find(std::string_view name) {
    const std::string terminated(name);
    // The exact name first: libzip looks that up in a table, while ignoring case walks every entry.
    zip_int64_t entry = zip_name_locate(archive_, terminated.c_str(), 0);
    if (entry < 0) {
        entry = zip_name_locate(archive_, terminated.c_str(), ZIP_FL_NOCASE);
    }
    if (entry < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(entry);
}

NotExaminedReason ZipPackage::Read(std::uint64_t entry, PartSink& sink) {
    zip_file_t* part = zip_fopen_index(archive_, entry, 0);
    if (part == nullptr) {
        return ReasonFor(zip_error_code_zip(zip_get_error(archive_)));
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
        const zip_int64_t got = zip_fread(part, room.data(), room.size());
        if (got < 0) {
            zipError = zip_error_code_zip(zip_file_get_error(part));
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
    zip_fclose(part);
    if (tooLarge) {
        return NotExaminedReason::PackageTooLarge;
    }
    return zipError == ZIP_ER_OK ? NotExaminedReason::None : ReasonFor(zipError);
}

}  // namespace kalvor::scan
