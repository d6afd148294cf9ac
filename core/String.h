#pragma once
// core::String: the engine's text. Characters are 16-bit code units held in a
// shared, reference-counted StringPoolElement: copying a String copies one
// reference. Appending (+=) copies on write, so other holders keep the old
// text; setCharAt, setData and format change the shared storage in place,
// and every String sharing it sees the change. The 8-bit form (getASCII) and
// the hash are computed on demand, at most once per change.
//
// Strings live in the memory pool: they need a running engine.

#include <cstdint>

#include "core/HashCode.h"
#include "core/Object.h"
#include "core/Ref.h"

namespace core {

class StringPoolElement;

class String : public Object {
public:
    // The empty string.
    String();
    // Holds `text`, each byte zero-extended to one code unit. Requires a
    // text; asserts "NULL string in String constructor".
    String(const char* text);
    // Shares `other`'s storage.
    String(const String& other);
    ~String() noexcept(false) override;
    // Shares `other`'s storage (nothing happens when it is already shared).
    String& operator=(const String& other);
    // Holds a new copy of `text` in storage of its own. Requires a text.
    String& operator=(const char* text);

    // Number of characters.
    int length() const;
    // The character at `index`. Requires 0 <= index < length().
    unsigned short charAt(int index) const;
    // Replaces one character in the shared storage (all sharers see it).
    // Throws StringIndexOutOfBoundsException unless 0 <= index < length().
    void setCharAt(int index, unsigned short ch);

    // Appends `other` (copy on write). Appending a string to itself or to a
    // String sharing its storage is refused: asserts " 0 ".
    String& operator+=(const String& other);
    // Appends the bytes of `text` as code units (copy on write). Requires a text.
    String& operator+=(const char* text);
    // A new string holding `a` followed by `b` (`a` and `b` may be the same).
    friend String operator+(const String& a, const String& b);

    // Compares the 8-bit form with `str` byte by byte as unsigned values:
    // -1, 0 or 1. Requires str != 0.
    int compareTo(const char* str) const;
    // compareTo(str) == 0. Requires str != 0.
    bool equals(const char* str) const;
    // Whether both hold the same code units.
    bool equals(const String& other) const;
    friend bool operator==(const String& a, const String& b) { return a.equals(b); }
    friend bool operator==(const String& a, const char* b) { return a.equals(b); }

    // Whether this string begins with `prefix` (always true for an empty prefix).
    bool startsWith(const String& prefix) const;
    // Whether `lengthToCompare` characters from `thisOffset` equal those of
    // `otherString` from `otherOffset`; false when either region runs past
    // its string's end. Requires lengthToCompare > 0 and both offsets inside
    // their strings.
    bool regionMatches(int thisOffset, const String& otherString, int otherOffset, int lengthToCompare) const;

    // First index >= startIndex holding `ch`, or -1. An empty string gives
    // -1; otherwise requires 0 <= startIndex < length().
    int indexOf(unsigned short ch, int startIndex = 0) const;
    // Last index <= fromIndex holding `ch`, or -1. Requires
    // 0 <= fromIndex < length().
    int lastIndexOf(unsigned short ch, int fromIndex) const;
    // Last index holding `ch`, or -1 (also for the empty string).
    int lastIndexOf(unsigned short ch) const;

    // Characters startIndex to endIndex, both included. Requires
    // startIndex < endIndex, both inside the string (so at least two characters).
    String substring(int startIndex, int endIndex) const;
    // substring(startIndex, length() - 1).
    String substring(int startIndex) const;

    // Sets the text (in the shared storage) to the printf-style result.
    // Results longer than MAX_FORMAT_LENGTH characters are cut there and a
    // warning is logged. Requires formatter != 0.
    void format(const char* formatter, ...) __attribute__((format(printf, 2, 3)));
    static constexpr int MAX_FORMAT_LENGTH = 2047;

    // Copies the 8-bit form with its terminator into `strBuffer`. Throws
    // StringIndexOutOfBoundsException when bufSize < length() + 1.
    // Requires bufSize > 0 and a buffer.
    void toASCII(char* strBuffer, int bufSize) const;
    // The 8-bit form, zero-terminated; valid until the text changes.
    const char* getASCII() const;
    // Sum of the 8-bit form's bytes as signed 8-bit values.
    int32_t getHash() const;

    // Bytes of the 16-bit form: 2 * length() + 4 (mark and terminator).
    int getAllocatedSize() const;
    // Copies the 16-bit form (mark, characters, terminator) to `data`.
    // Throws StringIndexOutOfBoundsException when bufSize < getAllocatedSize().
    // Requires data and bufSize > 0.
    void getData(void* data, int bufSize) const;
    // Stores the zero-terminated 16-bit text `data` (terminator included).
    // Requires data != 0.
    void setData(const unsigned short* data);
    // Stores `lenInBytes` bytes of 16-bit data (in the shared storage): data
    // starting with the mark bytes FF FE is taken as it is, other data gets
    // the mark in front; a terminator is appended when the last unit is not
    // zero. Throws UnsupportedCharacterSetException for an odd length or one
    // below 2; asserts "No implementation" for byte-swapped (FE FF) data.
    // Requires data != 0 and lenInBytes > 0.
    void setData(const void* data, int lenInBytes);

private:
    explicit String(StringPoolElement* element);

    Ref<StringPoolElement> m_element;
};

// Hash table keys: the cached hash taken as unsigned; equal code units.
template <> struct HashCode<String> {
    static uint32_t hashCode(const String& key) { return static_cast<uint32_t>(key.getHash()); }
    static uint32_t maxHash() { return 0xFFFFFFFFu; }
    static bool equals(const String& a, const String& b) { return a.equals(b); }
};

} // namespace core
