#pragma once
// The fixture of the baked-archive tests: a started engine with a renderer
// registered (scene files build nodes), and the archive the build baked
// mounted at the empty path the way the demo mounts it.

#include <string>

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/appearance/Image2D.h"
#include "render/scene/Object3D.h"
#include "tests/render/SceneTestSupport.h"

namespace bake_test {

// The archive the build made next to the demo.
inline std::string bakedArchivePath()
{
    return std::string(BAKE_ARCHIVE);
}

class BakedArchiveTest : public render_test::SceneTest {
protected:
    void configure(framework::FrameworkConfig& config) override;
    void SetUp() override;
    void TearDown() override;

    // The whole file `name` from the mounted archive.
    std::string readFile(const char* name);
    // The objects of `name` loaded through the loader front end.
    core::Vector<core::Ref<render::Object3D>> load(const char* name);
    // The image of a PNG file (fails the test when it is not one).
    core::Ref<render::Image2D> loadImage(const char* name);
};

// Pixel (x, y) of an RGBA image as its four bytes.
struct RGBA8 {
    unsigned r, g, b, a;
};
RGBA8 pixelOf(const render::Image2D& image, int x, int y);

} // namespace bake_test
