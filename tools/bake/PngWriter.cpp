#include "PngWriter.h"

#include <cstdio>
#include <stdexcept>

#include "Canvas.h"
#include "render/loaders/png/PNGWriter.h"

namespace bake {

namespace {

// zlib's best: the archive is written once and read on every start.
constexpr int BAKE_COMPRESSION = 9;

} // namespace

std::vector<unsigned char> encodePng(const Canvas& canvas, bool opaque, int bleedRounds)
{
    const std::vector<unsigned char> pixels = opaque ? canvas.toRGB8() : canvas.toRGBA8(bleedRounds);
    return render::PNGWriter::encode(canvas.width(), canvas.height(), pixels.data(),
                                     opaque ? render::PNGWriter::RGB : render::PNGWriter::RGBA, false,
                                     BAKE_COMPRESSION);
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot create " + path);
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    const bool closed = std::fclose(file) == 0;
    if (written != bytes.size() || !closed)
        throw std::runtime_error("cannot write " + path);
}

} // namespace bake
