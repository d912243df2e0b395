// Every text the demo shows the user.
#pragma once

#define DEMO_TITLE "Brix & Mallow's Quadratics Tutorial"
#define DEMO_WINDOW_CLASS "OpenGL"

#define DEMO_ERROR_CAPTION "ERROR"
#define DEMO_SHUTDOWN_CAPTION "SHUTDOWN ERROR"
#define DEMO_QUESTION_CAPTION "Brix GL"

#define DEMO_ASK_WINDOWED \
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?"
#define DEMO_WILL_CLOSE "Program Will Now Close."

#define DEMO_CLASS_FAILED "Failed To Register The Window Class."
#define DEMO_WINDOW_FAILED "Window Creation Error."
#define DEMO_DC_FAILED "Can't Create A GL Device Context."
#define DEMO_NO_PIXEL_FORMAT "Can't Find A Suitable PixelFormat."
#define DEMO_PIXEL_FORMAT_FAILED "Can't Set The PixelFormat."
#define DEMO_RC_FAILED "Can't Create A GL Rendering Context."
#define DEMO_RC_NOT_CURRENT "Can't Activate The GL Rendering Context."
#define DEMO_INIT_FAILED "Initialization Failed."

#define DEMO_RELEASE_BINDING_FAILED "Release Of DC And RC Failed."
#define DEMO_RELEASE_RC_FAILED "Release Rendering Context Failed."
#define DEMO_RELEASE_DC_FAILED "Release Device Context Failed."
#define DEMO_RELEASE_WINDOW_FAILED "Could Not Release hWnd."
