#pragma once
// The shared storage behind core::String: the 16-bit text in CharCoding's
// layout, plus a lazily built 8-bit copy and its hash. Every change of the
// text invalidates the copy; it is rebuilt on the next 8-bit access.

#include <cstdint>

#include "core/Object.h"
#include "core/Vector.h"

namespace core {

class StringPoolElement : public Object {
public:
    // Holds `text`, each byte zero-extended to one code unit. Requires a text;
    // asserts "NULL string in String constructor".
    explicit StringPoolElement(const char* text);
    // Holds `length` bytes of `text` (zero bytes included). Requires length >= 0.
    StringPoolElement(const char* text, int length);
    // Holds a copy of `count` characters of `other` starting at `start`.
    // Requires the range to lie inside `other`.
    StringPoolElement(const StringPoolElement& other, int start, int count);

    // Number of characters (the terminator and mark not counted).
    int length() const;
    // Bytes of the 16-bit form: mark, characters and terminator.
    int getAllocatedSize() const { return m_data.size() * 2; }
    // The characters, followed by the terminator.
    const unsigned short* chars() const { return m_data.data() + 1; }
    // Replaces one character. Requires 0 <= index < length() (unchecked here).
    void setCharAt(int index, unsigned short ch);

    // Appends `length` bytes of `text` as code units.
    void append(const char* text, int length);
    // Appends the characters of `other`, which must be a different element.
    void append(const StringPoolElement& other);
    // Replaces the text with `length` bytes of `text`.
    void setText(const char* text, int length);

    // Replaces the text with 16-bit data: marked (starting with bytes FF FE)
    // data is taken as it is, unmarked data gets the mark in front; data
    // whose last unit is not zero gets a terminator appended. Throws
    // UnsupportedCharacterSetException for an odd or < 2 byte length; asserts
    // "No implementation" for byte-swapped (FE FF) data.
    void setData(const void* data, int lenInBytes);
    // Copies the 16-bit form (getAllocatedSize() bytes) to `data`.
    void getData(void* data) const;

    // The 8-bit copy: every character truncated to its low byte, zero-terminated.
    const char* getASCII() const;
    // Sum of the 8-bit copy's bytes taken as signed 8-bit values.
    int32_t getHash() const;

private:
    void refreshCache() const;

    Vector<unsigned short> m_data; // [mark][characters...][0]
    mutable Vector<char> m_ascii; // valid while m_cacheValid
    mutable int32_t m_hash = 0; // valid while m_cacheValid
    mutable bool m_cacheValid = false;
};

} // namespace core
