#pragma once
// Scene files given on the command line: loading them through the engine's
// loader (their folder mounted, so that external references resolve beside
// them) and the pool a command needs for them.

#include <string>

#include "Command.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "render/loaders/m3g/M3G_Loader.h"
#include "render/scene/Object3D.h"

namespace vorna3d_tool {

// Whether the file at `path` starts with the scene-file identifier.
bool isSceneFile(const std::string& path);

// Pool bytes for loading the scene file at `path`: the file, and a few
// times the object data its section headers announce (bounded by what
// their bytes can inflate to).
int64_t scenePoolBytes(const std::string& path);

// Mounts the folder of `path` at the empty path for as long as it lives,
// and gives the file's name inside it.
class MountedFile {
public:
    explicit MountedFile(const std::string& path);
    ~MountedFile();
    MountedFile(const MountedFile&) = delete;
    MountedFile& operator=(const MountedFile&) = delete;

    const std::string& name() const { return m_name; }

private:
    std::string m_name;
};

// Loads the file at `path` through the loader front end (any format it
// reads) into `roots`. Requires a registered renderer for scene files.
void loadRoots(const std::string& path, core::Vector<core::Ref<render::Object3D>>& roots);

// Loads the scene file at `path` with `loader`, which keeps the file's
// object table. Throws ToolError when the file is not a scene file.
void loadScene(const std::string& path, render::M3G_Loader& loader, core::Vector<core::Ref<render::Object3D>>& roots);

} // namespace vorna3d_tool
