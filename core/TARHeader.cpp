#include "core/TARHeader.h"

#include <cstring>

namespace core {

bool TARHeader::isZeroBlock(const unsigned char* block)
{
    for (int i = 0; i < BLOCK_SIZE; ++i)
        if (block[i] != 0)
            return false;
    return true;
}

bool TARHeader::parseOctal(const unsigned char* field, int length, uint64_t& value)
{
    int i = 0;
    while (i < length && field[i] == ' ')
        ++i;
    const int firstDigit = i;
    uint64_t result = 0;
    for (; i < length && field[i] >= '0' && field[i] <= '7'; ++i) {
        if (result > (UINT64_MAX >> 3))
            return false;
        result = (result << 3) | static_cast<uint64_t>(field[i] - '0');
    }
    if (i == firstDigit)
        return false;
    for (; i < length; ++i)
        if (field[i] != 0 && field[i] != ' ')
            return false;
    value = result;
    return true;
}

uint32_t TARHeader::unsignedChecksum(const unsigned char* block)
{
    uint32_t sum = 0;
    for (int i = 0; i < BLOCK_SIZE; ++i)
        sum += (i >= CHECKSUM && i < CHECKSUM + CHECKSUM_LENGTH) ? ' ' : block[i];
    return sum;
}

int32_t TARHeader::signedChecksum(const unsigned char* block)
{
    int32_t sum = 0;
    for (int i = 0; i < BLOCK_SIZE; ++i)
        sum += (i >= CHECKSUM && i < CHECKSUM + CHECKSUM_LENGTH) ? ' ' : static_cast<signed char>(block[i]);
    return sum;
}

bool TARHeader::checksumMatches(const unsigned char* block)
{
    uint64_t stored = 0;
    if (!parseOctal(block + CHECKSUM, CHECKSUM_LENGTH, stored))
        return false;
    return stored == unsignedChecksum(block) || static_cast<int64_t>(stored) == signedChecksum(block);
}

bool TARHeader::isPosixUstar(const unsigned char* block)
{
    return std::memcmp(block + MAGIC, "ustar", MAGIC_LENGTH) == 0; // the sixth byte is the zero
}

namespace {

// Length of a zero-terminated field that may fill its whole length.
int fieldLength(const unsigned char* field, int length)
{
    int n = 0;
    while (n < length && field[n] != 0)
        ++n;
    return n;
}

} // namespace

void TARHeader::entryName(const unsigned char* block, char* out, int capacity)
{
    if (capacity <= 0)
        return;
    int used = 0;
    auto append = [&](const unsigned char* text, int n) {
        const int room = capacity - 1 - used;
        if (n > room)
            n = room;
        if (n > 0) {
            std::memcpy(out + used, text, static_cast<size_t>(n));
            used += n;
        }
    };
    const int prefixLength = isPosixUstar(block) ? fieldLength(block + PREFIX, PREFIX_LENGTH) : 0;
    if (prefixLength > 0) {
        append(block + PREFIX, prefixLength);
        append(reinterpret_cast<const unsigned char*>("/"), 1);
    }
    append(block + NAME, fieldLength(block + NAME, NAME_LENGTH));
    out[used] = 0;
}

bool TARHeader::writeOctal(unsigned char* field, int length, uint64_t value)
{
    const int digits = length - 1;
    if (3 * digits < 64 && (value >> (3 * digits)) != 0)
        return false;
    for (int i = digits - 1; i >= 0; --i) {
        field[i] = static_cast<unsigned char>('0' + (value & 7));
        value >>= 3;
    }
    field[digits] = 0;
    return true;
}

void TARHeader::storeChecksum(unsigned char* block)
{
    writeOctal(block + CHECKSUM, 7, unsignedChecksum(block)); // six digits and a zero
    block[CHECKSUM + 7] = ' ';
}

} // namespace core
