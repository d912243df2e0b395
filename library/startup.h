// Starting and stopping the library on a framework call: what the other
// subsystems need of the library's start-up.
#pragma once

// Starts the library on first use with the running program's module.
// Does nothing once started, once loaded as a library, or once a module
// is known (so it never restarts after a shutdown).
void ScrEnsureStarted();
// Shuts the library down when it runs, as the program's run ends.
void ScrStopIfStarted();
