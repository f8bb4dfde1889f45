#include "scan/formats/package_xml.h"

#include <expat.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/memory_budget.h"
#include "scan/formats/package_libraries.h"

namespace kalvor::scan {

namespace {

// The most memory one parser may hold. Word's XML needs a few hundred kilobytes at most: character
// data streams through without being kept, and no tag, attribute or nesting of a real document
// comes near this.
constexpr std::size_t kMaxParserMemory = 32 * 1024 * 1024;
// How much inflated XML goes to the parser at a time, unless it holds a token unfinished: expat
// scans an unfinished token again from its start whenever more bytes come, so a token of megabytes
// fed a fixed chunk at a time costs time that grows with its square (seconds for a package of a
// hundred kilobytes). Chunks a quarter as long as what came since the parser last told anything
// make that linear, and leave the longest token the parser can hold as it was.
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kLargestChunk = kMaxParserMemory / 4;
// Cannot occur in XML, so never inside a namespace name.
constexpr XML_Char kNamespaceSeparator = '\x01';

// Expat's allocator knows nothing of the reader it serves, so the reader names its account for
// the duration of each call into the parser, and every block remembers the account and the
// examination's budget it was charged to.
thread_local ParserMemory* tCharged = nullptr;

class ChargedTo {
  public:
    explicit ChargedTo(ParserMemory& account) : previous_(tCharged) { tCharged = &account; }
    ~ChargedTo() { tCharged = previous_; }
    ChargedTo(const ChargedTo&) = delete;
    ChargedTo& operator=(const ChargedTo&) = delete;

  private:
    ParserMemory* previous_;
};

struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
    ParserMemory* account;
    platform::MemoryBudget* budget;
};

bool WithinParserLimit(const ParserMemory* account, std::size_t more) {
    return account == nullptr ||
           (more <= kMaxParserMemory && account->held <= kMaxParserMemory - more);
}

// Expat is C, so memory that cannot be had cannot be thrown through it: it is noted in the
// account, for the reader to throw once expat has returned.
void NoteUnavailable(ParserMemory* account) {
    if (account != nullptr) {
        account->unavailable = true;
    }
}

// Charges `size` to the examination's budget.
bool ChargeBudget(ParserMemory* account, std::size_t size, platform::MemoryBudget*& budget) {
    if (platform::MemoryBudget::TryCharge(size, budget)) {
        return true;
    }
    NoteUnavailable(account);
    return false;
}

void GiveBack(platform::MemoryBudget* budget, std::size_t size) {
    if (budget != nullptr) {
        budget->Give(size);
    }
}

void* Allocate(std::size_t size) {
    ParserMemory* account = tCharged;
    platform::MemoryBudget* budget = nullptr;
    if (!WithinParserLimit(account, size) || !ChargeBudget(account, size, budget)) {
        return nullptr;
    }
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (header == nullptr) {
        GiveBack(budget, size);
        NoteUnavailable(account);
        return nullptr;
    }
    *header = {size, account, budget};
    if (account != nullptr) {
        account->held += size;
    }
    return header + 1;
}

void Release(void* block) {
    if (block == nullptr) {
        return;
    }
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    if (header->account != nullptr) {
        header->account->held -= header->size;
    }
    GiveBack(header->budget, header->size);
    std::free(header);
}

void* Reallocate(void* block, std::size_t size) {
    if (block == nullptr) {
        return Allocate(size);
    }
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    const BlockHeader old = *header;
    if (size > old.size && !WithinParserLimit(old.account, size - old.size)) {
        return nullptr;
    }
    // The new size is charged whole before the old one is given back: the block may be copied.
    platform::MemoryBudget* budget = nullptr;
    if (!ChargeBudget(old.account, size, budget)) {
        return nullptr;
    }
    auto* moved = static_cast<BlockHeader*>(std::realloc(header, sizeof(BlockHeader) + size));
    if (moved == nullptr) {
        GiveBack(budget, size);
        NoteUnavailable(old.account);
        return nullptr;
    }
    *moved = {size, old.account, budget};
    if (old.account != nullptr) {
        old.account->held = old.account->held - old.size + size;
    }
    GiveBack(old.budget, old.size);
    return moved + 1;
}

const XML_Memory_Handling_Suite kCountedMemory = {Allocate, Reallocate, Release};

// A name as expat gives it, "namespace" + separator + "local", split; no namespace when unbound.
std::pair<std::string_view, std::string_view> SplitName(const char* name) {
    const std::string_view qualified(name);
    const std::size_t split = qualified.find(kNamespaceSeparator);
    if (split == std::string_view::npos) {
        return {{}, qualified};
    }
    return {qualified.substr(0, split), qualified.substr(split + 1)};
}

}  // namespace

std::string_view AttributeValue(const char** attributes, std::string_view name) {
    for (const char** pair = attributes; pair[0] != nullptr; pair += 2) {
        if (name == pair[0]) {
            return pair[1];
        }
    }
    return {};
}

XmlReader::XmlReader() = default;

XmlReader::~XmlReader() {
    ReleaseMemoryAbove(0);
}

void XmlReader::Create() {
    const ChargedTo charged(memory_);
    parser_ = PackageLibrary().XML_ParserCreate_MM(nullptr, &kCountedMemory, &kNamespaceSeparator);
    if (parser_ == nullptr) {
        throw std::bad_alloc();
    }
}

void XmlReader::Begin(XmlHandler& handler) {
    if (end_ == XmlEnd::OverBudget) {
        // A parser that ran out of memory half-way is not trusted to reset cleanly.
        ReleaseMemoryAbove(0);
    }
    if (parser_ == nullptr) {
        Create();
    } else {
        const ChargedTo charged(memory_);
        PackageLibrary().XML_ParserReset(parser_, nullptr);
    }
    handler_ = &handler;
    end_ = XmlEnd::Finished;
    memory_.unavailable = false;
    unreported_ = 0;
    PackageLibrary().XML_SetUserData(parser_, this);
    PackageLibrary().XML_SetElementHandler(parser_, &OnStart, &OnEnd);
    PackageLibrary().XML_SetCharacterDataHandler(parser_, &OnText);
    PackageLibrary().XML_SetStartDoctypeDeclHandler(parser_, &OnDoctype);
    PackageLibrary().XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

std::span<std::uint8_t> XmlReader::Room() {
    const ChargedTo charged(memory_);
    const std::size_t chunk = std::clamp(unreported_ / 4, kChunk, kLargestChunk);
    void* room = PackageLibrary().XML_GetBuffer(parser_, static_cast<int>(chunk));
    if (room == nullptr) {
        end_ = Failed();
        return {};
    }
    return {static_cast<std::uint8_t*>(room), chunk};
}

bool XmlReader::Take(std::size_t length, bool last) {
    const ChargedTo charged(memory_);
    unreported_ += length;
    if (PackageLibrary().XML_ParseBuffer(parser_, static_cast<int>(length),
                                         last ? XML_TRUE : XML_FALSE) == XML_STATUS_ERROR) {
        if (end_ == XmlEnd::Finished) {
            end_ = Failed();
        }
        return false;
    }
    return !last;
}

XmlEnd XmlReader::Failed() {
    if (PackageLibrary().XML_GetErrorCode(parser_) != XML_ERROR_NO_MEMORY) {
        return XmlEnd::Malformed;
    }
    if (memory_.unavailable) {
        end_ = XmlEnd::OverBudget;
        throw std::bad_alloc();
    }
    return XmlEnd::OverBudget;
}

void XmlReader::Finish(XmlEnd end) {
    end_ = end;
    PackageLibrary().XML_StopParser(parser_, XML_FALSE);
}

void XmlReader::ReleaseMemoryAbove(std::size_t bytes) {
    if (parser_ != nullptr && memory_.held > bytes) {
        const ChargedTo charged(memory_);
        PackageLibrary().XML_ParserFree(parser_);
        parser_ = nullptr;
    }
}

void XmlReader::OnStart(void* self, const char* name, const char** attributes) {
    const auto [space, local] = SplitName(name);
    auto* reader = static_cast<XmlReader*>(self);
    reader->unreported_ = 0;
    reader->handler_->StartElement(space, local, attributes);
}

void XmlReader::OnEnd(void* self, const char* name) {
    const auto [space, local] = SplitName(name);
    auto* reader = static_cast<XmlReader*>(self);
    reader->unreported_ = 0;
    reader->handler_->EndElement(space, local);
}

void XmlReader::OnText(void* self, const char* text, int length) {
    auto* reader = static_cast<XmlReader*>(self);
    reader->unreported_ = 0;
    reader->handler_->Text({text, static_cast<std::size_t>(length)});
}

void XmlReader::OnDoctype(void* self, const char* /*name*/, const char* /*system*/,
                          const char* /*publicId*/, int /*internalSubset*/) {
    static_cast<XmlReader*>(self)->Finish(XmlEnd::Refused);
}

}  // namespace kalvor::scan
