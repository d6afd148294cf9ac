#pragma once
// The application of `vorna3d play`: shows a scene file in the window
// (PlayScene) through the file's camera or the free orbit camera, animated
// by an AnimationClock, with one overlay line of world time and speed. It
// reads the keys and the mouse each update (listed in PLAY_HELP), prints
// picks on standard output, and writes the frames due at given world times,
// and F12's screenshots, to PNG files. Escape or Q ends it.

#include <string>
#include <vector>

#include "AnimationClock.h"
#include "HAL/InputState.h"
#include "core/Ref.h"
#include "core/String.h"
#include "framework/App.h"

namespace HAL {
class Input;
}

namespace vorna3d_tool {

class PlayScene;

struct PlayOptions {
    // A frame to write: the first frame at or after `worldTime` ms.
    struct Shot {
        int worldTime = 0;
        std::string path;
    };
    std::vector<Shot> shots;
    // Start on the free camera framing the scene.
    bool fit = false;
};

class PlayApp : public framework::App {
public:
    PlayApp(const std::string& path, const PlayOptions& options);
    ~PlayApp() noexcept(false) override;

    // Loads the file and builds its scene; throws ToolError when it holds
    // nothing to show.
    void createDevice(render::Graphics3D& g3d) override;
    bool update(float seconds) override;
    void render(render::Graphics3D& g3d) override;
    void resetDevice(render::Graphics3D& g3d) override;

private:
    // Whether key `code` went down since the last update (read from the
    // input state as it is: the keyboard handle folds lower-case letter
    // codes, which F1 to F11 and keypad keys share).
    bool pressed(int code);
    void readKeys();
    void readMouse();
    // Makes the free camera active when it is not, from the view of the
    // file's camera (the mouse, F and R move it).
    void takeFreeCamera();
    void pickAt(float x, float y);
    // The next unused NAME-N.png beside the scene file.
    std::string nextScreenshotPath() const;
    void writeDueShots(render::Graphics3D& g3d, int worldTime);

    std::string m_path;
    PlayOptions m_options;
    size_t m_nextShot = 0;
    core::Ref<HAL::Input> m_keyboard;
    core::Ref<HAL::Input> m_mouse;
    core::Ref<PlayScene> m_scene;
    AnimationClock m_clock;
    int m_frames = 0;
    bool m_keysDown[HAL::InputState::KEY_STATE_TABLE_SIZE] = {}; // as last read

    // The mouse: buttons as last read, the position of the last read and
    // how far the pointer went since the left button went down.
    bool m_buttons[3] = {};
    float m_mouseX = 0.f, m_mouseY = 0.f;
    float m_leftTravel = 0.f;

    bool m_toggleStatistics = false; // at the next render
    std::vector<PlayOptions::Shot> m_grabs; // F12 screenshots due at the next render
    core::String m_overlayLine;
};

} // namespace vorna3d_tool
