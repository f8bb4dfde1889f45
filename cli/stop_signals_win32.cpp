#include <csignal>

#include "cli/stop_signals.h"

namespace kalvor::cli {

namespace {

// The C runtime puts the default action back before it calls a handler, so the next signal ends
// the program. A console that ignores Ctrl+C (a process group started so) sends no SIGINT at all.
void NoteStopSignal(int signal) {
    RememberStopSignal(signal);
}

}  // namespace

void CatchStopSignals() {
    std::signal(SIGINT, NoteStopSignal);
    std::signal(SIGTERM, NoteStopSignal);
}

}  // namespace kalvor::cli
