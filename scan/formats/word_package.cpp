#include "scan/formats/word_package.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "cfb/layout.h"
#include "scan/document_bytes.h"
#include "scan/document_open.h"
#include "scan/formats/package_relationships.h"
#include "scan/formats/word_document.h"
#include "scan/formats/word_text_evidence.h"
#include "scan/formats/zip_package.h"
#include "scan/worker_memory.h"

namespace kalvor::scan {

namespace {

// The parts beside the main one whose text a reader sees in the document.
constexpr std::array<std::string_view, 5> kSearchedParts = {"header", "footer", "footnotes",
                                                            "endnotes", "comments"};
constexpr std::array<std::string_view, 1> kMainPart = {kOfficeDocument};

// What the parser keeps between documents; one huge document should not pin its memory for the
// rest of the walk.
constexpr std::size_t kParserMemoryKept = 1024 * 1024;

std::optional<NotExaminedReason> ReasonFor(XmlEnd end) {
    switch (end) {
        case XmlEnd::Finished:
        case XmlEnd::Stopped:
            return std::nullopt;
        case XmlEnd::Malformed:
        case XmlEnd::Refused:
            return PackageRefusal::Damaged;
        case XmlEnd::OverBudget:
            return PackageRefusal::TooLarge;
    }
    return PackageRefusal::Damaged;
}

// Puts in `entries` the entries holding `targets`, each once, in the order they lie in the
// package, leaving out `read`. Names that differ in case only, or that name a part read already,
// would otherwise have a part inflated and parsed again and again. Whether a target no entry
// holds.
bool FindRelated(const ZipPackage& zip, const std::set<std::string>& targets,
                 std::initializer_list<std::uint64_t> read, std::vector<std::uint64_t>& entries) {
    entries.clear();
    bool missing = false;
    for (const std::string& target : targets) {
        const std::optional<std::uint64_t> entry = zip.Find(target);
        if (!entry.has_value()) {
            missing = true;
        } else if (std::find(read.begin(), read.end(), *entry) == read.end()) {
            entries.push_back(*entry);
        }
    }
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    return missing;
}

Examination Verdict(bool marked) {
    return {.verdict = marked ? MarkingVerdict::Marked : MarkingVerdict::NotMarked};
}

}  // namespace

Examination PackageExaminer::Examine(const std::filesystem::path& path, platform::ListedAs listed,
                                     const ExamineRequest& request, platform::DiskReadSigns* signs,
                                     platform::IncludedAccess include,
                                     const platform::OpenedFolder* folder) {
    return Settled(ExaminedWithinMemory([&] {
        return ExamineOpenedDocument(path, listed, signs, include, folder,
                                     [&](OpenedDocument& opened) {
                                         DocumentBytes bytes(*opened.file);
                                         return ExamineBytes(bytes, request);
                                     });
    }));
}

Examination PackageExaminer::Examine(cfb::ByteSource& file, const ExamineRequest& request) {
    return Settled(ExaminedWithinMemory([&] { return ExamineBytes(file, request); }));
}

Examination PackageExaminer::Settled(Examination examination) {
    const bool keepNothing = KeepsNoMemoryAfter(examination);
    ReleaseMemoryAfter(examination, compound_);
    wordEvidence_.ReleaseMemoryAfter(examination);
    xml_.ReleaseMemoryAbove(keepNothing ? 0 : kParserMemoryKept);
    if (keepNothing) {
        windows_ = cfb::WindowBuffers(ExaminationMemory());
    }
    return examination;
}

Examination PackageExaminer::ExamineBytes(cfb::ByteSource& file, const ExamineRequest& request) {
    // Read through windows: the first brings in a small package whole, so libzip's reads of its
    // end, its directory and its parts cost one read of the file.
    cfb::WindowedFile windowed(file, windows_);
    std::array<std::uint8_t, cfb::kSignature.size()> head{};
    const std::size_t got = windowed.ReadAt(0, head);
    if (got < std::min<std::uint64_t>(head.size(), file.Size())) {
        return NotExamined(FileRefusal::Unreadable);
    }
    if (got == head.size() && head == cfb::kSignature) {
        return ExamineCompoundFile(windowed, request);
    }
    if (got >= 2 && head[0] == 'P' && head[1] == 'K') {
        return ExamineZip(windowed, request);
    }
    return NotExamined(PackageRefusal::NotPackage);
}

Examination PackageExaminer::ExamineCompoundFile(cfb::ByteSource& file,
                                                 const ExamineRequest& request) {
    Examination examination = ExamineWordDocumentStream(
        file, compound_, request.rule, request.evidence ? &wordEvidence_ : nullptr);
    if (examination.reason == cfb::StreamReadResult::StreamNotFound &&
        compound_.Holds(file, u"EncryptedPackage")) {
        return NotExamined(PackageRefusal::Encrypted);
    }
    return examination;
}

std::optional<NotExaminedReason> PackageExaminer::ReadXmlPart(ZipPackage& zip, std::uint64_t entry,
                                                              XmlHandler& handler) {
    xml_.Begin(handler);
    const std::optional<NotExaminedReason> reason = zip.Read(entry, xml_);
    return reason.has_value() ? reason : ReasonFor(xml_.End());
}

std::optional<NotExaminedReason> PackageExaminer::FindSearchedParts(ZipPackage& zip,
                                                                    const std::string& mainName,
                                                                    std::uint64_t packageRels,
                                                                    std::uint64_t main) {
    searched_.clear();
    const std::optional<std::uint64_t> mainRels = zip.Find(RelationshipsPartOf(mainName));
    if (!mainRels.has_value()) {
        return std::nullopt;
    }
    Relationships related(xml_, mainName, kSearchedParts);
    const std::optional<NotExaminedReason> reason = ReadXmlPart(zip, *mainRels, related);
    const bool missing =
        FindRelated(zip, related.Targets(), {packageRels, main, *mainRels}, searched_);
    if (reason.has_value() || !missing) {
        return reason;
    }
    // Word calls a document whose header or note part is missing unreadable.
    return PackageRefusal::Damaged;
}

Examination PackageExaminer::Listed(ZipPackage& zip, std::uint64_t main,
                                    const ExamineRequest& request) {
    Examination listed = Verdict(true);
    if (!request.evidence) {
        return listed;
    }
    // A part that cannot be read, or memory that cannot be had, leaves out hits, never the
    // document: the verdict is in.
    try {
        EvidenceCollector collector;
        std::vector<std::uint64_t> parts = {main};
        parts.insert(parts.end(), searched_.begin(), searched_.end());
        for (const std::uint64_t entry : parts) {
            WordTextEvidence text(xml_, request.rule, collector);
            ReadXmlPart(zip, entry, text);
            text.Finish();
        }
        listed.evidence = collector.Take();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return listed;
}

Examination PackageExaminer::ExamineZip(cfb::ByteSource& file, const ExamineRequest& request) {
    ZipPackage zip(file);
    if (zip.OpenFailure().has_value()) {
        return NotExamined(*zip.OpenFailure());
    }
    // A part that cannot be read hides nothing the others hold: the first reason stands only when
    // no part holds a marking.
    std::optional<NotExaminedReason> failure;
    const auto note = [&](const std::optional<NotExaminedReason>& reason) {
        if (!failure.has_value()) {
            failure = reason;
        }
    };

    const std::optional<std::uint64_t> packageRels = zip.Find(RelationshipsPartOf(""));
    if (!packageRels.has_value()) {
        return NotExamined(PackageRefusal::NoMainPart);
    }
    Relationships package(xml_, "", kMainPart);
    note(ReadXmlPart(zip, *packageRels, package));
    const std::optional<std::uint64_t> main =
        package.Targets().empty() ? std::nullopt : zip.Find(*package.Targets().begin());
    if (!main.has_value()) {
        return NotExamined(failure.value_or(PackageRefusal::NoMainPart));
    }
    const std::string& mainName = *package.Targets().begin();
    WordText body(xml_, request.rule, /*main=*/true);
    note(ReadXmlPart(zip, *main, body));
    if (body.Found()) {
        if (request.evidence) {
            FindSearchedParts(zip, mainName, *packageRels, *main);
        }
        return Listed(zip, *main, request);
    }
    if (body.NotWordDocument()) {
        return NotExamined(PackageRefusal::NoMainPart);
    }

    note(FindSearchedParts(zip, mainName, *packageRels, *main));
    for (const std::uint64_t entry : searched_) {
        WordText text(xml_, request.rule, /*main=*/false);
        note(ReadXmlPart(zip, entry, text));
        if (text.Found()) {
            return Listed(zip, *main, request);
        }
    }
    return failure.has_value() ? NotExamined(*failure) : Verdict(false);
}

Examination WordPackageFormat::Examine(const FoundDocument& document, WorkerMemory& memory,
                                       const ExamineRequest& request) const {
    return ExaminedWithinBudget(*memory.budget, [&] {
        return ExaminedWithinMemory([&] {
            return memory.Kept<PackageExaminer>(memory.compound)
                .Examine(document.path, document.Listed(), request, &memory.diskReads,
                         document.include, memory.FolderOf(document).get());
        });
    });
}

}  // namespace kalvor::scan
