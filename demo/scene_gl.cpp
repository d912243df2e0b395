// Connects the scene's drawing to OpenGL's immediate mode.
#include "scene_gl.h"

#include <windows.h>
#include <GL/gl.h>

#include "scene.h"

namespace {

class GlSceneSink final : public SceneSink {
public:
    void BeginStrip() override { glBegin(GL_LINE_STRIP); }
    void Color(float red, float green, float blue, float alpha) override
    {
        glColor4f(red, green, blue, alpha);
    }
    void Vertex(float x, float y, float z) override { glVertex3f(x, y, z); }
    void EndStrip() override { glEnd(); }
};

} // namespace

void SetSceneGlState()
{
    // No texture is ever defined, so this leaves everything untextured; it
    // is kept because it is part of the state the scene was tuned under.
    glEnable(GL_TEXTURE_2D);
    // Additive blending weighted by alpha makes overlapping lines glow and
    // lets the trail fade out.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool DrawFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Every motion comes from the coordinates themselves.
    glLoadIdentity();
    GlSceneSink sink;
    StepScene(TheScene, sink);
    return true;
}
