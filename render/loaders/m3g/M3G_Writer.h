#pragma once
// M3G_Writer: writes scene objects to a scene file that M3G_Loader reads
// back into the same objects. Every object the given roots reach through
// their references (Object3D::getReferences, which lists an appearance's
// fog too) is written once, after everything it refers to: the objects
// are numbered in a depth-first, post-order walk, so every reference in
// the file points backwards. An object that was loaded through an external
// reference (Object3D::getExternalReference) is written as that reference
// again, not as a copy, and what it refers to is left to the file it names;
// with embedImages an image is written as an immutable Image2D record
// instead. The file holds the identifier, the header section, a section of
// external references when there are any (they take the indices from 2 on),
// and one section with all the object records, zlib-compressed when asked;
// each section ends in its Adler-32 checksum. A reference's URI is relative
// to the folder of the file that held it: the written file finds it when it
// is written to that folder too.
//
//     M3G_Writer::Options options;
//     options.compress = true;
//     M3G_Writer::save(stream, roots, options);
//
// What a file cannot hold is refused with a parse error naming it: images
// must be immutable (a file's mutable image carries no pixels), textures
// must hold their image, every submesh needs an appearance, and classes
// without a record (animation tracks until keyframe animation, line
// lists) cannot be written. Node alignment is not written (a warning).

#include <cstdint>

#include "core/Ref.h"
#include "core/Stream.h"
#include "core/String.h"
#include "core/Vector.h"
#include "render/scene/Object3D.h"

namespace render {

class M3G_Writer {
public:
    struct Options {
        // zlib-compress the object section.
        bool compress = false;
        // Write vertex arrays delta-coded (each vertex as the difference to
        // the one before), which compresses better for smooth meshes.
        bool deltaEncodeVertexArrays = false;
        // The header's authoring field.
        const char* authoringField = "Vorna3D";
        // Images loaded through an external reference go into the file as
        // Image2D records (with their pixels) instead of as the reference.
        bool embedImages = false;
    };

    // Writes `roots` and everything they reference to `stream` (from its
    // position). Requires a stream ("NULL pointer") and non-null roots
    // (" root "). Throws IOException for an object or value a file cannot
    // hold (nothing is written to the stream then) and when the stream
    // refuses bytes.
    static void save(core::Stream* stream, const core::Vector<core::Ref<Object3D>>& roots, const Options& options);

    // The objects `roots` reach, in the order they are written (every
    // object after the objects it refers to, each once). An object written
    // as an external reference is listed, but not walked into.
    static void collect(const core::Vector<core::Ref<Object3D>>& roots, core::Vector<Object3D*>& order);
    static void collect(const core::Vector<core::Ref<Object3D>>& roots, core::Vector<Object3D*>& order,
                        const Options& options);

    // Whether save writes `object` as an external reference (its URI)
    // rather than as an object record.
    static bool isWrittenAsReference(const Object3D& object, const Options& options);
};

} // namespace render
