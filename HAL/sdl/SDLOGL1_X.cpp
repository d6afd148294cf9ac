// OGL_1_X on SDL: SDL_GL_CreateContext, SDL_GL_MakeCurrent,
// SDL_GL_SwapWindow and SDL_GL_DeleteContext on the display's SDL window.

#include <SDL.h>

#include "HAL/Display.h"
#include "HAL/GL.h"
#include "HAL/OGL_1_X.h"
#include "core/Debug.h"

namespace HAL {

using core::Debug;

namespace {

void* resolveWithSDL(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

} // namespace

void OGL_1_X::init(Display* display)
{
    ASSERT(display);
    OGLRecord* ogl = display->getOGL();
    ASSERT(ogl);
    const DisplayConfig* config = &display->getConfig();
    ASSERT(config);
    ASSERT(config->hwnd);
    SDL_Window* window = static_cast<SDL_Window*>(config->hwnd);

    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
        Debug::printf(core::DEBUG_LEVEL_ERROR, "OGL_1_X::init: %s\n", SDL_GetError());
    ASSERT_MSG(context, "initGraphics3DHW : HRC init failed");
    SDL_GL_MakeCurrent(window, nullptr);

    ogl->m_context = context;
    ogl->m_display = config->hdc ? config->hdc : config->hwnd;
    ogl->m_surface = config->hwnd;
    makeCurrent(display);

    // Xvfb and software drivers have no vertical sync; frames then go as
    // fast as the frame loop lets them.
    if (SDL_GL_SetSwapInterval(1) != 0)
        Debug::printf(core::DEBUG_LEVEL_PLATFORM, "OGL_1_X::init: no vertical sync (%s)\n", SDL_GetError());

    gl::loadForCurrentContext(resolveWithSDL);
}

void OGL_1_X::deinit(Display* display)
{
    ASSERT(display);
    OGLRecord* ogl = display->getOGL();
    ASSERT(ogl);
    ASSERT(ogl->m_display && ogl->m_context && ogl->m_surface);

    // The error flag belongs to the context: read it there.
    makeCurrent(display);
    gl::logErrors("HAL::OGL_1_X::deinit");

    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(ogl->m_surface), nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(ogl->m_context));
    ogl->m_display = nullptr;
    ogl->m_surface = nullptr;
    ogl->m_context = nullptr;
    // The entry points belonged to that context.
    gl::clearEntryPoints();
}

void OGL_1_X::makeCurrent(Display* display)
{
    ASSERT(display);
    OGLRecord* ogl = display->getOGL();
    ASSERT(ogl);
    ASSERT(ogl->m_context);
    SDL_Window* window = static_cast<SDL_Window*>(ogl->m_display);
    if (SDL_GL_GetCurrentWindow() == window && SDL_GL_GetCurrentContext() == ogl->m_context)
        return;
    const bool switched = SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(ogl->m_context)) == 0;
    if (!switched)
        Debug::printf(core::DEBUG_LEVEL_ERROR, "OGL_1_X::makeCurrent: %s\n", SDL_GetError());
    ASSERT_MSG(switched, "makeCurrent : SDL_GL_MakeCurrent failed");
    ++ogl->m_contextSwitches;
}

void OGL_1_X::swapBuffers(Display* display)
{
    ASSERT(display);
    OGLRecord* ogl = display->getOGL();
    ASSERT(ogl);
    ASSERT(ogl->m_display);
    SDL_GL_SwapWindow(static_cast<SDL_Window*>(ogl->m_surface));
}

} // namespace HAL
