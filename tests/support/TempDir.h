#pragma once
// A fresh, empty directory under the system's temporary directory, removed
// with its contents when the object goes. Portable: std::filesystem only.

#include <string>

namespace testing_support {

class TempDir {
public:
    // Creates the directory, named `prefix` and a random suffix. Throws
    // std::runtime_error when no new directory can be made.
    explicit TempDir(const std::string& prefix = "vorna3d-test");
    // Removes the directory and everything in it (errors are ignored).
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory, without a trailing separator.
    const std::string& path() const { return m_path; }
    // `name` below the directory, joined with "/" (which Windows accepts too).
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

} // namespace testing_support
