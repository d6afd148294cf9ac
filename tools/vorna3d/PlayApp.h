#pragma once
// The application of `vorna3d play`: shows a scene file's world through its
// active camera in the window and animates it in real time (the world time
// is the milliseconds since the first frame). Escape or Q ends it. On
// request it writes the frames due at given world times to PNG files.

#include <string>
#include <vector>

#include "core/Ref.h"
#include "core/Vector.h"
#include "framework/App.h"
#include "render/Object3D.h"

namespace HAL {
class Input;
}

namespace render {
class Camera;
class World;
} // namespace render

namespace vorna3d_tool {

struct PlayOptions {
    // A frame to write: the first frame at or after `worldTime` ms.
    struct Shot {
        int worldTime = 0;
        std::string path;
    };
    std::vector<Shot> shots;
};

class PlayApp : public framework::App {
public:
    PlayApp(const std::string& path, const PlayOptions& options);
    ~PlayApp() noexcept(false) override;

    // Loads the file; throws ToolError when it holds no World or the world
    // has no camera to look through.
    void createDevice(render::Graphics3D& g3d) override;
    bool update(float seconds) override;
    void render(render::Graphics3D& g3d) override;
    void resetDevice(render::Graphics3D& g3d) override;

private:
    // Makes a perspective camera fit the window's aspect ratio.
    void fitCamera(int width, int height);

    std::string m_path;
    PlayOptions m_options;
    size_t m_nextShot = 0;
    core::Ref<HAL::Input> m_keyboard;
    core::Vector<core::Ref<render::Object3D>> m_roots;
    render::World* m_world = nullptr;
    double m_seconds = 0.0;
    int m_frames = 0;
};

} // namespace vorna3d_tool
