#include "core/CharCoding.h"

#include "core/Exception.h"

namespace core {

void CharCoding::code(Vector<unsigned short>& data, const char* text, int length, int startIndex)
{
    ASSERT(startIndex >= 0);
    ASSERT(length >= 0);
    ASSERT(text != 0 || length == 0);
    // Mark (when starting fresh), the characters and the terminator.
    const int64_t first = startIndex == 0 ? 1 : startIndex;
    const int64_t units = first + length + 1;
    ASSERT_MSG(units <= Vector<unsigned short>::MAX_LENGTH, "string too long");

    data.setSizeForNativeType(static_cast<int>(units));
    unsigned short* out = data.data();
    if (startIndex == 0)
        out[0] = MARK;
    for (int i = 0; i < length; ++i)
        out[first + i] = static_cast<unsigned char>(text[i]);
    out[first + length] = 0;
}

void CharCoding::decode(const Vector<unsigned short>& data, Vector<char>& out)
{
    ASSERT(data.size() >= 2);
    if (data[0] != MARK)
        throw UnsupportedCharacterSetException();
    const int length = data.size() - 2;
    out.setSizeForNativeType(length + 1);
    const unsigned short* in = data.data() + 1;
    char* bytes = out.data();
    for (int i = 0; i < length; ++i)
        bytes[i] = static_cast<char>(in[i] & 0xFF);
    bytes[length] = 0;
}

} // namespace core
