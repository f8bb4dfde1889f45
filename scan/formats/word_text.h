#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scan/formats/package_xml.h"
#include "scan/marking_rule.h"

namespace kalvor::scan {

// Told the characters of a part's text as WordText reads them, and where its markings end.
class TextObserver {
  public:
    virtual ~TextObserver() = default;
    virtual void Character(char32_t character) = 0;
    // The last `characters` characters told make a marking.
    virtual void MarkingEnds(std::size_t characters) = 0;
};

// Follows the text of a WordprocessingML part and stops its reader at the first marking: within
// one paragraph, the characters of its text and deleted text in document order, a tab element a
// tab, whatever runs, bookmarks or proofing marks lie between them. A paragraph's start or end, a
// break, a symbol, a special hyphen, a drawing, a field character or a note reference stands
// between two characters, as their character does in a Word 97-2003 document's text.
class WordText final : public XmlHandler {
  public:
    // `main`: the part must be a Word document's body, or it is no Word document at all. With an
    // `observer`, it reads on to the part's end, telling it every character and every marking.
    WordText(XmlReader& reader, marking::MatchRule rule, bool main,
             TextObserver* observer = nullptr)
        : reader_(reader), rule_(rule), main_(main), observer_(observer) {}

    bool Found() const { return found_; }
    // How many of the last characters may still become a marking: a lead and the fillers behind.
    std::size_t OpenMarking() const { return afterLead_ ? markingCharacters_ : 0; }
    // The main part held something other than a Word document.
    bool NotWordDocument() const { return notWordDocument_; }

    void StartElement(std::string_view space, std::string_view local,
                      const char** attributes) override;
    void EndElement(std::string_view space, std::string_view local) override;
    void Text(std::string_view utf8) override;

  private:
    void Character(char32_t character);

    XmlReader& reader_;
    marking::MatchRule rule_;
    bool main_;
    TextObserver* observer_;
    bool seenRoot_ = false;
    bool inText_ = false;      // within w:t or w:delText
    bool inTabStops_ = false;  // within w:tabs, whose w:tab elements are tab stops, not tabs
    bool afterLead_ = false;   // 秘, 机 or 绝 and then only fillers so far
    std::size_t markingCharacters_ = 0;  // of those, while afterLead_
    char32_t pending_ = 0;  // a character whose UTF-8 continues in the next piece of text
    int continuations_ = 0;
    bool found_ = false;
    bool notWordDocument_ = false;
};

// Whether `space` is WordprocessingML's namespace, as Word writes it or in its strict form.
bool IsWordNamespace(std::string_view space);

}  // namespace kalvor::scan
