#include "render/loaders/Loader.h"

#include <cstring>

#include "HAL/System.h"
#include "core/Archive.h"
#include "core/Debug.h"
#include "core/Exception.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "render/loaders/m3g/M3G_Loader.h"
#include "render/loaders/png/PNG_Loader.h"

namespace render {

const unsigned char M3G_FILE_IDENTIFIER[12] = {0xAB, 0x4A, 0x53, 0x52, 0x31, 0x38, 0x34, 0xBB, 0x0D, 0x0A, 0x1A, 0x0A};

namespace {

const unsigned char PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The debug level while a load runs: errors, warnings and engine lines,
// unless the log has been silenced (level 0), which a load leaves silent.
// Restores the caller's level (as Debug::setDebugLevel combines it) when the
// load ends, by success or failure.
class LoadingDebugLevel {
public:
    static constexpr uint32_t LOADING_LEVEL = 11;

    LoadingDebugLevel() : m_saved(core::Debug::getDebugLevel())
    {
        core::Debug::setDebugLevel(m_saved != 0 ? LOADING_LEVEL : 0);
    }
    ~LoadingDebugLevel()
    {
        if (core::Globals::exists() && core::Debug::exists())
            core::Debug::setDebugLevel(m_saved);
    }
    LoadingDebugLevel(const LoadingDebugLevel&) = delete;
    LoadingDebugLevel& operator=(const LoadingDebugLevel&) = delete;

private:
    uint32_t m_saved;
};

// Copies the first `count` bytes of the stream to `dst` without consuming
// them; false when the stream holds fewer.
bool peekHead(core::Stream& stream, unsigned char* dst, int count)
{
    if (stream.available() >= count)
        return stream.peek(dst, count) == count;
    // A decompressing stream may promise fewer bytes than it can deliver,
    // so it is asked; streams that hold fewer refuse a short peek.
    try {
        return stream.peek(dst, count) == count;
    } catch (const core::IOException&) {
        return false;
    }
}

uint32_t milliseconds()
{
    return core::Globals::get()->m_system ? core::Globals::get()->m_system->getTime() : 0;
}

// One scene-file reader per load: it holds the file's object table only
// while the load runs.
void loadM3G(core::Stream* stream, core::Vector<core::Ref<Object3D>>& objects)
{
    core::Ref<M3G_Loader> loader = VORNA3D_NEW M3G_Loader();
    loader->load(stream, objects);
}

} // namespace

void throwParseError(const core::String& streamName, const char* message)
{
    core::Debug::printf(core::DEBUG_LEVEL_ERROR, "Parse error: \"%s\"\n", message);
    throw core::IOException(message, streamName);
}

void load(const core::String& fileName, core::Vector<core::Ref<Object3D>>& objects)
{
    objects.clear();
    // A file system not created yet has no archives and reads nothing.
    // Creating it here would leave a block in the pool after the load, also
    // after a failed one.
    core::FileSystem* fileSystem = core::FileSystem::getExisting();
    if (!fileSystem || !fileSystem->exists(fileName, core::Archive::OPEN_READ)) {
        core::String message;
        message.format("Loader can not load file, because file system does not have access to read file: \"%s\". "
                       "Check given file name or use FileSystem::addArchive to add new archives.\n",
                       fileName.getASCII());
        throwParseError(fileName, message.getASCII());
    }
    core::Ref<core::Stream> stream;
    fileSystem->openFile(stream, fileName, core::Archive::OPEN_READ);
    load(stream.get(), objects);
}

void load(core::Stream* stream, core::Vector<core::Ref<Object3D>>& objects)
{
    ASSERT_MSG(stream, "NULL pointer");
    core::DebugInfo* info = core::Debug::exists() ? core::Debug::getDebugInfoPtr() : nullptr;
    ASSERT(info);
    objects.clear();

    const uint32_t start = milliseconds();
    const core::String name = stream->getName();
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "\nLoader loading stream: \"%s\"\n", name.getASCII());
    try {
        LoadingDebugLevel level;
        unsigned char head[sizeof M3G_FILE_IDENTIFIER];
        if (!peekHead(*stream, head, sizeof head))
            throwParseError(name, "Too small file!");
        if (std::memcmp(head, M3G_FILE_IDENTIFIER, sizeof M3G_FILE_IDENTIFIER) == 0)
            loadM3G(stream, objects);
        else if (std::memcmp(head, PNG_SIGNATURE, sizeof PNG_SIGNATURE) == 0)
            PNG_Loader::load(stream, objects);
        else
            throwParseError(name, "Unsupported file format\n");
    } catch (...) {
        objects.clear(); // nothing partial is handed back
        throw;
    }
    const uint32_t elapsed = milliseconds() - start;
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "Stream \"%s\" loaded okay. Load time: %.3f seconds\n",
                        name.getASCII(), elapsed * 0.001);
}

} // namespace render
