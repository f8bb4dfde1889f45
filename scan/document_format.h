#pragma once

#include <string_view>

#include "scan/marking_rule.h"
#include "scan/marking_verdict.h"
#include "scan/tree_walk.h"
#include "scan/worker_memory.h"

namespace kalvor::scan {

// A kind of document a search can look for: which files are its candidates, and how one is
// examined. A new format is a file in scan/formats/ and a line in the registry.
// What a search asks of each examination.
struct ExamineRequest {
    // Not explicit: a rule alone asks for the verdict under it.
    ExamineRequest(marking::MatchRule rule = marking::MatchRule::Default,  // NOLINT
                   bool evidence = false)
        : rule(rule), evidence(evidence) {}

    marking::MatchRule rule;
    // For a Marked document, where its markings stand and how they read (Examination::evidence).
    bool evidence;
};

class DocumentFormat {
  public:
    virtual ~DocumentFormat() = default;

    // The ending of its files' names, from the last ".", compared with ASCII case ignored.
    virtual std::string_view Extension() const = 0;

    // The verdict on one document a walk found, and why it could not be examined, as `request`
    // asks.
    virtual Examination Examine(const FoundDocument& document, WorkerMemory& memory,
                                const ExamineRequest& request) const = 0;
};

// How a search examines each document its walk finds.
class DocumentExaminer {
  public:
    virtual ~DocumentExaminer() = default;
    virtual Examination Examine(const FoundDocument& document, WorkerMemory& memory) const = 0;
};

// As the format the walk found the document to be, with one request for every format. A marked
// document's folder is the one the walk entered; where the walk could not tell it, it is asked.
class ExamineAsFound final : public DocumentExaminer {
  public:
    explicit ExamineAsFound(ExamineRequest request) : request_(request) {}
    Examination Examine(const FoundDocument& document, WorkerMemory& memory) const override {
        Examination examination = document.format->Examine(document, memory, request_);
        if (examination.verdict == MarkingVerdict::Marked) {
            examination.folderIdentity = document.folderIdentity.has_value()
                                             ? document.folderIdentity
                                             : platform::IdentityOf(document.path.parent_path());
        }
        return examination;
    }

  private:
    ExamineRequest request_;
};

}  // namespace kalvor::scan
