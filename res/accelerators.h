#pragma once

#include <QKeySequence>
#include <span>

namespace kalvor::res {

// Flags of an accelerator entry.
enum AcceleratorFlag : unsigned {
    kAccelVirtKey = 0x01,
    kAccelShift = 0x04,
    kAccelControl = 0x08,
    kAccelAlt = 0x10,
    kAccelEnd = 0x80,  // last entry of the table
};

struct Accelerator {
    unsigned flags;
    unsigned key;  // virtual-key code
    unsigned command;
};

// Accelerator table `id` in table order; empty for an unknown identifier.
std::span<const Accelerator> LoadAccelerators(unsigned id);

// The key combination of `entry`; empty for a key this program's tables do not use.
QKeySequence KeySequenceOf(const Accelerator& entry);

}  // namespace kalvor::res
