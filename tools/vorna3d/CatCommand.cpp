// vorna3d cat ARCHIVE NAME: the entry's bytes on standard output.

#include <algorithm>

#include "ArchiveMount.h"
#include "Command.h"
#include "Output.h"
#include "core/FileSystem.h"

namespace vorna3d_tool {

int runCat(const Args& args)
{
    core::Ref<core::TARArchive> archive = mountArchive(args[0]);
    core::Ref<core::Stream> entry;
    core::FileSystem::get()->openFile(entry, args[1].c_str(), core::Archive::OPEN_READ);
    char buffer[64 * 1024];
    for (int left = entry->available(); left > 0; left = entry->available()) {
        const int n = entry->read(buffer, std::min(left, static_cast<int>(sizeof buffer)));
        if (n <= 0)
            break;
        writeStdout(buffer, static_cast<size_t>(n));
    }
    return 0;
}

} // namespace vorna3d_tool
