// vorna3d pack OUT.tar[.gz] FILE...: a deterministic ustar archive of the
// files, in the given order, gzipped when OUT ends in ".gz". The archive is
// written beside OUT under a temporary name and renamed when complete, so a
// failure leaves no partial OUT behind (nor touches an existing one).

#include <cstdio>
#include <string>

#include "Command.h"
#include "core/FileStream.h"
#include "core/GZStream.h"
#include "core/TARWriter.h"

namespace vorna3d_tool {

namespace {

// The entry name of a path given on the command line: relative, as tar
// stores it (leading "/", "./" and "../" removed).
std::string entryName(const std::string& path)
{
    std::string name = path;
    for (bool changed = true; changed;) {
        changed = false;
        if (!name.empty() && name[0] == '/') {
            name.erase(0, 1);
            changed = true;
        } else if (name.rfind("./", 0) == 0) {
            name.erase(0, 2);
            changed = true;
        } else if (name.rfind("../", 0) == 0) {
            name.erase(0, 3);
            changed = true;
        }
    }
    if (name.empty() || name == "." || name == ".." || name.back() == '/')
        throw ToolError{"not a file name: " + path};
    return name;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void writeArchive(const std::string& out, const Args& files, bool compressed)
{
    core::Ref<core::Stream> file = VORNA3D_NEW core::FileStream(out.c_str(), "wb");
    core::Ref<core::Stream> sink = compressed ? core::Ref<core::Stream>(VORNA3D_NEW core::GZStream(file)) : file;
    core::Ref<core::TARWriter> writer = VORNA3D_NEW core::TARWriter(sink);
    for (const std::string& path : files) {
        const std::string name = entryName(path);
        core::Ref<core::Stream> input = VORNA3D_NEW core::FileStream(path.c_str(), "rb");
        writer->addFile(name.c_str(), *input, input->available());
    }
    writer->finish();
    if (compressed)
        sink->close(); // the gzip trailer
    file->close();
}

} // namespace

int64_t smallPoolBytes(const Args&)
{
    return 16 << 20;
}

int runPack(const Args& args)
{
    const std::string out = args[0];
    const Args files(args.begin() + 1, args.end());
    const std::string partial = out + ".vorna3d-partial";
    try {
        writeArchive(partial, files, endsWith(out, ".gz"));
    } catch (...) {
        std::remove(partial.c_str());
        throw;
    }
    if (std::rename(partial.c_str(), out.c_str()) != 0) {
        std::remove(partial.c_str());
        throw ToolError{"cannot create " + out};
    }
    return 0;
}

} // namespace vorna3d_tool
