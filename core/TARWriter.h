#pragma once
// Writes a POSIX ustar archive onto a stream: regular files only, in the
// order they are added, with fixed metadata (mode 0644, owner and group 0,
// modification time 0), so the same input always gives the same bytes.

#include "core/Object.h"
#include "core/Ref.h"
#include "core/Stream.h"
#include "core/String.h"

namespace core {

class TARWriter : public Object {
public:
    // Writes onto `out` (asserts "NULL pointer").
    explicit TARWriter(Ref<Stream> out);
    ~TARWriter() noexcept(false) override;

    // Adds an entry `name` holding `size` bytes of `data`. The name must be
    // 1..100 bytes, or a prefix of at most 155 bytes, "/" and at most 100
    // bytes; IOException otherwise, and after finish().
    void addFile(const String& name, const void* data, int size);
    // The same with the bytes read from `source`; a source with fewer than
    // `size` bytes throws IOException.
    void addFile(const String& name, Stream& source, int size);
    // Writes the end-of-archive marker (two zero blocks). The output stream
    // is left open.
    void finish();

    // Entries added so far.
    int getEntryCount() const { return m_entries; }

private:
    void writeHeader(const String& name, int size);
    void writePadding(int size);

    Ref<Stream> m_out;
    int m_entries = 0;
    bool m_finished = false;
};

} // namespace core
