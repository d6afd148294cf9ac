#include "demo/DemoAssets.h"

#include "core/Vector.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"
#include "render/scene/Mesh.h"
#include "render/scene/Sprite3D.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/World.h"

namespace demo_assets {

namespace {

using Objects = core::Vector<core::Ref<render::Object3D>>;

} // namespace

core::Ref<render::World> loadWorld(const char* fileName)
{
    Objects objects;
    render::load(core::String(fileName), objects);
    if (objects.isEmpty())
        return core::Ref<render::World>();
    return core::Ref<render::World>(dynamic_cast<render::World*>(objects[0].get()));
}

render::Mesh* childMesh(render::World* world, int childIndex)
{
    if (!world || childIndex >= world->getChildCount())
        return nullptr;
    return dynamic_cast<render::Mesh*>(world->getChild(childIndex));
}

core::Ref<render::Image2D> loadImage(const char* fileName)
{
    Objects objects;
    render::load(core::String(fileName), objects);
    render::Image2D* image = objects.isEmpty() ? nullptr : dynamic_cast<render::Image2D*>(objects[0].get());
    ASSERT_MSG(image, "invalid PNG-file");
    return core::Ref<render::Image2D>(image);
}

core::Ref<render::Texture2D> makeTexture(render::Graphics3D& g3d, render::Image2D* image)
{
    core::Ref<render::Texture2D> texture = g3d.createNewTexture(0, 0);
    if (texture)
        texture->setImage(image);
    return texture;
}

core::Ref<render::Sprite3D> makeSprite(render::Texture2D* texture, const int crop[4])
{
    core::Ref<render::Sprite3D> sprite = VORNA3D_NEW render::Sprite3D(texture);
    sprite->setCrop(crop[0], crop[1], crop[2], crop[3]);
    return sprite;
}

} // namespace demo_assets
