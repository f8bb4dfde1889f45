#include "commands/command_router.h"

#include <algorithm>

namespace kalvor::commands {

bool CommandRouter::IsEnabled(unsigned id) const {
    const CommandTarget* target = TargetOf(id);
    return target != nullptr && target->IsCommandAvailable(id);
}

bool CommandRouter::IsChecked(unsigned id) const {
    const CommandTarget* target = TargetOf(id);
    return target != nullptr && target->IsCommandChecked(id);
}

bool CommandRouter::Execute(unsigned id) const {
    CommandTarget* target = TargetOf(id);
    return target != nullptr && target->OnCommand(id);
}

CommandTarget* CommandRouter::TargetOf(unsigned id) const {
    const auto target =
        std::ranges::find_if(route_, [id](const CommandTarget* t) { return t->HasCommand(id); });
    return target == route_.end() ? nullptr : *target;
}

}  // namespace kalvor::commands
