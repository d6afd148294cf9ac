#include "tests/support/TempDir.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace testing_support {

TempDir::TempDir(const std::string& prefix)
{
    namespace fs = std::filesystem;
    // create_directory fails for a name that exists, so two tests (or two
    // processes) drawing the same suffix cannot share a directory.
    std::random_device device;
    std::mt19937_64 random(device() ^
                           static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[20];
        std::snprintf(suffix, sizeof suffix, "-%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        const fs::path candidate = base / (prefix + suffix);
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            m_path = candidate.string();
            return;
        }
    }
    throw std::runtime_error("TempDir: no new directory could be made under " + base.string());
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace testing_support
