#pragma once

namespace kalvor::scan {

// Why the file of a document could not be had for reading, whatever its format: refused when it
// was opened, or failing when it was read.
enum class FileRefusal {
    NotRegularFile,    // FIFO, socket, device
    ReadOnly,          // read-only for us: permissions, mount, immutable
    Locked,            // held by another program
    Unreadable,        // missing, vanished, no read permission, or failing I/O
    DanglingLink,      // a link whose target does not exist or is a loop of links
    PathTooLong,       // the path cannot be handed to the file system
    ChangedWhileRead,  // written to while it was read, and no marking in what came before
};

}  // namespace kalvor::scan
