#pragma once
// DataIO: little-endian binary reading and writing on top of a Stream, for
// the scene-file reader and writer. Every value read is counted against a
// byte budget (the bytes that may still be read, usually the length of a
// section); every value written adds to the count of bytes written. Any
// failure logs "IO error (<stream name>): "<message>"" and throws
// IOException carrying the message.
//
// Budgets and counts are unsigned 32-bit: a length taken from a file is
// never reinterpreted as a negative number.

#include <cstdint>

#include "core/Object.h"
#include "core/Ref.h"
#include "core/Stream.h"
#include "core/String.h"
#include "core/Vector.h"

namespace core {

class DataIO : public Object {
public:
    // A DataIO over `stream` (asserts "NULL pointer" for null) with a byte
    // count of `byteCount`: the read budget, or 0 for writing.
    explicit DataIO(Ref<Stream> stream, uint32_t byteCount = 0);
    ~DataIO() noexcept(false) override;

    // Reading: each checks the budget first ("Small stream buffer"), then
    // reads exactly the bytes it needs ("failed to read correct amount of
    // bytes from stream" when the stream has fewer) and takes them off the budget.
    uint8_t readByte();
    int16_t readInt16();
    uint16_t readUInt16();
    int32_t readInt32();
    uint32_t readUInt32();
    // An IEEE single; NaN and the infinities fail with "Invalid floating point number".
    float readFloat32();
    // A byte that must be 0 or 1, else "Deserialized boolean data not '1' or '0'.".
    bool readBoolean();
    // Reads bytes up to and including a zero byte and appends the others to
    // `out`. Running out of budget before the zero fails with
    // "Small stream buffer or string does not contain terminating NULL".
    void readString(String& out);
    // Replaces the contents of `out` with the next `count` bytes.
    void readBytes(Vector<unsigned char>& out, uint32_t count);

    // Writing: each writes the encoded bytes and adds them to the count;
    // a stream that takes fewer fails with "failed to write correct amount
    // of bytes to stream", a count that would pass 2^32 - 1 with "Small
    // stream buffer".
    void writeByte(uint8_t value);
    void writeInt16(int16_t value);
    void writeUInt16(uint16_t value);
    void writeInt32(int32_t value);
    void writeUInt32(uint32_t value);
    // Requires a finite value within +-3.4028235e38 (NaN is refused too):
    // else "Invalid floating point number". Both zeros are written as +0.
    void writeFloat32(float value);
    // 1 for true, 0 for false.
    void writeBoolean(bool value);
    // The string's 8-bit characters and a terminating zero.
    void writeString(const String& value);
    // `count` raw bytes from `data` (which may be null only when count is 0).
    void writeBytes(const void* data, uint32_t count);

    // Reading: bytes still allowed. Writing: bytes written so far.
    uint32_t getByteCount() const { return m_byteCount; }
    Stream* getStream() const { return m_stream.get(); }

    // Logs "IO error (%s): \"%s\"\n" with the stream's name and throws
    // IOException with `message`.
    [[noreturn]] void fail(const char* message);

private:
    // Takes `count` bytes off the budget, failing with `message` when fewer are left.
    void spend(uint32_t count, const char* message);
    // Reads exactly `count` bytes into `dst` (budget already taken).
    void readRaw(void* dst, uint32_t count);
    // Writes exactly `count` bytes from `src` and counts them.
    void writeRaw(const void* src, uint32_t count);
    // The next `count` (<= 4) bytes, assembled little-endian.
    uint32_t readLittleEndian(uint32_t count);
    void writeLittleEndian(uint32_t value, uint32_t count);

    Ref<Stream> m_stream;
    uint32_t m_byteCount;
};

} // namespace core
