#include "monitor/monitor_control.h"

#include "monitor/monitor_resources.h"
#include "monitor/corner_style.h"

// The control's class has no background brush, so what lies under it is
// its parent's drawing. Each paint builds the whole picture off screen -
// that drawing, the picture cut out by its mask, the marks - and puts it
// on screen in one copy, so the control never flickers and its outline
// shows the parent through.

namespace {

// The source DC shows one bitmap after another; only the bitmap it had
// when it was made goes back into it at the end.
struct SourceDC {
    HDC dc;
    HGDIOBJ original;

    bool Show(HBITMAP bitmap)
    {
        if (!bitmap)
            return false;
        HGDIOBJ previous = SelectObject(dc, bitmap);
        if (!previous || previous == HGDI_ERROR)
            return false;
        if (!original)
            original = previous;
        return true;
    }

    void Restore()
    {
        if (original)
            SelectObject(dc, original);
        original = nullptr;
    }
};

// Copies a width x height part of the source, from (sx, sy), to (x, y) of
// the back bitmap at `scale` times its size. Whole multiples copy each
// pixel into a square of pixels, so the art stays sharp.
void CopyScaled(HDC back, int x, int y, HDC source, int sx, int sy, int width, int height, int scale,
                DWORD operation)
{
    if (scale == 1)
        BitBlt(back, x, y, width, height, source, sx, sy, operation);
    else
        StretchBlt(back, x, y, width * scale, height * scale, source, sx, sy, width, height, operation);
}

// Where the mask (the right half) is white the background stays, and the
// picture (the left half) is black there, so XOR leaves it alone; where
// the mask is black only the picture remains.
void DrawPicture(HDC back, SourceDC &source, int scale)
{
    const int width = PictureSize.cx;
    const int height = PictureSize.cy;
    if (!source.Show(MonitorPicture))
        return;
    CopyScaled(back, 0, 0, source.dc, width, 0, width, height, scale, SRCAND);
    CopyScaled(back, 0, 0, source.dc, 0, 0, width, height, scale, SRCINVERT);
}

void DrawCornerMarks(HDC back, SourceDC &source, std::uint32_t style, int scale)
{
    CornerAction actions[CornerCount];
    DecodeCorners(style, actions);
    for (int corner = 0; corner < CornerCount; ++corner) {
        if (!source.Show(CornerMarks[actions[corner]]))
            continue;
        const RECT square = ScaledPictureRect(CornerSquares[corner], scale);
        CopyScaled(back, square.left, square.top, source.dc, 0, 0, MarkSize.cx, MarkSize.cy, scale, SRCCOPY);
    }
}

// Draws the picture through the back bitmap. Anything that cannot be made
// leaves the control unpainted this time; whatever was made is freed.
void DrawThroughBackBuffer(HWND control, HDC screen)
{
    const int scale = PictureScaleOf(control);
    const int width = PictureSize.cx * scale;
    const int height = PictureSize.cy * scale;
    SourceDC source = {CreateCompatibleDC(screen), nullptr};
    HDC back = CreateCompatibleDC(screen);
    HBITMAP buffer = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ backOriginal = nullptr;
    if (source.dc && back && buffer)
        backOriginal = SelectObject(back, buffer);
    if (backOriginal && backOriginal != HGDI_ERROR) {
        BitBlt(back, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        DrawPicture(back, source, scale);
        const auto style = static_cast<std::uint32_t>(GetWindowLongA(control, GWL_STYLE));
        if (ShowsCornerMarks(style))
            DrawCornerMarks(back, source, style, scale);
        source.Restore();
        BitBlt(screen, 0, 0, width, height, back, 0, 0, SRCCOPY);
        SelectObject(back, backOriginal);
    }
    if (buffer)
        DeleteObject(buffer);
    if (back)
        DeleteDC(back);
    if (source.dc)
        DeleteDC(source.dc);
}

} // namespace

void PaintMonitorControl(HWND control)
{
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(control, &paint);
    if (screen)
        DrawThroughBackBuffer(control, screen);
    EndPaint(control, &paint);
}
