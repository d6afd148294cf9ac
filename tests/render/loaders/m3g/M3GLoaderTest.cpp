// The scene-file reader's outer structure: sections, checksums, zlib
// sections, the object table and its references, external references, and
// malformed files, every one of which must end in an IOException with a
// clear text (never an assertion or a crash). Files are assembled byte by
// byte (M3GTestSupport.h); checksums come from zlib's adler32.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/Debug.h"
#include "core/FileArchive.h"
#include "core/FileSystem.h"
#include "core/MemoryStream.h"
#include "render/appearance/Appearance.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/m3g/M3G_Loader.h"
#include "render/loaders/m3g/M3G_Writer.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/loaders/png/PNGWriter.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/World.h"
#include "tests/render/loaders/m3g/M3GTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

using namespace m3g_test;
using namespace render;

namespace {

// Records of a few classes, with defaults where a test does not care.
Bytes material(uint32_t userID = 0)
{
    Writer w;
    w.object3D(userID).u8(0x33).u8(0x33).u8(0x33).u8(0xCC).u8(0xCC).u8(0xCC).u8(0xFF);
    w.u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).f32(0.f).boolean(false);
    return record(13, w.bytes);
}

Bytes appearance(uint32_t materialIndex = 0)
{
    Writer w;
    w.object3D().u8(0).u32(0).u32(0).u32(0).u32(materialIndex).u32(0);
    return record(3, w.bytes);
}

// A short 3-component vertex array of `count` vertices (all zero).
Bytes positions(unsigned count)
{
    Writer w;
    w.object3D().u8(2).u8(3).u8(0).u16(count);
    for (unsigned i = 0; i < count * 3; ++i)
        w.u16(0);
    return record(20, w.bytes);
}

Bytes vertexBuffer(uint32_t positionsIndex)
{
    Writer w;
    w.object3D().u32(0xFFFFFFFFu).u32(positionsIndex).f32(0).f32(0).f32(0).f32(1).u32(0).u32(0).u32(0);
    return record(21, w.bytes);
}

// A triangle strip array with byte indices and one strip.
Bytes strip(std::initializer_list<unsigned> indices)
{
    Writer w;
    w.object3D().u8(129).u32(static_cast<uint32_t>(indices.size()));
    for (unsigned i : indices)
        w.u8(i);
    w.u32(1).u32(static_cast<uint32_t>(indices.size()));
    return record(11, w.bytes);
}

// A texture showing image `imageIndex`: modulate, repeat, base level, linear.
Bytes texture(uint32_t imageIndex)
{
    Writer w;
    w.transformable().u32(imageIndex).u8(0).u8(0).u8(0).u8(Texture2D::FUNC_MODULATE);
    w.u8(Texture2D::WRAP_REPEAT)
        .u8(Texture2D::WRAP_REPEAT)
        .u8(Texture2D::FILTER_BASE_LEVEL)
        .u8(Texture2D::FILTER_LINEAR);
    return record(17, w.bytes);
}

Bytes mesh(uint32_t vb, uint32_t ib, uint32_t app)
{
    Writer w;
    w.node().u32(vb).u32(1).u32(ib).u32(app);
    return record(14, w.bytes);
}

Bytes group(std::initializer_list<uint32_t> children, unsigned type = 9)
{
    Writer w;
    w.node().u32(static_cast<uint32_t>(children.size()));
    for (uint32_t c : children)
        w.u32(c);
    if (type == 22)
        w.u32(0).u32(0); // world: no camera, no background
    return record(type, w.bytes);
}

// A valid mesh file: positions 2, vertex buffer 3, strip 4, material 5,
// appearance 6, mesh 7, world 8.
Bytes meshFile(bool compress = false)
{
    return fileOf(
        {positions(3), vertexBuffer(2), strip({0, 1, 2}), material(), appearance(5), mesh(3, 4, 6), group({7}, 22)},
        compress);
}

class M3GLoaderTest : public M3GTest { };

} // namespace

TEST_F(M3GLoaderTest, AValidFileGivesItsUnreferencedObjectsInFileOrder)
{
    for (bool compress : {false, true}) {
        core::Vector<core::Ref<Object3D>> roots = loadBytes(meshFile(compress));
        ASSERT_EQ(roots.size(), 1);
        World* world = dynamic_cast<World*>(roots[0].get());
        ASSERT_TRUE(world);
        Mesh* m = dynamic_cast<Mesh*>(world->getChild(0));
        ASSERT_TRUE(m);
        EXPECT_TRUE(m->getAppearance(0)->getMaterial());
    }
    // Three materials nobody refers to: three roots, in file order.
    core::Vector<core::Ref<Object3D>> roots = loadBytes(fileOf({material(1), material(2), material(3)}));
    ASSERT_EQ(roots.size(), 3);
    EXPECT_EQ(roots[0]->getUserID(), 1);
    EXPECT_EQ(roots[2]->getUserID(), 3);
    // A file of the header alone holds nothing.
    EXPECT_EQ(loadBytes(file({})).size(), 0);
}

TEST_F(M3GLoaderTest, HeaderSectionFaults)
{
    const Bytes good = file({section(material())});
    Bytes compressedFirst = good;
    compressedFirst[12] = 1;
    fixChecksum(compressedFirst, 12);
    EXPECT_EQ(loadError(compressedFirst), "First section must be uncompressed.");

    Bytes version = good;
    version[12 + 14] = 2; // major version
    fixChecksum(version, 12);
    EXPECT_EQ(loadError(version), "Unsupported m3g version.");

    Bytes shortSize = good;
    shortSize[12 + 17] -= 1; // total file size, low byte
    fixChecksum(shortSize, 12);
    EXPECT_EQ(loadError(shortSize), "TotalFileSize did not matched or small data buf len.");

    Bytes notHeader = good;
    notHeader[12 + 9] = 13;
    fixChecksum(notHeader, 12);
    EXPECT_EQ(loadError(notHeader), "First object is not header object.");

    Bytes recordLength = good;
    recordLength[12 + 10] += 1;
    fixChecksum(recordLength, 12);
    EXPECT_EQ(loadError(recordLength), "First object size mismatch.");

    // The authoring string ends one byte early: the header object is shorter than its record.
    Bytes early = good;
    early[12 + 9 + 5 + 11 + 2] = 0;
    fixChecksum(early, 12);
    EXPECT_EQ(loadError(early), "Size of header object not correct in first section.");

    // A wrong approximate content size only warns.
    Bytes approximate = good;
    approximate[12 + 21] += 1;
    fixChecksum(approximate, 12);
    testing_support::LogCapture log;
    EXPECT_EQ(loadBytes(approximate).size(), 1);
    EXPECT_NE(log.text().find("Parse warning: \"approximateContentSize different than totalFileSize when has no "
                              "external references.\""),
              std::string::npos);
}

TEST_F(M3GLoaderTest, SectionFaults)
{
    const Bytes good = file({section(material())});
    const size_t second = good.size() - section(material()).size();

    // Checksums are verified: one changed byte anywhere in a section is caught.
    EXPECT_NE(loadError(file({section(material(), false, 1)})).find("Section checksum mismatch"), std::string::npos);
    Bytes flipped = good;
    flipped[second + 20] ^= 0x10;
    EXPECT_NE(loadError(flipped).find("Section checksum mismatch"), std::string::npos);

    // A total under 13 would underflow the data length; a total beyond the file does not fit.
    Bytes tiny = good;
    tiny[second + 1] = 12;
    tiny[second + 2] = tiny[second + 3] = tiny[second + 4] = 0;
    EXPECT_EQ(loadError(tiny), "Small section.");
    Bytes huge = good;
    huge[second + 4] = 0x7F;
    EXPECT_EQ(loadError(huge), "Small section.");
    // A section header cut short by the end of the file.
    const Bytes cut(good.begin(), good.begin() + static_cast<long>(second) + 5);
    Bytes cutSized = cut;
    const uint32_t size = static_cast<uint32_t>(cut.size());
    std::memcpy(&cutSized[12 + 17], &size, 4);
    std::memcpy(&cutSized[12 + 21], &size, 4);
    fixChecksum(cutSized, 12);
    EXPECT_EQ(loadError(cutSized), "Small stream buffer");

    Bytes scheme = good;
    scheme[second] = 2;
    fixChecksum(scheme, second);
    EXPECT_EQ(loadError(scheme), "Unknown compression scheme 2 in m3g section header.");

    Bytes length = good;
    length[second + 5] += 1; // uncompressed length of an uncompressed section
    fixChecksum(length, second);
    EXPECT_EQ(loadError(length), "Section length error in section header for uncompressed data.");

    // Object data that ends inside a record header.
    Bytes trailing = material();
    trailing.push_back(13);
    EXPECT_EQ(loadError(file({section(trailing)})), "Section size mismatch.");
    // Record types outside 1..22, a length beyond the section, a record shorter than its length.
    EXPECT_EQ(loadError(fileOf({record(23, {})})), "Object type is not valid in object chunk.");
    EXPECT_EQ(loadError(fileOf({record(0, {})})), "Object type is not valid in object chunk.");
    EXPECT_EQ(loadError(fileOf({record(255, {'a', 0})})), "Object type is not valid in object chunk.");
    Bytes tooLong = material();
    tooLong[1] += 1;
    EXPECT_EQ(loadError(fileOf({tooLong})), "Object size too big.");
    Bytes padded = material();
    padded[1] += 1;
    padded.push_back(0);
    EXPECT_EQ(loadError(fileOf({padded})), "Object size mismatch.");
    // Objects may come in several sections, compressed or not.
    EXPECT_EQ(loadBytes(file({section(material()), section(material(), true), section(material())})).size(), 3);
}

TEST_F(M3GLoaderTest, CompressedSectionFaults)
{
    const Bytes objects = material();
    Bytes data(compressBound(objects.size()));
    uLongf size = data.size();
    ASSERT_EQ(compress2(data.data(), &size, objects.data(), objects.size(), 9), Z_OK);
    data.resize(size);
    // A zlib section with the given stored bytes and announced length.
    const auto zlibSection = [](const Bytes& stored, uint32_t announced) {
        Writer w;
        w.u8(1).u32(static_cast<uint32_t>(stored.size() + 13)).u32(announced).raw(stored);
        w.u32(
            static_cast<uint32_t>(adler32(adler32(0, nullptr, 0), w.bytes.data(), static_cast<uInt>(w.bytes.size()))));
        return w.bytes;
    };
    const uint32_t length = static_cast<uint32_t>(objects.size());
    EXPECT_EQ(loadBytes(file({zlibSection(data, length)})).size(), 1);
    EXPECT_EQ(loadError(file({zlibSection(data, length - 1)})),
              "Too small \"uncompressed length\" field in m3g section header.");
    EXPECT_EQ(loadError(file({zlibSection(data, length + 1)})),
              "Too big \"uncompressed length\" field in m3g section header.");
    Bytes corrupt = data;
    corrupt[4] ^= 0xFF;
    corrupt[5] ^= 0xFF;
    EXPECT_EQ(loadError(file({zlibSection(corrupt, length)})),
              "ZLib decompression failed: \"The input data was corrupted\"");
    const Bytes truncated(data.begin(), data.end() - 6);
    EXPECT_EQ(loadError(file({zlibSection(truncated, length)})),
              "ZLib decompression failed: \"The input data was corrupted\"");
    // Lengths deflate cannot reach from these bytes, or beyond any section,
    // fail before anything is allocated for them (the pool is 48 MB).
    EXPECT_EQ(loadError(file({zlibSection(data, 40u << 20)})),
              "Too big \"uncompressed length\" field in m3g section header.");
    EXPECT_EQ(loadError(file({zlibSection(data, 0xFFFFFFFFu)})),
              "Too big \"uncompressed length\" field in m3g section header.");
}

TEST_F(M3GLoaderTest, ReferencesMustPointBackToObjectsOfTheirClass)
{
    // Index 5 is the mesh itself: references to it and beyond point forwards.
    EXPECT_EQ(loadError(fileOf({positions(3), strip({0, 1, 2}), appearance(), mesh(5, 3, 4)})),
              "Reference to unloaded object detected.");
    EXPECT_EQ(loadError(fileOf({material(), appearance(0xFFFFFFFFu)})), "Reference to unloaded object detected.");
    // Index 1 is the header, which is no object.
    EXPECT_EQ(loadError(fileOf({appearance(1)})), "Reference to unloaded object detected. Reference is nil.");
    // A strip array where a material belongs.
    EXPECT_EQ(loadError(fileOf({strip({0, 1, 2}), appearance(2)})), "Referenced object is not correct type.");

    // Every submesh needs an appearance, every index a vertex.
    EXPECT_EQ(loadError(fileOf({positions(3), vertexBuffer(2), strip({0, 1, 2}), mesh(3, 4, 0)})),
              "Not all appearances are specified for mesh.");
    EXPECT_EQ(loadError(fileOf({positions(3), vertexBuffer(2), strip({0, 1, 3}), appearance(), mesh(3, 4, 5)})),
              "Mesh index 3 is beyond the 3 vertices of its vertex buffer.");
    // A node has one parent; a World is nobody's child.
    EXPECT_EQ(loadError(fileOf({group({}), group({2}), group({2})})), "A node can not be the child of two groups.");
    EXPECT_EQ(loadError(fileOf({group({}, 22), group({2})})), "A World can not be the child of a Group.");
    EXPECT_EQ(loadError(fileOf({group({0})})), "Group child reference is 0.");
}

TEST_F(M3GLoaderTest, TruncatedAndCorruptedFilesFailCleanly)
{
    // Every proper prefix of a valid file fails with an IOException; so does
    // every single-byte change (with its section's checksum made right
    // again, so that the change reaches the record readers) unless the
    // change leaves the file valid.
    for (bool compress : {false, true}) {
        const Bytes good = meshFile(compress);
        for (size_t n = 0; n < good.size(); ++n) {
            const std::string error = loadError(Bytes(good.begin(), good.begin() + static_cast<long>(n)));
            EXPECT_EQ(error.find("(other"), std::string::npos) << n << ": " << error;
            EXPECT_NE(error, "(no error)") << n;
        }
        uint32_t headerTotal;
        std::memcpy(&headerTotal, &good[13], 4);
        const size_t second = 12 + headerTotal;
        for (size_t i = 12; i < good.size(); ++i) {
            for (unsigned char change : {0x01, 0x80, 0xFF}) {
                Bytes bad = good;
                bad[i] ^= change;
                // The checksum itself is left wrong, and so are the lengths
                // the checksum covers (they are the section's frame).
                const bool frame =
                    i < second ? (i < 12 + 9 || i >= second - 4) : (i < second + 9 || i >= good.size() - 4);
                if (!frame)
                    fixChecksum(bad, i < second ? 12 : second);
                const std::string error = loadError(bad);
                EXPECT_EQ(error.find("(other"), std::string::npos) << i << ": " << error;
            }
        }
    }
}

TEST_F(M3GLoaderTest, PathsAreNormalisedForExternalReferences)
{
    EXPECT_STREQ(getM3GBasePath("scenes/level/a.m3g").getASCII(), "scenes/level/");
    EXPECT_STREQ(getM3GBasePath("a.m3g").getASCII(), "");
    EXPECT_STREQ(getM3GBasePath("dir\\a.m3g").getASCII(), "dir\\");
    EXPECT_STREQ(normaliseM3GPath("a/./b/../c.m3g").getASCII(), "a/c.m3g");
    EXPECT_STREQ(normaliseM3GPath("./x//y.m3g").getASCII(), "x/y.m3g");
    EXPECT_STREQ(normaliseM3GPath("../up.m3g").getASCII(), "../up.m3g");
    EXPECT_STREQ(normaliseM3GPath("a/../../b").getASCII(), "../b");
    EXPECT_STREQ(normaliseM3GPath("/abs/./f").getASCII(), "/abs/f");
}

namespace {

// External references: files in a temporary folder, mounted at the empty
// path so that file names are the names relative to the folder.
class M3GExternalReferenceTest : public M3GTest {
protected:
    void SetUp() override
    {
        M3GTest::SetUp();
        m_temp = std::make_unique<testing_support::TempDir>("m3g-ext");
        m_dir = m_temp->path();
        core::FileSystem::get()->addArchive("", core::Ref<core::Archive>(VORNA3D_NEW core::FileArchive(m_dir.c_str())));
    }
    void TearDown() override
    {
        if (core::Globals::exists()) {
            core::FileSystem::get()->removeArchive("");
            core::FileSystem::deInitClass(); // the engine's file system is not a leak
        }
        m_temp.reset();
        M3GTest::TearDown();
    }

    void put(const std::string& name, const Bytes& bytes)
    {
        const std::filesystem::path path = std::filesystem::path(m_dir) / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // A file whose external references are `uris` (indices 2, 3, ...), then `objects`.
    static Bytes withExternals(std::initializer_list<std::string> uris, const Bytes& objects)
    {
        Bytes refs;
        for (const std::string& uri : uris) {
            Writer w;
            w.str(uri);
            const Bytes r = record(255, w.bytes);
            refs.insert(refs.end(), r.begin(), r.end());
        }
        std::vector<Bytes> sections = {section(refs)};
        if (!objects.empty())
            sections.push_back(section(objects));
        return file(sections, true);
    }

    std::string loadNameError(const char* name)
    {
        try {
            core::Vector<core::Ref<Object3D>> roots;
            render::load(core::String(name), roots);
        } catch (const core::IOException& e) {
            return messageOf(e);
        }
        return "(no error)";
    }

    std::unique_ptr<testing_support::TempDir> m_temp;
    std::string m_dir;
};

} // namespace

TEST_F(M3GExternalReferenceTest, ObjectsOfOtherFilesAreReferredToByIndex)
{
    // a.m3g: external "parts/mat.m3g" (index 2), then an appearance using it.
    put("parts/mat.m3g", fileOf({material(42)}));
    put("a.m3g", withExternals({"parts/mat.m3g"}, appearance(2)));
    core::Vector<core::Ref<Object3D>> roots;
    render::load(core::String("a.m3g"), roots);
    ASSERT_EQ(roots.size(), 1);
    Appearance* a = dynamic_cast<Appearance*>(roots[0].get());
    ASSERT_TRUE(a && a->getMaterial());
    EXPECT_EQ(a->getMaterial()->getUserID(), 42);
    // The referenced file's path is relative to the referring file's folder.
    put("parts/b.m3g", withExternals({"../parts/./mat.m3g"}, appearance(2)));
    render::load(core::String("parts/b.m3g"), roots);
    ASSERT_EQ(roots.size(), 1);
}

TEST_F(M3GExternalReferenceTest, CyclesEmptyFilesAndBadSectionsFail)
{
    put("self.m3g", withExternals({"self.m3g"}, {}));
    EXPECT_EQ(loadNameError("self.m3g"), "External references form a cycle: \"self.m3g\" refers back to itself.");
    put("a.m3g", withExternals({"sub/b.m3g"}, {}));
    put("sub/b.m3g", withExternals({"../a.m3g"}, {}));
    EXPECT_EQ(loadNameError("a.m3g"), "External references form a cycle: \"a.m3g\" refers back to itself.");
    put("empty.m3g", file({}));
    put("uses-empty.m3g", withExternals({"empty.m3g"}, {}));
    EXPECT_EQ(loadNameError("uses-empty.m3g"), "External reference \"empty.m3g\" holds no objects.");
    put("missing.m3g", withExternals({"nowhere.m3g"}, {}));
    EXPECT_NE(loadNameError("missing.m3g").find("Loader can not load file"), std::string::npos);
    // The external references section holds nothing but external references.
    put("wrong.m3g", file({section(material()), section(material())}, true));
    EXPECT_EQ(loadNameError("wrong.m3g"),
              "Object type is not \"external reference\" in the object chunk of external references section.");
}

TEST_F(M3GLoaderTest, AMissingExternalFileLeavesThePoolAsItFoundIt)
{
    // No file system has been made yet: the load must not make one (a
    // block the failed load would leave behind), it can only fail.
    Writer uri;
    uri.str("tex.png");
    const Bytes scene = file({section(record(255, uri.bytes)), section(texture(2))}, true);
    const int before = allocatedBlocks();
    EXPECT_NE(loadError(scene, "scene.m3g").find("Loader can not load file"), std::string::npos);
    EXPECT_EQ(allocatedBlocks(), before);
    EXPECT_EQ(core::FileSystem::getExisting(), nullptr);
}

namespace {

// A 2 x 2 RGBA picture: red, green / blue, half-transparent white.
const uint8_t TEXTURE_PIXELS[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};

// textured.m3g: external reference "tex.png" (index 2), a texture on it (3).
class M3GExternalImageTest : public M3GExternalReferenceTest {
protected:
    void SetUp() override
    {
        M3GExternalReferenceTest::SetUp();
        writePng("tex.png");
        Writer uri;
        uri.str("tex.png");
        put("textured.m3g", file({section(record(255, uri.bytes)), section(texture(2))}, true));
    }

    void writePng(const std::string& name) const
    {
        PNGWriter::write((std::filesystem::path(m_dir) / name).string().c_str(), 2, 2, TEXTURE_PIXELS, PNGWriter::RGBA);
    }

    // The image of the one texture `name` holds.
    static core::Ref<Image2D> textureImage(const char* name)
    {
        core::Vector<core::Ref<Object3D>> roots;
        render::load(core::String(name), roots);
        EXPECT_EQ(roots.size(), 1);
        Texture2D* texture = roots.size() == 1 ? dynamic_cast<Texture2D*>(roots[0].get()) : nullptr;
        return core::Ref<Image2D>(texture ? texture->getImage() : nullptr);
    }

    // Writes the scene in `from` to `to` beside it.
    void convert(const char* from, const char* to, bool embedImages)
    {
        core::Vector<core::Ref<Object3D>> roots;
        render::load(core::String(from), roots);
        core::Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
        out->setName(to);
        M3G_Writer::Options options;
        options.embedImages = embedImages;
        M3G_Writer::save(out.get(), roots, options);
        put(to, Bytes(out->getData(), out->getData() + out->getSize()));
    }
};

} // namespace

TEST_F(M3GExternalImageTest, AnImageFileBesideTheSceneLoadsImmutableAndRemembersItsURI)
{
    core::Ref<Image2D> image = textureImage("textured.m3g");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), Image2D::RGBA);
    EXPECT_EQ(image->getWidth(), 2);
    EXPECT_FALSE(image->isMutable());
    EXPECT_STREQ(image->getExternalReference().getASCII(), "tex.png");
    EXPECT_EQ(image->getPixel(1, 1), 0xFFFFFF80u);
    // A duplicate is a new, mutable image made here, not the referenced file.
    core::Ref<Object3D> copy(image->duplicate());
    EXPECT_TRUE(static_cast<Image2D*>(copy.get())->isMutable());
    EXPECT_EQ(copy->getExternalReference().length(), 0);
}

TEST_F(M3GExternalImageTest, FailedLoadsLeaveThePoolAsTheyFoundIt)
{
    // Each way a load with external references can fail, after one load
    // that succeeded (so that what a first load sets up is in place).
    textureImage("textured.m3g");
    const int before = allocatedBlocks();
    const auto failsClean = [&](const char* name, const std::string& part) {
        SCOPED_TRACE(name);
        EXPECT_NE(loadNameError(name).find(part), std::string::npos) << loadNameError(name);
        EXPECT_EQ(allocatedBlocks(), before);
    };
    std::filesystem::remove(std::filesystem::path(m_dir) / "tex.png");
    failsClean("textured.m3g", "Loader can not load file");
    put("tex.png", Bytes(TEXTURE_PIXELS, TEXTURE_PIXELS + 16));
    failsClean("textured.m3g", "Unsupported file format");
    writePng("whole.png");
    const Bytes png = readFile(std::filesystem::path(m_dir) / "whole.png");
    put("tex.png", Bytes(png.begin(), png.end() - 20));
    failsClean("textured.m3g", "Could not read enought stream data");
    put("self.m3g", withExternals({"self.m3g"}, {}));
    failsClean("self.m3g", "cycle");
    // The referenced image loads, then the referring file fails: a record
    // refers to an object it does not have, or the file is cut short.
    writePng("tex.png");
    Writer uri;
    uri.str("tex.png");
    put("badref.m3g", file({section(record(255, uri.bytes)), section(texture(7))}, true));
    failsClean("badref.m3g", "Reference to unloaded object detected.");
    Bytes cut = readFile(std::filesystem::path(m_dir) / "textured.m3g");
    cut.resize(cut.size() - 6);
    put("cut.m3g", cut);
    failsClean("cut.m3g", "TotalFileSize");
}

TEST_F(M3GExternalImageTest, TheWriterKeepsTheReferenceOrEmbedsTheImage)
{
    convert("textured.m3g", "kept.m3g", false);
    convert("textured.m3g", "embedded.m3g", true);
    // The kept reference is the same URI: the file holds it, and reading it
    // reads tex.png again.
    const Bytes kept = readFile(std::filesystem::path(m_dir) / "kept.m3g");
    EXPECT_NE(std::search(kept.begin(), kept.end(), std::begin("tex.png"), std::end("tex.png")), kept.end());
    core::Ref<Image2D> image = textureImage("kept.m3g");
    ASSERT_TRUE(image);
    EXPECT_STREQ(image->getExternalReference().getASCII(), "tex.png");
    // Embedded, the pixels are in the file: it reads without tex.png.
    std::filesystem::remove(std::filesystem::path(m_dir) / "tex.png");
    image = textureImage("embedded.m3g");
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->isMutable());
    EXPECT_EQ(image->getExternalReference().length(), 0);
    ASSERT_EQ(image->getPixelBlockSize(), 16);
    EXPECT_EQ(std::memcmp(image->getPixels(), TEXTURE_PIXELS, 16), 0);
    EXPECT_NE(loadNameError("kept.m3g").find("Loader can not load file"), std::string::npos);
}
