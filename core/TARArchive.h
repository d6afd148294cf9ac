#pragma once
// A read-only TAR archive (POSIX ustar, plain or gzip-compressed) read
// completely at construction: one memory stream per file entry, looked up by
// name. Over a memory stream the entries share its bytes; over any other
// stream they are copied. Opening an entry gives an independent reader over
// the same bytes, without copying.

#include "core/Archive.h"
#include "core/HashTable.h"
#include "core/MemoryStream.h"
#include "core/Vector.h"

namespace core {

class TARArchive : public Archive {
public:
    // Reads the whole archive from `stream` (asserts "NULL pointer"): a
    // stream starting with the gzip signature whose first block is not a
    // TAR header is decompressed. Regular files, empty ones included, become
    // entries; directories, links and other special entries are skipped;
    // GNU long names and pax "path" records name the entry that follows.
    // The archive ends with two zero blocks; what follows them is ignored.
    // An empty stream is an empty archive. Throws IOException for a short,
    // truncated or corrupt archive (no end marker, bad header checksum,
    // malformed size, an entry running past the end, corrupt or truncated
    // gzip data) and for two entries of one name.
    explicit TARArchive(Ref<Stream> stream);
    ~TARArchive() noexcept(false) override;

    // A new reader over the whole entry. Requires openFlags 0 (read only)
    // and an existing entry; IOException otherwise.
    void openFile(Ref<Stream>& out, const String& fileName, int openFlags) override;
    // Whether an entry of that name exists; false for any flags but 0.
    bool exists(const String& fileName, int openFlags) override;
    // The name of the stream the archive was read from.
    String getName() override { return m_name; }

    // The entries in archive order: count, names and sizes in bytes.
    int getEntryCount() const { return m_order.size(); }
    // Requires 0 <= index < getEntryCount().
    String getEntryName(int index);
    int getEntrySize(int index);

private:
    // The stream to read the archive from: `stream` itself, a gzip layer
    // over it, or null when there is nothing to read.
    Ref<Stream> selectStream(Ref<Stream> stream);
    void readEntries(Ref<Stream> archive);
    // Consumes `count` bytes of `archive`; a short stream is a truncated archive.
    void skip(Stream& archive, int count);
    // Reads the data of a GNU long-name or pax header (size bytes) and
    // returns the name it gives, or an empty string when it gives none.
    String readMetaName(Ref<Stream> archive, int size, char type);
    [[noreturn]] void fail(const char* message);

    HashTable<String, Ref<MemoryStream>> m_streams;
    Vector<Ref<MemoryStream>> m_order;
    String m_name;
};

} // namespace core
