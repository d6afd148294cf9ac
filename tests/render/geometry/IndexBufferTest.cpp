// Index buffers: joined triangle strips and their bridges, strip/list
// conversions, recovering the strips, line lists, static freezing.
// Expected index sequences are written out by hand from the joining rule.

#include <gtest/gtest.h>

#include <vector>

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/geometry/LineListArray.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/TriangleStripArray.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/EngineTest.h"

using core::Ref;
using render::IndexBuffer;
using render::LineListArray;
using render::TriangleListArray;
using render::TriangleStripArray;
using render_test::elements;
using render_test::failsWith;

namespace {

class IndexBufferTest : public testing_support::EngineTest { };

std::vector<unsigned short> indicesOf(const IndexBuffer& ib)
{
    const unsigned short* p = ib.getPtr();
    return std::vector<unsigned short>(p, p + ib.getIndexCount());
}

using Indices = std::vector<unsigned short>;

} // namespace

TEST_F(IndexBufferTest, StripsAreJoinedWithDegenerateBridges)
{
    // Lengths 3 and 4: 2 + (3 + 2 + 1) + (4 + 2 + 0) = 14 indices. The odd
    // strip gets its last index twice, so the second strip starts at the
    // even position 8; the last strip is closed by its last index.
    const unsigned short idx[] = {0, 1, 2, 3, 4, 5, 6};
    const int lengths[] = {3, 4};
    Ref<TriangleStripArray> strip = VORNA3D_NEW TriangleStripArray(idx, lengths, 2);
    EXPECT_EQ(strip->getPrimitiveType(), IndexBuffer::TRIANGLE_STRIP);
    EXPECT_EQ(indicesOf(*strip), (Indices{0, 0, 0, 1, 2, 2, 2, 3, 3, 4, 5, 6, 6, 6}));

    // Even then odd: 2 + (4 + 2) + (3 + 2 + 1) = 14.
    const int evenFirst[] = {4, 3};
    Ref<TriangleStripArray> other = VORNA3D_NEW TriangleStripArray(idx, evenFirst, 2);
    EXPECT_EQ(indicesOf(*other), (Indices{0, 0, 0, 1, 2, 3, 3, 4, 4, 5, 6, 6, 6, 6}));

    const char* fn = "render::TriangleStripArray::TriangleStripArray";
    const int shortStrip[] = {3, 2};
    EXPECT_TRUE(failsWith([&] { TriangleStripArray(idx, shortStrip, 2); }, " stripLengths[i] >= 3 ", fn));
    EXPECT_TRUE(failsWith([&] { TriangleStripArray(idx, lengths, 0); }, " stripCount > 0 ", fn));
    EXPECT_TRUE(failsWith([&] { TriangleStripArray(nullptr, lengths, 2); }, " indices ", fn));
    EXPECT_TRUE(failsWith([&] { TriangleStripArray(idx, nullptr, 2); }, " stripLengths ", fn));
}

TEST_F(IndexBufferTest, StripToListKeepsTheWindingOfOddTriangles)
{
    // 0 1 2 3: the strip draws (0,1,2) and, at the odd position, (3,2,1).
    const unsigned short idx[] = {0, 1, 2, 3};
    const int one[] = {4};
    Ref<TriangleStripArray> strip = VORNA3D_NEW TriangleStripArray(idx, one, 1);
    Ref<TriangleListArray> list = TriangleListArray::convertTriangleStripArrayToTriangleListArray(strip.get());
    EXPECT_EQ(list->getPrimitiveType(), IndexBuffer::TRIANGLE_LIST);
    EXPECT_EQ(indicesOf(*list), (Indices{0, 1, 2, 3, 2, 1}));

    // Two strips: the bridges add nothing.
    const unsigned short two[] = {0, 1, 2, 3, 4, 5, 6};
    const int lengths[] = {3, 4};
    Ref<TriangleStripArray> joined = VORNA3D_NEW TriangleStripArray(two, lengths, 2);
    list = TriangleListArray::convertTriangleStripArrayToTriangleListArray(joined.get());
    EXPECT_EQ(indicesOf(*list), (Indices{0, 1, 2, 3, 4, 5, 6, 5, 4}));

    // And back: each triangle becomes a strip of its own, 2 + 6 per triangle.
    Ref<TriangleStripArray> back = TriangleStripArray::convertTriangleListArrayToTriangleStripArray(list.get());
    EXPECT_EQ(indicesOf(*back), (Indices{0, 0, 0, 1, 2, 2, 2, 3, 3, 4, 5, 5, 5, 6, 6, 5, 4, 4, 4, 4}));
    // ... which draws the same triangles.
    Ref<TriangleListArray> again = TriangleListArray::convertTriangleStripArrayToTriangleListArray(back.get());
    EXPECT_EQ(indicesOf(*again), indicesOf(*list));

    EXPECT_TRUE(failsWith([] { TriangleListArray::convertTriangleStripArrayToTriangleListArray(nullptr); },
                          " triangleStrip ",
                          "render::TriangleListArray::convertTriangleStripArrayToTriangleListArray"));
    EXPECT_TRUE(failsWith([] { TriangleStripArray::convertTriangleListArrayToTriangleStripArray(nullptr); },
                          " triangleList ",
                          "render::TriangleStripArray::convertTriangleListArrayToTriangleStripArray"));
    // A strip of degenerate triangles only has nothing to list.
    const unsigned short flat[] = {4, 4, 4};
    const int three[] = {3};
    Ref<TriangleStripArray> degenerate = VORNA3D_NEW TriangleStripArray(flat, three, 1);
    EXPECT_TRUE(failsWith([&] { TriangleListArray::convertTriangleStripArrayToTriangleListArray(degenerate.get()); },
                          " indiceCount > 0 ", "render::TriangleListArray::TriangleListArray"));
}

TEST_F(IndexBufferTest, StripsComeBackAsTheyWereGiven)
{
    // Three strips of odd and even lengths with repeated vertices between them.
    const unsigned short idx[] = {10, 11, 12, 13, 14, 12, 13, 14, 15, 16, 20, 21, 22};
    const int lengths[] = {5, 5, 3};
    Ref<TriangleStripArray> strip = VORNA3D_NEW TriangleStripArray(idx, lengths, 3);

    core::Vector<unsigned short> indices;
    core::Vector<int> stripLengths;
    indices.add(99); // outputs are cleared first
    strip->getTriangleStrips(indices, stripLengths);
    EXPECT_EQ(elements(indices), Indices(idx, idx + 13));
    EXPECT_EQ(elements(stripLengths), (std::vector<int>{5, 5, 3}));

    // Written out and read back: the same joined strip.
    Ref<TriangleStripArray> reread =
        VORNA3D_NEW TriangleStripArray(indices.data(), stripLengths.data(), stripLengths.size());
    EXPECT_EQ(indicesOf(*reread), indicesOf(*strip));

    // A strip with a degenerate turn inside splits there; the part that
    // started at an odd position keeps its winding with a doubled index,
    // and the result is stable from then on.
    const unsigned short turn[] = {0, 1, 2, 2, 3, 4, 5};
    const int seven[] = {7};
    Ref<TriangleStripArray> turning = VORNA3D_NEW TriangleStripArray(turn, seven, 1);
    turning->getTriangleStrips(indices, stripLengths);
    EXPECT_EQ(elements(indices), (Indices{0, 1, 2, 2, 2, 3, 4, 5}));
    EXPECT_EQ(elements(stripLengths), (std::vector<int>{3, 5}));
    Ref<TriangleStripArray> rebuilt =
        VORNA3D_NEW TriangleStripArray(indices.data(), stripLengths.data(), stripLengths.size());
    EXPECT_EQ(indicesOf(*TriangleListArray::convertTriangleStripArrayToTriangleListArray(rebuilt.get())),
              indicesOf(*TriangleListArray::convertTriangleStripArrayToTriangleListArray(turning.get())));
    core::Vector<unsigned short> indices2;
    core::Vector<int> stripLengths2;
    rebuilt->getTriangleStrips(indices2, stripLengths2);
    EXPECT_EQ(elements(indices2), elements(indices));
    EXPECT_EQ(elements(stripLengths2), elements(stripLengths));

    // Nothing but degenerate triangles: both outputs stay empty.
    const unsigned short flat[] = {4, 4, 4};
    const int three[] = {3};
    Ref<TriangleStripArray> degenerate = VORNA3D_NEW TriangleStripArray(flat, three, 1);
    degenerate->getTriangleStrips(indices, stripLengths);
    EXPECT_EQ(indices.size(), 0);
    EXPECT_EQ(stripLengths.size(), 0);
}

TEST_F(IndexBufferTest, ListsAndLines)
{
    const unsigned short tri[] = {0, 1, 2, 2, 1, 3};
    Ref<TriangleListArray> list = VORNA3D_NEW TriangleListArray(tri, 6);
    EXPECT_EQ(indicesOf(*list), Indices(tri, tri + 6));
    const char* listFn = "render::TriangleListArray::TriangleListArray";
    EXPECT_TRUE(failsWith([&] { TriangleListArray(tri, 0); }, " indiceCount > 0 ", listFn));
    EXPECT_TRUE(failsWith([&] { TriangleListArray(tri, 5); }, " indiceCount%3 == 0 ", listFn));
    EXPECT_TRUE(failsWith([&] { TriangleListArray(nullptr, 3); }, " indices ", listFn));

    Ref<LineListArray> implicit = VORNA3D_NEW LineListArray(65530, 4);
    EXPECT_EQ(implicit->getPrimitiveType(), IndexBuffer::LINE_LIST);
    EXPECT_EQ(indicesOf(*implicit), (Indices{65530, 65531, 65532, 65533}));
    const char* lineFn = "render::LineListArray::LineListArray";
    EXPECT_TRUE(failsWith([] { LineListArray(0, 3); }, " !(indexCount&0x01) ", lineFn));
    // The last implicit index must stay below 65535.
    EXPECT_TRUE(failsWith([] { LineListArray(65531, 4); }, " firstIndex + indexCount < USHRT_MAX ", lineFn));
    EXPECT_TRUE(
        failsWith([] { LineListArray(0x7ffffffe, 0x7ffffffe); }, " firstIndex + indexCount < USHRT_MAX ", lineFn));
    EXPECT_TRUE(failsWith([] { LineListArray(-2, 2); }, " firstIndex >= 0 ", lineFn));

    const unsigned short wire[] = {5, 9, 9, 2};
    Ref<LineListArray> lines = VORNA3D_NEW LineListArray(wire, 4);
    EXPECT_EQ(indicesOf(*lines), Indices(wire, wire + 4));
    EXPECT_TRUE(failsWith([&] { LineListArray(wire, 3); }, " !(indexCount&0x01) ", lineFn));

    // Duplicates own their indices.
    Ref<LineListArray> copy = lines->duplicate();
    copy->getPtr()[0] = 7;
    EXPECT_EQ(lines->getPtr()[0], 5);
    EXPECT_EQ(copy->getPrimitiveType(), IndexBuffer::LINE_LIST);
}

TEST_F(IndexBufferTest, StaticBuffersAreFrozen)
{
    const unsigned short tri[] = {0, 1, 2};
    Ref<TriangleListArray> list = VORNA3D_NEW TriangleListArray(tri, 3);
    list->setStaticID(3, 3);
    EXPECT_EQ(list->getStaticID(), 3);
    EXPECT_EQ(list->getIndexCount(), 3);
    const char* frozen = " m_staticID == INVALID_STATIC_ID ";
    EXPECT_TRUE(failsWith([&] { list->getPtr(); }, frozen, "render::IndexBuffer::getPtr"));
    EXPECT_TRUE(failsWith([&] { list->getUnsignedShortDataArrayPtr(); }, frozen,
                          "render::IndexBuffer::getUnsignedShortDataArrayPtr"));
    EXPECT_TRUE(failsWith([&] { TriangleStripArray::convertTriangleListArrayToTriangleStripArray(list.get()); }, frozen,
                          "render::IndexBuffer::getPtr"));

    // The copy is not static and has its own indices.
    Ref<TriangleListArray> copy = list->duplicate();
    EXPECT_FALSE(copy->isStatic());
    EXPECT_EQ(indicesOf(*copy), Indices(tri, tri + 3));
}
