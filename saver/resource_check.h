// The check that the program carries the framework's resources: without
// them the sheet, the texts and the monitor control are missing.
#pragma once

// Warns the user when the program was linked without the framework's
// resources; the caller goes on regardless.
void ScrCheckResources();
