#pragma once
// The baked files, collected by name and written as one gzip-compressed
// ustar archive through the engine's TAR writer and gzip stream. Entries go
// out sorted by name with the writer's fixed metadata, and the gzip header
// carries no time or name, so equal files give equal archive bytes.

#include <map>
#include <string>
#include <vector>

namespace bake {

class AssetArchive {
public:
    // Adds or replaces the file `name`. Requires a name the archive format
    // holds (checked when writing).
    void add(const std::string& name, std::vector<unsigned char> bytes);
    void add(const std::string& name, const std::string& text);

    const std::map<std::string, std::vector<unsigned char>>& files() const { return m_files; }

    // Writes the archive to `path` through the engine's streams (a started
    // engine is required). The bytes go to a temporary file beside it that
    // is renamed when complete, so a failed bake leaves no partial archive.
    // Throws the engine's IOException or std::runtime_error.
    void write(const std::string& path) const;

private:
    std::map<std::string, std::vector<unsigned char>> m_files;
};

} // namespace bake
