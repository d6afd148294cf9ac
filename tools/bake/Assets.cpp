#include "Assets.h"

#include <filesystem>
#include <stdexcept>

#include "AssetArchive.h"
#include "Atlas.h"
#include "Font.h"
#include "MeshPreview.h"
#include "Paint.h"
#include "Pictures.h"
#include "PngWriter.h"
#include "Scenes.h"
#include "core/MemoryStream.h"
#include "render/loaders/m3g/M3G_Writer.h"

namespace bake {

const char* const FONT_DESCRIPTION = "font.txt";
const char* const FONT_IMAGE = "font.png";
const char* const GRAPHICS_2D = "2dgfx.png";
const char* const TITLE_PICTURE = "sulvantobynorvalliproductions.png";
const char* const UNDERWATER = "wtr.png";
const char* const LOGO_REFLECTION = "v3d.png";
const char* const DEMOBALL_SCENE = "demoball.m3g";
const char* const STONEBALL_SCENE = "stoneball.m3g";
const char* const HELIX_SCENE = "heelix.m3g";
const char* const LOGO_SCENE = "v3d.m3g";

namespace {

// A stand-in for the plasma the demo paints onto the balls at run time, for
// the previews only.
Canvas previewPlasma()
{
    Canvas c(128, 128);
    paintEach(c, [](float x, float y) {
        const float v = std::sin(x / 9.f) + std::sin(y / 7.f) + std::sin((x + y) / 11.f);
        return Color{0.5f + 0.5f * std::sin(v * 1.5f), 0.2f, 0.5f + 0.5f * std::cos(v * 1.5f), 1.f};
    });
    return c;
}

class Preview {
public:
    explicit Preview(const std::string& dir) : m_dir(dir)
    {
        if (!dir.empty())
            std::filesystem::create_directories(dir);
    }
    bool enabled() const { return !m_dir.empty(); }
    void write(const std::string& name, const std::vector<unsigned char>& png) const
    {
        if (enabled())
            writeFile((std::filesystem::path(m_dir) / name).string(), png);
    }

private:
    std::string m_dir;
};

// The scene file of `world`: the world and every object it reaches, the
// object section zlib-compressed when asked.
std::vector<unsigned char> sceneFile(render::World& world, bool compress)
{
    core::Ref<core::MemoryStream> stream = VORNA3D_NEW core::MemoryStream();
    core::Vector<core::Ref<render::Object3D>> roots;
    roots.add(core::Ref<render::Object3D>(&world));
    render::M3G_Writer::Options options;
    options.compress = compress;
    options.deltaEncodeVertexArrays = compress; // smooth meshes shrink further
    render::M3G_Writer::save(stream.get(), roots, options);
    const unsigned char* data = stream->getData();
    return std::vector<unsigned char>(data, data + stream->getSize());
}

render::Mesh* meshChild(render::World& world, int index)
{
    return static_cast<render::Mesh*>(world.getChild(index));
}

// The font sheet doubled over the scroller's water colour, with a line of
// text set from its cells below it at their own size, the way the demo
// lays out glyphs (one cell per character).
Canvas previewFont(const Canvas& glyphs, const std::string& table)
{
    const std::string sample = "V3D, 2024 - OK?!";
    const int zoom = 2, cell = 32;
    Canvas sheet(glyphs.width() * zoom, glyphs.height() * zoom + cell + 16);
    sheet.fill(rgb(0x167EB4));
    auto over = [&](int x, int y, const Pixel& p) {
        if (x >= sheet.width() || y >= sheet.height())
            return;
        Pixel& d = sheet.at(x, y);
        d = Pixel{p.r + d.r * (1.f - p.a), p.g + d.g * (1.f - p.a), p.b + d.b * (1.f - p.a), 1.f};
    };
    for (int y = 0; y < glyphs.height() * zoom; ++y)
        for (int x = 0; x < glyphs.width() * zoom; ++x)
            over(x, y, glyphs.at(x / zoom, y / zoom));
    const int columns = glyphs.width() / cell;
    for (size_t i = 0; i < sample.size(); ++i) {
        const size_t k = table.find(sample[i]);
        if (k == std::string::npos)
            continue;
        const int gx = static_cast<int>(k) % columns * cell, gy = static_cast<int>(k) / columns * cell;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x)
                over(static_cast<int>(i) * cell + x, glyphs.height() * zoom + 8 + y, glyphs.at(gx + x, gy + y));
    }
    return sheet;
}

// The fish frames and the bubble enlarged over the scroller's water colour.
Canvas previewSprites(const Canvas& atlas)
{
    const int zoom = 6;
    Canvas sheet(128 * zoom + 140 * 2, 64 * zoom);
    sheet.fill(rgb(0x167EB4));
    for (int y = 0; y < 64 * zoom; ++y)
        for (int x = 0; x < 128 * zoom; ++x) {
            const Pixel& p = atlas.at(x / zoom, y / zoom);
            Pixel& d = sheet.at(x, y);
            d = Pixel{p.r + d.r * (1.f - p.a), p.g + d.g * (1.f - p.a), p.b + d.b * (1.f - p.a), 1.f};
        }
    for (int y = 0; y < 124 * 2; ++y)
        for (int x = 0; x < 126 * 2; ++x) {
            const Pixel& p = atlas.at(BUBBLE_REGION.x + x / 2, BUBBLE_REGION.y + y / 2);
            Pixel& d = sheet.at(128 * zoom + 14 + x, 40 + y);
            d = Pixel{p.r + d.r * (1.f - p.a), p.g + d.g * (1.f - p.a), p.b + d.b * (1.f - p.a), 1.f};
        }
    return sheet;
}

void previewScenes(const Preview& preview, render::World& demoball, render::World& stoneball, render::World& helix,
                   render::World& logo, const Canvas& chrome, const Canvas& reflection)
{
    const Canvas plasma = previewPlasma();
    PreviewView view;
    view.eye = {60.f, 50.f, 140.f};
    preview.write("preview-demoball.png",
                  encodePng(renderPreview({{meshChild(demoball, 0), &plasma}}, view, 512, 384), true));
    preview.write("preview-demoball-child2.png",
                  encodePng(renderPreview({{meshChild(demoball, 2), nullptr}}, view, 512, 384), true));

    PreviewView inside;
    inside.eye = {0.f, 0.f, 60.f};
    inside.target = {0.f, -10.f, -100.f};
    inside.fovY = 60.f;
    preview.write("preview-stoneball-inside.png",
                  encodePng(renderPreview({{meshChild(stoneball, 0), &plasma}}, inside, 512, 384), true));

    PreviewView rung;
    rung.eye = {30.f, 60.f, 150.f};
    preview.write("preview-heelix.png",
                  encodePng(renderPreview({{meshChild(helix, 1), nullptr}}, rung, 512, 384), true));

    PreviewView front;
    front.eye = {-35.f, 30.f, 170.f};
    front.target = {0.f, 5.f, 0.f};
    front.background = rgb(0x000000);
    render::Mesh* letters = meshChild(logo, 1);
    preview.write(
        "preview-v3d.png",
        encodePng(renderPreview({{letters, &chrome}, {letters, &reflection, -1.f, 0.1f}}, front, 640, 400), true));
}

} // namespace

void bakeAssets(const BakeOptions& options)
{
    const Typeface face(options.fontFile);
    const Preview preview(options.previewDir);
    AssetArchive archive;
    auto addPng = [&](const char* name, const Canvas& canvas, bool opaque, int bleed) {
        std::vector<unsigned char> png = encodePng(canvas, opaque, bleed);
        preview.write(name, png);
        archive.add(name, std::move(png));
    };

    const BitmapFont font = makeBitmapFont(face, DEMO_FONT_CHARACTERS, FONT_IMAGE, 32, 256);
    archive.add(FONT_DESCRIPTION, font.description);
    addPng(FONT_IMAGE, font.image, false, 64);
    if (preview.enabled())
        preview.write("preview-font.png", encodePng(previewFont(font.image, DEMO_FONT_CHARACTERS), true));

    const Canvas graphics = paint2DGraphics(face);
    addPng(GRAPHICS_2D, graphics, false, 4);
    if (preview.enabled()) {
        preview.write("preview-sprites.png", encodePng(previewSprites(graphics), true));
        // The twin sprites' emblem as the demo shows it, over the black screen.
        Canvas emblem(TWIN_REGION.width, TWIN_REGION.height);
        emblem.fill(rgb(0x000000));
        Canvas cut(TWIN_REGION.width, TWIN_REGION.height);
        for (int y = 0; y < TWIN_REGION.height; ++y)
            for (int x = 0; x < TWIN_REGION.width; ++x)
                cut.at(x, y) = graphics.at(TWIN_REGION.x + x, TWIN_REGION.y + y);
        emblem.draw(cut, 0, 0);
        preview.write("preview-emblem.png", encodePng(emblem, true));
    }
    addPng(TITLE_PICTURE, paintTitle(face), true, 0);
    addPng(UNDERWATER, paintUnderwater(), true, 0);
    const Canvas chrome = paintLogoChrome();
    const Canvas reflection = paintLogoReflection();
    addPng(LOGO_REFLECTION, reflection, false, 0);

    core::Ref<render::World> demoball = makeDemoBallScene();
    core::Ref<render::World> stoneball = makeStoneBallScene();
    core::Ref<render::World> helix = makeHelixScene();
    core::Ref<render::World> logo = makeLogoScene(chrome);
    // The big meshes go compressed; the letters stay plain, so both kinds of
    // section are exercised.
    archive.add(DEMOBALL_SCENE, sceneFile(*demoball, true));
    archive.add(STONEBALL_SCENE, sceneFile(*stoneball, true));
    archive.add(HELIX_SCENE, sceneFile(*helix, true));
    archive.add(LOGO_SCENE, sceneFile(*logo, false));
    if (preview.enabled()) {
        preview.write("logo-chrome.png", encodePng(chrome, true));
        previewScenes(preview, *demoball, *stoneball, *helix, *logo, chrome, reflection);
    }

    if (!options.archive.empty())
        archive.write(options.archive);
}

} // namespace bake
