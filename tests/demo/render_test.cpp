// The demo drawn by real OpenGL (Mesa under Wine): the state it draws
// under, its projection, and the pixels that reach the window.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "demo/demo_loop.h"
#include "demo/gl_window.h"
#include "demo/scene.h"
#include "demo/scene_gl.h"
#include "demo_test_support.h"
#include "message_boxes.h"

namespace {

class DemoRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDemo();
        MessageBoxAnswerer answerer({IDYES});
        ASSERT_TRUE(CreateDemoWindow("Brix & Mallow's Quadratics Tutorial", 800, 600, 16, true));
        DrainMessages();
        RECT client;
        GetClientRect(DemoWindow, &client);
        width_ = client.right;
        height_ = client.bottom;
        ASSERT_GT(width_, 100);
        ASSERT_GT(height_, 100);
    }
    void TearDown() override { ResetDemo(); }

    int width_ = 0, height_ = 0; // of the drawable: the client area
};

struct Pixel {
    float r, g, b;
};

// A picture of the drawable, bottom row first as OpenGL counts: either what
// the window shows (read back through GDI, as any other program would see
// it) or the back buffer, which only OpenGL can read.
class Picture {
public:
    static Picture Shown(int width, int height)
    {
        Picture picture(width, height);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height; // positive: bottom-up rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *bits = nullptr;
        HDC window = GetDC(DemoWindow);
        HDC memory = CreateCompatibleDC(window);
        HBITMAP bitmap = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        EXPECT_TRUE(BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY));
        GdiFlush();
        const auto *pixels = static_cast<const uint8_t *>(bits);
        for (size_t i = 0; i < picture.pixels_.size(); ++i) // blue, green, red, unused
            picture.pixels_[i] = {pixels[4 * i + 2] / 255.0f, pixels[4 * i + 1] / 255.0f,
                                  pixels[4 * i] / 255.0f};
        SelectObject(memory, previous);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(DemoWindow, window);
        return picture;
    }
    static Picture BackBuffer(int width, int height)
    {
        Picture picture(width, height);
        std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 4);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
        for (size_t i = 0; i < picture.pixels_.size(); ++i)
            picture.pixels_[i] = {bytes[4 * i] / 255.0f, bytes[4 * i + 1] / 255.0f,
                                  bytes[4 * i + 2] / 255.0f};
        return picture;
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // x from the left, y from the bottom.
    const Pixel &At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    int LitCount() const
    {
        int lit = 0;
        for (const Pixel &p : pixels_)
            lit += (p.r > 0 || p.g > 0 || p.b > 0) ? 1 : 0;
        return lit;
    }
    bool operator==(const Picture &other) const
    {
        if (pixels_.size() != other.pixels_.size())
            return false;
        for (size_t i = 0; i < pixels_.size(); ++i) {
            const Pixel &a = pixels_[i], &b = other.pixels_[i];
            if (a.r != b.r || a.g != b.g || a.b != b.b)
                return false;
        }
        return true;
    }

private:
    Picture(int width, int height)
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height)
    {
    }
    int width_, height_;
    std::vector<Pixel> pixels_;
};

void ExpectMatrixNear(const GLdouble *actual, const double *expected, const char *what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5) << what << ", element " << i;
}

// gluPerspective(45, aspect, 0.1, 100), written out.
void ExpectPerspective(double aspect)
{
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double f = 1.0 / std::tan(22.5 * 3.14159265358979323846 / 180.0);
    const double expected[16] = {f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, -100.1 / 99.9, -1,
                                 0, 0, -20.0 / 99.9, 0};
    ExpectMatrixNear(projection, expected, "projection");
}

TEST_F(DemoRenderTest, DrawingStateAfterCreation)
{
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint value = 0;
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE);
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
    EXPECT_EQ(value, GL_NICEST);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.0f);
    EXPECT_EQ(clear[1], 0.0f);
    EXPECT_EQ(clear[2], 0.0f);
    EXPECT_NEAR(clear[3], 0.5f, 1e-6);
    GLdouble depth = 0;
    glGetDoublev(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_EQ(depth, 1.0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // The projection is set for the requested size, not the client area.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    ExpectPerspective(800.0 / 600.0);
}

TEST_F(DemoRenderTest, SizeMessagesSetViewportAndAspect)
{
    SendMessageA(DemoWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 300);
    EXPECT_EQ(viewport[3], 200);
    ExpectPerspective(1.5);

    // No height at all still gives a drawable viewport and the aspect of
    // width / 1.
    SendMessageA(DemoWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 0));
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    ExpectPerspective(640.0);

    // The model-view matrix is the current one again, and it is the identity.
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLdouble modelView[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ExpectMatrixNear(modelView, identity, "model-view");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The colour a live-loop vertex is drawn in.
Pixel LiveColour(int index)
{
    const ScenePoint &last = TheScene.Positions[14];
    switch (index % 3) {
    case 0: return {std::fabs(0.2f * last.x) + 0.5f, 0.1f, 0.1f};
    case 1: return {0.1f, std::fabs(0.2f * last.y) + 0.5f, 0.1f};
    default: return {0.1f, 0.1f, std::fabs(0.2f * last.z) + 0.5f};
    }
}

bool Near(const Pixel &a, const Pixel &b, float tolerance)
{
    return std::fabs(a.r - std::fmin(b.r, 1.0f)) <= tolerance &&
           std::fabs(a.g - std::fmin(b.g, 1.0f)) <= tolerance &&
           std::fabs(a.b - std::fmin(b.b, 1.0f)) <= tolerance;
}

// Where a live-loop point lands in the window, in pixels from the
// bottom left; false when it falls outside the drawable.
bool ProjectPoint(const ScenePoint &point, const Picture &picture, int *x, int *y)
{
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx, wy, wz;
    if (!gluProject(point.x, point.y, point.z - 90.0, modelView, projection, viewport, &wx, &wy, &wz))
        return false;
    *x = static_cast<int>(std::floor(wx));
    *y = static_cast<int>(std::floor(wy));
    return *x >= 2 && *y >= 2 && *x < picture.Width() - 2 && *y < picture.Height() - 2;
}

// Before the trail grows (frames 1 to 5) only the live loop is drawn: a
// few thin coloured lines on black, with every point of the loop in its
// own colour.
TEST_F(DemoRenderTest, WindowShowsTheLiveLoopOnBlack)
{
    ASSERT_EQ(TheScene.FrameCounter, 0);
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_TRUE(DrawFrame());
        SwapBuffers(DemoDeviceContext);
    }
    glFinish();
    const Picture shown = Picture::Shown(width_, height_);

    const int total = shown.Width() * shown.Height();
    const int lit = shown.LitCount();
    EXPECT_GT(lit, 100) << "the loop is drawn";
    EXPECT_LT(lit, total / 20) << "lines on black, not filled areas";
    const Pixel black = {0, 0, 0};
    EXPECT_TRUE(Near(shown.At(0, 0), black, 0));
    EXPECT_TRUE(Near(shown.At(shown.Width() - 1, shown.Height() - 1), black, 0));

    // Next to each point the lines have the point's colour. A pixel or two
    // of slack: the rasteriser rounds the end of a line, and where two
    // segments both cover the joint the additive blend doubles it. Point 0
    // is skipped: the closing segment ends there in point 14's colour.
    int checked = 0, matched = 0;
    for (int i = 1; i < ScenePointCount; ++i) {
        int x, y;
        if (!ProjectPoint(TheScene.Positions[i], shown, &x, &y))
            continue;
        ++checked;
        const Pixel expected = LiveColour(i);
        bool found = false;
        for (int dy = -2; dy <= 2 && !found; ++dy) {
            for (int dx = -2; dx <= 2 && !found; ++dx)
                found = Near(shown.At(x + dx, y + dy), expected, 0.08f);
        }
        matched += found ? 1 : 0;
        EXPECT_TRUE(found) << "point " << i << " at (" << x << ", " << y << ")";
    }
    EXPECT_GE(checked, 10) << "most of the loop is inside the window";
    EXPECT_EQ(matched, checked);
}

// While minimised nothing is drawn, yet the loop still swaps: what was in
// the back buffer reaches the window and the scene does not move.
TEST_F(DemoRenderTest, MinimisedPassSwapsWithoutDrawing)
{
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    const int frames = TheScene.FrameCounter;

    DemoActive = false;
    EXPECT_TRUE(RunDemoIdlePass());
    glFinish();
    EXPECT_EQ(TheScene.FrameCounter, frames);
    const Picture shown = Picture::Shown(width_, height_);
    const Pixel green = {0, 1, 0};
    EXPECT_TRUE(Near(shown.At(width_ / 2, height_ / 2), green, 0.01f));
    EXPECT_TRUE(Near(shown.At(3, 3), green, 0.01f));

    // Active again, the next pass draws a frame on black.
    DemoActive = true;
    EXPECT_TRUE(RunDemoIdlePass());
    glFinish();
    EXPECT_EQ(TheScene.FrameCounter, frames + 1);
    const Picture drawn = Picture::Shown(width_, height_);
    EXPECT_TRUE(Near(drawn.At(3, 3), Pixel{0, 0, 0}, 0));
    EXPECT_GT(drawn.LitCount(), 100);
}

// The pass that sees Escape has already drawn its frame, and never shows it.
TEST_F(DemoRenderTest, FrameOfTheEscapePassIsNeverShown)
{
    ASSERT_TRUE(RunDemoIdlePass());
    glFinish();
    const Picture before = Picture::Shown(width_, height_);
    const int frames = TheScene.FrameCounter;

    SendMessageA(DemoWindow, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_FALSE(RunDemoIdlePass());
    glFinish();
    EXPECT_EQ(TheScene.FrameCounter, frames + 1) << "the frame was drawn";
    const Picture after = Picture::Shown(width_, height_);
    const Picture unseen = Picture::BackBuffer(width_, height_);
    EXPECT_TRUE(after == before) << "the window still shows the previous frame";
    EXPECT_FALSE(unseen == before) << "the new frame stayed in the back buffer";
}

// Trail rows add light behind the loop: with ten rows far more of the
// window is lit than by the loop alone.
TEST_F(DemoRenderTest, TrailFollowsTheLoop)
{
    int loopOnly = 0;
    for (int frame = 1; frame <= 50; ++frame) {
        ASSERT_TRUE(DrawFrame());
        SwapBuffers(DemoDeviceContext);
        if (frame == 5) {
            glFinish();
            loopOnly = Picture::Shown(width_, height_).LitCount();
        }
    }
    EXPECT_EQ(TheScene.TrailLength, 10);
    glFinish();
    const int withTrail = Picture::Shown(width_, height_).LitCount();
    EXPECT_GT(loopOnly, 100);
    EXPECT_GT(withTrail, 2 * loopOnly);
}

} // namespace
