#pragma once
// PNG_Loader: decodes one PNG image from a stream into an Image2D, through
// libpng. Colour images come out as RGB, images with alpha and grey images
// as RGBA (grey replicated to R, G and B, opaque alpha added for plain grey),
// 16-bit samples stripped to 8, low bit depths and palettes expanded,
// interlaced images de-interlaced. Palette transparency (tRNS) is dropped.
// libpng's warnings end the load like its errors.

#include <cstdint>

#include "core/Ref.h"
#include "core/Stream.h"
#include "core/Vector.h"
#include "render/scene/Object3D.h"

namespace render {

class PNG_Loader {
public:
    // The largest width and height accepted; larger images are parse errors.
    static constexpr uint32_t MAX_SIDE = 32768;

    // Reads one PNG from the stream's position and appends one immutable
    // Image2D to `objects` (nothing on failure). Requires a stream ("NULL pointer") whose
    // next bytes are the PNG signature (else an assertion with an empty
    // text). Data errors throw IOException: "Too small file!", "Could not
    // read enought stream data", libpng's messages, "PNG image is too large".
    // The pixel block comes from the memory pool: MemoryManagerException
    // when it does not fit.
    static void load(core::Stream* stream, core::Vector<core::Ref<Object3D>>& objects);
};

} // namespace render
