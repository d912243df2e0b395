/*
 * dusklit_gl.h - drawing a Dusklit saver with OpenGL: a context on the
 * saver window, a viewport per monitor, and frames paced to the display.
 *
 * The helper is a static library of its own (dusklit_gl; Dusklit::gl in
 * CMake), linked beside either form of the framework, the static library
 * or dusklit.dll. It brings opengl32 along; a saver that does not link it
 * never loads opengl32.dll. A whole saver:
 *
 *   LRESULT CALLBACK MySaverProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
 *   {
 *       switch (m) {
 *       case WM_CREATE: {
 *           LRESULT created = DefSaverProc(w, m, wp, lp);
 *           ScrGLAttach(w, NULL);   (FALSE without OpenGL: the saver stays black)
 *           return created;
 *       }
 *       case SCRM_TIMER:
 *           for (int i = 0; i < ScrGLMonitorCount(w); ++i) {
 *               ScrGLUseMonitor(w, i);
 *               glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
 *               DrawScene(i);
 *           }
 *           ScrGLSwap(w);
 *           return ScrGLPeriod(w);
 *       }
 *       return DefSaverProc(w, m, wp, lp);
 *   }
 *
 * It serves the full-screen window, previews (in the display settings or
 * on a configuration page) and the debug window alike. Every call takes a
 * saver window and must be made on the thread that created it; a handle
 * that is not an attached window of that thread gets FALSE, 0 or nothing
 * done. The context follows the window: when the window is moved or
 * resized, or the monitors change, the next ScrGLUseMonitor uses the new
 * places, and the window's WM_DESTROY releases the context even without
 * ScrGLDetach. Closing on input and the password never depend on OpenGL:
 * where it fails, the calls here answer FALSE and the saver still closes
 * as always.
 */
#ifndef DUSKLIT_GL_H
#define DUSKLIT_GL_H

#include <windows.h>
#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What the saver asks of the context. NULL asks for the defaults. */
typedef struct ScrGLConfig {
    LONG Size;         /* sizeof (ScrGLConfig) */
    LONG DepthBits;    /* 0 for none; default 24; at most 32 */
    LONG Samples;      /* multisampling; 0 for none (default); at most 16 */
    LONG SwapInterval; /* 1 (default): each swap waits for the display's refresh;
                          n: for n refreshes (at most 4); 0: it does not wait */
} ScrGLConfig;

/* Takes a saver window on: call it once DefSaverProc has seen the window's
 * WM_CREATE (as above: pass WM_CREATE on first), or any time later.
 * Chooses a double-buffered RGBA pixel format for the saver window (with
 * the depth and samples asked for where the driver offers them, else with
 * fewer), creates the context and makes it current on this thread.
 * FALSE, with nothing changed, for a window that is not a saver window
 * (ScrIsSaverWindow), is not this thread's, is attached already or
 * already has a pixel format unfit for drawing, and for a config of
 * another Size or with values out of range. FALSE too where OpenGL is
 * missing or refuses the format or the context: nothing is left behind
 * then but a pixel format the system took, which a window keeps. */
BOOL WINAPI ScrGLAttach(HWND window, const ScrGLConfig *config);

/* The monitors the window shows, as ScrGetMonitors counts them: every
 * monitor for the full-screen window, one for a preview and the debug
 * window. 0 for a window that is not attached. */
int WINAPI ScrGLMonitorCount(HWND window);

/* Makes the window's context current and sets the viewport and the
 * scissor box (with the scissor test on) to monitor index, 0 up to
 * ScrGLMonitorCount - 1, in OpenGL's bottom-up window coordinates. So a
 * glClear clears that monitor alone, and a projection drawn about the
 * viewport's middle is centred on the monitor. */
BOOL WINAPI ScrGLUseMonitor(HWND window, int index);

/* Shows the frame drawn since the last swap. With a swap interval, it
 * returns once the display is due for the next picture: the driver waits
 * for the refresh where its swap control (WGL_EXT_swap_control) really
 * does, and the helper waits on the clock where it does not. */
BOOL WINAPI ScrGLSwap(HWND window);

/* What to answer SCRM_TIMER with after ScrGLSwap: 0 when swaps wait for
 * the refresh, so the next tick comes at once and the swap paces it;
 * otherwise (no swap interval, or the window is not attached) the primary
 * monitor's refresh period in whole milliseconds, 17 at 60 Hz, the rate
 * taken when the system does not say. */
UINT WINAPI ScrGLPeriod(HWND window);

/* Releases the window's context; a window that is not attached is left
 * alone. The window keeps its pixel format (the system allows only one),
 * so it can be attached again with the same depth and samples. */
void WINAPI ScrGLDetach(HWND window);

#ifdef __cplusplus
}
#endif

#endif /* DUSKLIT_GL_H */
