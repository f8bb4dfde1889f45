#pragma once

#include <concepts>
#include <variant>

#include "cfb/stream_read.h"
#include "scan/file_refusal.h"
#include "scan/formats/package_refusal.h"
#include "scan/formats/word_stream_refusal.h"

namespace kalvor::scan {

// What an examination as a whole could not have, whatever the format.
enum class ExaminationLimit {
    OutOfMemory,  // the memory to examine it could not be had
};

// Why a document got NotExamined: the reason of the floor that turned it away, from opening its
// file through the compound-file reader (never its Read) to its format. The verdict itself never
// depends on this; report/ gives each reason its token for scripts and its text for the window.
class NotExaminedReason {
  public:
    using Floors = std::variant<FileRefusal, cfb::StreamReadResult, WordStreamRefusal,
                                PackageRefusal, ExaminationLimit>;

    // Any floor's reason stands for the examination's, so that a floor hands its own up as it is.
    template <typename Reason>
    requires std::constructible_from<Floors, Reason>
    constexpr NotExaminedReason(Reason reason) : floor_(reason) {}

    constexpr const Floors& Floor() const { return floor_; }

    friend constexpr bool operator==(const NotExaminedReason&, const NotExaminedReason&) = default;

  private:
    Floors floor_;
};

}  // namespace kalvor::scan
