#include "cfb/run_reader.h"

#include <algorithm>

namespace kalvor::cfb {

bool RunReader::Append(std::uint64_t offset, std::size_t length) {
    length = std::min(length, out_.size() - filled_ - runLength_);
    if (runLength_ > 0 && offset == runOffset_ + runLength_) {
        runLength_ += length;
        return true;
    }
    Flush();
    if (short_) {
        return false;
    }
    runOffset_ = offset;
    runLength_ = length;
    return true;
}

std::size_t RunReader::Finish() {
    Flush();
    return filled_;
}

void RunReader::Flush() {
    if (runLength_ == 0 || short_) {
        return;
    }
    const std::size_t got = file_.ReadAt(runOffset_, out_.subspan(filled_, runLength_));
    filled_ += std::min(got, runLength_);
    short_ = got < runLength_;
    runLength_ = 0;
}

}  // namespace kalvor::cfb
