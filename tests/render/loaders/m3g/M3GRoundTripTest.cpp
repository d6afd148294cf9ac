// Scenes built in code, written with M3G_Writer and read back through the
// engine's loader, come back with every field a scene file holds. The
// expected values are the ones set; where the file stores a value in
// steps (alpha factor in 1/255, alpha threshold in 1/256) the expectation
// is the stepped value computed by hand.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/MemoryStream.h"
#include "render/animation/AnimationTrack.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Image2D.h"
#include "render/animation/KeyframeSequence.h"
#include "render/scene/Light.h"
#include "render/geometry/LineListArray.h"
#include "render/loaders/m3g/M3G_Loader.h"
#include "render/loaders/m3g/M3G_Writer.h"
#include "render/appearance/Material.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/Transform.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/scene/World.h"
#include "tests/render/loaders/m3g/M3GTestSupport.h"
#include "tests/support/LogCapture.h"

using namespace m3g_test;
using namespace render;
using core::Ref;

namespace {

using Objects = core::Vector<Ref<Object3D>>;

Objects list(std::initializer_list<Object3D*> objects)
{
    Objects out;
    for (Object3D* object : objects)
        out.add(Ref<Object3D>(object));
    return out;
}

Bytes writeScene(const Objects& roots, const M3G_Writer::Options& options = M3G_Writer::Options())
{
    Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
    out->setName("written.m3g");
    M3G_Writer::save(out.get(), roots, options);
    return Bytes(out->getData(), out->getData() + out->getSize());
}

Objects reload(const Objects& roots, const M3G_Writer::Options& options = M3G_Writer::Options())
{
    return loadBytes(writeScene(roots, options), "written.m3g");
}

// The message of the IOException that writing `roots` throws.
std::string writeError(const Objects& roots)
{
    try {
        writeScene(roots);
    } catch (const core::IOException& e) {
        return messageOf(e);
    }
    return "(no error)";
}

template <class T> T* as(Object3D* object)
{
    T* typed = dynamic_cast<T*>(object);
    EXPECT_NE(typed, nullptr);
    return typed;
}

Ref<VertexArray> shorts(int components, std::initializer_list<short> values)
{
    const int vertices = static_cast<int>(values.size()) / components;
    Ref<VertexArray> array = VORNA3D_NEW VertexArray(vertices, components, 2, 0);
    array->set(vertices, values.begin());
    return array;
}

Ref<VertexArray> bytes(int components, std::initializer_list<char> values)
{
    const int vertices = static_cast<int>(values.size()) / components;
    Ref<VertexArray> array = VORNA3D_NEW VertexArray(vertices, components, 1, 0);
    array->set(vertices, values.begin());
    return array;
}

template <class T> std::vector<T> valuesOf(VertexArray* array)
{
    std::vector<T> out(static_cast<size_t>(array->getVertexCount() * array->getComponentCount()));
    array->get(0, array->getVertexCount(), out.data());
    return out;
}

std::vector<unsigned short> indicesOf(IndexBuffer* buffer)
{
    return std::vector<unsigned short>(buffer->getPtr(), buffer->getPtr() + buffer->getIndexCount());
}

Ref<Image2D> rgbaImage(int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width * height * 4));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i * 37 + 11);
    return Ref<Image2D>(VORNA3D_NEW Image2D(Image2D::RGBA, width, height, pixels.data()));
}

class M3GRoundTripTest : public M3GTest { };

} // namespace

TEST_F(M3GRoundTripTest, NodesKeepTransformsSwitchesProjectionsAndNames)
{
    Ref<World> world = VORNA3D_NEW World();
    Ref<Group> group = VORNA3D_NEW Group();
    group->setTranslation(1.f, 2.f, 3.f);
    group->setScale(2.f, 3.f, 4.f);
    group->setOrientation(90.f, 0.f, 0.f, 2.f);
    const float general[16] = {1, 0, 0, 5, 0, 2, 0, 6, 0, 0, 3, 7, 0, 0, 0, 1};
    Transform transform;
    transform.set(general);
    group->setTransform(transform);
    group->setAlphaFactor(0.4f);
    group->setScope(0x0F);
    group->setRenderingEnable(false);
    group->setPickingEnable(false);
    group->setUserID(77);
    group->setName("box");
    const char extra[3] = {1, 0, 3};
    group->setUserParameter(5, extra, 3);

    Ref<Light> light = VORNA3D_NEW Light();
    light->setMode(Light::SPOT);
    light->setColor(0x123456);
    light->setIntensity(-2.f);
    light->setAttenuation(0.5f, 0.25f, 0.125f);
    light->setSpotAngle(30.f);
    light->setSpotExponent(64.f);
    group->addChild(light.get());

    Ref<Camera> perspective = VORNA3D_NEW Camera();
    perspective->setPerspective(45.f, 1.5f, 0.5f, 200.f);
    Ref<Camera> parallel = VORNA3D_NEW Camera();
    parallel->setParallel(10.f, 2.f, -1.f, 1.f);
    Ref<Camera> generic = VORNA3D_NEW Camera();
    const float projection[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, -1, -2, 0, 0, -1, 0};
    Transform projectionTransform;
    projectionTransform.set(projection);
    generic->setGeneric(projectionTransform);
    world->addChild(group.get());
    world->addChild(perspective.get());
    world->addChild(parallel.get());
    world->addChild(generic.get());
    world->setActiveCamera(perspective.get());
    Ref<Background> background = VORNA3D_NEW Background();
    background->setColor(0x80102030);
    world->setBackground(background.get());

    Objects roots = reload(list({world.get()}));
    ASSERT_EQ(roots.size(), 1);
    World* w = as<World>(roots[0].get());
    ASSERT_TRUE(w);
    ASSERT_EQ(w->getChildCount(), 4);
    EXPECT_EQ(w->getBackground()->getColor(), 0x80102030u);
    EXPECT_EQ(w->getActiveCamera(), w->getChild(1));

    Group* g = as<Group>(w->getChild(0));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->getTranslation().x, 1.f);
    EXPECT_EQ(g->getTranslation().z, 3.f);
    EXPECT_EQ(g->getScale().y, 3.f);
    float angleAxis[4];
    g->getOrientation(angleAxis);
    EXPECT_EQ(angleAxis[0], 90.f);
    EXPECT_EQ(angleAxis[3], 1.f); // the axis comes back normalised
    Transform readTransform;
    g->getTransform(&readTransform);
    float readGeneral[16];
    readTransform.get(readGeneral);
    EXPECT_EQ(std::memcmp(readGeneral, general, sizeof general), 0);
    // 0.4 x 255 = 102 steps; 102 / 255 = 0.4.
    EXPECT_FLOAT_EQ(g->getAlphaFactor(), 0.4f);
    EXPECT_EQ(g->getScope(), 0x0F);
    EXPECT_FALSE(g->isRenderingEnabled());
    EXPECT_FALSE(g->isPickingEnabled());
    EXPECT_EQ(g->getUserID(), 77);
    EXPECT_STREQ(g->getName().getASCII(), "box");
    const core::Vector<char>* parameter = g->getUserParameter(5);
    ASSERT_TRUE(parameter);
    ASSERT_EQ(parameter->size(), 3);
    EXPECT_EQ(std::memcmp(parameter->data(), extra, 3), 0);

    ASSERT_EQ(g->getChildCount(), 1);
    Light* l = as<Light>(g->getChild(0));
    ASSERT_TRUE(l);
    EXPECT_EQ(l->getMode(), Light::SPOT);
    EXPECT_EQ(l->getColor(), 0x123456);
    EXPECT_EQ(l->getIntensity(), -2.f);
    EXPECT_EQ(l->getConstantAttenuation(), 0.5f);
    EXPECT_EQ(l->getLinearAttenuation(), 0.25f);
    EXPECT_EQ(l->getQuadraticAttenuation(), 0.125f);
    EXPECT_EQ(l->getSpotAngle(), 30.f);
    EXPECT_EQ(l->getSpotExponent(), 64.f);

    float params[4];
    EXPECT_EQ(as<Camera>(w->getChild(1))->getProjection(params), Camera::PERSPECTIVE);
    EXPECT_EQ(params[0], 45.f);
    EXPECT_EQ(params[1], 1.5f);
    EXPECT_EQ(params[2], 0.5f);
    EXPECT_EQ(params[3], 200.f);
    EXPECT_EQ(as<Camera>(w->getChild(2))->getProjection(params), Camera::PARALLEL);
    EXPECT_EQ(params[0], 10.f);
    EXPECT_EQ(params[2], -1.f);
    Transform readProjection;
    EXPECT_EQ(as<Camera>(w->getChild(3))->getProjection(&readProjection), Camera::GENERIC);
    float readMatrix[16];
    readProjection.get(readMatrix);
    EXPECT_EQ(std::memcmp(readMatrix, projection, sizeof projection), 0);
}

TEST_F(M3GRoundTripTest, AppearanceComponentsKeepEveryFileField)
{
    Ref<CompositingMode> compositing = VORNA3D_NEW CompositingMode();
    compositing->setDepthTestEnable(false);
    compositing->setDepthWriteEnable(false);
    compositing->setColorWriteEnable(false);
    compositing->setBlending(CompositingMode::ADDITIVE); // this engine's blending mode 69
    compositing->setAlphaThreshold(0.5f);
    compositing->setDepthOffset(1.5f, -2.f);
    Ref<Fog> exponential = VORNA3D_NEW Fog();
    exponential->setMode(Fog::EXPONENTIAL);
    exponential->setColor(0x102030);
    exponential->setDensity(0.25f);
    Ref<Fog> linear = VORNA3D_NEW Fog();
    linear->setLinear(2.f, 50.f);
    linear->setColor(0xA0B0C0);
    Ref<PolygonMode> polygon = VORNA3D_NEW PolygonMode();
    polygon->setCulling(PolygonMode::CULL_NONE);
    polygon->setShading(PolygonMode::SHADE_FLAT);
    polygon->setWinding(PolygonMode::WINDING_CW);
    polygon->setTwoSidedLightingEnable(true);
    polygon->setLocalCameraLightingEnable(true);
    polygon->setPerspectiveCorrectionEnable(true);
    Ref<Material> material = VORNA3D_NEW Material();
    material->setColor(Material::AMBIENT, 0x112233);
    material->setColor(Material::DIFFUSE, 0x80445566);
    material->setColor(Material::EMISSIVE, 0x778899);
    material->setColor(Material::SPECULAR, 0xAABBCC);
    material->setShininess(12.5f);
    material->setVertexColorTrackingEnable(true);
    Ref<Texture2D> texture = VORNA3D_NEW Texture2D(rgbaImage(4, 2).get());
    texture->setBlending(Texture2D::FUNC_DECAL);
    texture->setBlendColor(0x0A0B0C);
    texture->setWrapping(Texture2D::WRAP_CLAMP, Texture2D::WRAP_REPEAT);
    texture->setFiltering(Texture2D::FILTER_NEAREST, Texture2D::FILTER_NEAREST);
    texture->setTranslation(0.5f, 0.f, 0.f);

    Ref<Appearance> first = VORNA3D_NEW Appearance();
    first->setLayer(-5);
    first->setCompositingMode(compositing.get());
    first->setFog(exponential.get());
    first->setPolygonMode(polygon.get());
    first->setMaterial(material.get());
    first->setTexture(1, texture.get()); // unit 0 stays empty
    Ref<Appearance> second = VORNA3D_NEW Appearance();
    second->setFog(linear.get());
    second->setMaterial(material.get());

    Objects roots = reload(list({first.get(), second.get()}));
    ASSERT_EQ(roots.size(), 2);
    Appearance* a = as<Appearance>(roots[0].get());
    Appearance* b = as<Appearance>(roots[1].get());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->getLayer(), -5);
    // One material, written once and shared again.
    EXPECT_EQ(a->getMaterial(), b->getMaterial());

    CompositingMode* c = a->getCompositingMode();
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->isDepthTestEnabled());
    EXPECT_FALSE(c->isDepthWriteEnabled());
    EXPECT_FALSE(c->isColorWriteEnabled());
    EXPECT_TRUE(c->isAlphaWriteEnabled());
    EXPECT_EQ(c->getBlending(), CompositingMode::ADDITIVE);
    EXPECT_EQ(c->getAlphaThreshold(), 0.5f); // 128 steps of 1/256
    EXPECT_EQ(c->getDepthOffsetFactor(), 1.5f);
    EXPECT_EQ(c->getDepthOffsetUnits(), -2.f);

    ASSERT_TRUE(a->getFog() && b->getFog());
    EXPECT_EQ(a->getFog()->getMode(), Fog::EXPONENTIAL);
    EXPECT_EQ(a->getFog()->getColor(), 0x102030u);
    EXPECT_EQ(a->getFog()->getDensity(), 0.25f);
    EXPECT_EQ(b->getFog()->getMode(), Fog::LINEAR);
    EXPECT_EQ(b->getFog()->getNearDistance(), 2.f);
    EXPECT_EQ(b->getFog()->getFarDistance(), 50.f);
    EXPECT_EQ(b->getFog()->getColor(), 0xA0B0C0u);

    PolygonMode* p = a->getPolygonMode();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->getCulling(), PolygonMode::CULL_NONE);
    EXPECT_EQ(p->getShading(), PolygonMode::SHADE_FLAT);
    EXPECT_EQ(p->getWinding(), PolygonMode::WINDING_CW);
    EXPECT_TRUE(p->isTwoSidedLightingEnabled());
    EXPECT_TRUE(p->isLocalCameraLightingEnabled());
    EXPECT_TRUE(p->isPerspectiveCorrectionEnabled());

    Material* m = a->getMaterial();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->getColor(Material::AMBIENT), 0x112233u);
    EXPECT_EQ(m->getColor(Material::DIFFUSE), 0x80445566u);
    EXPECT_EQ(m->getColor(Material::EMISSIVE), 0x778899u);
    EXPECT_EQ(m->getColor(Material::SPECULAR), 0xAABBCCu);
    EXPECT_EQ(m->getShininess(), 12.5f);
    EXPECT_TRUE(m->isVertexColorTrackingEnabled());

    ASSERT_EQ(a->getTextureCount(), 2);
    EXPECT_EQ(a->getTexture(0), nullptr);
    Texture2D* t = a->getTexture(1);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->getBlending(), Texture2D::FUNC_DECAL);
    EXPECT_EQ(t->getBlendColor(), 0x0A0B0Cu);
    EXPECT_EQ(t->getWrappingS(), Texture2D::WRAP_CLAMP);
    EXPECT_EQ(t->getWrappingT(), Texture2D::WRAP_REPEAT);
    EXPECT_EQ(t->getLevelFilter(), Texture2D::FILTER_NEAREST);
    EXPECT_EQ(t->getImageFilter(), Texture2D::FILTER_NEAREST);
    EXPECT_EQ(t->getTranslation().x, 0.5f);
    ASSERT_TRUE(t->getImage());
    EXPECT_EQ(t->getImage()->getWidth(), 4);
}

TEST_F(M3GRoundTripTest, VertexAndIndexDataRoundTripPlainDeltaCodedAndCompressed)
{
    Ref<VertexArray> positions = shorts(3, {-32768, 32767, 0, 100, -100, 5, 7, 8, 9, 300, 301, 302, 1, 2, 3, 4, 5, 6});
    Ref<VertexArray> normals = bytes(3, {127, -128, 0, 1, 2, 3, -1, -2, -3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    Ref<VertexArray> colors =
        bytes(4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24});
    Ref<VertexArray> uv = shorts(2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    Ref<VertexArray> uvw = bytes(3, {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5});
    Ref<VertexBuffer> vb = VORNA3D_NEW VertexBuffer();
    const float bias[3] = {1.f, 2.f, 3.f};
    vb->setPositions(positions.get(), 0.5f, bias);
    vb->setNormals(normals.get());
    vb->setColors(colors.get());
    const float uvBias[2] = {0.25f, -0.25f};
    vb->setTexCoords(0, uv.get(), 2.f, uvBias);
    vb->setTexCoords(2, uvw.get(), 0.125f, bias); // unit 1 stays empty
    vb->setDefaultColor(0x80FF0000u);

    // Strips of 3, 4 and 5 indices (and a strip array over 0..5 in order,
    // which the writer stores as implicit indices), a triangle list.
    const unsigned short stripIndices[12] = {0, 1, 2, 3, 4, 5, 0, 5, 4, 3, 2, 1};
    const int stripLengths[3] = {3, 4, 5};
    Ref<TriangleStripArray> strips = VORNA3D_NEW TriangleStripArray(stripIndices, stripLengths, 3);
    const unsigned short runIndices[6] = {0, 1, 2, 3, 4, 5};
    const int runLength[1] = {6};
    Ref<TriangleStripArray> run = VORNA3D_NEW TriangleStripArray(runIndices, runLength, 1);
    const unsigned short listIndices[6] = {0, 1, 2, 2, 1, 5};
    Ref<TriangleListArray> triangles = VORNA3D_NEW TriangleListArray(listIndices, 6);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    core::Vector<Ref<IndexBuffer>> submeshes;
    submeshes.add(Ref<IndexBuffer>(strips.get()));
    submeshes.add(Ref<IndexBuffer>(run.get()));
    submeshes.add(Ref<IndexBuffer>(triangles.get()));
    core::Vector<Ref<Appearance>> appearances;
    for (int i = 0; i < 3; ++i)
        appearances.add(appearance);
    Ref<Mesh> mesh = VORNA3D_NEW Mesh(vb.get(), submeshes, appearances);

    Bytes plainBytes;
    for (int variant = 0; variant < 4; ++variant) {
        SCOPED_TRACE(variant);
        M3G_Writer::Options options;
        options.deltaEncodeVertexArrays = (variant & 1) != 0;
        options.compress = (variant & 2) != 0;
        const Bytes written = writeScene(list({mesh.get()}), options);
        // The object section follows the identifier and the header section:
        // its first byte is the compression scheme.
        uint32_t headerTotal;
        std::memcpy(&headerTotal, &written[13], 4);
        EXPECT_EQ(written[12 + headerTotal], options.compress ? 1 : 0);
        if (variant == 0) {
            plainBytes = written;
        } else if (variant == 1) {
            EXPECT_NE(written, plainBytes); // delta coding changes the stored values
        }

        Objects roots = loadBytes(written, "written.m3g");
        ASSERT_EQ(roots.size(), 1);
        Mesh* m = as<Mesh>(roots[0].get());
        ASSERT_TRUE(m);
        VertexBuffer* b = m->getVertexBuffer();
        float scaleBias[4];
        ASSERT_TRUE(b->getPositions(scaleBias));
        EXPECT_EQ(scaleBias[0], 0.5f);
        EXPECT_EQ(scaleBias[3], 3.f);
        EXPECT_EQ(valuesOf<short>(b->getPositions()), valuesOf<short>(positions.get()));
        EXPECT_EQ(valuesOf<char>(b->getNormals()), valuesOf<char>(normals.get()));
        EXPECT_EQ(valuesOf<char>(b->getColors()), valuesOf<char>(colors.get()));
        EXPECT_EQ(b->getDefaultColor(), 0x80FF0000u);
        ASSERT_EQ(b->getTexCoordCount(), 3);
        EXPECT_EQ(valuesOf<short>(b->getTexCoords(0, scaleBias)), valuesOf<short>(uv.get()));
        EXPECT_EQ(scaleBias[0], 2.f);
        EXPECT_EQ(scaleBias[1], 0.25f);
        EXPECT_EQ(scaleBias[2], -0.25f);
        EXPECT_EQ(b->getTexCoords(1, nullptr), nullptr);
        EXPECT_EQ(valuesOf<char>(b->getTexCoords(2, scaleBias)), valuesOf<char>(uvw.get()));
        EXPECT_EQ(scaleBias[0], 0.125f);
        EXPECT_EQ(scaleBias[3], 3.f);

        ASSERT_EQ(m->getSubmeshCount(), 3);
        EXPECT_EQ(indicesOf(m->getIndexBuffer(0)), indicesOf(strips.get()));
        EXPECT_EQ(indicesOf(m->getIndexBuffer(1)), indicesOf(run.get()));
        // The triangle list comes back as strips of one triangle each,
        // drawing the same triangles.
        TriangleStripArray* listStrips = as<TriangleStripArray>(m->getIndexBuffer(2));
        ASSERT_TRUE(listStrips);
        EXPECT_EQ(indicesOf(TriangleListArray::convertTriangleStripArrayToTriangleListArray(listStrips).get()),
                  std::vector<unsigned short>(listIndices, listIndices + 6));
        EXPECT_EQ(m->getAppearance(0), m->getAppearance(2));
    }
}

TEST_F(M3GRoundTripTest, ImagesKeepPixelsAndPalettesAndBackgroundsTheirCrop)
{
    const unsigned char rgb[18] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    Ref<Image2D> direct = VORNA3D_NEW Image2D(Image2D::RGB, 3, 2, rgb);
    unsigned char palette[256 * 4] = {};
    for (int i = 0; i < 256 * 4; ++i)
        palette[i] = static_cast<unsigned char>(255 - i);
    const unsigned char indices[4] = {0, 255, 7, 1};
    Ref<Image2D> palettised = VORNA3D_NEW Image2D(Image2D::RGBA, 2, 2, indices, palette);
    Ref<Background> background = VORNA3D_NEW Background();
    background->setImage(direct.get());
    background->setCrop(1, -1, 2, 5);
    background->setImageMode(Background::REPEAT, Background::BORDER);
    background->setDepthClearEnable(false);
    background->setColorClearEnable(false);

    Objects roots = reload(list({background.get(), palettised.get()}));
    ASSERT_EQ(roots.size(), 2);
    Background* bg = as<Background>(roots[0].get());
    ASSERT_TRUE(bg && bg->getImage());
    // The file's crop, not the image's size.
    EXPECT_EQ(bg->getCropX(), 1);
    EXPECT_EQ(bg->getCropY(), -1);
    EXPECT_EQ(bg->getCropWidth(), 2);
    EXPECT_EQ(bg->getCropHeight(), 5);
    EXPECT_EQ(bg->getImageModeX(), Background::REPEAT);
    EXPECT_EQ(bg->getImageModeY(), Background::BORDER);
    EXPECT_FALSE(bg->isDepthClearEnabled());
    EXPECT_FALSE(bg->isColorClearEnabled());
    Image2D* image = bg->getImage();
    EXPECT_EQ(image->getFormat(), Image2D::RGB);
    EXPECT_FALSE(image->isMutable());
    ASSERT_EQ(image->getPixelBlockSize(), 18);
    EXPECT_EQ(std::memcmp(image->getPixels(), rgb, 18), 0);

    Image2D* p = as<Image2D>(roots[1].get());
    ASSERT_TRUE(p && p->isPalettised());
    EXPECT_EQ(std::memcmp(p->getPalette(), palette, sizeof palette), 0);
    EXPECT_EQ(std::memcmp(p->getPixels(), indices, 4), 0);
}

TEST_F(M3GRoundTripTest, EngineOnlyValuesAreWrittenInTheirFileForms)
{
    // An alpha threshold of 1 would be 256 steps: the top step, 255, stands for it.
    Ref<CompositingMode> opaque = VORNA3D_NEW CompositingMode();
    opaque->setAlphaThreshold(1.f);
    // The parallel projection by six bounds has no file type: its matrix is written.
    Ref<Camera> bounds = VORNA3D_NEW Camera();
    bounds->setParallel(-2.f, 4.f, -1.f, 3.f, 0.5f, 10.f);
    // Alignment is not written; a warning says so.
    Ref<Group> aligned = VORNA3D_NEW Group();
    Ref<Group> target = VORNA3D_NEW Group();
    aligned->setAlignment(target.get(), Node::Z_AXIS, nullptr, Node::NONE);
    // A texture of a 3 x 5 image is padded to 4 x 8, which scales its
    // coordinates by (3/4, 5/8); the file gets no scale, the reader pads again.
    std::vector<unsigned char> pixels(3 * 5 * 4, 0x55);
    Ref<Image2D> odd = VORNA3D_NEW Image2D(Image2D::RGBA, 3, 5, pixels.data());
    Ref<Texture2D> texture = VORNA3D_NEW Texture2D(odd.get());
    ASSERT_EQ(texture->getScale().x, 0.75f);

    testing_support::LogCapture log;
    const Bytes written = writeScene(list({opaque.get(), bounds.get(), aligned.get(), texture.get()}));
    EXPECT_NE(log.text().find("Parse warning: \"Node aligment not supported.\""), std::string::npos);
    Objects roots = loadBytes(written, "written.m3g");
    ASSERT_EQ(roots.size(), 4);
    EXPECT_EQ(as<CompositingMode>(roots[0].get())->getAlphaThreshold(), 255.f / 256.f);
    Transform expected, got;
    bounds->getProjection(&expected);
    EXPECT_EQ(as<Camera>(roots[1].get())->getProjection(&got), Camera::GENERIC);
    float e[16], g[16];
    expected.get(e);
    got.get(g);
    EXPECT_EQ(std::memcmp(e, g, sizeof e), 0);
    EXPECT_EQ(as<Group>(roots[2].get())->getZTarget(), Node::NONE);
    Texture2D* t = as<Texture2D>(roots[3].get());
    EXPECT_EQ(t->getScale().x, 0.75f);
    EXPECT_EQ(t->getScale().y, 0.625f);
}

TEST_F(M3GRoundTripTest, WriterRefusesWhatAFileCannotHold)
{
    Ref<Image2D> mutableImage = VORNA3D_NEW Image2D(Image2D::RGB, 2, 2);
    EXPECT_EQ(writeError(list({mutableImage.get()})),
              "Mutable Image2D can not be written: only immutable images keep their pixels in a file.");
    std::vector<unsigned char> alpha(4 * 4, 0);
    Ref<Image2D> alphaImage = VORNA3D_NEW Image2D(Image2D::ALPHA, 2, 2, alpha.data());
    EXPECT_EQ(writeError(list({alphaImage.get()})), "Unsuported image format.");
    Ref<Texture2D> empty = VORNA3D_NEW Texture2D(nullptr);
    EXPECT_EQ(writeError(list({empty.get()})), "No image set for texture.");

    Ref<Mesh> bare = render_test::unitQuad(); // its submesh has no appearance
    EXPECT_EQ(writeError(list({bare.get()})), "Not all appearances are specified for mesh.");
    Ref<VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 1, 0, 0});
    Ref<LineListArray> lines = VORNA3D_NEW LineListArray(0, 2);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<Mesh> lineMesh = VORNA3D_NEW Mesh(vb.get(), lines.get(), appearance.get());
    EXPECT_EQ(writeError(list({lineMesh.get()})), "Object type LineListArray can not be written.");
    Ref<Material> animated = VORNA3D_NEW Material();
    // A keyframe sequence in a file has a duration.
    Ref<KeyframeSequence> sequence = VORNA3D_NEW KeyframeSequence(1, 3, KeyframeSequence::LINEAR);
    Ref<AnimationTrack> track = VORNA3D_NEW AnimationTrack(sequence.get(), AnimationTrack::TRANSLATION);
    animated->addAnimationTrack(track.get());
    EXPECT_EQ(writeError(list({animated.get()})), "KeyframeSequence duration not set.");

    // A failed write leaves the stream untouched.
    Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
    EXPECT_THROW(M3G_Writer::save(out.get(), list({animated.get()}), M3G_Writer::Options()), core::IOException);
    EXPECT_EQ(out->getSize(), 0);
}

TEST_F(M3GRoundTripTest, ObjectsAreWrittenOnceAfterEverythingTheyReferTo)
{
    // Two meshes share a vertex buffer and an appearance; a material
    // nobody refers to is a root of its own.
    Ref<VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0});
    const unsigned short idx[3] = {0, 1, 2};
    const int len[1] = {3};
    Ref<TriangleStripArray> strip = VORNA3D_NEW TriangleStripArray(idx, len, 1);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<Mesh> a = VORNA3D_NEW Mesh(vb.get(), strip.get(), appearance.get());
    Ref<Mesh> b = VORNA3D_NEW Mesh(vb.get(), strip.get(), appearance.get());
    Ref<World> world = VORNA3D_NEW World();
    world->addChild(a.get());
    world->addChild(b.get());
    Ref<Material> loose = VORNA3D_NEW Material();

    core::Vector<Object3D*> order;
    M3G_Writer::collect(list({loose.get(), world.get()}), order);
    // loose material, appearance, strip, positions, vertex buffer, mesh a, mesh b, world.
    ASSERT_EQ(order.size(), 8);
    EXPECT_EQ(order[0], loose.get());
    EXPECT_EQ(order[4], vb.get());
    EXPECT_EQ(order[5], a.get());
    EXPECT_EQ(order[7], world.get());

    const Bytes written = writeScene(list({loose.get(), world.get()}));
    Ref<core::MemoryStream> in = VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(written.data()),
                                                                static_cast<int>(written.size()), true);
    Ref<M3G_Loader> loader = VORNA3D_NEW M3G_Loader();
    Objects roots;
    loader->load(in.get(), roots);
    ASSERT_EQ(roots.size(), 2);
    EXPECT_TRUE(as<Material>(roots[0].get()));
    World* w = as<World>(roots[1].get());
    ASSERT_TRUE(w);
    EXPECT_EQ(as<Mesh>(w->getChild(0))->getVertexBuffer(), as<Mesh>(w->getChild(1))->getVertexBuffer());
    const M3G_ObjectTable* table = loader->getObjectTable();
    ASSERT_EQ(table->size(), 10); // null, header and the eight objects
    core::Vector<uint32_t> refs;
    for (int i = 2; i < table->size(); ++i) {
        table->getReferenceIndices(i, refs);
        for (uint32_t ref : refs)
            EXPECT_LT(ref, static_cast<uint32_t>(i)) << "object " << i << " refers forwards";
    }
    table->getReferenceIndices(9, refs); // the world: its two meshes
    ASSERT_EQ(refs.size(), 2);
    EXPECT_EQ(refs[0], 7u);
    EXPECT_EQ(refs[1], 8u);
}
