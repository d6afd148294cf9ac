// Files on the C library: path splitting, a round trip in a temporary
// directory, sizes and positions, and the failures.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "HAL/File.h"
#include "HAL/HALException.h"
#include "core/Ref.h"
#include "tests/support/EngineTest.h"

using core::Ref;
using core::String;

namespace {

class GeneralFileTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        char pattern[] = "/tmp/vorna3d-file-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::system(("rm -rf '" + m_dir + "'").c_str());
        EngineTest::TearDown();
    }
    std::string m_dir;
};

} // namespace

TEST_F(GeneralFileTest, SplitsPathIntoDirectoryAndName)
{
    // Created without opening: only the path handling is under test.
    struct Probe : HAL::File {
        using File::File;
        void fopen() override { }
        int32_t fread(void*, int32_t) override { return 0; }
        void fwrite(const void*, int32_t) override { }
        int64_t fsize() override { return 0; }
        void fsetpos(int64_t) override { }
        int64_t fgetpos() override { return 0; }
        void* getNativeHandle() override { return nullptr; }
        void fclose() override { }
        bool isOpen() const override { return false; }
    };
    Ref<Probe> nested = VORNA3D_NEW Probe("assets\\fonts/font.txt", "rb");
    EXPECT_TRUE(nested->getDirectory() == "assets/fonts/");
    EXPECT_TRUE(nested->getName() == "font.txt");
    EXPECT_TRUE(nested->getFlags() == "rb");

    Ref<Probe> bare = VORNA3D_NEW Probe("font.txt", "rb");
    EXPECT_EQ(bare->getDirectory().length(), 0);
    EXPECT_TRUE(bare->getName() == "font.txt");

    String shared("a\\b");
    Ref<Probe> probe = VORNA3D_NEW Probe(shared, "rb");
    EXPECT_TRUE(shared == "a\\b"); // the caller's text is not normalised in place
}

TEST_F(GeneralFileTest, WritesAndReadsBackWithSizesAndPositions)
{
    const String path = (m_dir + "/round.bin").c_str();
    {
        Ref<HAL::File> out = HAL::File::createFileHandle(path, "wb");
        out->fwrite("hello, ", 7);
        out->fwrite("file", 4);
        out->fwrite("ignored", 0); // a zero length touches nothing
        EXPECT_EQ(out->fsize(), 11);
        out->fclose();
        EXPECT_FALSE(out->isOpen());
    }
    Ref<HAL::File> in = HAL::File::createFileHandle(path, "rb");
    EXPECT_EQ(in->fsize(), 11);
    in->fsetpos(7);
    EXPECT_EQ(in->fsize(), 11); // the size query keeps the position
    EXPECT_EQ(in->fgetpos(), 7);
    char buffer[32] = {};
    EXPECT_EQ(in->fread(buffer, sizeof buffer), 4); // short read at the end
    EXPECT_STREQ(buffer, "file");
    in->fsetpos(0);
    EXPECT_EQ(in->fread(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_THROW(in->fsetpos(-1), HAL::HALException);
    // The file is closed by its destructor.
}

TEST_F(GeneralFileTest, FailuresAreExceptions)
{
    try {
        HAL::File::createFileHandle((m_dir + "/missing.bin").c_str(), "rb");
        FAIL() << "no exception";
    } catch (const HAL::HALException& e) {
        EXPECT_STREQ(e.getMessage(), "GeneralFile: can not open the file : missing.bin");
        EXPECT_STREQ(e.getFunction(), "UNKNOWN");
    }
    // A directory opens on Linux, but it is not a file.
    EXPECT_THROW(HAL::File::createFileHandle(m_dir.c_str(), "rb"), HAL::HALException);
    EXPECT_THROW(HAL::File::createFileHandle((m_dir + "/").c_str(), "rb"), AssertationFailedException);

    Ref<HAL::File> file = HAL::File::createFileHandle((m_dir + "/closed.bin").c_str(), "wb");
    file->fclose();
    char byte;
    try {
        file->fread(&byte, 1);
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), "GeneralFile: can not read the file (file is closed?)");
    }
    EXPECT_THROW(file->fclose(), AssertationFailedException);
    EXPECT_THROW(file->fsize(), AssertationFailedException);
}
