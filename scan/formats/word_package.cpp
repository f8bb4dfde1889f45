#include "scan/formats/word_package.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cfb/layout.h"
#include "scan/document_bytes.h"
#include "scan/document_open.h"
#include "scan/formats/package_relationships.h"
#include "scan/formats/word_document.h"
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

NotExaminedReason ReasonFor(XmlEnd end) {
    switch (end) {
        case XmlEnd::Finished:
        case XmlEnd::Stopped:
            return NotExaminedReason::None;
        case XmlEnd::Malformed:
        case XmlEnd::Refused:
            return NotExaminedReason::DamagedPackage;
        case XmlEnd::OverBudget:
            return NotExaminedReason::PackageTooLarge;
    }
    return NotExaminedReason::DamagedPackage;
}

// The parts a relationships part names, as entries of the package.
struct RelatedEntries {
    std::vector<std::uint64_t> entries;  // each once, in the order they lie in the package
    bool missing = false;                // a target no entry holds
};

// The entries holding `targets`, leaving out `read`. Names that differ in case only, or that name
// a part read already, would otherwise have a part inflated and parsed again and again.
RelatedEntries FindRelated(const ZipPackage& zip, const std::set<std::string>& targets,
                           std::initializer_list<std::uint64_t> read) {
    RelatedEntries related;
    for (const std::string& target : targets) {
        const std::optional<std::uint64_t> entry = zip.Find(target);
        if (!entry.has_value()) {
            related.missing = true;
        } else if (std::find(read.begin(), read.end(), *entry) == read.end()) {
            related.entries.push_back(*entry);
        }
    }
    std::vector<std::uint64_t>& entries = related.entries;
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    return related;
}

Examination Verdict(bool marked) {
    return {marked ? MarkingVerdict::Marked : MarkingVerdict::NotMarked, NotExaminedReason::None};
}

}  // namespace

Examination PackageExaminer::Examine(const std::filesystem::path& path, platform::ListedAs listed,
                                     marking::MatchRule rule, platform::DiskReadSigns* signs,
                                     platform::IncludedAccess include) {
    return Settled(ExaminedWithinMemory([&] {
        const OpenedDocument opened = OpenDocument(path, listed, signs, include);
        if (opened.file == nullptr) {
            return NotExamined(opened.reason);
        }
        DocumentBytes bytes(*opened.file);
        const Examination examination = ExamineBytes(bytes, rule);
        return AsRead(examination, opened.file->ChangedWhileRead(), opened.file->Access());
    }));
}

Examination PackageExaminer::Examine(cfb::ByteSource& file, marking::MatchRule rule) {
    return Settled(ExaminedWithinMemory([&] { return ExamineBytes(file, rule); }));
}

Examination PackageExaminer::Settled(Examination examination) {
    const bool keepNothing = KeepsNoMemoryAfter(examination);
    ReleaseMemoryAfter(examination, compound_);
    xml_.ReleaseMemoryAbove(keepNothing ? 0 : kParserMemoryKept);
    if (keepNothing) {
        windows_ = cfb::WindowBuffers(ExaminationMemory());
    }
    return examination;
}

Examination PackageExaminer::ExamineBytes(cfb::ByteSource& file, marking::MatchRule rule) {
    // Read through windows: the first brings in a small package whole, so libzip's reads of its
    // end, its directory and its parts cost one read of the file.
    cfb::WindowedFile windowed(file, windows_);
    std::array<std::uint8_t, cfb::kSignature.size()> head{};
    const std::size_t got = windowed.ReadAt(0, head);
    if (got < std::min<std::uint64_t>(head.size(), file.Size())) {
        return NotExamined(NotExaminedReason::Unreadable);
    }
    if (got == head.size() && head == cfb::kSignature) {
        return ExamineCompoundFile(windowed, rule);
    }
    if (got >= 2 && head[0] == 'P' && head[1] == 'K') {
        return ExamineZip(windowed, rule);
    }
    return NotExamined(NotExaminedReason::NotPackage);
}

Examination PackageExaminer::ExamineCompoundFile(cfb::ByteSource& file, marking::MatchRule rule) {
    const Examination examination = ExamineWordDocumentStream(file, compound_, rule);
    if (examination.reason == NotExaminedReason::NoWordDocumentStream &&
        compound_.Holds(file, u"EncryptedPackage")) {
        return NotExamined(NotExaminedReason::EncryptedPackage);
    }
    return examination;
}

NotExaminedReason PackageExaminer::ReadXmlPart(ZipPackage& zip, std::uint64_t entry,
                                               XmlHandler& handler) {
    xml_.Begin(handler);
    const NotExaminedReason reason = zip.Read(entry, xml_);
    return reason != NotExaminedReason::None ? reason : ReasonFor(xml_.End());
}

Examination PackageExaminer::ExamineZip(cfb::ByteSource& file, marking::MatchRule rule) {
    ZipPackage zip(file);
    if (zip.OpenFailure() != NotExaminedReason::None) {
        return NotExamined(zip.OpenFailure());
    }
    // A part that cannot be read hides nothing the others hold: the first reason stands only when
    // no part holds a marking.
    NotExaminedReason failure = NotExaminedReason::None;
    const auto note = [&](NotExaminedReason reason) {
        if (failure == NotExaminedReason::None) {
            failure = reason;
        }
    };

    const std::optional<std::uint64_t> packageRels = zip.Find(RelationshipsPartOf(""));
    if (!packageRels.has_value()) {
        return NotExamined(NotExaminedReason::NoMainPart);
    }
    Relationships package(xml_, "", kMainPart);
    note(ReadXmlPart(zip, *packageRels, package));
    const std::optional<std::uint64_t> main =
        package.Targets().empty() ? std::nullopt : zip.Find(*package.Targets().begin());
    if (!main.has_value()) {
        return NotExamined(failure != NotExaminedReason::None ? failure
                                                              : NotExaminedReason::NoMainPart);
    }
    const std::string& mainName = *package.Targets().begin();
    WordText body(xml_, rule, /*main=*/true);
    note(ReadXmlPart(zip, *main, body));
    if (body.Found()) {
        return Verdict(true);
    }
    if (body.NotWordDocument()) {
        return NotExamined(NotExaminedReason::NoMainPart);
    }

    const std::optional<std::uint64_t> mainRels = zip.Find(RelationshipsPartOf(mainName));
    if (mainRels.has_value()) {
        Relationships related(xml_, mainName, kSearchedParts);
        note(ReadXmlPart(zip, *mainRels, related));
        const RelatedEntries parts =
            FindRelated(zip, related.Targets(), {*packageRels, *main, *mainRels});
        if (parts.missing) {
            // Word calls a document whose header or note part is missing unreadable.
            note(NotExaminedReason::DamagedPackage);
        }
        for (const std::uint64_t entry : parts.entries) {
            WordText text(xml_, rule, /*main=*/false);
            note(ReadXmlPart(zip, entry, text));
            if (text.Found()) {
                return Verdict(true);
            }
        }
    }
    return failure == NotExaminedReason::None ? Verdict(false) : NotExamined(failure);
}

Examination WordPackageFormat::Examine(const FoundDocument& document, WorkerMemory& memory,
                                       marking::MatchRule rule) const {
    return ExaminedWithinBudget(*memory.budget, [&] {
        return ExaminedWithinMemory([&] {
            return memory.Kept<PackageExaminer>(memory.compound)
                .Examine(document.path, document.Listed(), rule, &memory.diskReads,
                         document.include);
        });
    });
}

}  // namespace kalvor::scan
