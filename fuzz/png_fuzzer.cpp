// libFuzzer target: hands arbitrary bytes to the loader front end on a
// memory stream, the way the demo loads its images. Malformed input must end
// in an IOException (or a MemoryManagerException for an image too large
// for the pool); a load that succeeds must give one image whose pixel
// block matches its size. Anything else (an assertion, a sanitizer report,
// a pool block left allocated) is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/Exception.h"
#include "core/MemoryManager.h"
#include "core/MemoryStream.h"
#include "fuzz/FuzzSupport.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"

namespace {

void load(const uint8_t* data, size_t size)
{
    core::Ref<core::MemoryStream> stream =
        VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(data), static_cast<int>(size), true);
    core::Vector<core::Ref<render::Object3D>> objects;
    render::load(stream.get(), objects);
    if (objects.size() != 1)
        std::abort(); // a PNG gives exactly one object
    const render::Image2D* image = dynamic_cast<render::Image2D*>(objects[0].get());
    if (!image)
        std::abort();
    const int64_t expected = int64_t(image->getWidth()) * image->getHeight() * image->getBpp();
    if (image->getPixelBlockSize() != expected || !image->getPixels())
        std::abort();
    if (image->getFormat() != render::Image2D::RGB && image->getFormat() != render::Image2D::RGBA)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startEngine(64 * 1024 * 1024); // images up to 16 Mpixel RGBA; larger ones are refused by the pool
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 24))
        return 0;
    const fuzz::PoolLeakCheck leaks("png_fuzzer");
    try {
        load(data, size);
    } catch (const core::IOException&) {
        // Malformed input, reported as it should be.
    } catch (const core::MemoryManagerException&) {
        // A well-formed header declaring an image larger than the pool.
    }
    leaks.check();
    return 0;
}
