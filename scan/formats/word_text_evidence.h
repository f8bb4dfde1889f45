#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/evidence.h"
#include "scan/formats/package_xml.h"
#include "scan/formats/word_text.h"
#include "scan/marking_rule.h"

namespace kalvor::scan {

// Reads a WordprocessingML part of a listed document for its evidence: each marking WordText
// finds, in the paragraph it stands in, placed by the part (body, header or footer, notes,
// comments), a table of the body, a text box, or deleted text (residue). Paragraphs of the body
// that hold text are counted through the tables, without the text boxes.
class WordTextEvidence final : public XmlHandler, private TextObserver {
  public:
    // `collector` gathers the hits of every part of the document.
    WordTextEvidence(XmlReader& reader, marking::MatchRule rule, EvidenceCollector& collector)
        : text_(reader, rule, /*main=*/false, this), collector_(collector) {}

    // Gives the hits of paragraphs the part left open (it ended early) what they have.
    void Finish();

    void StartElement(std::string_view space, std::string_view local,
                      const char** attributes) override;
    void EndElement(std::string_view space, std::string_view local) override;
    void Text(std::string_view utf8) override;

  private:
    // A marking whose paragraph goes on behind it.
    struct Pending {
        std::u16string before;
        std::u16string marking;
        std::u16string after{};
        bool fromStart = false;
        EvidencePlace place = EvidencePlace::Unknown;
        std::optional<std::uint32_t> paragraph;
    };

    struct OpenParagraph {
        EvidencePlace place = EvidencePlace::Unknown;
        bool counted = false;       // one of the body's paragraphs
        std::u16string recent;      // its last units, at least kSurroundingUnits of them
        std::size_t units = 0;      // all its units so far
        std::size_t deletedTo = 0;  // its units up to the last deleted one
        bool holdsText = false;
        bool loose = false;  // text outside any paragraph
        std::vector<Pending> pending;
    };

    void Character(char32_t character) override;
    void MarkingEnds(std::size_t characters) override;

    void Unit(char16_t unit);
    void OpenLooseText();
    void CloseLooseText();
    void OpenParagraphHere();
    void CloseParagraph();
    void SettlePending(OpenParagraph& paragraph, bool toEnd);
    void Settle(Pending& hit, bool toEnd);

    WordText text_;
    EvidenceCollector& collector_;
    std::optional<EvidencePlace> partPlace_;  // from the part's root element
    std::vector<OpenParagraph> paragraphs_;   // the innermost last: a text box's in its anchor's
    std::size_t uncounted_ = 0;               // paragraphs nested too deep to be kept apart
    std::size_t tables_ = 0;                  // open tables around
    std::size_t textBoxes_ = 0;               // open text boxes around
    bool inDeletedText_ = false;
    std::uint32_t bodyParagraphs_ = 0;  // the body's paragraphs holding text, closed so far
};

}  // namespace kalvor::scan
