// FileSystem and FileArchive: mount paths and the names handed to each
// archive, duplicate candidates, mounting and unmounting, directory
// archives on disk, and the engine-wide instance.

#include <gtest/gtest.h>

#include <string>

#include "HAL/HALException.h"
#include "core/FileArchive.h"
#include "core/FileStream.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/TARArchive.h"
#include "core/TARWriter.h"
#include "tests/core/ArchiveTestUtil.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::Archive;
using core::FileArchive;
using core::FileSystem;
using core::MemoryStream;
using core::Ref;
using core::Stream;
using core::String;
using core::TARArchive;
using namespace archive_test;

namespace {

class FileSystemTest : public testing_support::EngineTest {
protected:
    // A TAR archive in memory holding `names`, each with the text "<name> data".
    static Ref<TARArchive> tarOf(std::initializer_list<const char*> names, const char* archiveName = "mem.tar")
    {
        Ref<MemoryStream> sink = VORNA3D_NEW MemoryStream();
        Ref<core::TARWriter> writer = VORNA3D_NEW core::TARWriter(sink);
        for (const char* name : names) {
            const std::string text = std::string(name) + " data";
            writer->addFile(name, text.data(), static_cast<int>(text.size()));
        }
        writer->finish();
        Ref<MemoryStream> bytes = VORNA3D_NEW MemoryStream(sink->getBuffer());
        bytes->setName(archiveName);
        return VORNA3D_NEW TARArchive(bytes);
    }

    static std::string contentOf(Archive& archive, const char* name)
    {
        Ref<Stream> stream;
        archive.openFile(stream, name, 0);
        return readAll(*stream);
    }
};

// An archive that records the names it is asked about.
class RecordingArchive : public Archive {
public:
    void openFile(Ref<Stream>&, const String&, int) override { }
    bool exists(const String& fileName, int) override
    {
        asked += std::string("[") + fileName.getASCII() + "]";
        return false;
    }
    String getName() override { return "recording"; }
    std::string asked;
};

} // namespace

TEST_F(FileSystemTest, NamesUnderAMountPathLoseThePath)
{
    QuietLog quiet;
    Ref<FileSystem> fs = VORNA3D_NEW FileSystem();
    Ref<RecordingArchive> atRoot = VORNA3D_NEW RecordingArchive();
    Ref<RecordingArchive> atTemp = VORNA3D_NEW RecordingArchive();
    Ref<RecordingArchive> atSlash = VORNA3D_NEW RecordingArchive();
    fs->addArchive("", atRoot);
    fs->addArchive("temp", atTemp);
    fs->addArchive("data/", atSlash);

    // A rest of several characters, of one, of none; a name only sharing the
    // path's first letters; a name under the path with a trailing "/".
    for (const char* name : {"temp/abc", "temp/a", "temp", "tempfile", "data/x", "data/"})
        EXPECT_FALSE(fs->exists(name, 0));
    EXPECT_EQ(atRoot->asked, "[temp/abc][temp/a][temp][tempfile][data/x][data/]");
    EXPECT_EQ(atTemp->asked, "[abc][a][tempfile][data/x][data/]");
    EXPECT_EQ(atSlash->asked, "[temp/abc][temp/a][temp][tempfile][x]");
}

TEST_F(FileSystemTest, ExactlyOneArchiveMayHoldAName)
{
    TempDir dir;
    writeFile(dir.file("font.txt"), "on disk");
    writeFile(dir.file("only-on-disk.txt"), "disk only");
    Ref<FileSystem> fs = VORNA3D_NEW FileSystem();
    fs->addArchive("", tarOf({"font.txt", "scene.m3g"}));
    fs->addArchive("temp", Ref<Archive>(VORNA3D_NEW FileArchive(dir.path().c_str())));

    EXPECT_EQ(contentOf(*fs, "scene.m3g"), "scene.m3g data");
    EXPECT_EQ(contentOf(*fs, "temp/only-on-disk.txt"), "disk only");
    EXPECT_EQ(contentOf(*fs, "only-on-disk.txt"), "disk only"); // not under "temp": asked in full

    // Present in both: two warnings and an error.
    testing_support::LogCapture log;
    Ref<Stream> out;
    try {
        fs->openFile(out, "font.txt", 0);
        ADD_FAILURE() << "no IOException";
    } catch (const core::IOException& e) {
        EXPECT_STREQ(e.what(), "IO Name: font.txt. Message: FileSystem::exists: More than one file canditates found!");
    }
    const std::string text = log.text();
    EXPECT_NE(text.find("WARNING |Duplicated archive canditate font.txt\n"), std::string::npos) << text;
    EXPECT_NE(text.find("WARNING |Duplicated archive canditate temp/font.txt\n"), std::string::npos) << text;

    QuietLog quiet;
    EXPECT_IO_ERROR(fs->openFile(out, "missing.png", 0), "FileSystem::openFile: File not found!");
    EXPECT_IO_ERROR(fs->openFile(out, "new.sav", 1), "FileSystem::openFile: File could not be saved!");
    EXPECT_FALSE(fs->exists("missing.png", 0));
    EXPECT_IO_ERROR(fs->exists("font.txt", 0), "More than one file canditates found!");
}

TEST_F(FileSystemTest, MountingAndUnmounting)
{
    QuietLog quiet;
    Ref<FileSystem> fs = VORNA3D_NEW FileSystem();
    Ref<TARArchive> tar = tarOf({"a"});
    fs->addArchive("", tar);
    EXPECT_IO_ERROR(fs->addArchive("other", tar), "FileSystem::addArchive: More than one same archives found!");

    // Into itself, directly or through another file system that it mounts.
    EXPECT_IO_ERROR(fs->addArchive("self", fs), "Can not mount the file system inside itself!");
    Ref<FileSystem> outer = VORNA3D_NEW FileSystem();
    outer->addArchive("inner", fs);
    EXPECT_IO_ERROR(fs->addArchive("outer", outer), "Can not mount the file system inside itself!");
    EXPECT_EQ(contentOf(*outer, "inner/a"), "a data"); // a nested file system works
    outer->removeArchive("inner");

    EXPECT_IO_ERROR(fs->removeArchive("nowhere"),
                    "FileSystem::removeArchive: Archive not found from path \"nowhere\"!");
    fs->addArchive("twice", tarOf({"b"}));
    fs->addArchive("twice", tarOf({"c"}));
    EXPECT_IO_ERROR(fs->removeArchive("twice"),
                    "FileSystem::addArchive: More than one same archives found from path \"twice\"!");
    EXPECT_EQ(fs->getMountCount(), 3);
    fs->removeArchive("");
    EXPECT_EQ(fs->getMountCount(), 2);
    EXPECT_FALSE(fs->exists("a", 0));
}

TEST_F(FileSystemTest, DirectoryArchives)
{
    QuietLog quiet;
    TempDir dir;
    writeFile(dir.file("x.txt"), "x");
    std::filesystem::create_directories(dir.file("sub"));

    // One "/" between the base and the name, whichever side has it.
    const String base = dir.path().c_str();
    const String slashed = (dir.path() + "/").c_str();
    Ref<FileArchive> plain = VORNA3D_NEW FileArchive(base);
    Ref<FileArchive> withSlash = VORNA3D_NEW FileArchive(slashed);
    Ref<FileArchive> working = VORNA3D_NEW FileArchive("");
    EXPECT_EQ(std::string(plain->getPath("x.txt").getASCII()), dir.file("x.txt"));
    EXPECT_EQ(std::string(plain->getPath("/x.txt").getASCII()), dir.file("x.txt"));
    EXPECT_EQ(std::string(withSlash->getPath("x.txt").getASCII()), dir.file("x.txt"));
    EXPECT_EQ(std::string(withSlash->getPath("/x.txt").getASCII()), dir.file("x.txt"));
    EXPECT_EQ(std::string(working->getPath("x.txt").getASCII()), "x.txt");
    EXPECT_EQ(plain->getName(), base);
    EXPECT_TRUE(plain->exists("x.txt", 0));
    EXPECT_EQ(contentOf(*withSlash, "x.txt"), "x");
    Ref<Stream> stream;
    plain->openFile(stream, "x.txt", 0);
    EXPECT_EQ(stream->getName(), "x.txt");

    // A directory is not a file.
    EXPECT_FALSE(plain->exists("sub", 0));
    EXPECT_FALSE(plain->exists("sub/", 0));
    EXPECT_THROW(plain->openFile(stream, "sub", 0), HAL::HALException);
    EXPECT_FALSE(plain->exists("missing", 0));
    EXPECT_THROW(plain->openFile(stream, "missing", 0), HAL::HALException);

    // Windows' separator works on every platform, and ends a name without a file part too.
    writeFile(dir.file("sub/y.txt"), "y");
    EXPECT_TRUE(plain->exists("sub\\y.txt", 0));
    EXPECT_EQ(contentOf(*plain, "sub\\y.txt"), "y");
    EXPECT_FALSE(plain->exists("sub\\", 0));

    // Writing: refused until enabled; then the probe creates, never truncates.
    EXPECT_FALSE(plain->exists("x.txt", 1));
    plain->setWriteEnable(true);
    EXPECT_TRUE(plain->exists("x.txt", 1));
    EXPECT_EQ(readFile(dir.file("x.txt")), "x");
    EXPECT_TRUE(plain->exists("new.txt", 1));
    plain->openFile(stream, "new.txt", 1);
    stream->write("saved", 5);
    stream->close();
    EXPECT_EQ(readFile(dir.file("new.txt")), "saved");
    EXPECT_IO_ERROR(plain->exists("x.txt", 2), "FileArchive::exists: Unsupported openFlags");
    EXPECT_IO_ERROR(plain->openFile(stream, "x.txt", 2), "FileArchive::openFile: Unsupported openFlags");
}

TEST_F(FileSystemTest, TheEngineFileSystemMountsTheAssetArchiveLikeTheDemo)
{
    QuietLog quiet;
    TempDir dir;
    {
        Ref<Stream> file = VORNA3D_NEW core::FileStream((dir.file("sulvanto.dat")).c_str(), "wb");
        Ref<core::TARWriter> writer = VORNA3D_NEW core::TARWriter(file);
        writer->addFile("font.txt", "glyphs", 6);
        writer->finish();
        file->close();
    }
    FileSystem* fs = FileSystem::get();
    ASSERT_NE(fs, nullptr);
    EXPECT_EQ(FileSystem::get(), fs);
    EXPECT_EQ(core::Globals::get()->m_fileSystem, fs);
    {
        // A reference taken by a user does not end the engine's file system.
        Ref<FileSystem> held = fs;
    }
    fs->addArchive("temp", Ref<Archive>(VORNA3D_NEW FileArchive(dir.path().c_str())));
    Ref<Stream> data;
    fs->openFile(data, "sulvanto.dat", 0);
    fs->addArchive("", Ref<Archive>(VORNA3D_NEW TARArchive(data)));
    fs->removeArchive("temp");
    data = nullptr;
    EXPECT_EQ(contentOf(*fs, "font.txt"), "glyphs");
    EXPECT_FALSE(fs->exists("sulvanto.dat", 0)); // the directory is gone

    // Shut-down releases it with its archives.
    FileSystem::deInitClass();
    EXPECT_EQ(core::Globals::get()->m_fileSystem, nullptr);
    EXPECT_EQ(allocatedBlocks(), 0);
}
