#include "PlayApp.h"

#include "Command.h"
#include "HAL/Input.h"
#include "SceneFile.h"
#include "core/Debug.h"
#include "core/Exception.h"
#include "render/Camera.h"
#include "render/FrameReader.h"
#include "render/Graphics3D.h"
#include "render/PNGWriter.h"
#include "render/World.h"

namespace vorna3d_tool {

namespace {

// The first World among `roots`, or null.
render::World* findWorld(const core::Vector<core::Ref<render::Object3D>>& roots)
{
    for (const core::Ref<render::Object3D>& root : roots)
        if (render::World* world = dynamic_cast<render::World*>(root.get()))
            return world;
    return nullptr;
}

// The first camera below `group`, depth first, or null.
render::Camera* findCamera(render::Group* group)
{
    for (int i = 0; i < group->getChildCount(); ++i) {
        render::Node* child = group->getChild(i);
        if (render::Camera* camera = dynamic_cast<render::Camera*>(child))
            return camera;
        if (render::Group* inner = dynamic_cast<render::Group*>(child))
            if (render::Camera* camera = findCamera(inner))
                return camera;
    }
    return nullptr;
}

// Writes the frame it is handed to the shots [first, last) as RGB PNGs and
// logs each; a file that cannot be written is logged, not thrown, so that
// the frame is still presented.
class ShotWriter final : public render::FrameReader {
public:
    ShotWriter(const PlayOptions::Shot* first, const PlayOptions::Shot* last, int worldTime)
        : m_first(first), m_last(last), m_worldTime(worldTime)
    {
    }

    bool delivered() const { return m_delivered; }

    void frameDrawn(const uint8_t* rgbaBottomUp, int width, int height) override
    {
        m_delivered = true;
        for (const PlayOptions::Shot* shot = m_first; shot != m_last; ++shot) {
            try {
                render::PNGWriter::write(shot->path.c_str(), width, height, rgbaBottomUp, render::PNGWriter::RGBX,
                                         true);
                core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: frame at %d ms written to %s\n",
                                    m_worldTime, shot->path.c_str());
            } catch (const core::IOException&) {
                core::Debug::printf(core::DEBUG_LEVEL_ERROR, "play: can not write %s\n", shot->path.c_str());
            }
        }
    }

private:
    const PlayOptions::Shot* m_first;
    const PlayOptions::Shot* m_last;
    int m_worldTime;
    bool m_delivered = false;
};

} // namespace

PlayApp::PlayApp(const std::string& path, const PlayOptions& options) : m_path(path), m_options(options) {}

PlayApp::~PlayApp() noexcept(false) = default;

void PlayApp::createDevice(render::Graphics3D& g3d)
{
    m_keyboard = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_KEYBOARD);
    loadRoots(m_path, m_roots);
    m_world = findWorld(m_roots);
    if (!m_world)
        throw ToolError{m_path + " holds no World"};
    if (!m_world->getActiveCamera()) {
        render::Camera* camera = findCamera(m_world);
        if (!camera)
            throw ToolError{m_path + ": the world has no camera"};
        m_world->setActiveCamera(camera);
    }
    fitCamera(g3d.getDisplayWidth(), g3d.getDisplayHeight());
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: %s loaded (%d x %d)\n", m_path.c_str(),
                        g3d.getDisplayWidth(), g3d.getDisplayHeight());
}

void PlayApp::resetDevice(render::Graphics3D& g3d)
{
    fitCamera(g3d.getDisplayWidth(), g3d.getDisplayHeight());
}

void PlayApp::fitCamera(int width, int height)
{
    render::Camera* camera = m_world ? m_world->getActiveCamera() : nullptr;
    float p[4];
    if (!camera || width <= 0 || height <= 0 || camera->getProjection(p) != render::Camera::PERSPECTIVE)
        return;
    camera->setPerspective(p[0], float(width) / float(height), p[2], p[3]);
}

bool PlayApp::update(float seconds)
{
    if (m_keyboard->readInput(HAL::Input::KEY_ESCAPE) != 0.0f) {
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: Escape read, stopping\n");
        return false;
    }
    if (m_keyboard->readInput('q') != 0.0f) {
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: Q read, stopping\n");
        return false;
    }
    // The clock starts with the first frame: loading takes no animation time.
    if (m_frames > 0)
        m_seconds += seconds;
    return true;
}

void PlayApp::render(render::Graphics3D& g3d)
{
    const int worldTime = static_cast<int>(m_seconds * 1000.0);
    m_world->animate(worldTime);
    g3d.bindTarget(nullptr);
    g3d.render(render::Graphics3D::RENDER_ALL, m_world, render::Transform());
    ++m_frames;
    // The shots due by now are written from this frame as presented.
    const size_t firstShot = m_nextShot;
    while (m_nextShot < m_options.shots.size() && worldTime >= m_options.shots[m_nextShot].worldTime)
        ++m_nextShot;
    if (firstShot == m_nextShot) {
        g3d.releaseTarget();
        return;
    }
    const PlayOptions::Shot* shots = m_options.shots.data();
    ShotWriter writer(shots + firstShot, shots + m_nextShot, worldTime);
    // For this frame only: a reader makes the renderer read frames back.
    g3d.releaseTarget(writer);
    if (!writer.delivered())
        for (size_t i = firstShot; i < m_nextShot; ++i)
            core::Debug::printf(core::DEBUG_LEVEL_ERROR, "play: can not write %s (no frame on the screen)\n",
                                m_options.shots[i].path.c_str());
}

} // namespace vorna3d_tool
