#include <cstring>

#include "HAL/GL.h"
#include "core/Debug.h"

namespace HAL::gl {

#define VORNA3D_GL_DEFINE(type, lookup, name, group) type name = nullptr;
VORNA3D_GL_ENTRY_POINTS(VORNA3D_GL_DEFINE)
#undef VORNA3D_GL_DEFINE

namespace {

enum Group { MULTITEXTURE, BUFFERS, SHADERS, FRAMEBUFFER, FRAMEBUFFER_EXT, GROUP_COUNT };

// "major.minor" at the start of a GL_VERSION string, as major * 100 + minor;
// 0 when there is none.
int parseVersion(const char* version)
{
    if (!version)
        return 0;
    while (*version && (*version < '0' || *version > '9'))
        ++version; // "OpenGL ES 2.0" and the like
    int major = 0;
    while (*version >= '0' && *version <= '9')
        major = major * 10 + (*version++ - '0');
    if (*version != '.')
        return 0;
    ++version;
    int minor = 0;
    while (*version >= '0' && *version <= '9')
        minor = minor * 10 + (*version++ - '0');
    return major * 100 + minor;
}

// Whether `name` is one of the blank-separated names in `extensions`
// (a whole name: GL_EXT_foo is not GL_EXT_foo_bar).
bool hasExtension(const char* extensions, const char* name)
{
    if (!extensions)
        return false;
    const size_t length = std::strlen(name);
    for (const char* at = extensions; (at = std::strstr(at, name)) != nullptr; at += length) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends)
            return true;
    }
    return false;
}

} // namespace

int loadEntryPoints(Resolver resolve, const char* version, const char* extensions)
{
    const int v = parseVersion(version);
    bool promised[GROUP_COUNT];
    promised[MULTITEXTURE] = v >= 103 || hasExtension(extensions, "GL_ARB_multitexture");
    promised[BUFFERS] = v >= 105 || hasExtension(extensions, "GL_ARB_vertex_buffer_object");
    promised[SHADERS] = v >= 200 || hasExtension(extensions, "GL_ARB_shader_objects");
    promised[FRAMEBUFFER] = v >= 300 || hasExtension(extensions, "GL_ARB_framebuffer_object");
    promised[FRAMEBUFFER_EXT] = hasExtension(extensions, "GL_EXT_framebuffer_object");

    // A resolver may hand out a stub for any name at all, so only what the
    // version or the extensions promise is looked up.
    int missing = 0;
#define VORNA3D_GL_LOAD(type, lookup, name, group)                                           \
    name = promised[group] && resolve ? reinterpret_cast<type>(resolve(lookup)) : nullptr;   \
    if (!name) {                                                                             \
        core::Debug::printf(core::DEBUG_LEVEL_WARNING, "can not load %s function\n", #name); \
        ++missing;                                                                           \
    }
    VORNA3D_GL_ENTRY_POINTS(VORNA3D_GL_LOAD)
#undef VORNA3D_GL_LOAD
    return missing;
}

void clearEntryPoints()
{
#define VORNA3D_GL_CLEAR(type, lookup, name, group) name = nullptr;
    VORNA3D_GL_ENTRY_POINTS(VORNA3D_GL_CLEAR)
#undef VORNA3D_GL_CLEAR
}

} // namespace HAL::gl
