#include <signal.h>

#include <array>
#include <cstddef>

#include "cli/stop_signals.h"

namespace kalvor::cli {

namespace {

constexpr std::array<int, 3> kStopSignals{SIGINT, SIGTERM, SIGHUP};

// Set before any handler is installed and never again, so the handler may read it.
std::array<bool, kStopSignals.size()> handled{};

void NoteStopSignal(int signal) {
    RememberStopSignal(signal);
    // sigaction is async-signal-safe: the next signal takes the default action.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        if (handled[i]) {
            sigaction(kStopSignals[i], &fallback, nullptr);
        }
    }
}

}  // namespace

void CatchStopSignals() {
    struct sigaction note {};
    note.sa_handler = NoteStopSignal;
    // Without it a read or write that the signal cuts short would fail, and lose a document or a
    // row; the search stops at its next poll instead.
    note.sa_flags = SA_RESTART;
    sigemptyset(&note.sa_mask);
    for (const int signal : kStopSignals) {
        sigaddset(&note.sa_mask, signal);
    }
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        struct sigaction before {};
        handled[i] =
            sigaction(kStopSignals[i], nullptr, &before) == 0 && before.sa_handler != SIG_IGN;
    }
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        if (handled[i]) {
            sigaction(kStopSignals[i], &note, nullptr);
        }
    }
}

}  // namespace kalvor::cli
