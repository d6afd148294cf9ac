// vorna3d info [--all] FILE | [ARCHIVE] FONT.txt: what an image, scene or
// font file holds.
//   An image: one line "Image2D FORMAT WIDTHxHEIGHT".
//   A scene: each root on a line, and under a Group or World its children
//   in order, two blanks deeper per level. A line is the class name, then
//   id=N and name="..." where set; a Mesh adds vertices=N submeshes=M (a
//   SkinnedMesh bones=N, a MorphingMesh targets=N), an Image2D its format
//   and size, an AnimationTrack property=NAME, a KeyframeSequence
//   keyframes=N components=N duration=MS.
//   --all (scene files): every object of the file in file order, one line
//   each: its index, class (id, name, the URI of an external reference
//   where set) and refs= the indices its record refers to.
//   A font description (a name ending in .txt), in its folder or in the
//   archive given first: its cell size, glyph count, line height, image
//   and character table (see FontInfo.h).

#include <string>

#include "Command.h"
#include "FontInfo.h"
#include "ImageFile.h"
#include "Output.h"
#include "RendererScope.h"
#include "SceneFile.h"
#include "render/animation/AnimationTrack.h"
#include "render/scene/Group.h"
#include "render/appearance/Image2D.h"
#include "render/animation/KeyframeSequence.h"
#include "render/loaders/m3g/M3G_ObjectTypes.h"
#include "render/scene/Mesh.h"
#include "render/scene/MorphingMesh.h"
#include "render/scene/SkinnedMesh.h"
#include "render/geometry/VertexBuffer.h"

namespace vorna3d_tool {

namespace {

// The class name and the details an info line shows for `object`.
std::string describe(render::Object3D* object)
{
    std::string line = render::getM3GClassName(object);
    if (object->getUserID() != 0)
        line += " id=" + std::to_string(object->getUserID());
    const core::String name = object->getName();
    if (name.length() > 0)
        line += std::string(" name=\"") + name.getASCII() + "\"";
    if (render::Mesh* mesh = dynamic_cast<render::Mesh*>(object)) {
        line += " vertices=" + std::to_string(mesh->getVertexBuffer()->getVertexCount()) +
            " submeshes=" + std::to_string(mesh->getSubmeshCount());
    }
    if (render::SkinnedMesh* skinned = dynamic_cast<render::SkinnedMesh*>(object))
        line += " bones=" + std::to_string(skinned->getBoneCount());
    if (render::MorphingMesh* morphing = dynamic_cast<render::MorphingMesh*>(object))
        line += " targets=" + std::to_string(morphing->getMorphTargetCount());
    if (render::AnimationTrack* track = dynamic_cast<render::AnimationTrack*>(object))
        line += std::string(" property=") + render::AnimationTrack::getTargetPropertyName(track->getTargetProperty());
    if (render::KeyframeSequence* sequence = dynamic_cast<render::KeyframeSequence*>(object)) {
        line += " keyframes=" + std::to_string(sequence->getKeyframeCount()) +
            " components=" + std::to_string(sequence->getComponentCount());
        if (sequence->isDurationSet())
            line += " duration=" + std::to_string(sequence->getDuration());
    }
    if (render::Image2D* image = dynamic_cast<render::Image2D*>(object)) {
        line += std::string(" ") + render::Image2D::getFormatName(image->getFormat()) + " " +
            std::to_string(image->getWidth()) + "x" + std::to_string(image->getHeight());
    }
    return line;
}

// The tree lines of `object` and its children, `depth` levels deep.
void printTree(render::Object3D* object, int depth, std::string& out)
{
    out += std::string(2 * static_cast<size_t>(depth), ' ') + describe(object) + "\n";
    if (render::Group* group = dynamic_cast<render::Group*>(object))
        for (int i = 0; i < group->getChildCount(); ++i)
            printTree(group->getChild(i), depth + 1, out);
}

void printAll(const std::string& path, std::string& out)
{
    core::Ref<render::M3G_Loader> loader = VORNA3D_NEW render::M3G_Loader();
    core::Vector<core::Ref<render::Object3D>> roots;
    loadScene(path, *loader, roots);
    const render::M3G_ObjectTable* table = loader->getObjectTable();
    core::Vector<uint32_t> refs;
    for (int i = 1; i < table->size(); ++i) {
        std::string line = std::to_string(i) + " ";
        render::Object3D* object = table->get(i);
        line += object ? describe(object) : std::string("Header");
        const core::String uri = loader->getExternalReference(i);
        if (uri.length() > 0)
            line += std::string(" external=\"") + uri.getASCII() + "\"";
        table->getReferenceIndices(i, refs);
        for (int r = 0; r < refs.size(); ++r)
            line += (r == 0 ? " refs=" : ",") + std::to_string(refs[r]);
        out += line + "\n";
    }
}

// Whether the arguments name a font: FONT.txt, or ARCHIVE FONT.txt.
bool fontArguments(const Args& args)
{
    return isFontFile(args.back()) && (args.size() == 1 || args[0] != "--all");
}

// The file argument and whether --all was given; anything else is a usage error.
std::string fileArgument(const Args& args, bool& all)
{
    all = args.size() == 2;
    if (all && args[0] != "--all")
        throw ToolError{"usage: vorna3d info [--all] FILE | vorna3d info [ARCHIVE] FONT.txt"};
    return args.back();
}

} // namespace

int64_t infoPoolBytes(const Args& args)
{
    if (fontArguments(args))
        return fontPoolBytes(args.size() == 2 ? args[0] : std::string());
    const std::string& path = args.back();
    return isSceneFile(path) ? scenePoolBytes(path) : imagePoolBytes(Args{path});
}

int runInfo(const Args& args)
{
    if (fontArguments(args)) {
        RendererScope renderer;
        const std::string out = describeFont(args.size() == 2 ? args[0] : std::string(), args.back());
        writeStdout(out.data(), out.size());
        return 0;
    }
    bool all = false;
    const std::string path = fileArgument(args, all);
    std::string out;
    RendererScope renderer;
    if (all) {
        printAll(path, out);
    } else {
        core::Vector<core::Ref<render::Object3D>> roots;
        loadRoots(path, roots);
        for (const core::Ref<render::Object3D>& root : roots)
            printTree(root.get(), 0, out);
    }
    writeStdout(out.data(), out.size());
    return 0;
}

} // namespace vorna3d_tool
