#pragma once
// OpenGL for the renderer: the system's OpenGL 1.x headers, and the entry
// points a 1.x library does not export directly, loaded by name when a
// context is made (OGL_1_X::init). A pointer is null when the driver does
// not provide its function: check it before calling.
//
//     if (HAL::gl::glGenBuffers)
//         HAL::gl::glGenBuffers(1, &name);

#if defined(_WIN32) && !(defined(APIENTRY) && defined(WINGDIAPI))
// Windows' gl.h pulls in all of windows.h unless these two are known; the
// engine keeps windows.h to the platform layer (its min, max, near and far
// macros break ordinary code).
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef CALLBACK // glu.h's callbacks
#define CALLBACK __stdcall
#endif
#endif
#include <GL/gl.h>
#include <GL/glext.h>

// X(pointer type, name looked up, name in the engine and in warnings, group)
// in loading order. The four framebuffer names looked up with EXT are kept
// without the suffix. Groups say what promises the function:
//   MULTITEXTURE   OpenGL 1.3 or GL_ARB_multitexture
//   BUFFERS        OpenGL 1.5 or GL_ARB_vertex_buffer_object
//   SHADERS        OpenGL 2.0 or GL_ARB_shader_objects
//   FRAMEBUFFER    OpenGL 3.0 or GL_ARB_framebuffer_object
//   FRAMEBUFFER_EXT GL_EXT_framebuffer_object
#define VORNA3D_GL_ENTRY_POINTS(X)                                                                            \
    X(PFNGLACTIVETEXTUREPROC, "glActiveTexture", glActiveTexture, MULTITEXTURE)                               \
    X(PFNGLUSEPROGRAMPROC, "glUseProgram", glUseProgram, SHADERS)                                             \
    X(PFNGLGETUNIFORMLOCATIONPROC, "glGetUniformLocation", glGetUniformLocation, SHADERS)                     \
    X(PFNGLGETATTRIBLOCATIONPROC, "glGetAttribLocation", glGetAttribLocation, SHADERS)                        \
    X(PFNGLCREATEPROGRAMPROC, "glCreateProgram", glCreateProgram, SHADERS)                                    \
    X(PFNGLUNIFORM1IVPROC, "glUniform1iv", glUniform1iv, SHADERS)                                             \
    X(PFNGLUNIFORM1IPROC, "glUniform1i", glUniform1i, SHADERS)                                                \
    X(PFNGLUNIFORM1FVPROC, "glUniform1fv", glUniform1fv, SHADERS)                                             \
    X(PFNGLUNIFORM1FPROC, "glUniform1f", glUniform1f, SHADERS)                                                \
    X(PFNGLUNIFORM2FPROC, "glUniform2f", glUniform2f, SHADERS)                                                \
    X(PFNGLUNIFORM3FPROC, "glUniform3f", glUniform3f, SHADERS)                                                \
    X(PFNGLUNIFORM4FPROC, "glUniform4f", glUniform4f, SHADERS)                                                \
    X(PFNGLUNIFORMMATRIX4FVPROC, "glUniformMatrix4fv", glUniformMatrix4fv, SHADERS)                           \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, "glEnableVertexAttribArray", glEnableVertexAttribArray, SHADERS)      \
    X(PFNGLVERTEXATTRIBPOINTERPROC, "glVertexAttribPointer", glVertexAttribPointer, SHADERS)                  \
    X(PFNGLBINDBUFFERPROC, "glBindBuffer", glBindBuffer, BUFFERS)                                             \
    X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, "glDisableVertexAttribArray", glDisableVertexAttribArray, SHADERS)   \
    X(PFNGLBUFFERDATAPROC, "glBufferData", glBufferData, BUFFERS)                                             \
    X(PFNGLGENBUFFERSPROC, "glGenBuffers", glGenBuffers, BUFFERS)                                             \
    X(PFNGLDELETEBUFFERSPROC, "glDeleteBuffers", glDeleteBuffers, BUFFERS)                                    \
    X(PFNGLDELETEPROGRAMPROC, "glDeleteProgram", glDeleteProgram, SHADERS)                                    \
    X(PFNGLDETACHSHADERPROC, "glDetachShader", glDetachShader, SHADERS)                                       \
    X(PFNGLGETPROGRAMINFOLOGPROC, "glGetProgramInfoLog", glGetProgramInfoLog, SHADERS)                        \
    X(PFNGLGETPROGRAMIVPROC, "glGetProgramiv", glGetProgramiv, SHADERS)                                       \
    X(PFNGLLINKPROGRAMPROC, "glLinkProgram", glLinkProgram, SHADERS)                                          \
    X(PFNGLVALIDATEPROGRAMPROC, "glValidateProgram", glValidateProgram, SHADERS)                              \
    X(PFNGLISPROGRAMPROC, "glIsProgram", glIsProgram, SHADERS)                                                \
    X(PFNGLATTACHSHADERPROC, "glAttachShader", glAttachShader, SHADERS)                                       \
    X(PFNGLISSHADERPROC, "glIsShader", glIsShader, SHADERS)                                                   \
    X(PFNGLGENERATEMIPMAPPROC, "glGenerateMipmap", glGenerateMipmap, FRAMEBUFFER)                             \
    X(PFNGLCREATESHADERPROC, "glCreateShader", glCreateShader, SHADERS)                                       \
    X(PFNGLDELETESHADERPROC, "glDeleteShader", glDeleteShader, SHADERS)                                       \
    X(PFNGLSHADERSOURCEPROC, "glShaderSource", glShaderSource, SHADERS)                                       \
    X(PFNGLGETSHADERIVPROC, "glGetShaderiv", glGetShaderiv, SHADERS)                                          \
    X(PFNGLGETSHADERINFOLOGPROC, "glGetShaderInfoLog", glGetShaderInfoLog, SHADERS)                           \
    X(PFNGLCOMPILESHADERPROC, "glCompileShader", glCompileShader, SHADERS)                                    \
    X(PFNGLCLIENTACTIVETEXTUREARBPROC, "glClientActiveTexture", glClientActiveTexture, MULTITEXTURE)          \
    X(PFNGLDELETEFRAMEBUFFERSEXTPROC, "glDeleteFramebuffersEXT", glDeleteFramebuffers, FRAMEBUFFER_EXT)       \
    X(PFNGLGENFRAMEBUFFERSEXTPROC, "glGenFramebuffersEXT", glGenFramebuffers, FRAMEBUFFER_EXT)                \
    X(PFNGLBINDFRAMEBUFFEREXTPROC, "glBindFramebufferEXT", glBindFramebuffer, FRAMEBUFFER_EXT)                \
    X(PFNGLFRAMEBUFFERTEXTURE2DEXTPROC, "glFramebufferTexture2DEXT", glFramebufferTexture2D, FRAMEBUFFER_EXT) \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, "glCheckFramebufferStatus", glCheckFramebufferStatus, FRAMEBUFFER)     \
    X(PFNGLGENRENDERBUFFERSPROC, "glGenRenderbuffers", glGenRenderbuffers, FRAMEBUFFER)                       \
    X(PFNGLBINDRENDERBUFFERPROC, "glBindRenderbuffer", glBindRenderbuffer, FRAMEBUFFER)                       \
    X(PFNGLRENDERBUFFERSTORAGEPROC, "glRenderbufferStorage", glRenderbufferStorage, FRAMEBUFFER)              \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, "glFramebufferRenderbuffer", glFramebufferRenderbuffer, FRAMEBUFFER)  \
    X(PFNGLDELETERENDERBUFFERSPROC, "glDeleteRenderbuffers", glDeleteRenderbuffers, FRAMEBUFFER)              \
    X(PFNGLMAPBUFFERPROC, "glMapBuffer", glMapBuffer, BUFFERS)                                                \
    X(PFNGLUNMAPBUFFERPROC, "glUnmapBuffer", glUnmapBuffer, BUFFERS)

namespace HAL::gl {

// The process-wide table of loaded entry points.
#define VORNA3D_GL_DECLARE(type, lookup, name, group) extern type name;
VORNA3D_GL_ENTRY_POINTS(VORNA3D_GL_DECLARE)
#undef VORNA3D_GL_DECLARE

// The number of entry points in the table.
constexpr int ENTRY_POINT_COUNT = 49;

// Looks a function up by name; may return non-null for names the driver
// does not have.
using Resolver = void* (*)(const char* name);

// Fills the table: a name is looked up with `resolve` only when `version`
// (GL_VERSION, "major.minor ...") or `extensions` (GL_EXTENSIONS, names
// separated by blanks; null counts as none) promise its function. Every
// name left null logs the warning "can not load %s function\n" and stays
// null. Returns the number of names left null.
int loadEntryPoints(Resolver resolve, const char* version, const char* extensions);

// Sets every entry point to null (no context).
void clearEntryPoints();

// For a context just made current: logs its GL_VERSION, GL_RENDERER and
// GL_VENDOR at DEBUG_LEVEL_PLATFORM and fills the table from them with
// `resolve` (loadEntryPoints). Returns the number of names left null.
int loadForCurrentContext(Resolver resolve);

// Takes every error the current context recorded (at most 16, so a lost
// context cannot keep it looping), logging each as "OpenGL 1.X ERROR
// (where): code = N (0xN)". Returns false when there was one.
bool logErrors(const char* where);

} // namespace HAL::gl
