#include "BakedArchive.h"

#include <filesystem>

#include "core/FileArchive.h"
#include "core/FileSystem.h"
#include "core/TARArchive.h"
#include "framework/FrameworkConfig.h"
#include "render/loaders/Loader.h"

namespace bake_test {

void BakedArchiveTest::configure(framework::FrameworkConfig& config)
{
    SceneTest::configure(config);
    config.memorySize = 160 << 20; // the unpacked archive and a few 1024 x 1024 images
    config.debugLevel = 0;
}

void BakedArchiveTest::SetUp()
{
    SceneTest::SetUp();
    const std::filesystem::path file(bakedArchivePath());
    core::FileSystem* fs = core::FileSystem::get();
    fs->addArchive("temp",
                   core::Ref<core::Archive>(VORNA3D_NEW core::FileArchive(file.parent_path().string().c_str())));
    core::Ref<core::Stream> stream;
    fs->openFile(stream, ("temp/" + file.filename().string()).c_str(), core::Archive::OPEN_READ);
    core::Ref<core::Archive> archive(VORNA3D_NEW core::TARArchive(stream));
    stream = nullptr;
    fs->removeArchive("temp");
    fs->addArchive("", archive);
}

void BakedArchiveTest::TearDown()
{
    if (core::Globals::exists()) {
        if (core::FileSystem::get()->getMountCount() > 0)
            core::FileSystem::get()->removeArchive("");
        core::FileSystem::deInitClass(); // the engine's file system is not a leak
    }
    SceneTest::TearDown();
}

std::string BakedArchiveTest::readFile(const char* name)
{
    core::Ref<core::Stream> stream;
    core::FileSystem::get()->openFile(stream, name, core::Archive::OPEN_READ);
    std::string bytes(static_cast<size_t>(stream->available()), '\0');
    if (!bytes.empty())
        stream->read(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

core::Vector<core::Ref<render::Object3D>> BakedArchiveTest::load(const char* name)
{
    core::Vector<core::Ref<render::Object3D>> objects;
    render::load(name, objects);
    return objects;
}

core::Ref<render::Image2D> BakedArchiveTest::loadImage(const char* name)
{
    core::Vector<core::Ref<render::Object3D>> objects = load(name);
    EXPECT_EQ(objects.size(), 1) << name;
    core::Ref<render::Image2D> image;
    if (objects.size() > 0)
        image = dynamic_cast<render::Image2D*>(objects[0].get());
    EXPECT_TRUE(image) << name << " is not an image";
    return image;
}

RGBA8 pixelOf(const render::Image2D& image, int x, int y)
{
    const uint32_t p = image.getPixel(x, y);
    return RGBA8{p >> 24, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
}

} // namespace bake_test
