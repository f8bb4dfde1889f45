#pragma once

#include <optional>

#include "cfb/stream_chunks.h"
#include "scan/marking_rule.h"
#include "scan/marking_verdict.h"

namespace kalvor::scan {

// The verdict CheckStreamImage gives the whole stream, come to a chunk at a time: each chunk is
// searched as it arrives, and of what came before only the bytes a later marking could start in
// are kept. Reading stops at the first marking, or at a version byte that is not examined.
// Nothing when a run of fillers longer than the chunks keep reaches into a chunk: the stream must
// then be read whole.
std::optional<Examination> CheckStreamChunks(cfb::StreamChunks& chunks, marking::MatchRule rule);

}  // namespace kalvor::scan
