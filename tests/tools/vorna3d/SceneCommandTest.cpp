// vorna3d info and convert on scene files, run as a program. The expected
// trees and listings of the shared files come from a Python dump of their
// sections and records (children, vertex buffers and references read field
// by field); hand-made files are assembled here with zlib's adler32.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ToolTest.h"

namespace fs = std::filesystem;

namespace {

using tool_test::quote;
using tool_test::readText;
using tool_test::Result;

using Bytes = std::vector<unsigned char>;

fs::path shared(const char* name)
{
    return fs::path(VORNA3D_TESTDATA_DIR) / "m3g" / name;
}

// Little-endian fields, as scene files store them.
struct Writer {
    Bytes bytes;
    Writer& u8(unsigned v)
    {
        bytes.push_back(static_cast<unsigned char>(v));
        return *this;
    }
    Writer& u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            u8((v >> (8 * i)) & 0xFF);
        return *this;
    }
    Writer& str(const std::string& s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return u8(0);
    }
    Writer& raw(const Bytes& b)
    {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
};

Bytes section(const Bytes& objects)
{
    Writer w;
    w.u8(0).u32(static_cast<uint32_t>(objects.size() + 13)).u32(static_cast<uint32_t>(objects.size())).raw(objects);
    w.u32(static_cast<uint32_t>(adler32(adler32(0, nullptr, 0), w.bytes.data(), static_cast<uInt>(w.bytes.size()))));
    return w.bytes;
}

Bytes record(unsigned type, const Bytes& data)
{
    Writer w;
    w.u8(type).u32(static_cast<uint32_t>(data.size())).raw(data);
    return w.bytes;
}

// A file of the identifier, the header and one section of `objects`.
Bytes sceneFile(const Bytes& objects)
{
    static const unsigned char identifier[12] = {0xAB, 0x4A, 0x53, 0x52, 0x31, 0x38,
                                                 0x34, 0xBB, 0x0D, 0x0A, 0x1A, 0x0A};
    const Bytes body = section(objects);
    const uint32_t size = static_cast<uint32_t>(12 + 13 + 5 + 11 + 2 + body.size());
    Writer header;
    header.u8(1).u8(0).u8(0).u32(size).u32(size).str("t");
    Writer out;
    out.raw(Bytes(identifier, identifier + 12)).raw(section(record(0, header.bytes))).raw(body);
    return out.bytes;
}

// The Object3D part with a user ID and, when given, a name (user parameter 1).
Bytes object3D(uint32_t id, const std::string& name)
{
    Writer w;
    w.u32(id).u32(0);
    if (name.empty()) {
        w.u32(0);
    } else {
        w.u32(1).u32(1).u32(static_cast<uint32_t>(name.size() + 1)).str(name);
    }
    return w.bytes;
}

Bytes group(uint32_t id, const std::string& name, std::initializer_list<uint32_t> children)
{
    Writer w;
    w.raw(object3D(id, name)).u8(0).u8(0).u8(1).u8(1).u8(255).u32(0xFFFFFFFFu).u8(0);
    w.u32(static_cast<uint32_t>(children.size()));
    for (uint32_t c : children)
        w.u32(c);
    return record(9, w.bytes);
}

class SceneCommandTest : public tool_test::ToolTest {
protected:
    SceneCommandTest() : ToolTest("vorna3d-scene") { }

    fs::path write(const std::string& name, const Bytes& bytes) const
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
};

const char SIMPLE_TREE[] = "World\n"
                           "  Mesh vertices=24 submeshes=1\n"
                           "  Light\n"
                           "  Camera\n";

const char KITUNE_TREE[] = "Material\n"
                           "World\n"
                           "  Camera\n"
                           "  Light\n"
                           "  Light\n"
                           "  Mesh vertices=3176 submeshes=14\n";

} // namespace

TEST_F(SceneCommandTest, InfoPrintsTheTreesOfTheSharedFiles)
{
    if (!fs::exists(shared("simple.m3g")))
        GTEST_SKIP() << "shared scene files not present";
    Result r = tool("info " + quote(shared("simple.m3g").string()));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, SIMPLE_TREE);
    EXPECT_EQ(r.err, "");
    r = tool("info " + quote(shared("kitune-miko.m3g").string()));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, KITUNE_TREE);

    // The skinned, animated file: the world holds a group holding the
    // skinned mesh (37 distinct bones in its transform references), the
    // camera and the light.
    r = tool("info " + quote(shared("test.m3g").string()));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "World\n"
              "  Group\n"
              "    SkinnedMesh vertices=1657 submeshes=1 bones=37\n"
              "  Camera\n"
              "  Light\n");
}

TEST_F(SceneCommandTest, InfoAllListsEveryObjectWithItsReferences)
{
    if (!fs::exists(shared("simple.m3g")))
        GTEST_SKIP() << "shared scene files not present";
    const Result r = tool("info --all " + quote(shared("simple.m3g").string()));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "1 Header\n"
              "2 Camera\n"
              "3 Background\n"
              "4 VertexArray\n"
              "5 VertexArray\n"
              "6 VertexBuffer refs=4,5\n"
              "7 TriangleStripArray\n"
              "8 PolygonMode\n"
              "9 Material\n"
              "10 Appearance refs=8,9\n"
              "11 Mesh vertices=24 submeshes=1 refs=6,7,10\n"
              "12 Light\n"
              "13 World refs=11,12,2,2,3\n");
}

TEST_F(SceneCommandTest, InfoShowsIdsNamesAndNesting)
{
    // Index 2: a named leaf group; 3: group id 7 named "root" holding it;
    // 4: an RGB image of 2 x 1 pixels.
    Writer image;
    image.raw(object3D(0, "")).u8(99).u8(0).u32(2).u32(1).u32(0).u32(6).raw({1, 2, 3, 4, 5, 6});
    Bytes objects = group(0, "leaf", {});
    const Bytes root = group(7, "root", {2});
    const Bytes picture = record(10, image.bytes);
    objects.insert(objects.end(), root.begin(), root.end());
    objects.insert(objects.end(), picture.begin(), picture.end());
    const fs::path file = write("named.m3g", sceneFile(objects));
    Result r = tool("info " + quote(file.string()));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Group id=7 name=\"root\"\n"
              "  Group name=\"leaf\"\n"
              "Image2D RGB 2x1\n");
    r = tool("info --all " + quote(file.string()));
    EXPECT_EQ(r.out,
              "1 Header\n"
              "2 Group name=\"leaf\"\n"
              "3 Group id=7 name=\"root\" refs=2\n"
              "4 Image2D RGB 2x1\n");
}

TEST_F(SceneCommandTest, ConvertWritesFilesThatReadBackToTheSameTree)
{
    if (!fs::exists(shared("simple.m3g")))
        GTEST_SKIP() << "shared scene files not present";
    for (const char* name : {"simple.m3g", "kitune-miko.m3g"}) {
        SCOPED_TRACE(name);
        const std::string before = tool("info " + quote(shared(name).string())).out;
        for (const char* option : {"", " --compress"}) {
            const fs::path out = m_dir / "out.m3g";
            const Result r = tool("convert " + quote(shared(name).string()) + " " + quote(out.string()) + option);
            EXPECT_EQ(r.code, 0) << r.err;
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(tool("info " + quote(out.string())).out, before);
            // The object section's compression byte follows the identifier and the header section.
            const std::string bytes = readText(out);
            ASSERT_GT(bytes.size(), 20u);
            uint32_t headerTotal;
            std::memcpy(&headerTotal, bytes.data() + 13, 4);
            EXPECT_EQ(bytes[12 + headerTotal], *option ? 1 : 0);
        }
    }
}

TEST_F(SceneCommandTest, FailuresAreOneLineOnStandardError)
{
    const fs::path out = m_dir / "never.m3g";
    // A file that cannot be read is not converted.
    const fs::path badTrack = write("badtrack.m3g", sceneFile(record(2, Bytes(24, 0))));
    expectFailure(tool("convert " + quote(badTrack.string()) + " " + quote(out.string())),
                  "KeyframeSequence is 0 in AnimationTrack.");
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(m_dir / "never.m3g.vorna3d-partial"));
    // A scene file cut short, one with a wrong checksum, and arguments that make no sense.
    Bytes scene = sceneFile(group(0, "", {}));
    const fs::path cut = write("cut.m3g", Bytes(scene.begin(), scene.end() - 3));
    expectFailure(tool("info " + quote(cut.string())), "cut.m3g");
    scene[scene.size() - 1] ^= 1;
    expectFailure(tool("info " + quote(write("sum.m3g", scene).string())), "Section checksum mismatch");
    const fs::path text = write("notes.txt", {'h', 'i', '\n'});
    expectFailure(tool("info --all " + quote(text.string())), "not a scene file");
    expectFailure(tool("convert " + quote(text.string()) + " " + quote(out.string())), "not a scene file");
    expectFailure(tool("info --every " + quote(cut.string())), "usage");
    expectFailure(tool("convert a.m3g b.m3g --fast"), "usage");
    expectFailure(tool("info " + quote((m_dir / "missing.m3g").string())), "missing.m3g");
}

TEST_F(SceneCommandTest, ConvertKeepsExternalImagesOrEmbedsThem)
{
    // A 2 x 2 RGBA PNG (the one fuzz/run.sh seeds with), referred to by the
    // scene as "tex.png" (index 2) and shown by a texture (3); a group (4).
    static const unsigned char png[] = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00,
        0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xb6, 0x0d, 0x24, 0x00,
        0x00, 0x00, 0x1a, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x60, 0x64, 0x62, 0x66, 0x61, 0x65, 0x63,
        0xe7, 0x60, 0xe0, 0xe4, 0xe2, 0xe6, 0xe1, 0xe5, 0xe3, 0x17, 0x00, 0x00, 0x03, 0x66, 0x00, 0x89, 0x6d,
        0xf9, 0x2a, 0x51, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    write("tex.png", Bytes(png, png + sizeof png));
    Writer uri;
    uri.str("tex.png");
    Writer texture;
    texture.raw(object3D(0, "")).u8(0).u8(0).u32(2).u8(0).u8(0).u8(0).u8(227).u8(241).u8(241).u8(208).u8(209);
    Bytes objects = record(17, texture.bytes);
    const Bytes root = group(0, "root", {});
    objects.insert(objects.end(), root.begin(), root.end());
    // The file as sceneFile makes it, with the references flag set and the
    // references section between the header and the objects.
    Bytes scene = sceneFile(objects);
    const Bytes references = section(record(255, uri.bytes));
    const uint32_t size = static_cast<uint32_t>(scene.size() + references.size());
    const size_t objectsAt = 12 + 13 + 5 + 11 + 2;
    scene.insert(scene.begin() + static_cast<long>(objectsAt), references.begin(), references.end());
    Writer header;
    header.u8(1).u8(0).u8(1).u32(size).u32(size).str("t");
    const Bytes headerSection = section(record(0, header.bytes));
    std::copy(headerSection.begin(), headerSection.end(), scene.begin() + 12);
    const fs::path source = write("textured.m3g", scene);

    const std::string tree = "Texture2D\nGroup name=\"root\"\n";
    EXPECT_EQ(tool("info " + quote(source.string())).out, tree);
    const std::string all = "1 Header\n2 Image2D RGBA 2x2 external=\"tex.png\"\n3 Texture2D refs=2\n"
                            "4 Group name=\"root\"\n";
    EXPECT_EQ(tool("info --all " + quote(source.string())).out, all);

    for (const char* option : {"", " --compress", " --embed-images", " --embed-images --compress"}) {
        SCOPED_TRACE(option);
        const fs::path out = m_dir / "out.m3g";
        const Result r = tool("convert " + quote(source.string()) + " " + quote(out.string()) + option);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(tool("info " + quote(out.string())).out, tree);
        const bool embedded = std::strstr(option, "embed") != nullptr;
        EXPECT_EQ(tool("info --all " + quote(out.string())).out,
                  embedded ? "1 Header\n2 Image2D RGBA 2x2\n3 Texture2D refs=2\n4 Group name=\"root\"\n" : all);
    }
    expectFailure(tool("convert " + quote(source.string()) + " out.m3g --embed-images --embed-images"), "usage");
    // Without the image, the source and a converted file that kept the
    // reference fail to load, with the file name in the one line.
    tool("convert " + quote(source.string()) + " " + quote((m_dir / "kept.m3g").string()));
    fs::remove(m_dir / "tex.png");
    expectFailure(tool("info " + quote(source.string())), "tex.png");
    expectFailure(tool("info " + quote((m_dir / "kept.m3g").string())), "tex.png");
    EXPECT_EQ(tool("info " + quote((m_dir / "out.m3g").string())).out, tree); // the last one embedded it
}
