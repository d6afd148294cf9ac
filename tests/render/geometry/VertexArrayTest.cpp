// VertexArray (construction, set/get, conversion, bounds, static freezing,
// duplication) and VertexBuffer (the arrays of one vertex format).

#include <gtest/gtest.h>

#include <vector>

#include "core/Debug.h"
#include "core/Ref.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::Ref;
using render::VertexArray;
using render::VertexBuffer;
using render_test::failsWith;

namespace {

class VertexArrayTest : public testing_support::EngineTest { };

std::vector<char> bytesOf(const VertexArray& va)
{
    std::vector<char> out(static_cast<size_t>(va.getVertexCount() * va.getComponentCount()));
    va.get(0, va.getVertexCount(), out.data());
    return out;
}

std::vector<short> shortsOf(const VertexArray& va)
{
    std::vector<short> out(static_cast<size_t>(va.getVertexCount() * va.getComponentCount()));
    va.get(0, va.getVertexCount(), out.data());
    return out;
}

const char* CTOR = "render::VertexArray::VertexArray";

} // namespace

TEST_F(VertexArrayTest, ConstructionLimitsAndFill)
{
    Ref<VertexArray> biggest = VORNA3D_NEW VertexArray(65535, 4, 1, 0);
    EXPECT_EQ(biggest->getVertexCount(), 65535);
    EXPECT_EQ(biggest->getComponentCount(), 4);
    EXPECT_EQ(biggest->getComponentType(), 1);
    biggest = nullptr;

    const char* vertices = " numVertices >= 1 && numVertices <= 65535 ";
    const char* components = " numComponents >= 2 && numComponents <= 4 ";
    const char* size = " componentSize == 1 || componentSize == 2 ";
    EXPECT_TRUE(failsWith([] { VertexArray(0, 3, 1, 0); }, vertices, CTOR));
    EXPECT_TRUE(failsWith([] { VertexArray(65536, 3, 1, 0); }, vertices, CTOR));
    EXPECT_TRUE(failsWith([] { VertexArray(1, 1, 1, 0); }, components, CTOR));
    EXPECT_TRUE(failsWith([] { VertexArray(1, 5, 1, 0); }, components, CTOR));
    EXPECT_TRUE(failsWith([] { VertexArray(1, 3, 3, 0); }, size, CTOR));

    // Byte arrays keep the fill's low 8 bits: 255 is -1, 0x1234 is 0x34;
    // short arrays keep the low 16 bits.
    Ref<VertexArray> colors = VORNA3D_NEW VertexArray(2, 4, 1, 255);
    EXPECT_EQ(bytesOf(*colors), std::vector<char>(8, char(-1)));
    Ref<VertexArray> wrapped = VORNA3D_NEW VertexArray(1, 2, 1, 0x1234);
    EXPECT_EQ(bytesOf(*wrapped), std::vector<char>(2, char(0x34)));
    Ref<VertexArray> shorts = VORNA3D_NEW VertexArray(1, 3, 2, 0x12345);
    EXPECT_EQ(shortsOf(*shorts), std::vector<short>(3, short(0x2345)));
}

TEST_F(VertexArrayTest, SetAndGetBytesAndShorts)
{
    Ref<VertexArray> va = VORNA3D_NEW VertexArray(3, 2, 1, 0);
    const char first[] = {1, -2, 3, -4};
    va->set(2, first); // only the first two vertices change
    EXPECT_EQ(va->getVertexCount(), 3);
    EXPECT_EQ(bytesOf(*va), (std::vector<char>{1, -2, 3, -4, 0, 0}));
    char middle[2];
    va->get(1, 1, middle);
    EXPECT_EQ(middle[0], 3);
    EXPECT_EQ(middle[1], -4);

    // More vertices than the array holds grow it; fewer never shrink it.
    const char four[] = {9, 9, 8, 8, 7, 7, 6, 6};
    va->set(4, four);
    EXPECT_EQ(va->getVertexCount(), 4);
    va->set(1, first);
    EXPECT_EQ(va->getVertexCount(), 4);
    EXPECT_EQ(bytesOf(*va), (std::vector<char>{1, -2, 8, 8, 7, 7, 6, 6}));
    va->set(0, first);
    EXPECT_EQ(va->getVertexCount(), 4);

    const char* set = "render::VertexArray::set";
    const char* get = "render::VertexArray::get";
    const short someShorts[] = {1, 2};
    short shortOut[2];
    char out[16];
    EXPECT_TRUE(failsWith([&] { va->set(1, static_cast<const char*>(nullptr)); }, " values ", set));
    EXPECT_TRUE(failsWith([&] { va->set(1, someShorts); }, " m_componentSize == 2 ", set));
    EXPECT_TRUE(failsWith([&] { va->set(-1, first); }, " numVertices >= 0 && numVertices <= 65535 ", set));
    EXPECT_TRUE(failsWith([&] { va->get(0, 1, static_cast<char*>(nullptr)); }, " values ", get));
    EXPECT_TRUE(failsWith([&] { va->get(0, 1, shortOut); }, " m_componentSize == 2 ", get));
    EXPECT_TRUE(failsWith([&] { va->get(-1, 1, out); }, " firstVertex >= 0 ", get));
    EXPECT_TRUE(failsWith([&] { va->get(0, -1, out); }, " numVertices >= 0 ", get));
    EXPECT_TRUE(failsWith([&] { va->get(3, 2, out); }, " getVertexCount() >= firstVertex + numVertices ", get));
    EXPECT_TRUE(failsWith([&] { va->get(0x7fffffff, 0x7fffffff, out); },
                          " getVertexCount() >= firstVertex + numVertices ", get));
    EXPECT_EQ(va->getVertexCount(), 4);

    Ref<VertexArray> positions = VORNA3D_NEW VertexArray(2, 3, 2, 0);
    const short xyz[] = {-300, 0, 300, 32767, -32768, 1};
    positions->set(2, xyz);
    EXPECT_EQ(shortsOf(*positions), std::vector<short>(xyz, xyz + 6));
    EXPECT_TRUE(failsWith([&] { positions->set(1, first); }, " m_componentSize == 1 ", set));
    EXPECT_TRUE(failsWith([&] { positions->get(0, 1, out); }, " m_componentSize == 1 ", get));
}

TEST_F(VertexArrayTest, ByteArraysConvertToShortsSignExtended)
{
    Ref<VertexArray> va = VORNA3D_NEW VertexArray(2, 2, 1, 0);
    const char values[] = {-1, 127, -128, 5};
    va->set(2, values);

    core::Debug::setDebugLevel(core::DEBUG_LEVEL_RENDER);
    testing_support::LogCapture log;
    va->setComponentType(2);
    EXPECT_EQ(log.text(), "VertexBuffer : convert byte array to short array\n");
    EXPECT_EQ(va->getComponentType(), 2);
    EXPECT_EQ(va->getCharDataArrayPtr(), nullptr);
    EXPECT_EQ(shortsOf(*va), (std::vector<short>{-1, 127, -128, 5}));
    EXPECT_EQ(va->getVertexCount(), 2);

    va->setComponentType(2); // already shorts: nothing happens
    EXPECT_EQ(shortsOf(*va), (std::vector<short>{-1, 127, -128, 5}));
    const char* fn = "render::VertexArray::setComponentType";
    EXPECT_TRUE(failsWith([&] { va->setComponentType(1); }, "setComponentType failed. invalid parameters", fn));
    EXPECT_TRUE(failsWith([&] { va->setComponentType(4); }, "setComponentType failed. invalid parameters", fn));
    EXPECT_EQ(va->getComponentType(), 2);
}

TEST_F(VertexArrayTest, BoundsFollowTheData)
{
    Ref<VertexArray> filled = VORNA3D_NEW VertexArray(5, 3, 1, 7);
    EXPECT_FALSE(filled->isDirty()); // computed on construction
    EXPECT_EQ(filled->getMin(), slmath::vec3(7.f, 7.f, 7.f));
    EXPECT_EQ(filled->getMax(), slmath::vec3(7.f, 7.f, 7.f));

    Ref<VertexArray> va = VORNA3D_NEW VertexArray(3, 3, 2, 0);
    const short xyz[] = {1, -5, 9, -3, 2, 0, 4, 4, -8};
    va->set(3, xyz);
    EXPECT_TRUE(va->isDirty());
    EXPECT_EQ(va->getMin(), slmath::vec3(-3.f, -5.f, -8.f));
    EXPECT_EQ(va->getMax(), slmath::vec3(4.f, 4.f, 9.f));
    EXPECT_FALSE(va->isDirty());

    // Writing in place marks the data changed; bytes are signed.
    Ref<VertexArray> uv = VORNA3D_NEW VertexArray(2, 2, 1, 0);
    core::Vector<char>* bytes = uv->getCharDataArrayPtr();
    (*bytes)[0] = char(-100);
    (*bytes)[3] = 100;
    EXPECT_TRUE(uv->isDirty());
    EXPECT_EQ(uv->getMin(), slmath::vec3(-100.f, 0.f, 0.f));
    EXPECT_EQ(uv->getMax(), slmath::vec3(0.f, 100.f, 0.f));

    // Four components have no bounds: they stay zero.
    Ref<VertexArray> rgba = VORNA3D_NEW VertexArray(2, 4, 1, 90);
    EXPECT_EQ(rgba->getMin(), slmath::vec3());
    EXPECT_EQ(rgba->getMax(), slmath::vec3());
}

TEST_F(VertexArrayTest, StaticArraysAreFrozenAndDuplicatesAreNot)
{
    Ref<VertexArray> va = VORNA3D_NEW VertexArray(3, 3, 2, 2);
    const short xyz[] = {1, 2, 3};
    va->set(1, xyz);
    const char* fn = "render::VertexArray::getStaticID";
    EXPECT_TRUE(failsWith([&] { va->getStaticID(); }, " m_staticID != INVALID_STATIC_ID ", fn));

    va->setStaticID(11, 3);
    EXPECT_EQ(va->getStaticID(), 11);
    EXPECT_FALSE(va->isDirty()); // bounds were taken before freezing
    EXPECT_EQ(va->getMax(), slmath::vec3(2.f, 2.f, 3.f));
    const char* frozen = " m_staticID == INVALID_STATIC_ID ";
    EXPECT_TRUE(failsWith([&] { va->set(1, xyz); }, frozen, "render::VertexArray::set"));
    EXPECT_TRUE(failsWith([&] { va->getPtr(); }, frozen, "render::VertexArray::getPtr"));
    EXPECT_TRUE(failsWith([&] { va->getShortDataArrayPtr(); }, frozen, "render::VertexArray::getShortDataArrayPtr"));
    EXPECT_TRUE(failsWith([&] { va->setComponentType(2); }, frozen, "render::VertexArray::setComponentType"));
    EXPECT_TRUE(failsWith([&] { va->setStaticID(12, 3); }, frozen, "render::VertexArray::setStaticID"));

    // The copy has the data but no GPU buffer of its own yet.
    Ref<VertexArray> copy = va->duplicate();
    EXPECT_FALSE(copy->isStatic());
    EXPECT_EQ(copy->getVertexCount(), 3);
    EXPECT_EQ(shortsOf(*copy), (std::vector<short>{1, 2, 3, 2, 2, 2, 2, 2, 2}));
    // ... and its own elements.
    copy->getShortDataArrayPtr()->data()[0] = 40;
    short first[3];
    va->get(0, 1, first);
    EXPECT_EQ(first[0], 1);
}

TEST_F(VertexArrayTest, VertexBufferArraysMustAgree)
{
    Ref<VertexBuffer> vb = VORNA3D_NEW VertexBuffer();
    EXPECT_EQ(vb->getVertexCount(), 0);
    EXPECT_EQ(vb->getDefaultColor(), 0xFFFFFFFFu);

    // The count comes from the first array present, normals before colours.
    Ref<VertexArray> normals = VORNA3D_NEW VertexArray(4, 3, 1, 0);
    vb->setNormals(normals.get());
    EXPECT_EQ(vb->getVertexCount(), 4);
    Ref<VertexArray> five = VORNA3D_NEW VertexArray(5, 3, 2, 0);
    const char* fn = "render::VertexBuffer::setPositions";
    EXPECT_TRUE(failsWith(
        [&] { vb->setPositions(five.get(), 1.f, nullptr); },
        " positions == 0 || (getVertexCount() == 0 || positions->getVertexCount() == getVertexCount()) ", fn));
    EXPECT_EQ(vb->getPositions(), nullptr);
    Ref<VertexArray> flat = VORNA3D_NEW VertexArray(4, 2, 2, 0);
    EXPECT_TRUE(failsWith([&] { vb->setPositions(flat.get(), 1.f, nullptr); },
                          " positions == 0 || positions->getComponentCount() == 3 ", fn));

    // A single array can be replaced by one of another length.
    vb->setNormals(five.get());
    EXPECT_EQ(vb->getVertexCount(), 5);
    vb->setNormals(normals.get());

    // Colours: bytes only, 3 or 4 of them.
    Ref<VertexArray> shortColors = VORNA3D_NEW VertexArray(4, 3, 2, 0);
    Ref<VertexArray> twoColors = VORNA3D_NEW VertexArray(4, 2, 1, 0);
    EXPECT_TRUE(failsWith([&] { vb->setColors(shortColors.get()); }, " colors == 0 || colors->getComponentType() == 1 ",
                          "render::VertexBuffer::setColors"));
    EXPECT_TRUE(failsWith([&] { vb->setColors(twoColors.get()); },
                          " colors == 0 || colors->getComponentCount() == 3 || colors->getComponentCount() == 4 ",
                          "render::VertexBuffer::setColors"));
    EXPECT_EQ(vb->getColors(), nullptr);

    // Positions with scale and bias, and their bounds computed on the way in.
    Ref<VertexArray> positions = VORNA3D_NEW VertexArray(4, 3, 2, 0);
    const short xyz[] = {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10};
    positions->set(4, xyz);
    const float bias[] = {1.f, 2.f, 3.f};
    vb->setPositions(positions.get(), 0.5f, bias);
    EXPECT_FALSE(positions->isDirty());
    float scaleBias[4];
    EXPECT_EQ(vb->getPositions(scaleBias), positions.get());
    EXPECT_EQ(scaleBias[0], 0.5f);
    EXPECT_EQ(scaleBias[3], 3.f);

    // Texture units: a slot per unit, bias only for the array's components.
    Ref<VertexArray> uv = VORNA3D_NEW VertexArray(4, 2, 2, 0);
    vb->setTexCoords(1, uv.get(), 2.f, bias);
    EXPECT_EQ(vb->getTexCoordCount(), 2);
    EXPECT_EQ(vb->getTexCoords(0, scaleBias), nullptr);
    EXPECT_EQ(vb->getTexCoords(1, scaleBias), uv.get());
    EXPECT_EQ(scaleBias[0], 2.f);
    EXPECT_EQ(scaleBias[1], 1.f);
    EXPECT_EQ(scaleBias[2], 2.f);
    EXPECT_EQ(scaleBias[3], 0.f);
    const float newBias[] = {-1.f, -2.f};
    vb->setTexScaleBias(1, 4.f, newBias);
    vb->getTexCoords(1, scaleBias);
    EXPECT_EQ(scaleBias[0], 4.f);
    EXPECT_EQ(scaleBias[2], -2.f);
    EXPECT_TRUE(failsWith([&] { vb->setTexScaleBias(0, 1.f, newBias); },
                          "No texture coordinete set to given index. Use setTexCoords before calling this method.",
                          "render::VertexBuffer::setTexScaleBias"));
    EXPECT_TRUE(failsWith([&] { vb->setTexScaleBias(2, 1.f, newBias); },
                          " (0 <= index) && (index < m_texCoords.size()) ", "render::VertexBuffer::setTexScaleBias"));
    EXPECT_TRUE(failsWith([&] { vb->setTexCoords(-1, uv.get(), 1.f, nullptr); }, " (0 <= index) ",
                          "render::VertexBuffer::setTexCoords"));
    Ref<VertexArray> uvShort = VORNA3D_NEW VertexArray(3, 2, 2, 0);
    EXPECT_TRUE(
        failsWith([&] { vb->setTexCoords(0, uvShort.get(), 1.f, nullptr); },
                  " texCoords == 0 || (getVertexCount() == 0 || texCoords->getVertexCount() == getVertexCount()) ",
                  "render::VertexBuffer::setTexCoords"));

    // An array that grew after it was set no longer matches new positions.
    const short more[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    uv->set(5, more);
    Ref<VertexArray> positions2 = VORNA3D_NEW VertexArray(4, 3, 2, 0);
    EXPECT_TRUE(failsWith([&] { vb->setPositions(positions2.get(), 1.f, nullptr); },
                          "setTexCoords WTF? position length != texture coordinates length", fn));
    EXPECT_EQ(vb->getPositions(), positions.get());
}

TEST_F(VertexArrayTest, VertexBufferDuplicateCopiesEveryArray)
{
    Ref<VertexBuffer> vb = VORNA3D_NEW VertexBuffer();
    Ref<VertexArray> normals = VORNA3D_NEW VertexArray(3, 3, 1, 1);
    Ref<VertexArray> uv = VORNA3D_NEW VertexArray(3, 2, 2, 2);
    vb->setNormals(normals.get());
    const float bias[] = {0.25f, 0.75f};
    vb->setTexCoords(2, uv.get(), 0.5f, bias);
    vb->setDefaultColor(0x80FF0000u);

    // No positions needed, no renderer either.
    Ref<VertexBuffer> copy = vb->duplicate();
    EXPECT_EQ(copy->getDefaultColor(), 0x80FF0000u);
    EXPECT_EQ(copy->getPositions(), nullptr);
    ASSERT_NE(copy->getNormals(), nullptr);
    EXPECT_NE(copy->getNormals(), normals.get());
    EXPECT_EQ(bytesOf(*copy->getNormals()), bytesOf(*normals));
    EXPECT_EQ(copy->getTexCoordCount(), 3);
    float scaleBias[4];
    VertexArray* uvCopy = copy->getTexCoords(2, scaleBias);
    ASSERT_NE(uvCopy, nullptr);
    EXPECT_NE(uvCopy, uv.get());
    EXPECT_EQ(shortsOf(*uvCopy), shortsOf(*uv));
    EXPECT_EQ(scaleBias[0], 0.5f);
    EXPECT_EQ(scaleBias[2], 0.75f);
    EXPECT_EQ(copy->getVertexCount(), 3);
}
