#include "scan/formats/word_package.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "cfb/layout.h"
#include "scan/document_open.h"
#include "scan/formats/package_relationships.h"
#include "scan/formats/zip_package.h"
#include "scan/marking_detector.h"

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

Examination Verdict(bool marked) {
    return {marked ? MarkingVerdict::Marked : MarkingVerdict::NotMarked, NotExaminedReason::None};
}

}  // namespace

Examination PackageExaminer::Examine(const std::filesystem::path& path, platform::ListedAs listed,
                                     marking::MatchRule rule) {
    return Settled(ExaminedWithinMemory([&] {
        const OpenedDocument opened = OpenDocument(path, listed);
        return opened.file == nullptr ? NotExamined(opened.reason)
                                      : ExamineBytes(*opened.file, rule);
    }));
}

Examination PackageExaminer::Examine(platform::ByteSource& file, marking::MatchRule rule) {
    return Settled(ExaminedWithinMemory([&] { return ExamineBytes(file, rule); }));
}

Examination PackageExaminer::Settled(Examination examination) {
    const bool outOfMemory = examination.reason == NotExaminedReason::OutOfMemory;
    ReleaseMemoryAfter(examination, compound_);
    xml_.ReleaseMemoryAbove(outOfMemory ? 0 : kParserMemoryKept);
    return examination;
}

Examination PackageExaminer::ExamineBytes(platform::ByteSource& file, marking::MatchRule rule) {
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

Examination PackageExaminer::ExamineCompoundFile(platform::ByteSource& file,
                                                 marking::MatchRule rule) {
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

Examination PackageExaminer::SearchText(ZipPackage& zip, std::uint64_t entry, WordText& text) {
    const NotExaminedReason reason = ReadXmlPart(zip, entry, text);
    if (text.Found()) {
        return Verdict(true);
    }
    return reason == NotExaminedReason::None ? Verdict(false) : NotExamined(reason);
}

Examination PackageExaminer::ExamineZip(platform::ByteSource& file, marking::MatchRule rule) {
    ZipPackage zip(file);
    if (zip.OpenFailure() != NotExaminedReason::None) {
        return NotExamined(zip.OpenFailure());
    }

    const std::optional<std::uint64_t> packageRels = zip.Find(RelationshipsPartOf(""));
    if (!packageRels.has_value()) {
        return NotExamined(NotExaminedReason::NoMainPart);
    }
    Relationships package(xml_, "", kMainPart);
    if (const NotExaminedReason reason = ReadXmlPart(zip, *packageRels, package);
        reason != NotExaminedReason::None) {
        return NotExamined(reason);
    }
    const std::optional<std::uint64_t> main =
        package.Targets().empty() ? std::nullopt : zip.Find(*package.Targets().begin());
    if (!main.has_value()) {
        return NotExamined(NotExaminedReason::NoMainPart);
    }
    const std::string& mainName = *package.Targets().begin();
    WordText body(xml_, rule, /*main=*/true);
    if (const Examination examination = SearchText(zip, *main, body);
        examination.verdict != MarkingVerdict::NotMarked) {
        return examination;
    }
    if (body.NotWordDocument()) {
        return NotExamined(NotExaminedReason::NoMainPart);
    }

    const std::optional<std::uint64_t> mainRels = zip.Find(RelationshipsPartOf(mainName));
    if (!mainRels.has_value()) {
        return Verdict(false);
    }
    Relationships related(xml_, mainName, kSearchedParts);
    if (const NotExaminedReason reason = ReadXmlPart(zip, *mainRels, related);
        reason != NotExaminedReason::None) {
        return NotExamined(reason);
    }
    for (const std::string& name : related.Targets()) {
        const std::optional<std::uint64_t> entry = zip.Find(name);
        if (!entry.has_value()) {
            // Word calls a document whose header or note part is missing unreadable.
            return NotExamined(NotExaminedReason::DamagedPackage);
        }
        WordText text(xml_, rule, /*main=*/false);
        if (const Examination examination = SearchText(zip, *entry, text);
            examination.verdict != MarkingVerdict::NotMarked) {
            return examination;
        }
    }
    return Verdict(false);
}

Examination WordPackageFormat::Examine(const FoundDocument& document, WorkerMemory& memory,
                                       marking::MatchRule rule) const {
    return ExaminedWithinMemory([&] {
        if (memory.package == nullptr) {
            memory.package = std::make_unique<PackageExaminer>(memory.compound);
        }
        return static_cast<PackageExaminer&>(*memory.package)
            .Examine(document.path, document.Listed(), rule);
    });
}

}  // namespace kalvor::scan
