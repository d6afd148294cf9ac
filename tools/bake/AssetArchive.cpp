#include "AssetArchive.h"

#include <cstdio>
#include <stdexcept>

#include "core/FileStream.h"
#include "core/GZStream.h"
#include "core/TARWriter.h"

namespace bake {

void AssetArchive::add(const std::string& name, std::vector<unsigned char> bytes)
{
    m_files[name] = std::move(bytes);
}

void AssetArchive::add(const std::string& name, const std::string& text)
{
    m_files[name] = std::vector<unsigned char>(text.begin(), text.end());
}

namespace {

void writeEntries(const std::string& path, const std::map<std::string, std::vector<unsigned char>>& files)
{
    core::Ref<core::Stream> file = VORNA3D_NEW core::FileStream(path.c_str(), "wb");
    core::Ref<core::Stream> gzip = VORNA3D_NEW core::GZStream(file);
    core::Ref<core::TARWriter> writer = VORNA3D_NEW core::TARWriter(gzip);
    // std::map iterates in byte order of the names: a fixed entry order.
    for (const auto& [name, bytes] : files)
        writer->addFile(name.c_str(), bytes.data(), static_cast<int>(bytes.size()));
    writer->finish();
    gzip->close(); // the gzip trailer
    file->close();
}

} // namespace

void AssetArchive::write(const std::string& path) const
{
    const std::string partial = path + ".partial";
    try {
        writeEntries(partial, m_files);
    } catch (...) {
        std::remove(partial.c_str());
        throw;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        throw std::runtime_error("cannot create " + path);
    }
}

} // namespace bake
