// The demo's loading on a renderer without GL (the recording back end on a
// display without a window), with the built asset archive and soundtrack:
// the log lines of createDevice in order, what it builds, the music started
// at its end; the lattice's lines; a short scene failing at the member it
// was meant for; a missing archive failing before anything is read.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "HAL/Display.h"
#include "core/Exception.h"
#include "core/FileArchive.h"
#include "core/FileStream.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/TARArchive.h"
#include "core/TARWriter.h"
#include "demo/DemoMeshes.h"
#include "demo/DemoMusic.h"
#include "demo/MyApplication.h"
#include "render/appearance/Appearance.h"
#include "render/Batcher.h"
#include "render/BatcherItem.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/Graphics3DConfig.h"
#include "tests/render/OGLES/RecordingOGLES.h"
#include "tests/support/EngineTest.h"
#include "tests/support/FailsWith.h"
#include "tests/support/LogCapture.h"

using testing_support::LogCapture;

namespace {

const std::string BIN = VORNA3D_BIN_DIR;

class DemoLoadingTest : public testing_support::EngineTest {
protected:
    void configure(framework::FrameworkConfig& config) override
    {
        EngineTest::configure(config);
        config.memorySize = 40960000; // the demo's pool
    }

    void SetUp() override
    {
        EngineTest::SetUp();
        HAL::DisplayConfig displayConfig;
        displayConfig.width = MyApplication::SCREEN_WIDTH;
        displayConfig.height = MyApplication::SCREEN_HEIGHT;
        m_display = HAL::Display::createWindowless(displayConfig);
        m_display->addRef();
        m_g3d = VORNA3D_NEW render_test::RecordingOGLES();
        m_g3d->addRef();
        m_g3d->registerInstance();
        m_g3d->recording = false;
        render::Graphics3DConfig graphics;
        graphics.showStatistics = false;
        graphics.printFps = false;
        m_g3d->configGraphics3D(m_display, graphics);
    }

    void TearDown() override
    {
        if (core::Globals::exists()) {
            if (m_app)
                m_app->releaseRef();
            core::Globals::get()->m_g3d.clear();
            m_g3d->releaseRef();
            m_display->releaseRef();
            core::FileSystem::deInitClass();
        }
        EngineTest::TearDown();
    }

    // The demo on the soundtrack's stepped clock, reading the archive from `folder`.
    MyApplication& makeApp(const std::string& folder)
    {
        DemoMusic* music = DemoMusic::startPath((BIN + "/override.mp3").c_str(), HAL::MUSIC_INIT_STEPPED_CLOCK);
        EXPECT_NE(music, nullptr);
        m_app = VORNA3D_NEW MyApplication(music);
        m_app->addRef();
        m_app->setArchiveFolder(folder.c_str());
        return *m_app;
    }

    HAL::Display* m_display = nullptr; // held with addRef (a Ref member would make the destructor throwing)
    render_test::RecordingOGLES* m_g3d = nullptr; // likewise
    MyApplication* m_app = nullptr; // likewise
};

TEST_F(DemoLoadingTest, LoadsEverythingAndStartsTheMusicLast)
{
    MyApplication& app = makeApp(BIN + "/");
    std::string log;
    {
        LogCapture capture;
        app.createDevice(*m_g3d);
        log = capture.text();
    }
    // The progress lines, in order.
    const char* const lines[] = {"Loading and initializing...\n",
                                 "Loading font...OK\n",
                                 "Creating static textures...",
                                 "Loading m3g meshes...",
                                 "Creating scroller...\n",
                                 "OK\n",
                                 "Calculating meshes...\n",
                                 "OK\n",
                                 "Calculating dynamics...",
                                 "OK\n",
                                 "Starting sound...",
                                 "OK\n"};
    size_t at = 0;
    for (const char* line : lines) {
        const size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "\"" << line << "\" after offset " << at;
        at = found + std::string(line).size();
    }
    EXPECT_EQ(log.find("State change"), std::string::npos);

    // Still the title, at time 0, the music running from 0.
    EXPECT_EQ(app.getTimeline().getState(), 999);
    EXPECT_EQ(app.getTimeline().getStateTime(), 0.f);
    EXPECT_EQ(app.getMusic().getPositionMs(), 0u);
    EXPECT_EQ(app.getMusic().advanceClock(250), HAL::MUSIC_OK);
    EXPECT_EQ(app.getMusic().getPositionMs(), 250u) << "the music is not paused";

    EXPECT_EQ(app.getHelixSegments().size(), 20);
    EXPECT_EQ(app.getScroller().elements().size(), 271);
    EXPECT_EQ(app.getScroller().bubbles().size(), 200);
    EXPECT_EQ(app.getScroller().fishes().size(), 1);
    ASSERT_NE(app.getTorus(), nullptr);
    ASSERT_NE(app.getLattice(), nullptr);
    EXPECT_EQ(app.getLattice()->getLiveItemCount(), 507);

    // Every effect draws through the back end without failing.
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(app.update(0.005f));
        app.render(*m_g3d);
    }
    EXPECT_GT(m_g3d->getLastFrameStatistics().drawCalls, 0);
}

TEST_F(DemoLoadingTest, LatticeLinesOnTheCube)
{
    core::Ref<render::Batcher> lattice = createLattice();
    EXPECT_TRUE(lattice->isLineBatcher());
    ASSERT_EQ(lattice->getLiveItemCount(), 507); // 13 x 13 x 3
    EXPECT_EQ(lattice->getVertexCount(), 1014);

    // Each line runs from +1024 to -1024 along one axis; the others are
    // lattice places, -1024 + 2048 k / 12, the outermost on the faces.
    int onFaces = 0;
    for (int id = 0; id < lattice->getItemCount(); ++id) {
        const render::BatcherItem* line = lattice->getItem(id);
        ASSERT_EQ(line->positionCoords.size(), 6);
        int along = -1;
        for (int axis = 0; axis < 3; ++axis) {
            const int from = line->positionCoords[axis];
            const int to = line->positionCoords[3 + axis];
            if (from != to) {
                EXPECT_EQ(along, -1) << "line " << id << " runs along two axes";
                along = axis;
                EXPECT_EQ(from, -to);
                EXPECT_EQ(std::abs(from), 1024 * 32);
            } else {
                EXPECT_LE(std::abs(from), 1024 * 32);
                const double step = (from / 32.0 + 1024.0) / (2048.0 / 12.0);
                EXPECT_NEAR(step, std::round(step), 1e-3) << "line " << id << " axis " << axis;
                onFaces += std::abs(from) == 1024 * 32 ? 1 : 0;
            }
        }
        EXPECT_NE(along, -1);
    }
    // Lines with a fixed coordinate of +-1024: per direction, 13 with the
    // first fixed one on a face, 13 with the second, less the 4 with both,
    // counted once per coordinate: 2 x 13 x 2 coordinates, 3 directions.
    EXPECT_EQ(onFaces, 3 * 2 * 2 * 13);

    render::Appearance* look = lattice->getAppearance();
    ASSERT_NE(look->getFog(), nullptr);
    EXPECT_EQ(look->getFog()->getNearDistance(), 600.f);
    EXPECT_EQ(look->getFog()->getFarDistance(), 1000.f);
    ASSERT_NE(look->getCompositingMode(), nullptr);
    EXPECT_TRUE(look->getCompositingMode()->isDepthTestEnabled());
    EXPECT_TRUE(look->getCompositingMode()->isDepthWriteEnabled());
}

// An archive like the built one, with `replace` holding the bytes of `with`.
void writeArchiveReplacing(const std::string& folder, const char* replace, const char* with)
{
    core::Ref<core::Stream> in = VORNA3D_NEW core::FileStream((BIN + "/sulvanto.dat").c_str(), "rb");
    core::Ref<core::TARArchive> source = VORNA3D_NEW core::TARArchive(in);
    core::Ref<core::Stream> out = VORNA3D_NEW core::FileStream((folder + "/sulvanto.dat").c_str(), "wb");
    core::Ref<core::TARWriter> writer = VORNA3D_NEW core::TARWriter(out);
    for (int i = 0; i < source->getEntryCount(); ++i) {
        const core::String name = source->getEntryName(i);
        const core::String from = name.equals(replace) ? core::String(with) : name;
        core::Ref<core::Stream> entry;
        source->openFile(entry, from, core::Archive::OPEN_READ);
        int size = 0;
        for (int j = 0; j < source->getEntryCount(); ++j)
            if (source->getEntryName(j).equals(from))
                size = source->getEntrySize(j);
        writer->addFile(name, *entry, size);
    }
    writer->finish();
}

TEST_F(DemoLoadingTest, ShortSceneFailsAtTheMemberItWasFor)
{
    // The stone ball's world has two children: as "demoball.m3g" it has no
    // child 2.
    const std::string folder = testing::TempDir() + "/sulvanto_short_scene";
    std::filesystem::create_directories(folder);
    writeArchiveReplacing(folder, "demoball.m3g", "stoneball.m3g");
    MyApplication& app = makeApp(folder + "/");
    LogCapture quiet;
    EXPECT_TRUE(testing_support::failsWith([&] { app.createDevice(*m_g3d); }, " m_demopallo2 ", "EffectBalls::load"));
    std::filesystem::remove_all(folder);
}

TEST_F(DemoLoadingTest, MissingArchiveFailsBeforeAnythingIsRead)
{
    const std::string folder = testing::TempDir() + "/sulvanto_no_archive";
    std::filesystem::create_directories(folder);
    MyApplication& app = makeApp(folder + "/");
    const int mounts = core::FileSystem::get()->getMountCount();
    std::string message;
    {
        LogCapture quiet;
        try {
            app.createDevice(*m_g3d);
        } catch (const core::IOException& e) {
            message = e.what();
        }
    }
    EXPECT_NE(message.find("sulvanto.dat"), std::string::npos) << message;
    EXPECT_NE(message.find("File not found"), std::string::npos) << message;
    // Nothing stays mounted: the folder is not read from any more.
    EXPECT_EQ(core::FileSystem::get()->getMountCount(), mounts);
    EXPECT_FALSE(core::FileSystem::get()->exists("temp/override.mp3", core::Archive::OPEN_READ));
    EXPECT_EQ(app.getScroller().elements().size(), 0);
    std::filesystem::remove_all(folder);
}

} // namespace
