// OGL_1_X on Windows: a WGL context on the display's device context, its
// entry points through wglGetProcAddress.

#include <windows.h>

#include "HAL/Display.h"
#include "HAL/GL.h"
#include "HAL/OGL_1_X.h"
#include "core/Debug.h"

namespace HAL {

using core::Debug;

namespace {

void* resolveWithWGL(const char* name)
{
    PROC proc = wglGetProcAddress(name);
    // Some drivers answer small numbers instead of null for names they lack.
    const intptr_t value = reinterpret_cast<intptr_t>(proc);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1)
        return nullptr;
    return reinterpret_cast<void*>(proc);
}

} // namespace

void OGL_1_X::init(Display* display)
{
    ASSERT(display);
    OGLRecord* ogl = display->getOGL();
    ASSERT(ogl);
    const DisplayConfig* config = &display->getConfig();
    ASSERT(config);
    ASSERT(config->hwnd && config->hdc);

    HGLRC context = wglCreateContext(static_cast<HDC>(config->hdc));
    if (!context)
        Debug::printf(core::DEBUG_LEVEL_ERROR, "OGL_1_X::init: wglCreateContext failed (%lu)\n",
                      static_cast<unsigned long>(GetLastError()));
    ASSERT_MSG(context, "initGraphics3DHW : HRC init failed");
    wglMakeCurrent(nullptr, nullptr);

    ogl->m_context = context;
    ogl->m_display = config->hdc;
    ogl->m_surface = config->hwnd;
    makeCurrent(display);

    // Vertical sync where the driver offers it; software drivers do not.
    using SwapInterval = BOOL(WINAPI*)(int);
    if (auto swapInterval = reinterpret_cast<SwapInterval>(resolveWithWGL("wglSwapIntervalEXT")))
        swapInterval(1);
    else
        Debug::printf(core::DEBUG_LEVEL_PLATFORM, "OGL_1_X::init: no vertical sync\n");

    gl::loadForCurrentContext(resolveWithWGL);
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

    wglMakeCurrent(nullptr, nullptr);
    const BOOL deleted = wglDeleteContext(static_cast<HGLRC>(ogl->m_context));
    ogl->m_display = nullptr;
    ogl->m_surface = nullptr;
    ogl->m_context = nullptr;
    // The entry points belonged to that context.
    gl::clearEntryPoints();
    ASSERT(deleted);
}

void OGL_1_X::makeCurrent(Display* display)
{
    ASSERT(display);
    OGLRecord* ogl = display->getOGL();
    ASSERT(ogl);
    ASSERT(ogl->m_context);
    if (wglGetCurrentDC() == ogl->m_display && wglGetCurrentContext() == ogl->m_context)
        return;
    const bool switched = wglMakeCurrent(static_cast<HDC>(ogl->m_display), static_cast<HGLRC>(ogl->m_context)) != FALSE;
    ASSERT_MSG(switched, "makeCurrent : wglMakeCurrent failed");
    ++ogl->m_contextSwitches;
}

void OGL_1_X::swapBuffers(Display* display)
{
    ASSERT(display);
    OGLRecord* ogl = display->getOGL();
    ASSERT(ogl);
    ASSERT(ogl->m_display);
    const BOOL swapped = SwapBuffers(static_cast<HDC>(ogl->m_display));
    ASSERT(swapped);
}

} // namespace HAL
