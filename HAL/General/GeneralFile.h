#pragma once
#include <cstdio>

#include "HAL/File.h"

namespace HAL {

// A file on the C library's buffered streams, with 64-bit positions.
class GeneralFile : public File {
public:
    GeneralFile(const core::String& path, const core::String& flags);
    // Closes the file when it is still open (never throws for that).
    ~GeneralFile() noexcept(false) override;

    void fopen() override;
    int32_t fread(void* dest_buf, int32_t max_dest_buf_size) override;
    void fwrite(const void* src_buf, int32_t length) override;
    int64_t fsize() override;
    void fsetpos(int64_t position) override;
    int64_t fgetpos() override;
    void* getNativeHandle() override { return m_file; }
    void fclose() override;
    bool isOpen() const override { return m_file != nullptr; }

private:
    FILE* m_file = nullptr;
};

} // namespace HAL
