#include "core/StringPoolElement.h"

#include <cstring>

#include "core/CharCoding.h"
#include "core/Exception.h"

namespace core {

StringPoolElement::StringPoolElement(const char* text)
{
    ASSERT_MSG(text != 0, "NULL string in String constructor");
    const size_t textLength = std::strlen(text);
    ASSERT_MSG(textLength < size_t(Vector<unsigned short>::MAX_LENGTH), "string too long");
    CharCoding::code(m_data, text, static_cast<int>(textLength), 0);
}

StringPoolElement::StringPoolElement(const char* text, int length)
{
    ASSERT(length >= 0);
    CharCoding::code(m_data, text, length, 0);
}

StringPoolElement::StringPoolElement(const StringPoolElement& other, int start, int count) : Object()
{
    ASSERT(start >= 0 && count >= 0 && int64_t(start) + count <= other.length());
    m_data.setSizeForNativeType(count + 2);
    unsigned short* out = m_data.data();
    out[0] = CharCoding::MARK;
    std::memcpy(out + 1, other.chars() + start, sizeof(unsigned short) * size_t(count));
    out[count + 1] = 0;
}

int StringPoolElement::length() const
{
    const int len = m_data.size() - 2;
    ASSERT(len >= 0);
    return len;
}

void StringPoolElement::setCharAt(int index, unsigned short ch)
{
    m_data[index + 1] = ch;
    m_cacheValid = false;
}

void StringPoolElement::append(const char* text, int length)
{
    ASSERT(length >= 0);
    CharCoding::code(m_data, text, length, this->length() + 1);
    m_cacheValid = false;
}

void StringPoolElement::append(const StringPoolElement& other)
{
    ASSERT(&other != this);
    const int oldLength = length();
    const int otherLength = other.length();
    ASSERT_MSG(int64_t(oldLength) + otherLength + 2 <= Vector<unsigned short>::MAX_LENGTH, "string too long");
    m_data.setSizeForNativeType(oldLength + otherLength + 2);
    // Characters and terminator of `other` over the old terminator.
    std::memcpy(m_data.data() + 1 + oldLength, other.chars(), sizeof(unsigned short) * size_t(otherLength + 1));
    m_cacheValid = false;
}

void StringPoolElement::setText(const char* text, int length)
{
    ASSERT(length >= 0);
    m_cacheValid = false;
    CharCoding::code(m_data, text, length, 0);
}

void StringPoolElement::setData(const void* data, int lenInBytes)
{
    m_cacheValid = false;
    if (lenInBytes < 2 || (lenInBytes & 1))
        throw UnsupportedCharacterSetException();
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    ASSERT_MSG(!(bytes[0] == 0xFE && bytes[1] == 0xFF), "No implementation");

    const bool marked = bytes[0] == 0xFF && bytes[1] == 0xFE;
    const int units = lenInBytes / 2;
    // The data may sit at any address: read its units bytewise.
    unsigned short last;
    std::memcpy(&last, bytes + lenInBytes - 2, sizeof last);
    // A terminator is added when the data has none, so neither the 16-bit
    // form nor its 8-bit copy can run past the text, and no character is lost.
    // A lone mark (its last unit is the mark) is the empty string.
    const bool terminated = last == 0;
    const int64_t total = int64_t(units) + (marked ? 0 : 1) + (terminated ? 0 : 1);
    ASSERT_MSG(total <= Vector<unsigned short>::MAX_LENGTH, "string too long");

    m_data.setSizeForNativeType(static_cast<int>(total));
    unsigned short* out = m_data.data();
    if (!marked)
        *out++ = CharCoding::MARK;
    std::memcpy(out, bytes, size_t(lenInBytes));
    if (!terminated)
        m_data[static_cast<int>(total) - 1] = 0;
}

void StringPoolElement::getData(void* data) const
{
    std::memcpy(data, m_data.data(), size_t(getAllocatedSize()));
}

const char* StringPoolElement::getASCII() const
{
    refreshCache();
    return m_ascii.data();
}

int32_t StringPoolElement::getHash() const
{
    refreshCache();
    return m_hash;
}

void StringPoolElement::refreshCache() const
{
    if (m_cacheValid)
        return;
    CharCoding::decode(m_data, m_ascii);
    // Each byte counts as a signed 8-bit value whatever the platform's char
    // is, so a text hashes the same everywhere. Summing in unsigned arithmetic
    // keeps very long texts well defined (modulo 2^32).
    uint32_t sum = 0;
    for (const char c : m_ascii)
        sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    m_hash = static_cast<int32_t>(sum);
    m_cacheValid = true;
}

} // namespace core
