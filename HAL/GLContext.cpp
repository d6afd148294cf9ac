// What every platform's OGL_1_X does alike with the context it made current:
// names it in the log, loads its entry points, and reports its errors.

#include "HAL/GL.h"
#include "core/Debug.h"

namespace HAL::gl {

namespace {

constexpr int MAX_ERRORS_LOGGED = 16;

const char* glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

} // namespace

int loadForCurrentContext(Resolver resolve)
{
    const char* version = glText(GL_VERSION);
    core::Debug::printf(core::DEBUG_LEVEL_PLATFORM, "OpenGL %s (%s, %s)\n", version, glText(GL_RENDERER),
                        glText(GL_VENDOR));
    return loadEntryPoints(resolve, version, glText(GL_EXTENSIONS));
}

bool logErrors(const char* where)
{
    bool ok = true;
    // Drain every recorded error, so that a later check does not report it again.
    for (int i = 0; i < MAX_ERRORS_LOGGED; ++i) {
        const GLenum code = glGetError();
        if (code == GL_NO_ERROR)
            break;
        core::Debug::printf(core::DEBUG_LEVEL_ERROR, "OpenGL 1.X ERROR (%s): code = %d (0x%X)\n", where,
                            static_cast<int>(code), static_cast<unsigned>(code));
        ok = false;
    }
    return ok;
}

} // namespace HAL::gl
