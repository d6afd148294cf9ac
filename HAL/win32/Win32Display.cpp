#include "HAL/win32/Win32Display.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "HAL/System.h"
#include "HAL/win32/Win32Platform.h"
#include "HAL/win32/Win32WindowProc.h"
#include "core/Debug.h"
#include "core/MemoryManager.h"

namespace HAL {

using core::Debug;

namespace {

HWND windowOf(const DisplayConfig& config)
{
    return static_cast<HWND>(config.hwnd);
}

// The title as UTF-16 in the pool (the class name and the window title).
wchar_t* widenTitle(const char* title)
{
    const int units = MultiByteToWideChar(CP_UTF8, 0, title, -1, nullptr, 0);
    if (units <= 0)
        return nullptr;
    auto* wide = static_cast<wchar_t*>(VORNA3D_ALLOC(sizeof(wchar_t) * static_cast<size_t>(units)));
    if (wide)
        MultiByteToWideChar(CP_UTF8, 0, title, -1, wide, units);
    return wide;
}

} // namespace

Display* Display::createDisplayHandle(const DisplayConfig& config)
{
    if (s_factory)
        return s_factory(config);
    return VORNA3D_NEW Win32Display(config);
}

void Win32Display::outerSize(unsigned long style, int32_t width, int32_t height, int32_t* outerWidth,
                             int32_t* outerHeight)
{
    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, static_cast<DWORD>(style), FALSE, 0);
    *outerWidth = rect.right - rect.left;
    *outerHeight = rect.bottom - rect.top;
}

Win32Display::Win32Display(const DisplayConfig& config)
    : Display(config), m_fullscreenWidth(config.width), m_fullscreenHeight(config.height)
{
    try {
        open();
    } catch (...) {
        close();
        throw;
    }
}

Win32Display::~Win32Display() noexcept(false)
{
    ASSERT(m_config.hwnd);
    close();
}

void Win32Display::open()
{
    installQuitHandlers();
    // A hidden window is never full screen, also not when it gains focus.
    if (m_config.offscreen && m_config.windowed == 0)
        m_config.windowed = 1;
    if (m_config.hwnd) {
        adoptWindow();
    } else {
        m_className = widenTitle(m_config.title);
        if (!m_className) {
            Debug::printf(core::DEBUG_LEVEL_ERROR, "Display constructor failed (title error)\n");
            throw HALException("Display constructor can not init a display");
        }
        if (m_config.color == 0)
            m_config.color = static_cast<int8_t>(System::getSystemInfo().colorDepth);
        HWND window = static_cast<HWND>(createWindow());
        if (!window)
            throw HALException("Display constructor can not create a window");
        Debug::printf(core::DEBUG_LEVEL_PLATFORM, "Display constructor ok (%d,%d,%d,%d (%dbit))\n", m_config.x,
                      m_config.y, m_config.width, m_config.height, m_config.color);
        setPixelFormat();
    }
    // Offscreen: a window that is never shown, whose framebuffer the
    // renderer draws into and reads back.
    if (m_config.offscreen)
        return;
    if (m_config.windowed == 0)
        setFullscreen(true, m_config.color);
    else
        showCursor(m_config.showCursor != 0);
    ShowWindow(windowOf(m_config), SW_SHOWNORMAL);
    SetForegroundWindow(windowOf(m_config));
    SetFocus(windowOf(m_config));
}

void Win32Display::adoptWindow()
{
    m_external = 1;
    HWND window = windowOf(m_config);
    RECT rect = {};
    GetClientRect(window, &rect);
    ASSERT(rect.left < SHRT_MAX && rect.left > SHRT_MIN);
    ASSERT(rect.right < SHRT_MAX && rect.right > SHRT_MIN);
    ASSERT(rect.top < SHRT_MAX && rect.top > SHRT_MIN);
    ASSERT(rect.bottom < SHRT_MAX && rect.bottom > SHRT_MIN);
    // The window keeps its own title bar text.
    m_config.title = " ";
    m_config.hdc = GetDC(window);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (m_config.width <= 0 || m_config.height <= 0)
        flags |= SWP_NOSIZE;
    SetWindowPos(window, nullptr, m_config.x, m_config.y, m_config.width, m_config.height, flags);
    // A window made elsewhere may have no OpenGL format yet.
    if (GetPixelFormat(static_cast<HDC>(m_config.hdc)) == 0)
        setPixelFormat();
}

void* Win32Display::createWindow()
{
    Debug::printf(core::DEBUG_LEVEL_PLATFORM, "createWindow %d %d %d %d\n", m_config.x, m_config.y, m_config.width,
                  m_config.height);
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(module, m_className, &existing)) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
        windowClass.lpfnWndProc = reinterpret_cast<WNDPROC>(&platformWindowProc);
        windowClass.hInstance = module;
        // An arrow: without a class cursor the window shows whatever
        // cursor passed over it last.
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = m_className;
        if (!RegisterClassExW(&windowClass)) {
            Debug::printf(core::DEBUG_LEVEL_ERROR, "Display constructor failed (window class error)\n");
            return nullptr;
        }
        m_classRegistered = true;
    }
    DWORD style;
    if (m_config.windowed == 1)
        style = WS_OVERLAPPEDWINDOW;
    else if (m_config.windowed == 0)
        style = WS_POPUP;
    else
        return nullptr;
    if (m_config.offscreen)
        style = WS_POPUP; // no frame: the hidden window is the framebuffer's size
    int32_t outerWidth = 0;
    int32_t outerHeight = 0;
    outerSize(style, m_config.width, m_config.height, &outerWidth, &outerHeight);
    HWND window = CreateWindowExW(0, m_className, m_className, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, m_config.x,
                                  m_config.y, outerWidth, outerHeight, nullptr, nullptr, module, nullptr);
    if (!window) {
        Debug::printf(core::DEBUG_LEVEL_ERROR, "Display constructor failed (window error %lu)\n",
                      static_cast<unsigned long>(GetLastError()));
        return nullptr;
    }
    m_config.hwnd = window;
    m_config.hdc = GetDC(window);
    if (!m_config.offscreen)
        SetFocus(window);
    Debug::printf(core::DEBUG_LEVEL_PLATFORM, "createWindow ok\n");
    return window;
}

void Win32Display::setPixelFormat()
{
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cRedBits = 8;
    format.cGreenBits = 8;
    format.cBlueBits = 8;
    format.cAlphaBits = 8;
    // The depth buffer takes the colour depth's bits; no driver has 32.
    format.cDepthBits = static_cast<BYTE>(m_config.color >= 32 ? 24 : m_config.color);
    format.cStencilBits = 8;
    format.iLayerType = PFD_MAIN_PLANE;
    HDC dc = static_cast<HDC>(m_config.hdc);
    const int chosen = ChoosePixelFormat(dc, &format);
    ASSERT_MSG(chosen != 0 && SetPixelFormat(dc, chosen, &format), "initDisplay : pixel format failed");
}

void Win32Display::showCursor(bool show)
{
    // ShowCursor counts: only a change is passed on.
    if (show == !m_cursorHidden)
        return;
    ShowCursor(show ? TRUE : FALSE);
    m_cursorHidden = !show;
}

void Win32Display::setFullscreen(bool on, int8_t color)
{
    ASSERT(m_config.hwnd);
    ASSERT(m_config.width > 0);
    ASSERT(m_config.height > 0);
    HWND window = windowOf(m_config);

    if (!on) {
        if (!m_fullscreen)
            return;
        Debug::printf(core::DEBUG_LEVEL_PLATFORM, "setFullscreen OFF\n");
        m_fullscreen = false;
        if (m_modeChanged) {
            m_modeChanged = false;
            setDisplayModeChanged(false);
            if (ChangeDisplaySettingsW(nullptr, 0) != DISP_CHANGE_SUCCESSFUL) {
                Debug::printf(core::DEBUG_LEVEL_ERROR, "setFullscreen OFF failed!\n");
                throw HALException("HAL: can not set fullscreen OFF");
            }
        }
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ShowWindow(window, SW_MINIMIZE);
        showCursor(true);
        return;
    }

    ASSERT_MSG(color > 0, "Display::setFullscreen failed because color depth <= 0");
    if (m_fullscreen)
        return;
    Debug::printf(core::DEBUG_LEVEL_PLATFORM, "setFullscreen ON\n");
    if (!m_useDesktop) {
        DEVMODEW mode = {};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = static_cast<DWORD>(m_fullscreenWidth);
        mode.dmPelsHeight = static_cast<DWORD>(m_fullscreenHeight);
        mode.dmBitsPerPel = static_cast<DWORD>(color);
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
        // Marked first: a crash in the middle of the switch must still put
        // the desktop back.
        setDisplayModeChanged(true);
        LONG result = ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN);
        if (result == DISP_CHANGE_BADMODE) {
            // Screens list 24-bit colour as 32 bits a pixel (and the other
            // way round): the size at the screen's own depth will do.
            mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
            result = ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN);
        }
        if (result == DISP_CHANGE_SUCCESSFUL) {
            m_modeChanged = true;
        } else {
            setDisplayModeChanged(false);
            // From now on full screen is the desktop's mode: trying the
            // failing mode on every focus change would only flicker.
            m_useDesktop = true;
            Debug::printf(core::DEBUG_LEVEL_WARNING,
                          "setFullscreen: the %d x %d mode failed (%ld), the picture is scaled into %d x %d\n",
                          m_fullscreenWidth, m_fullscreenHeight, static_cast<long>(result),
                          GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        }
    }
    int32_t width = m_fullscreenWidth;
    int32_t height = m_fullscreenHeight;
    if (m_useDesktop) {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
        // The picture keeps the size it was made for, scaled into the
        // desktop between black bars.
        if (m_config.pictureWidth <= 0 || m_config.pictureHeight <= 0) {
            m_config.pictureWidth = m_fullscreenWidth;
            m_config.pictureHeight = m_fullscreenHeight;
        }
    }
    // A full-screen window has no frame, whatever it was made with.
    SetWindowLongPtrW(window, GWL_STYLE,
                      static_cast<LONG_PTR>(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    m_fullscreen = true;
    ShowWindow(window, SW_RESTORE);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, width, height, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    showCursor(m_config.showCursor != 0);
}

void Win32Display::close() noexcept(false)
{
    HWND window = windowOf(m_config);
    OGLRecord* ogl = getOGL();
    if (ogl->m_context) {
        // The renderer should have released it; a window must not die under it.
        Debug::printf(core::DEBUG_LEVEL_WARNING, "HAL::deinitDisplay: deleting a leftover OpenGL context\n");
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(ogl->m_context));
        *ogl = OGLRecord{};
    }
    bool destroyFailed = false;
    if (window && !m_external) {
        if (m_modeChanged) {
            ChangeDisplaySettingsW(nullptr, 0);
            setDisplayModeChanged(false);
            m_modeChanged = false;
        }
        m_fullscreen = false;
        showCursor(true);
        destroyFailed = !DestroyWindow(window);
        m_config.hwnd = nullptr;
        m_config.hdc = nullptr;
    }
    if (m_classRegistered) {
        const BOOL unregistered = UnregisterClassW(m_className, GetModuleHandleW(nullptr));
        m_classRegistered = false;
        if (!unregistered && !destroyFailed)
            Debug::printf(core::DEBUG_LEVEL_WARNING, "Win32Display::UnregisterClass failed\n");
    }
    if (m_className) {
        VORNA3D_FREE(m_className);
        m_className = nullptr;
    }
    if (destroyFailed) {
        Debug::printf(core::DEBUG_LEVEL_ERROR, "HAL::deinitDisplay failed\n");
        throw HALException("HAL: can not close the window");
    }
    if (window && !m_external)
        Debug::printf(core::DEBUG_LEVEL_PLATFORM, "HAL::deinitDisplay ok\n");
}

} // namespace HAL
