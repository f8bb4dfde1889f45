#pragma once

namespace kalvor::app {

// The whole life of the window program: connects to the display, starts the application,
// runs the message loop until the main window is closed and returns the exit status. When the
// display cannot be reached it prints one message and returns 1 before any window exists.
int RunApplication(int& argc, char** argv);

}  // namespace kalvor::app
