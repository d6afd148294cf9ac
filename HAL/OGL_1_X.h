#pragma once
// The OpenGL context of a display: created on the display's window, made
// current, presented, deleted. The renderer calls these; the display's
// OGLRecord holds the handles. OpenGL functions beyond 1.1 come through
// HAL/GL.h, loaded by init.

namespace HAL {

class Display;

class OGL_1_X {
public:
    // Creates a context on the display's window (the pixel format was set
    // when the window was made), makes it current, asks for vertical sync
    // (not having it is not an error) and loads the entry points of
    // HAL/GL.h. Requires a display (" display ") with a window; asserts
    // "initGraphics3DHW : HRC init failed" when no context can be made.
    static void init(Display* display);

    // Logs a pending OpenGL error, then releases and deletes the context.
    // Requires an initialised context
    // (" ogl->m_display && ogl->m_context && ogl->m_surface "): a second
    // deinit asserts instead of deleting twice.
    static void deinit(Display* display);

    // Makes the display's context current, unless it already is. Asserts
    // "makeCurrent : SDL_GL_MakeCurrent failed" ("makeCurrent :
    // wglMakeCurrent failed" on Windows) when that fails.
    static void makeCurrent(Display* display);

    // Presents the back buffer. Requires an initialised context.
    static void swapBuffers(Display* display);
};

} // namespace HAL
