// PNG decoding through the engine's loader against libpng's simplified API
// on the same bytes: a 1024 x 1024 RGBA image written with libpng at start
// (smooth gradients with some noise, default compression and filters).
// The engine side runs render::load on a memory stream and gets a new
// Image2D from the pool each time; the libpng side decodes into a buffer
// allocated once. Both results are checked to be the same bytes. After the
// runs the program prints the ratio of the two times.

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/MemoryStream.h"
#include "framework/FrameworkConfig.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"

namespace {

constexpr int SIDE = 1024;

struct TestImage {
    std::vector<unsigned char> pixels; // RGBA, row after row
    std::vector<unsigned char> png;
};

void appendToVector(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// The test image and its PNG encoding; exits when libpng cannot write it.
TestImage makeImage()
{
    TestImage image;
    image.pixels.resize(size_t(SIDE) * SIDE * 4);
    std::mt19937 rng(1024u);
    std::uniform_int_distribution<int> noise(-6, 6);
    for (int y = 0; y < SIDE; ++y) {
        for (int x = 0; x < SIDE; ++x) {
            unsigned char* p = &image.pixels[(size_t(y) * SIDE + x) * 4];
            const int r = (x * 255) / (SIDE - 1) + noise(rng);
            const int g = (y * 255) / (SIDE - 1) + noise(rng);
            const int b = ((x ^ y) & 0xFF) / 2 + 64 + noise(rng);
            const int a = 255 - ((x + y) * 255) / (2 * SIDE);
            p[0] = static_cast<unsigned char>(std::min(255, std::max(0, r)));
            p[1] = static_cast<unsigned char>(std::min(255, std::max(0, g)));
            p[2] = static_cast<unsigned char>(std::min(255, std::max(0, b)));
            p[3] = static_cast<unsigned char>(a);
        }
    }

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        std::fprintf(stderr, "PngBench: libpng could not write the test image\n");
        std::exit(1);
    }
    png_set_write_fn(png, &image.png, appendToVector, nullptr);
    png_set_IHDR(png, info, SIDE, SIDE, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < SIDE; ++y)
        png_write_row(png, &image.pixels[size_t(y) * SIDE * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return image;
}

const TestImage& testImage()
{
    static const TestImage image = makeImage();
    return image;
}

core::Ref<render::Image2D> engineDecode(const std::vector<unsigned char>& bytes)
{
    core::Ref<core::MemoryStream> stream = VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(bytes.data()),
                                                                          static_cast<int>(bytes.size()), true);
    core::Vector<core::Ref<render::Object3D>> objects;
    render::load(stream.get(), objects);
    return core::Ref<render::Image2D>(dynamic_cast<render::Image2D*>(objects[0].get()));
}

// Decodes with the simplified API into `out` (SIDE x SIDE RGBA); false on failure.
bool simplifiedDecode(const std::vector<unsigned char>& bytes, std::vector<unsigned char>& out)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    out.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.data(), 0, nullptr) != 0;
}

void BM_EngineLoad(benchmark::State& state)
{
    const TestImage& image = testImage();
    for (auto _ : state) {
        core::Ref<render::Image2D> decoded = engineDecode(image.png);
        benchmark::DoNotOptimize(decoded->getPixels());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.pixels.size()));
}

void BM_LibpngSimplified(benchmark::State& state)
{
    const TestImage& image = testImage();
    std::vector<unsigned char> out(image.pixels.size());
    for (auto _ : state) {
        if (!simplifiedDecode(image.png, out))
            state.SkipWithError("png_image_finish_read failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.pixels.size()));
}

BENCHMARK(BM_EngineLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngSimplified)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // A log line per load would be timed too.
    const framework::EngineScope engineServices = bench::startEngine(32 * 1024 * 1024, 0);

    // Both decoders must agree with the pixels written, or the times mean nothing.
    const TestImage& image = testImage();
    std::vector<unsigned char> simplified;
    bool same = simplifiedDecode(image.png, simplified) && simplified == image.pixels;
    {
        core::Ref<render::Image2D> decoded = engineDecode(image.png);
        same = same && decoded->getFormat() == render::Image2D::RGBA &&
            std::memcmp(decoded->getPixels(), image.pixels.data(), image.pixels.size()) == 0;
    }
    if (!same) {
        std::fprintf(stderr, "PngBench: the decoders disagree with the written pixels\n");
        return 1;
    }

    bench::FigureReporter reporter;
    bench::runBenchmarks(argc, argv, reporter);
    const bench::Figures* engine = reporter.find("BM_EngineLoad");
    const bench::Figures* libpng = reporter.find("BM_LibpngSimplified");
    if (engine && libpng) {
        std::printf("\n%d x %d RGBA, %zu PNG bytes:\n", SIDE, SIDE, image.png.size());
        bench::printFigure("render::load", engine->real, "ms", 2, 18);
        bench::printFigure("libpng simplified", libpng->real, "ms", 2, 18);
        bench::printRatio("engine", engine->real, "libpng", libpng->real);
    }
    return 0;
}
