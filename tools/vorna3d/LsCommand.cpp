// vorna3d ls ARCHIVE: one line "SIZE NAME" per entry, in archive order.

#include <cstdio>
#include <string>

#include "ArchiveMount.h"
#include "Command.h"
#include "Output.h"

namespace vorna3d_tool {

int runLs(const Args& args)
{
    core::Ref<core::TARArchive> archive = mountArchive(args[0]);
    // The whole listing is made before anything is printed.
    std::string listing;
    for (int i = 0; i < archive->getEntryCount(); ++i) {
        listing += std::to_string(archive->getEntrySize(i));
        listing += ' ';
        listing += archive->getEntryName(i).getASCII();
        listing += '\n';
    }
    writeStdout(listing.data(), listing.size());
    return 0;
}

} // namespace vorna3d_tool
