// vorna3d convert IN.m3g OUT.m3g [--compress] [--embed-images]: reads a
// scene file and writes its objects to a new one (zlib-compressed with
// --compress). Objects IN refers to in other files stay references to the
// same URIs; --embed-images writes referenced images into OUT instead. OUT
// is written under a temporary name and renamed when complete, so a failure
// leaves no partial OUT behind.

#include <cstdio>
#include <string>

#include "Command.h"
#include "RendererScope.h"
#include "SceneFile.h"
#include "core/FileStream.h"
#include "core/MemoryStream.h"
#include "render/loaders/m3g/M3G_Writer.h"

namespace vorna3d_tool {

int64_t convertPoolBytes(const Args& args)
{
    // The scene, and its file written once more in memory.
    return 2 * scenePoolBytes(args[0]);
}

int runConvert(const Args& args)
{
    const std::string in = args[0];
    const std::string out = args[1];
    render::M3G_Writer::Options options;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--compress" && !options.compress)
            options.compress = true;
        else if (args[i] == "--embed-images" && !options.embedImages)
            options.embedImages = true;
        else
            throw ToolError{"usage: vorna3d convert IN.m3g OUT.m3g [--compress] [--embed-images]"};
    }
    RendererScope renderer;
    core::Ref<render::M3G_Loader> loader = VORNA3D_NEW render::M3G_Loader();
    core::Vector<core::Ref<render::Object3D>> roots;
    loadScene(in, *loader, roots);

    core::Ref<core::MemoryStream> written = VORNA3D_NEW core::MemoryStream();
    written->setName(out.c_str());
    render::M3G_Writer::save(written.get(), roots, options);

    const std::string partial = out + ".vorna3d-partial";
    try {
        core::Ref<core::Stream> file = VORNA3D_NEW core::FileStream(partial.c_str(), "wb");
        if (file->write(written->getData(), written->getSize()) != written->getSize())
            throw ToolError{"cannot write " + out};
        file->close();
    } catch (...) {
        std::remove(partial.c_str());
        throw;
    }
    if (std::rename(partial.c_str(), out.c_str()) != 0) {
        std::remove(partial.c_str());
        throw ToolError{"cannot write " + out};
    }
    return 0;
}

} // namespace vorna3d_tool
