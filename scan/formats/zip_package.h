#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cfb/byte_source.h"
#include "cfb/charged_memory.h"
#include "scan/examination_memory.h"
#include "scan/not_examined_reason.h"

struct zip;

namespace kalvor::scan {

// Where the inflated bytes of a part go, a chunk at a time, so no part is ever held whole.
class PartSink {
  public:
    virtual ~PartSink() = default;

    // Room for the next chunk; empty when the sink can take no more.
    virtual std::span<std::uint8_t> Room() = 0;

    // The next `length` bytes are in Room(); `last` when the part ends with them. False to stop
    // reading the part.
    virtual bool Take(std::size_t length, bool last) = 0;
};

// The ZIP container of a Word 2007+ document, read through the file it was opened on and nothing
// else: no copy, no temporary file. Inflation is bounded by what it really yields, never by what
// the headers claim, so a zip bomb costs a few megabytes of work before it is turned away.
class ZipPackage {
  public:
    explicit ZipPackage(cfb::ByteSource& file);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Nothing when the central directory was read; otherwise why not. Two entries whose names are
    // the same part name make the package damaged: which of them holds the part is anyone's guess.
    const std::optional<NotExaminedReason>& OpenFailure() const { return openFailure_; }

    // The entry holding part `name` (without its leading "/"), compared as part names are: ASCII
    // case ignored.
    std::optional<std::uint64_t> Find(std::string_view name) const;

    // Inflates `entry` into `sink` until it ends or the sink stops. Nothing then; otherwise why
    // the part could not be read whole.
    std::optional<NotExaminedReason> Read(std::uint64_t entry, PartSink& sink);

  private:
    struct Source;

    NotExaminedReason ReasonFor(int zipError) const;
    // Why the archive itself last failed.
    NotExaminedReason ArchiveFailure() const;
    // Lists the part names of the entries; Damaged when two are the same.
    std::optional<NotExaminedReason> ListParts();

    // What libzip and the list of parts hold for the directory, as far as the file can make them.
    cfb::MemoryCharge directoryCharge_{ExaminationMemory()};
    std::unique_ptr<Source> source_;
    zip* archive_ = nullptr;
    std::optional<NotExaminedReason> openFailure_;
    std::uint64_t inflated_ = 0;  // by every part read so far
    // Each entry's name with ASCII letters in lower case, and the entry; sorted by name.
    std::vector<std::pair<std::string, std::uint64_t>> parts_;
};

}  // namespace kalvor::scan
