// Loading the OpenGL entry points by name, with a resolver and driver
// strings of the test's own: what the version and the extensions promise is
// looked up, everything else is null with a warning.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "HAL/GL.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

namespace {

class GLEntryPointsTest : public testing_support::EngineTest {
protected:
    void TearDown() override
    {
        HAL::gl::clearEntryPoints();
        EngineTest::TearDown();
    }
};

// Every name the loader asked for, in order; a distinct fake address for
// each, except the names in `refuse`, which resolve to null.
std::vector<std::string> requested;
std::vector<std::string> refuse;
char addresses[64];

void* fakeResolve(const char* name)
{
    requested.push_back(name);
    if (std::find(refuse.begin(), refuse.end(), name) != refuse.end())
        return nullptr;
    return &addresses[requested.size() % sizeof(addresses)];
}

struct Load {
    int missing;
    std::string log;
};

Load load(const char* version, const char* extensions)
{
    requested.clear();
    testing_support::LogCapture log;
    const int missing = HAL::gl::loadEntryPoints(fakeResolve, version, extensions);
    return {missing, log.text()};
}

int count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

const char* const FRAMEBUFFER_CORE[] = {"glGenerateMipmap",     "glCheckFramebufferStatus", "glGenRenderbuffers",
                                        "glBindRenderbuffer",   "glRenderbufferStorage",    "glFramebufferRenderbuffer",
                                        "glDeleteRenderbuffers"};

} // namespace

TEST_F(GLEntryPointsTest, ModernCompatibilityDriverLoadsEverythingItAdvertises)
{
    refuse.clear();
    const Load all = load("4.5 (Compatibility Profile) Mesa 22.3.6", "GL_ARB_multitexture GL_EXT_framebuffer_object");
    EXPECT_EQ(all.missing, 0);
    EXPECT_EQ(all.log, "");
    ASSERT_EQ(requested.size(), 49u);
    // The loading order, and the framebuffer names that carry EXT.
    EXPECT_EQ(requested.front(), "glActiveTexture");
    EXPECT_EQ(requested[36], "glClientActiveTexture");
    EXPECT_EQ(requested[37], "glDeleteFramebuffersEXT");
    EXPECT_EQ(requested[40], "glFramebufferTexture2DEXT");
    EXPECT_EQ(requested[46], "glDeleteRenderbuffers");
    EXPECT_EQ(requested.back(), "glUnmapBuffer"); // the buffer mapping, for pixel buffers
    EXPECT_NE(HAL::gl::glActiveTexture, nullptr);
    EXPECT_NE(HAL::gl::glBindFramebuffer, nullptr);
    EXPECT_NE(HAL::gl::glFramebufferRenderbuffer, nullptr);
}

TEST_F(GLEntryPointsTest, WithoutFramebufferObjectsTheirNamesAreNullWithWarnings)
{
    refuse.clear();
    // An OpenGL 2.1 driver without either framebuffer extension (a longer
    // name that merely starts like it does not count).
    const Load old = load("2.1 Mesa 10.0", "GL_ARB_multitexture GL_EXT_framebuffer_object_xyz");
    EXPECT_EQ(old.missing, 11);
    // The four EXT names are reported without their suffix.
    for (const char* name :
         {"glDeleteFramebuffers", "glGenFramebuffers", "glBindFramebuffer", "glFramebufferTexture2D"})
        EXPECT_EQ(count(old.log, std::string("WARNING |can not load ") + name + " function\n"), 1) << name;
    for (const char* name : FRAMEBUFFER_CORE)
        EXPECT_EQ(count(old.log, std::string("WARNING |can not load ") + name + " function\n"), 1) << name;
    EXPECT_EQ(count(old.log, "EXT"), 0);
    EXPECT_EQ(count(old.log, "WARNING |"), 11);
    // Names nothing promised are not even looked up: the resolver would
    // hand out a stub for them.
    EXPECT_EQ(requested.size(), 38u);
    EXPECT_EQ(HAL::gl::glGenFramebuffers, nullptr);
    EXPECT_EQ(HAL::gl::glGenerateMipmap, nullptr);
    EXPECT_NE(HAL::gl::glUseProgram, nullptr);
    EXPECT_NE(HAL::gl::glGenBuffers, nullptr);
}

TEST_F(GLEntryPointsTest, ExtensionsStandInForAnOlderVersion)
{
    refuse.clear();
    const Load oneTwo = load("1.2.1", "GL_EXT_texture_env_add GL_ARB_vertex_buffer_object GL_ARB_multitexture");
    EXPECT_NE(HAL::gl::glActiveTexture, nullptr);
    EXPECT_NE(HAL::gl::glClientActiveTexture, nullptr);
    EXPECT_NE(HAL::gl::glBindBuffer, nullptr);
    EXPECT_EQ(HAL::gl::glUseProgram, nullptr);
    // 49 names minus 2 multitexture and 6 buffer names.
    EXPECT_EQ(oneTwo.missing, 41);

    // No usable version and no extension string: nothing is promised.
    const Load nothing = load("", nullptr);
    EXPECT_EQ(nothing.missing, 49);
    EXPECT_TRUE(requested.empty());

    // The extension list alone, at its first and last place.
    const Load shaders = load("1.1", "GL_ARB_shader_objects GL_ARB_framebuffer_object");
    EXPECT_NE(HAL::gl::glCompileShader, nullptr);
    EXPECT_NE(HAL::gl::glGenRenderbuffers, nullptr);
    EXPECT_EQ(HAL::gl::glBindBuffer, nullptr);
}

TEST_F(GLEntryPointsTest, ANameTheDriverRefusesStaysNullWithItsWarning)
{
    refuse = {"glUniform2f", "glBindFramebufferEXT"};
    const Load loaded = load("3.0 Mesa", "GL_EXT_framebuffer_object");
    EXPECT_EQ(loaded.missing, 2);
    EXPECT_EQ(loaded.log,
              "WARNING |can not load glUniform2f function\n"
              "WARNING |can not load glBindFramebuffer function\n");
    EXPECT_EQ(HAL::gl::glUniform2f, nullptr);
    EXPECT_EQ(HAL::gl::glBindFramebuffer, nullptr);
    EXPECT_NE(HAL::gl::glUniform3f, nullptr);

    HAL::gl::clearEntryPoints();
    EXPECT_EQ(HAL::gl::glUniform3f, nullptr);
    refuse.clear();
}
