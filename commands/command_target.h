#pragma once

namespace kalvor::commands {

// One stop on a command's route: view, then document, then frame, then application. The first
// target whose command map holds the identifier handles it; an identifier no map holds leaves its
// action disabled (or consumed without effect, for the edit accelerators).
class CommandTarget {
  public:
    virtual ~CommandTarget() = default;

    virtual bool HasCommand(unsigned id) const = 0;

    // Whether command `id`, which this target's map holds, can run now; its item is grayed
    // while it cannot. Most commands always can.
    virtual bool IsCommandAvailable(unsigned /*id*/) const { return true; }

    // Whether the item of command `id`, which this target's map holds, shows a check mark: a
    // choice that is on. Most commands are no choice.
    virtual bool IsCommandChecked(unsigned /*id*/) const { return false; }

    // Runs the handler of `id` when this target's map holds it; false otherwise.
    virtual bool OnCommand(unsigned id) = 0;
};

}  // namespace kalvor::commands
