#pragma once
// The 16-bit layout of a string's storage: the byte-order mark 0xFEFF (bytes
// FF FE in memory), the code units, then a zero terminator. An empty string
// is therefore two units, four bytes.

#include <cstdint>

#include "core/Vector.h"

namespace core {

struct CharCoding {
    static constexpr int HEADER_SIZE_IN_BYTES = 2; // the mark
    static constexpr int CHAR_SIZE_IN_BYTES = 2; // one code unit
    static constexpr unsigned short MARK = 0xFEFF;

    // Writes `length` bytes of `text`, each zero-extended to a code unit,
    // starting at unit `startIndex` (the old terminator's place), followed by
    // a new terminator; with startIndex 0 the mark is written first. Grows
    // `data` as needed. Requires startIndex >= 0 and length >= 0.
    static void code(Vector<unsigned short>& data, const char* text, int length, int startIndex);

    // Writes the 8-bit form of `data` into `out`: every unit after the mark
    // truncated to its low byte, then a zero byte (always, whatever the last
    // unit holds). Throws UnsupportedCharacterSetException when `data` does
    // not start with the mark. Requires at least the mark and a terminator.
    static void decode(const Vector<unsigned short>& data, Vector<char>& out);
};

} // namespace core
