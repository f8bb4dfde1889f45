#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "scan/formats/zip_package.h"

struct XML_ParserStruct;

namespace kalvor::scan {

// What the XML of a part tells, element by element. Names come split into their namespace and
// their local name, so a prefix chosen by the writer never matters.
class XmlHandler {
  public:
    virtual ~XmlHandler() = default;
    virtual void StartElement(std::string_view space, std::string_view local,
                              const char** attributes) = 0;
    virtual void EndElement(std::string_view space, std::string_view local) = 0;
    // Character data, in UTF-8 and in whole characters, references already decoded.
    virtual void Text(std::string_view utf8) = 0;
};

// The value of the unqualified attribute `name` in expat's list of names and values; empty when
// it is not there.
std::string_view AttributeValue(const char** attributes, std::string_view name);

// What a parser holds, counted by its allocator.
struct ParserMemory {
    std::size_t held = 0;
    bool unavailable = false;  // more could not be had, from the examination's budget or the system
};

// How a part's XML ended.
enum class XmlEnd {
    Finished,    // the document was read to its end
    Stopped,     // a handler asked to stop
    Malformed,   // not well-formed, or in an encoding the parser does not know
    Refused,     // a document type declaration: Word never writes one, entities could expand
    OverBudget,  // the parser would need more memory than a part's XML may take
};

// A streaming XML parser (expat) the inflated bytes of a part go straight into, kept from one
// part and one document to the next. Its memory is counted and capped, so a token or a nesting
// built to grow the parser's buffers ends the part instead of exhausting the worker, and charged
// to the examination's memory budget: memory the budget or the system cannot give is thrown as
// std::bad_alloc.
class XmlReader final : public PartSink {
  public:
    XmlReader();
    ~XmlReader() override;
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // Starts a new document, told to `handler`.
    void Begin(XmlHandler& handler);

    std::span<std::uint8_t> Room() override;
    bool Take(std::size_t length, bool last) override;

    // From a handler: nothing more of this document is wanted.
    void Stop() { Finish(XmlEnd::Stopped); }
    // From a handler: the document holds more than any real one does.
    void StopOverBudget() { Finish(XmlEnd::OverBudget); }

    // How the document ended; Finished while it goes on.
    XmlEnd End() const { return end_; }

    // Gives the parser's memory back when it holds more than `bytes`.
    void ReleaseMemoryAbove(std::size_t bytes);

  private:
    void Create();
    void Finish(XmlEnd end);
    // How the document ends after expat gave an error; throws std::bad_alloc for memory that
    // could not be had, as against memory beyond what a parser may hold.
    XmlEnd Failed();

    static void OnStart(void* self, const char* name, const char** attributes);
    static void OnEnd(void* self, const char* name);
    static void OnText(void* self, const char* text, int length);
    static void OnDoctype(void* self, const char* name, const char* system, const char* publicId,
                          int internalSubset);

    XML_ParserStruct* parser_ = nullptr;
    XmlHandler* handler_ = nullptr;
    ParserMemory memory_;
    std::size_t unreported_ = 0;  // bytes taken since the parser last told the handler anything
    XmlEnd end_ = XmlEnd::Finished;
};

}  // namespace kalvor::scan
