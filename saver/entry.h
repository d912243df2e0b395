// Internal calls of the framework entry used by other subsystems.
#pragma once

// Warns the user when the program was linked without the framework's
// resources; the caller goes on regardless.
void ScrCheckResources();
