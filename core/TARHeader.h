#pragma once
// The 512-byte header block of a POSIX (ustar) TAR archive: field layout,
// bounded parsing of its octal numbers and names, and the header checksum.
// Shared by the archive reader and writer.

#include <cstdint>

namespace core {

class String;

struct TARHeader {
    static constexpr int BLOCK_SIZE = 512;

    // Field offsets and lengths within the block.
    static constexpr int NAME = 0, NAME_LENGTH = 100;
    static constexpr int MODE = 100, MODE_LENGTH = 8;
    static constexpr int UID = 108, UID_LENGTH = 8;
    static constexpr int GID = 116, GID_LENGTH = 8;
    static constexpr int SIZE = 124, SIZE_LENGTH = 12;
    static constexpr int MTIME = 136, MTIME_LENGTH = 12;
    static constexpr int CHECKSUM = 148, CHECKSUM_LENGTH = 8;
    static constexpr int TYPEFLAG = 156;
    static constexpr int LINKNAME = 157, LINKNAME_LENGTH = 100;
    static constexpr int MAGIC = 257, MAGIC_LENGTH = 6;
    static constexpr int VERSION = 263, VERSION_LENGTH = 2;
    static constexpr int UNAME = 265, UNAME_LENGTH = 32;
    static constexpr int GNAME = 297, GNAME_LENGTH = 32;
    static constexpr int DEVMAJOR = 329, DEVMAJOR_LENGTH = 8;
    static constexpr int DEVMINOR = 337, DEVMINOR_LENGTH = 8;
    static constexpr int PREFIX = 345, PREFIX_LENGTH = 155;

    // Whether all 512 bytes are zero (the end-of-archive marker).
    static bool isZeroBlock(const unsigned char* block);

    // Reads the octal number of a `length`-byte field: leading blanks, one
    // or more octal digits, then only NUL or blank bytes to the field's end.
    // False for anything else (signs, base-256 numbers, stray characters,
    // no digits) or a value that does not fit 64 bits.
    static bool parseOctal(const unsigned char* field, int length, uint64_t& value);

    // The sum of the block's bytes with the checksum field taken as eight
    // blanks, bytes as unsigned values (POSIX) or as signed values (some old writers).
    static uint32_t unsignedChecksum(const unsigned char* block);
    static int32_t signedChecksum(const unsigned char* block);
    // Whether the stored checksum is a valid octal field equal to either sum.
    static bool checksumMatches(const unsigned char* block);

    // Whether the magic field reads "ustar" followed by a zero (POSIX).
    static bool isPosixUstar(const unsigned char* block);

    // The entry's name: the name field up to its first zero (at most 100
    // bytes), preceded by the prefix field and "/" for POSIX ustar headers
    // with a prefix. Writes at most `capacity` bytes including the terminator.
    static void entryName(const unsigned char* block, char* out, int capacity);

    // Writes `value` as zero-padded octal digits filling `length` - 1 bytes,
    // then a zero. False (nothing written) when it does not fit.
    static bool writeOctal(unsigned char* field, int length, uint64_t value);
    // Computes the checksum and stores it as six octal digits, a zero and a blank.
    static void storeChecksum(unsigned char* block);
};

} // namespace core
