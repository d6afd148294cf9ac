#pragma once
// The loader front end: turns a file name or an open stream into the root
// objects it holds. The format is recognised from the first bytes (the
// scene-file identifier or the PNG signature) and the stream goes to the
// matching reader. Each load is timed and logged; the debug level is 11
// while it runs (0 stays 0: a silenced log stays silent) and is restored
// however the load ends.

#include "core/Ref.h"
#include "core/Stream.h"
#include "core/String.h"
#include "core/Vector.h"
#include "render/scene/Object3D.h"

namespace render {

// The 12-byte identifier that opens every scene file.
extern const unsigned char M3G_FILE_IDENTIFIER[12];

// Empties `objects`, opens `fileName` through the engine file system and
// loads it as the stream form does. A name the file system cannot read is a parse error
// ("Loader can not load file, because file system does not have access to
// read file: ..."). Throws IOException for every data error.
void load(const core::String& fileName, core::Vector<core::Ref<Object3D>>& objects);

// Empties `objects`, then reads the stream from its position and appends
// the loaded roots. Parse errors ("Too small file!", "Unsupported file
// format\n", the readers' own) throw IOException. Requires a stream
// ("NULL pointer") and a running log (" info ").
void load(core::Stream* stream, core::Vector<core::Ref<Object3D>>& objects);

// Logs "Parse error: \"%s\"\n" with `message` and throws IOException
// carrying it and `streamName`. Shared by the readers.
[[noreturn]] void throwParseError(const core::String& streamName, const char* message);

} // namespace render
