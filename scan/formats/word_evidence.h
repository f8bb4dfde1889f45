#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "cfb/byte_source.h"
#include "cfb/compound_file.h"
#include "scan/evidence.h"
#include "scan/examination_memory.h"
#include "scan/marking_rule.h"
#include "scan/marking_verdict.h"
#include "scan/worker_memory.h"

namespace kalvor::scan {

// Reads where the markings of a listed Word 97-2003 document stand: each marking the raw rule
// finds in its "WordDocument" stream is placed in the document's text through the piece table
// in the table stream the file information block names, or found to lie in no text (residue).
// One per worker: the table stream is read with a reader of its own, so the "WordDocument" stream
// read with the worker's reader stays where it lies.
class WordEvidenceReader final : public FormatMemory {
  public:
    // The hits of the markings in `stream`, the "WordDocument" stream of the compound file in
    // `file`, under `rule`, strongest first. When the table stream or its piece table cannot be
    // read (damaged, encrypted, an older Word's), or their memory cannot be had, each hit is left
    // unplaced (EvidencePlace::Unknown) with the stream's bytes around it for context: the
    // document stays listed as the verdict has it.
    std::vector<EvidenceHit> Collect(cfb::ByteSource& file, std::span<const std::uint8_t> stream,
                                     marking::MatchRule rule);

    // Gives back what reading one table stream made the reader grow past what it keeps.
    void ReleaseMemoryAfter(const Examination& examination);

  private:
    cfb::RootStreamReader tables_{ExaminationMemory()};
};

}  // namespace kalvor::scan
