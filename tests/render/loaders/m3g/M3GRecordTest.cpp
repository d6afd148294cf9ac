// The object records of scene files: decoding (implicit and explicit
// strip indices, delta-coded vertex arrays, palettes, user parameters),
// the values each record checks, and counts beyond the record's bytes,
// each a parse error with a clear text. Records are assembled byte by byte
// (M3GTestSupport.h); the expected values are computed by hand from them.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/appearance/Appearance.h"
#include "render/appearance/CompositingMode.h"
#include "render/scene/Group.h"
#include "render/appearance/Image2D.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/loaders/m3g/M3GTestSupport.h"
#include "tests/support/LogCapture.h"

using namespace m3g_test;
using namespace render;

namespace {

class M3GRecordTest : public M3GTest { };

// The first root of a file holding `records`, as a T.
template <class T> core::Ref<T> loadOne(std::initializer_list<Bytes> records)
{
    core::Vector<core::Ref<Object3D>> roots = loadBytes(fileOf(records));
    EXPECT_GE(roots.size(), 1);
    if (roots.isEmpty())
        return nullptr;
    T* typed = dynamic_cast<T*>(roots[roots.size() - 1].get());
    EXPECT_NE(typed, nullptr);
    return core::Ref<T>(typed);
}

Bytes stripRecord(unsigned encoding, const Bytes& indexPart, std::initializer_list<uint32_t> lengths)
{
    Writer w;
    w.object3D().u8(encoding).raw(indexPart).u32(static_cast<uint32_t>(lengths.size()));
    for (uint32_t length : lengths)
        w.u32(length);
    return record(11, w.bytes);
}

Bytes vertexArray(unsigned size, unsigned components, unsigned encoding, unsigned count, const Bytes& values)
{
    Writer w;
    w.object3D().u8(size).u8(components).u8(encoding).u16(count).raw(values);
    return record(20, w.bytes);
}

Bytes vertexBuffer(uint32_t positions, uint32_t colors)
{
    Writer w;
    w.object3D().u32(0xFFFFFFFFu).u32(positions).f32(0).f32(0).f32(0).f32(1).u32(0).u32(colors).u32(0);
    return record(21, w.bytes);
}

Bytes image(unsigned format, bool isMutable, uint32_t width, uint32_t height, const Bytes& palette, const Bytes& pixels)
{
    Writer w;
    w.object3D().u8(format).boolean(isMutable).u32(width).u32(height);
    if (!isMutable)
        w.u32(static_cast<uint32_t>(palette.size())).raw(palette).u32(static_cast<uint32_t>(pixels.size())).raw(pixels);
    return record(10, w.bytes);
}

std::vector<unsigned short> indicesOf(IndexBuffer* buffer)
{
    return std::vector<unsigned short>(buffer->getPtr(), buffer->getPtr() + buffer->getIndexCount());
}

} // namespace

TEST_F(M3GRecordTest, StripIndicesInEveryEncoding)
{
    // Two strips of 3 and 4 indices over 10..16; joined as the engine keeps
    // them: 10 10 10 11 12 12 12 13 13 14 15 16 16 16.
    const std::vector<unsigned short> joined = {10, 10, 10, 11, 12, 12, 12, 13, 13, 14, 15, 16, 16, 16};
    Writer explicitBytes, explicitShorts, explicitInts;
    explicitBytes.u32(7);
    explicitShorts.u32(7);
    explicitInts.u32(7);
    for (unsigned i = 10; i <= 16; ++i) {
        explicitBytes.u8(i);
        explicitShorts.u16(i);
        explicitInts.u32(i);
    }
    EXPECT_EQ(indicesOf(loadOne<TriangleStripArray>({stripRecord(0, Writer().u32(10).bytes, {3, 4})}).get()), joined);
    EXPECT_EQ(indicesOf(loadOne<TriangleStripArray>({stripRecord(1, Writer().u8(10).bytes, {3, 4})}).get()), joined);
    EXPECT_EQ(indicesOf(loadOne<TriangleStripArray>({stripRecord(2, Writer().u16(10).bytes, {3, 4})}).get()), joined);
    EXPECT_EQ(indicesOf(loadOne<TriangleStripArray>({stripRecord(128, explicitInts.bytes, {3, 4})}).get()), joined);
    EXPECT_EQ(indicesOf(loadOne<TriangleStripArray>({stripRecord(129, explicitBytes.bytes, {3, 4})}).get()), joined);
    EXPECT_EQ(indicesOf(loadOne<TriangleStripArray>({stripRecord(130, explicitShorts.bytes, {3, 4})}).get()), joined);
    // Byte indices are unsigned.
    EXPECT_EQ(
        indicesOf(
            loadOne<TriangleStripArray>({stripRecord(129, Writer().u32(3).u8(200).u8(201).u8(255).bytes, {3})}).get()),
        (std::vector<unsigned short>{200, 200, 200, 201, 255, 255, 255, 255}));

    EXPECT_EQ(loadError(fileOf({stripRecord(3, {}, {3})})), "Unsupported encoding in TriangleStripArray.");
    EXPECT_EQ(loadError(fileOf({stripRecord(128, Writer().u32(3).u32(0).u32(1).u32(70000).bytes, {3})})),
              "Too big data in triangle strip. Values must be in range -32768 ... 32767");
    EXPECT_EQ(loadError(fileOf({stripRecord(2, Writer().u16(65534).bytes, {3})})),
              "Too big data in triangle strip. Values must be in range -32768 ... 32767");
    EXPECT_EQ(loadError(fileOf({stripRecord(129, explicitBytes.bytes, {3, 3})})),
              "Strip lengths of TriangleStripArray do not add up to its index count.");
    EXPECT_EQ(loadError(fileOf({stripRecord(129, explicitBytes.bytes, {2, 5})})),
              "A triangle strip in TriangleStripArray has fewer than 3 indices.");
    EXPECT_EQ(loadError(fileOf({stripRecord(1, Writer().u8(0).bytes, {})})),
              "Strip Lengths are 0 in TriangleStripArray.");
}

TEST_F(M3GRecordTest, VertexArraysDecodeDeltasAndCheckTheirShape)
{
    // Two bytes per vertex stored as (5, 1), (1, 1), (1, 1): each vertex adds
    // to the one before, giving (5, 1), (6, 2), (7, 3).
    core::Ref<VertexArray> delta = loadOne<VertexArray>({vertexArray(1, 2, 1, 3, {5, 1, 1, 1, 1, 1})});
    char values[6];
    delta->get(0, 3, values);
    EXPECT_EQ(std::vector<char>(values, values + 6), (std::vector<char>{5, 1, 6, 2, 7, 3}));
    // Shorts wrap around like 16-bit values: 0x7FFF + 1 = -0x8000.
    core::Ref<VertexArray> wrap =
        loadOne<VertexArray>({vertexArray(2, 2, 1, 2, {0xFF, 0x7F, 0x02, 0x00, 0x01, 0x00, 0xFF, 0xFF})});
    short shorts[4];
    wrap->get(0, 2, shorts);
    EXPECT_EQ(shorts[0], 32767);
    EXPECT_EQ(shorts[1], 2);
    EXPECT_EQ(shorts[2], -32768);
    EXPECT_EQ(shorts[3], 1);

    EXPECT_EQ(loadError(fileOf({vertexArray(1, 2, 0, 0, {})})), "Zero vertex count in vertex array.");
    EXPECT_EQ(loadError(fileOf({vertexArray(1, 5, 0, 1, {1, 2, 3, 4, 5})})), "Component Count out of range.");
    EXPECT_EQ(loadError(fileOf({vertexArray(3, 2, 0, 1, {1, 2, 3, 4, 5, 6})})), "Component size out of range.");
    EXPECT_EQ(loadError(fileOf({vertexArray(1, 2, 2, 1, {1, 2})})), "Invalid component encoding");
    EXPECT_EQ(loadError(fileOf({vertexArray(2, 3, 0, 1000, {1, 2})})), "Small stream buffer");
}

TEST_F(M3GRecordTest, ThreeComponentColoursAreWidenedOnceForEveryBuffer)
{
    // Index 2: positions of two vertices, 3: RGB colours, 4 and 5: buffers using both.
    const Bytes positions = vertexArray(2, 3, 0, 2, Bytes(12, 0));
    const Bytes rgb = vertexArray(1, 3, 0, 2, {10, 20, 30, 40, 50, 60});
    core::Vector<core::Ref<Object3D>> roots =
        loadBytes(fileOf({positions, rgb, vertexBuffer(2, 3), vertexBuffer(2, 3)}));
    ASSERT_EQ(roots.size(), 2);
    VertexBuffer* a = dynamic_cast<VertexBuffer*>(roots[0].get());
    VertexBuffer* b = dynamic_cast<VertexBuffer*>(roots[1].get());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->getColors(), b->getColors());
    ASSERT_EQ(a->getColors()->getComponentCount(), 4);
    char rgba[8];
    a->getColors()->get(0, 2, rgba);
    EXPECT_EQ(std::vector<char>(rgba, rgba + 8), (std::vector<char>{10, 20, 30, -1, 40, 50, 60, -1}));

    // One RGB byte array as both normals and colours: the normals keep the
    // array the file gave, the colours get the widened one.
    Writer both;
    both.object3D().u32(0xFFFFFFFFu).u32(2).f32(0).f32(0).f32(0).f32(1).u32(3).u32(3).u32(0);
    roots = loadBytes(fileOf({positions, rgb, record(21, both.bytes)}));
    ASSERT_EQ(roots.size(), 1);
    VertexBuffer* shared = dynamic_cast<VertexBuffer*>(roots[0].get());
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->getNormals()->getComponentCount(), 3);
    EXPECT_EQ(shared->getColors()->getComponentCount(), 4);

    // Colours must be bytes of 3 or 4 components; positions 3 components; equal vertex counts.
    EXPECT_EQ(loadError(fileOf({positions, vertexArray(2, 3, 0, 2, Bytes(12, 0)), vertexBuffer(2, 3)})),
              "Referenced colors object does not have correct component type. Should be 1.");
    EXPECT_EQ(loadError(fileOf({positions, vertexArray(1, 2, 0, 2, Bytes(4, 0)), vertexBuffer(2, 3)})),
              "Component count is not 3 or 4 in colors data.");
    EXPECT_EQ(loadError(fileOf({vertexArray(2, 2, 0, 2, Bytes(8, 0)), vertexBuffer(2, 0)})),
              "Component count is not 3 in positions data.");
    EXPECT_EQ(loadError(fileOf({positions, vertexArray(1, 3, 0, 3, Bytes(9, 0)), vertexBuffer(2, 3)})),
              "The vertex arrays of a VertexBuffer have different vertex counts.");
}

TEST_F(M3GRecordTest, UserParametersNameObjectsAndCountsAreChecked)
{
    // User parameter 1 holding "box" and a zero names the object.
    Writer named;
    named.u32(5).u32(0).u32(2).u32(1).u32(4).str("box").u32(9).u32(2).u8(0xAB).u8(0xCD);
    Writer rest;
    rest.u8(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    Bytes data = named.bytes;
    data.insert(data.end(), rest.bytes.begin(), rest.bytes.end());
    testing_support::LogCapture log;
    core::Ref<Appearance> appearance = loadOne<Appearance>({record(3, data)});
    ASSERT_TRUE(appearance);
    EXPECT_STREQ(appearance->getName().getASCII(), "box");
    EXPECT_EQ(appearance->getUserID(), 5);
    ASSERT_TRUE(appearance->getUserParameter(9));
    EXPECT_EQ(appearance->getUserParameter(9)->size(), 2);
    EXPECT_NE(log.text().find("    Object name: box\n"), std::string::npos);

    Writer twice;
    twice.u32(0).u32(0).u32(2).u32(7).u32(0).u32(7).u32(0).raw(rest.bytes);
    EXPECT_EQ(loadError(fileOf({record(3, twice.bytes)})), "User parameter ID 7 appears twice.");
    // Counts and lengths are checked against the record before anything is allocated.
    Writer parameters;
    parameters.u32(0).u32(0).u32(0xFFFFFFFFu).raw(rest.bytes);
    EXPECT_EQ(loadError(fileOf({record(3, parameters.bytes)})),
              "User parameter count 4294967295 does not fit in the 21 bytes left of the object.");
    Writer length;
    length.u32(0).u32(0).u32(1).u32(1).u32(0x7FFFFFFFu).raw(rest.bytes);
    EXPECT_NE(loadError(fileOf({record(3, length.bytes)})).find("User parameter byte count 2147483647 does not fit"),
              std::string::npos);
    Writer tracks;
    tracks.u32(0).u32(0x40000000u).u32(0).raw(rest.bytes);
    EXPECT_NE(loadError(fileOf({record(3, tracks.bytes)})).find("Animation track count"), std::string::npos);
    Writer children;
    children.node().u32(0xFFFFFFF0u);
    EXPECT_NE(loadError(fileOf({record(9, children.bytes)})).find("Child count"), std::string::npos);
    Writer submeshes;
    submeshes.node().u32(2).u32(0x20000000u);
    EXPECT_NE(loadError(fileOf({record(14, submeshes.bytes)})).find("Submesh count"), std::string::npos);
    EXPECT_NE(
        loadError(fileOf({stripRecord(130, Writer().u32(0x7FFFFFFFu).bytes, {3})})).find("Triangle strip index count"),
        std::string::npos);
    Writer strips;
    strips.object3D().u8(1).u8(0).u32(0x40000000u);
    EXPECT_NE(loadError(fileOf({record(11, strips.bytes)})).find("Triangle strip count"), std::string::npos);
    Writer textures;
    textures.object3D().u8(0).u32(0).u32(0).u32(0).u32(0).u32(9).raw(Bytes(36, 0));
    EXPECT_EQ(loadError(fileOf({record(3, textures.bytes)})),
              "Appearance has 9 textures; at most 8 texture units are supported.");
}

TEST_F(M3GRecordTest, ImagesWithPalettesOfAnySizeAndCheckedLengths)
{
    // Two RGB palette entries; the other 254 of the image's palette are zero.
    core::Ref<Image2D> small = loadOne<Image2D>({image(99, false, 2, 2, {1, 2, 3, 4, 5, 6}, {0, 1, 1, 0})});
    ASSERT_TRUE(small && small->isPalettised());
    EXPECT_EQ(small->getPixel(1, 0), 1u);
    EXPECT_EQ(std::memcmp(small->getPalette(), "\x01\x02\x03\x04\x05\x06\x00\x00\x00", 9), 0);
    EXPECT_EQ(small->getPalette()[255 * 3 + 2], 0);
    // A mutable image carries no pixels and is made blank.
    core::Ref<Image2D> blank = loadOne<Image2D>({image(100, true, 3, 1, {}, {})});
    ASSERT_TRUE(blank);
    EXPECT_TRUE(blank->isMutable());
    EXPECT_EQ(blank->getPixel(2, 0), 0xFFFFFFFFu);

    EXPECT_EQ(loadError(fileOf({image(96, false, 1, 1, {}, {1, 2, 3, 4})})), "Unsuported image format.");
    EXPECT_EQ(loadError(fileOf({image(99, false, 1, 1, {}, {})})), "No pixels specified for immutable object");
    EXPECT_EQ(loadError(fileOf({image(99, false, 2, 1, {}, {1, 2, 3})})),
              "Image2D pixel data of 3 bytes does not match the 6 bytes of a 2x1 image.");
    EXPECT_EQ(loadError(fileOf({image(99, false, 1, 1, {1, 2, 3, 4}, {0})})),
              "Image2D palette of 4 bytes is not a whole number of at most 256 entries.");
    EXPECT_EQ(loadError(fileOf({image(99, false, 1, 1, Bytes(257 * 3, 0), {0})})),
              "Image2D palette of 771 bytes is not a whole number of at most 256 entries.");
    // Sizes whose pixels would pass 32 bits, and pixel lengths beyond the record.
    EXPECT_EQ(loadError(fileOf({image(100, true, 65536, 65536, {}, {})})),
              "Image2D size 65536x65536 is not supported.");
    EXPECT_EQ(loadError(fileOf({image(100, true, 0, 5, {}, {})})), "Image2D size 0x5 is not supported.");
    Writer hugePixels;
    hugePixels.object3D().u8(99).boolean(false).u32(20000).u32(20000).u32(0).u32(0x47868C00u);
    EXPECT_NE(loadError(fileOf({record(10, hugePixels.bytes)})).find("Image2D pixel byte count"), std::string::npos);
}

TEST_F(M3GRecordTest, LayersThresholdsAndEnumerationsAreChecked)
{
    const auto appearanceWithLayer = [](unsigned layer) {
        Writer w;
        w.object3D().u8(layer).u32(0).u32(0).u32(0).u32(0).u32(0);
        return record(3, w.bytes);
    };
    // The layer byte is signed: 0xC1 is -63; 0x40 (64) is out of range.
    EXPECT_EQ(loadOne<Appearance>({appearanceWithLayer(0xC1)})->getLayer(), -63);
    EXPECT_EQ(loadError(fileOf({appearanceWithLayer(0x40)})), "Appearance layer is not correct.");

    const auto compositing = [](unsigned blending, unsigned threshold) {
        Writer w;
        w.object3D().boolean(true).boolean(true).boolean(true).boolean(true).u8(blending).u8(threshold).f32(0).f32(0);
        return record(6, w.bytes);
    };
    // The threshold is in steps of 1/256: 128 is 0.5.
    EXPECT_EQ(loadOne<CompositingMode>({compositing(64, 128)})->getAlphaThreshold(), 0.5f);
    EXPECT_EQ(loadOne<CompositingMode>({compositing(72, 0)})->getBlending(), 72);
    EXPECT_EQ(loadError(fileOf({compositing(63, 0)})), "CompositingMode blending mode is not correct.");
    EXPECT_EQ(loadError(fileOf({compositing(73, 0)})), "CompositingMode blending mode is not correct.");

    Writer booleanTwo;
    booleanTwo.object3D().u8(2).boolean(true).boolean(true).boolean(true).u8(64).u8(0).f32(0).f32(0);
    EXPECT_EQ(loadError(fileOf({record(6, booleanTwo.bytes)})), "Deserialized boolean data not '1' or '0'.");
    Writer nan;
    nan.object3D().boolean(true).boolean(true).boolean(true).boolean(true).u8(64).u8(0).u32(0x7FC00000u).f32(0);
    EXPECT_EQ(loadError(fileOf({record(6, nan.bytes)})), "Invalid floating point number");

    Writer polygon;
    polygon.object3D().u8(170).u8(164).u8(168).boolean(false).boolean(false).boolean(false);
    EXPECT_EQ(loadError(fileOf({record(8, polygon.bytes)})), "Polygon mode culling not correct value.");
    Writer fogMode;
    fogMode.object3D().u8(0).u8(0).u8(0).u8(82);
    EXPECT_EQ(loadError(fileOf({record(7, fogMode.bytes)})),
              "Fog mode must be render::Fog::EXPONENTIAL or render::Fog::LINEAR.");
    Writer fogDensity;
    fogDensity.object3D().u8(0).u8(0).u8(0).u8(80).f32(0.f);
    EXPECT_EQ(loadError(fileOf({record(7, fogDensity.bytes)})), "Exponential fog density not greater than zero.");
    Writer background;
    background.object3D().u32(0).u32(0).u8(31).u8(32).u32(0).u32(0).u32(0).u32(0).boolean(true).boolean(true);
    EXPECT_EQ(loadError(fileOf({record(4, background.bytes)})), "Background image mode X is not valid enum value.");
    Writer crop;
    crop.object3D().u32(0).u32(0).u8(32).u8(32).u32(0).u32(0).u32(0xFFFFFFFFu).u32(0).boolean(true).boolean(true);
    EXPECT_EQ(loadError(fileOf({record(4, crop.bytes)})), "Background crop width and height must not be negative.");
    Writer shiny;
    shiny.object3D().raw(Bytes(13, 0)).f32(200.f).boolean(false);
    EXPECT_EQ(loadError(fileOf({record(13, shiny.bytes)})), "Material shininess is not in 0..128.");
}

TEST_F(M3GRecordTest, NodeAndTextureValuesThatSettersRefuseAreParseErrors)
{
    const auto camera = [](unsigned type, float fovy, float aspect, float nearPlane, float farPlane) {
        Writer w;
        w.node().u8(type).f32(fovy).f32(aspect).f32(nearPlane).f32(farPlane);
        return record(5, w.bytes);
    };
    EXPECT_TRUE(loadOne<Group>({camera(50, 60.f, 1.f, 1.f, 10.f), record(9, Writer().node().u32(1).u32(2).bytes)}));
    EXPECT_EQ(loadError(fileOf({camera(47, 0, 0, 0, 0)})), "Camera projection type not correct.");
    EXPECT_EQ(loadError(fileOf({camera(50, 0.f, 1.f, 1.f, 10.f)})),
              "Camera perspective projection needs 0 < fovy < 180 and a positive aspect ratio, near and far.");
    EXPECT_EQ(loadError(fileOf({camera(49, 1.f, -1.f, 1.f, 10.f)})),
              "Camera parallel projection needs a positive height and aspect ratio.");
    EXPECT_EQ(loadError(fileOf({camera(50, 60.f, 1.f, 5.f, 5.f)})),
              "Camera projection parameters do not give a valid projection matrix.");
    EXPECT_EQ(loadError(fileOf({camera(49, 1e-30f, 1e-30f, 0.f, 1.f)})),
              "Camera projection parameters do not give a valid projection matrix.");

    const auto light = [](float c, float l, float q, unsigned mode, float angle, float exponent) {
        Writer w;
        w.node().f32(c).f32(l).f32(q).u8(255).u8(255).u8(255).u8(mode).f32(1.f).f32(angle).f32(exponent);
        return record(12, w.bytes);
    };
    EXPECT_EQ(loadError(fileOf({light(1, 0, 0, 127, 45, 0)})),
              "The Light mode field does not hold a valid enumerated value, as specified in the class definition.");
    EXPECT_EQ(loadError(fileOf({light(0, 0, 0, 130, 45, 0)})),
              "Light attenuation factors must not be negative and one of them must be positive.");
    EXPECT_EQ(loadError(fileOf({light(1, 0, 0, 131, 91, 0)})), "Light spot angle is not in 0..90.");
    EXPECT_EQ(loadError(fileOf({light(1, 0, 0, 131, 45, 129)})), "Light spot exponent is not in 0..128.");

    // A rotation about no axis by a non-zero angle.
    Writer orientation;
    orientation.object3D().boolean(true).f32(0).f32(0).f32(0).f32(1).f32(1).f32(1).f32(30.f).f32(0).f32(0).f32(0);
    orientation.boolean(false).boolean(true).boolean(true).u8(255).u32(0).boolean(false).u32(0);
    EXPECT_EQ(loadError(fileOf({record(9, orientation.bytes)})), "Orientation axis is zero and the angle is not.");
    // A very long axis is normalised without overflowing.
    Writer longAxis;
    longAxis.object3D().boolean(true).f32(0).f32(0).f32(0).f32(1).f32(1).f32(1).f32(30.f).f32(3e38f).f32(3e38f).f32(0);
    longAxis.boolean(false).boolean(true).boolean(true).u8(255).u32(0).boolean(false).u32(0);
    core::Ref<Group> rotated = loadOne<Group>({record(9, longAxis.bytes)});
    float angleAxis[4];
    rotated->getOrientation(angleAxis);
    EXPECT_FLOAT_EQ(angleAxis[1], 0.70710678f);

    // Alignment targets: invalid axes fail; an axis aligned to nothing is dropped with a warning.
    Writer badTarget;
    badTarget.transformable().boolean(true).boolean(true).u8(255).u32(0).boolean(true).u8(147).u8(144).u32(0).u32(0);
    badTarget.u32(0);
    EXPECT_EQ(loadError(fileOf({record(9, badTarget.bytes)})), "Node aligment: Invalid z-target axis");
    Writer noReference;
    noReference.transformable().boolean(true).boolean(true).u8(255).u32(0).boolean(true).u8(148).u8(144).u32(0).u32(0);
    noReference.u32(0);
    testing_support::LogCapture log;
    EXPECT_EQ(loadOne<Group>({record(9, noReference.bytes)})->getZTarget(), Node::NONE);
    EXPECT_NE(log.text().find("Node aligment: z-axis reference object is 0 when z-target is Z_AXIS"),
              std::string::npos);

    const auto texture = [](unsigned blending, unsigned wrapS, unsigned level, unsigned filter) {
        Writer w;
        w.transformable().u32(2).u8(0).u8(0).u8(0).u8(blending).u8(wrapS).u8(241).u8(level).u8(filter);
        return record(17, w.bytes);
    };
    const Bytes pixel = image(99, false, 1, 1, {}, {1, 2, 3});
    EXPECT_TRUE(loadOne<Object3D>({pixel, texture(228, 240, 208, 210)}));
    EXPECT_EQ(loadError(fileOf({pixel, texture(223, 240, 208, 210)})), "Unknown blending type.");
    EXPECT_EQ(loadError(fileOf({pixel, texture(228, 242, 208, 210)})), "Unknown s-wrapping type.");
    EXPECT_EQ(loadError(fileOf({pixel, texture(228, 240, 211, 210)})), "Unknown level filter.");
    EXPECT_EQ(loadError(fileOf({pixel, texture(228, 240, 208, 208)})), "Unknown image filter.");
    Writer noImage;
    noImage.transformable().u32(0).u8(0).u8(0).u8(0).u8(228).u8(241).u8(241).u8(209).u8(209);
    EXPECT_EQ(loadError(fileOf({record(17, noImage.bytes)})), "No image set for texture.");

    // Types this reader does not read.
    EXPECT_EQ(loadError(fileOf({record(18, Bytes(10, 0))})), "No implementation yet.");
    // An empty skinned mesh record is read like any other: too short.
    EXPECT_EQ(loadError(fileOf({record(16, {})})), "Small stream buffer");
}
