#pragma once

namespace kalvor::cli {

// From now on the signals that ask a program to stop (SIGINT, SIGTERM and, where the system has
// it, SIGHUP) only note that they came, so that a search can end on its own terms and keep what
// it found. A signal ignored when the program started stays ignored, as `nohup` expects. Once one
// has come, the next ends the program as it would have without this.
void CatchStopSignals();

// The first signal caught that asks the program to stop, or 0 while none has come.
int StopSignal();

// What the handlers of CatchStopSignals call; async-signal-safe.
void RememberStopSignal(int signal) noexcept;

}  // namespace kalvor::cli
