// The scene on OpenGL: the fixed drawing state and one frame per call.
// Needs the demo's rendering context to be current.
#pragma once

// Sets the blending, depth test and clear values the scene is drawn under.
void SetSceneGlState();

// Advances the scene by one step and draws it into the back buffer; the
// caller swaps. Returns false when the frame failed (it never does).
bool DrawFrame();
