#pragma once

#include <algorithm>
#include <span>
#include <variant>

namespace kalvor::commands {

// One entry of a command map: a command identifier, or a range of them, and the member that
// handles it. Range handlers receive the identifier.
template <class Target>
struct CommandMapEntry {
    using Handler = void (Target::*)();
    using RangeHandler = void (Target::*)(unsigned id);

    unsigned first;
    unsigned last;
    std::variant<Handler, RangeHandler> handler;
};

template <class Target>
constexpr CommandMapEntry<Target> OnCommandEntry(
    unsigned id, typename CommandMapEntry<Target>::Handler handler) {
    return {id, id, handler};
}

template <class Target>
constexpr CommandMapEntry<Target> OnCommandRangeEntry(
    unsigned first, unsigned last, typename CommandMapEntry<Target>::RangeHandler handler) {
    return {first, last, handler};
}

// A class's table of command handlers, searched in order.
template <class Target>
class CommandMap {
  public:
    constexpr explicit CommandMap(std::span<const CommandMapEntry<Target>> entries)
        : entries_(entries) {}

    bool Has(unsigned id) const { return Find(id) != nullptr; }

    // Runs the handler of `id` on `target`; false when the map has none.
    bool Dispatch(Target& target, unsigned id) const {
        const CommandMapEntry<Target>* entry = Find(id);
        if (entry == nullptr) {
            return false;
        }
        if (const auto* handler =
                std::get_if<typename CommandMapEntry<Target>::Handler>(&entry->handler)) {
            (target.**handler)();
        } else {
            (target.*std::get<typename CommandMapEntry<Target>::RangeHandler>(entry->handler))(id);
        }
        return true;
    }

  private:
    const CommandMapEntry<Target>* Find(unsigned id) const {
        const auto entry = std::ranges::find_if(entries_, [id](const CommandMapEntry<Target>& e) {
            return id >= e.first && id <= e.last;
        });
        return entry == entries_.end() ? nullptr : &*entry;
    }

    std::span<const CommandMapEntry<Target>> entries_;
};

}  // namespace kalvor::commands
