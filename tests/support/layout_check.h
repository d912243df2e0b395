// Checks a dialog as the platform has laid it out at the DPI it runs at:
// templates are in dialog units and grow with the font, while whatever is
// placed in pixels does not, so a layout that is right at 96 DPI can clip
// or overlap at 144 or 192.
#pragma once
#include <windows.h>

#include <string>

// One line per fault, naming the control by its id and text; empty when
// the layout is sound, so a test can compare it with "". Looked at are the dialog's visible direct children:
//  - each lies within the dialog's client area; for a static text only the
//    part its text covers counts, since the rest of it shows nothing;
//  - the text of each static, button, check box and group box fits its
//    control in the control's own font (wrapped as the control wraps it),
//    as does every entry of a drop-down list beside its arrow button;
//  - no two overlap, group boxes and tab controls apart (they frame
//    others) and an up-down control with its buddy, static texts again by
//    the part their text covers.
// May be called from another thread than the dialog's, which must be
// answering messages meanwhile.
std::string LayoutFaults(HWND dialog);

// The whole multiple the monitor picture is drawn at on this display: 1 at
// the 96 and 144 DPI most entries run at, 2 at 192.
int PictureScaleHere();
