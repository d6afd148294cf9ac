#include "PlayApp.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "Command.h"
#include "PlayScene.h"
#include "SceneFile.h"
#include "HAL/Input.h"
#include "HAL/InputState.h"
#include "core/Debug.h"
#include "core/Exception.h"
#include "render/scene/Camera.h"
#include "render/FrameReader.h"
#include "render/Graphics3D.h"
#include "render/loaders/png/PNGWriter.h"

namespace vorna3d_tool {

const char PLAY_HELP[] =
    "Any scene file plays: roots that are not a World are shown in a World of the viewer's own, a scene\n"
    "without a camera starts on the free camera framed on its bounds, and one without lights gets a\n"
    "headlight. The file's camera, where there is one, is the start view unless --fit is given.\n"
    "\n"
    "keys and mouse:\n"
    "  left drag          orbit around the scene's centre\n"
    "  right/middle drag  pan\n"
    "  wheel              zoom\n"
    "  click              print the picked node (class, user ID, name, distance)\n"
    "  F                  frame the whole scene\n"
    "  R                  back to the start view\n"
    "  C                  switch between the file's camera and the free camera\n"
    "  L                  headlight on/off (scenes without lights)\n"
    "  Space              pause/resume the animation\n"
    "  Left/Right         step one frame (1/60 s) back/forward\n"
    "  Home               restart the animation\n"
    "  + / -              animation speed x2 / x0.5 (0.25x to 4x)\n"
    "  F1                 statistics overlay\n"
    "  F12                screenshot beside the file (NAME-N.png)\n"
    "  Escape, Q          quit\n";

namespace {

// Key codes (Windows virtual keys, the engine's own for Escape and arrows).
enum : int {
    KEY_SPACE = 0x20,
    KEY_HOME = 0x24,
    KEY_C = 'C',
    KEY_F = 'F',
    KEY_L = 'L',
    KEY_R = 'R',
    KEY_NUMPAD_PLUS = 0x6B,
    KEY_NUMPAD_MINUS = 0x6D,
    KEY_F1 = 0x70,
    KEY_F12 = 0x7B,
    KEY_PLUS = 0xBB, // the = + key
    KEY_MINUS = 0xBD,
};

// A press and release closer than this (window sizes) is a click, not a drag.
constexpr float CLICK_TRAVEL = 0.01f;
// The wheel axis moves by 120 / 32767 per notch.
constexpr float WHEEL_PER_NOTCH = 120.f / 32767.f;

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
                core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: frame at %d ms written to %s\n", m_worldTime,
                                    shot->path.c_str());
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

PlayApp::PlayApp(const std::string& path, const PlayOptions& options) : m_path(path), m_options(options)
{
}

PlayApp::~PlayApp() noexcept(false) = default;

void PlayApp::createDevice(render::Graphics3D& g3d)
{
    m_keyboard = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_KEYBOARD);
    m_mouse = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_MOUSE);
    core::Vector<core::Ref<render::Object3D>> roots;
    loadRoots(m_path, roots);
    const int width = g3d.getDisplayWidth(), height = g3d.getDisplayHeight();
    try {
        m_scene = VORNA3D_NEW PlayScene(roots, width > 0 && height > 0 ? float(width) / float(height) : 1.f);
    } catch (const ToolError& e) {
        throw ToolError{m_path + ": " + e.message};
    }
    // The start pose: bounds and framing see the scene as it is at world time 0.
    m_scene->animate(0);
    m_scene->frameAll();
    if (m_options.fit)
        m_scene->useFreeCamera(true);
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: %s loaded (%d x %d), %s camera%s\n", m_path.c_str(),
                        width, height, m_scene->usesFreeCamera() ? "free" : "the file's",
                        m_scene->hasHeadlight() ? ", headlight" : "");
}

void PlayApp::resetDevice(render::Graphics3D& g3d)
{
    const int width = g3d.getDisplayWidth(), height = g3d.getDisplayHeight();
    if (m_scene && width > 0 && height > 0)
        m_scene->setAspect(float(width) / float(height));
}

bool PlayApp::pressed(int code)
{
    HAL::InputState* keys = HAL::InputState::current();
    const bool down = keys && keys->readKey(code);
    const bool press = down && !m_keysDown[code];
    m_keysDown[code] = down;
    return press;
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
    readKeys();
    readMouse();
    // The clock starts with the first frame: loading takes no animation time.
    if (m_frames > 0)
        m_clock.advance(seconds);
    return true;
}

void PlayApp::readKeys()
{
    if (pressed(KEY_SPACE)) {
        m_clock.togglePause();
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: %s at %d ms\n",
                            m_clock.isPaused() ? "paused" : "running", m_clock.getWorldTime());
    }
    if (pressed(HAL::Input::KEY_LEFT))
        m_clock.step(-1);
    if (pressed(HAL::Input::KEY_RIGHT))
        m_clock.step(1);
    if (pressed(KEY_HOME))
        m_clock.restart();
    const bool plus = pressed(KEY_PLUS), numpadPlus = pressed(KEY_NUMPAD_PLUS);
    const bool minus = pressed(KEY_MINUS), numpadMinus = pressed(KEY_NUMPAD_MINUS);
    if (plus || numpadPlus)
        m_clock.faster();
    if (minus || numpadMinus)
        m_clock.slower();
    if (plus || numpadPlus || minus || numpadMinus)
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: speed %gx\n", m_clock.getSpeed());

    if (pressed(KEY_C)) {
        if (!m_scene->getFileCamera())
            core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: the file has no camera\n");
        else
            core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: %s camera\n",
                                m_scene->useFreeCamera(!m_scene->usesFreeCamera()) ? "free" : "the file's");
    }
    if (pressed(KEY_F)) {
        takeFreeCamera();
        m_scene->frameAll();
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: scene framed\n");
    }
    if (pressed(KEY_R)) {
        takeFreeCamera();
        m_scene->getOrbit().reset();
        m_scene->updateFreeCamera();
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: start view\n");
    }
    if (pressed(KEY_L)) {
        if (!m_scene->hasHeadlight()) {
            core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: the scene has its own lights\n");
        } else {
            m_scene->setHeadlightOn(!m_scene->isHeadlightOn());
            core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: headlight %s\n",
                                m_scene->isHeadlightOn() ? "on" : "off");
        }
    }
    if (pressed(KEY_F1))
        m_toggleStatistics = !m_toggleStatistics;
    if (pressed(KEY_F12))
        m_grabs.push_back(PlayOptions::Shot{m_clock.getWorldTime(), nextScreenshotPath()});
}

void PlayApp::takeFreeCamera()
{
    if (!m_scene->usesFreeCamera()) {
        m_scene->takeOverView();
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: free camera\n");
    }
}

void PlayApp::readMouse()
{
    const float x = m_mouse->readInput(HAL::Input::AXIS_X);
    const float y = m_mouse->readInput(HAL::Input::AXIS_Y);
    const bool buttons[3] = {m_mouse->readInput(HAL::Input::AXIS_BUTTON_1) != 0.f,
                             m_mouse->readInput(HAL::Input::AXIS_BUTTON_2) != 0.f,
                             m_mouse->readInput(HAL::Input::AXIS_BUTTON_3) != 0.f};
    const float dx = x - m_mouseX, dy = y - m_mouseY;
    m_mouseX = x;
    m_mouseY = y;

    OrbitCamera& orbit = m_scene->getOrbit();
    if (buttons[0] && !m_buttons[0])
        m_leftTravel = 0.f;
    const bool moved = dx != 0.f || dy != 0.f;
    if (buttons[0] && m_buttons[0] && moved) {
        m_leftTravel += std::fabs(dx) + std::fabs(dy);
        if (m_leftTravel >= CLICK_TRAVEL) {
            takeFreeCamera();
            orbit.orbit(dx, dy);
            m_scene->updateFreeCamera();
        }
    } else if ((buttons[1] && m_buttons[1]) || (buttons[2] && m_buttons[2])) {
        if (moved) {
            takeFreeCamera();
            orbit.pan(dx, dy, m_scene->getAspect());
            m_scene->updateFreeCamera();
        }
    }
    if (!buttons[0] && m_buttons[0] && m_leftTravel < CLICK_TRAVEL)
        pickAt(x, y);
    for (int i = 0; i < 3; ++i)
        m_buttons[i] = buttons[i];

    // The wheel adds up in the input state until it is taken.
    HAL::InputState* state = HAL::InputState::current();
    const float wheel = state ? state->takeAxis(HAL::Input::INPUT_DEVICE_MOUSE, HAL::Input::AXIS_Z) : 0.f;
    if (wheel != 0.f) {
        takeFreeCamera();
        orbit.zoom(wheel / WHEEL_PER_NOTCH);
        m_scene->updateFreeCamera();
    }
}

void PlayApp::pickAt(float x, float y)
{
    try {
        const PlayScene::Pick pick = m_scene->pick(x, y);
        std::printf("pick: %s\n", describePick(pick).c_str());
    } catch (const ToolError& e) {
        std::printf("pick: %s\n", e.message.c_str());
    }
    std::fflush(stdout);
}

std::string PlayApp::nextScreenshotPath() const
{
    namespace fs = std::filesystem;
    const fs::path scene(m_path);
    const fs::path folder = scene.parent_path();
    const std::string stem = scene.stem().string();
    for (int n = 1;; ++n) {
        fs::path candidate = folder / (stem + "-" + std::to_string(n) + ".png");
        bool taken = false;
        for (const PlayOptions::Shot& grab : m_grabs)
            taken = taken || grab.path == candidate.string();
        std::error_code error;
        if (!taken && !fs::exists(candidate, error))
            return candidate.string();
    }
}

void PlayApp::render(render::Graphics3D& g3d)
{
    if (m_toggleStatistics) {
        m_toggleStatistics = false;
        g3d.setStatisticsShown(!g3d.isStatisticsShown());
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "play: statistics overlay %s\n",
                            g3d.isStatisticsShown() ? "on" : "off");
    }
    const int worldTime = m_clock.getWorldTime();
    m_scene->animate(worldTime);
    g3d.bindTarget(nullptr);
    m_scene->render(g3d);
    // After the world: its clear empties the text buffers.
    m_overlayLine.format("TIME %d.%03d S  SPEED %gX%s", worldTime / 1000, worldTime % 1000, m_clock.getSpeed(),
                         m_clock.isPaused() ? "  PAUSED" : "");
    g3d.drawText(m_overlayLine);
    ++m_frames;
    writeDueShots(g3d, worldTime);
}

void PlayApp::writeDueShots(render::Graphics3D& g3d, int worldTime)
{
    // The shots due by now are written from this frame as presented.
    const size_t firstShot = m_nextShot;
    while (m_nextShot < m_options.shots.size() && worldTime >= m_options.shots[m_nextShot].worldTime)
        ++m_nextShot;
    if (firstShot == m_nextShot && m_grabs.empty()) {
        g3d.releaseTarget();
        return;
    }
    // For this frame only: a reader makes the renderer read frames back.
    std::vector<PlayOptions::Shot> due(m_options.shots.begin() + firstShot, m_options.shots.begin() + m_nextShot);
    due.insert(due.end(), m_grabs.begin(), m_grabs.end());
    m_grabs.clear();
    ShotWriter writer(due.data(), due.data() + due.size(), worldTime);
    g3d.releaseTarget(writer);
    if (!writer.delivered())
        for (const PlayOptions::Shot& shot : due)
            core::Debug::printf(core::DEBUG_LEVEL_ERROR, "play: can not write %s (no frame on the screen)\n",
                                shot.path.c_str());
}

} // namespace vorna3d_tool
