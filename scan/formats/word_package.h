#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cfb/byte_source.h"
#include "cfb/compound_file.h"
#include "cfb/windowed_file.h"
#include "platform/exclusive_file.h"
#include "scan/document_format.h"
#include "scan/examination_memory.h"
#include "scan/formats/package_xml.h"
#include "scan/formats/word_evidence.h"
#include "scan/formats/word_text.h"
#include "scan/formats/zip_package.h"
#include "scan/marking_rule.h"
#include "scan/marking_verdict.h"

namespace kalvor::scan {

// Word 2007+ documents (.docx, .docm, .dotx, .dotm): the text of the main document part and of
// its headers, footers, footnotes, endnotes and comments, searched paragraph by paragraph. Only
// those parts are inflated, straight into a streaming parser, and the file is read once.
//
// One per worker: the parser and the read windows are kept from one document to the next, and
// compound files are read with the worker's own reader, so a walk allocates little per file.
class PackageExaminer final : public FormatMemory {
  public:
    // `compound` reads compound files under a package's name; it must outlive the examiner.
    explicit PackageExaminer(cfb::RootStreamReader& compound) : compound_(compound) {}

    // Opens the document as a .doc is opened, with the same refusals, and examines it as
    // `request` asks; its reads tell `signs` what they meet on the disk, when given; documents of
    // the kinds `include` names are read though they cannot be held.
    Examination Examine(const std::filesystem::path& path, platform::ListedAs listed,
                        const ExamineRequest& request, platform::DiskReadSigns* signs = nullptr,
                        platform::IncludedAccess include = {},
                        const platform::OpenedFolder* folder = nullptr);

    // The verdict on a document's bytes: a ZIP package, or a compound file (an encrypted package,
    // or a Word 97-2003 document under a Word 2007+ name).
    Examination Examine(cfb::ByteSource& file, const ExamineRequest& request);

  private:
    Examination ExamineBytes(cfb::ByteSource& file, const ExamineRequest& request);
    Examination ExamineCompoundFile(cfb::ByteSource& file, const ExamineRequest& request);
    Examination ExamineZip(cfb::ByteSource& file, const ExamineRequest& request);
    // Reads one part of `zip` through the parser into `handler`: nothing, or why it could not be.
    std::optional<NotExaminedReason> ReadXmlPart(ZipPackage& zip, std::uint64_t entry,
                                                 XmlHandler& handler);
    // Finds the parts beside the main part `mainName` whose text is searched (searched_):
    // nothing, or why they could not all be found.
    std::optional<NotExaminedReason> FindSearchedParts(ZipPackage& zip, const std::string& mainName,
                                                       std::uint64_t packageRels,
                                                       std::uint64_t main);
    // A document found marked; with its evidence from the main part `main` and searched_, when
    // asked.
    Examination Listed(ZipPackage& zip, std::uint64_t main, const ExamineRequest& request);
    // Gives back what one document made the worker's memory grow past what it keeps.
    Examination Settled(Examination examination);

    cfb::WindowBuffers windows_{ExaminationMemory()};
    cfb::RootStreamReader& compound_;
    WordEvidenceReader wordEvidence_;
    XmlReader xml_;
    std::vector<std::uint64_t> searched_;  // each once, in the order they lie in the package
};

// Word 2007+ documents under one of their names: each worker examines them with a package
// examiner of its own, made when it meets the first one.
class WordPackageFormat final : public DocumentFormat {
  public:
    explicit constexpr WordPackageFormat(std::string_view extension) : extension_(extension) {}

    std::string_view Extension() const override { return extension_; }
    Examination Examine(const FoundDocument& document, WorkerMemory& memory,
                        const ExamineRequest& request) const override;

  private:
    std::string_view extension_;
};

}  // namespace kalvor::scan
