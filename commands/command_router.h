#pragma once

#include <initializer_list>
#include <vector>

#include "commands/command_target.h"

namespace kalvor::commands {

// The route of a command: the targets in order (view, document, frame, application); the first
// whose map holds the identifier handles it.
class CommandRouter {
  public:
    CommandRouter(std::initializer_list<CommandTarget*> route) : route_(route) {}

    // True when some target on the route handles `id` and lets it run now: its menu item and
    // button are enabled.
    bool IsEnabled(unsigned id) const;

    // True when the target that handles `id` has its choice on: its item shows a check mark.
    bool IsChecked(unsigned id) const;

    // Hands `id` to the first target that handles it; false when none does.
    bool Execute(unsigned id) const;

  private:
    CommandTarget* TargetOf(unsigned id) const;

    std::vector<CommandTarget*> route_;
};

}  // namespace kalvor::commands
