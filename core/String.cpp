#include "core/String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/Debug.h"
#include "core/Exception.h"
#include "core/StringPoolElement.h"

namespace core {

String::String() : m_element(VORNA3D_NEW StringPoolElement(""))
{
}

String::String(const char* text) : m_element(VORNA3D_NEW StringPoolElement(text))
{
}

String::String(StringPoolElement* element) : m_element(element)
{
}

String::String(const String& other) : Object(), m_element(other.m_element)
{
}

String::~String() noexcept(false) = default;

String& String::operator=(const String& other)
{
    if (m_element != other.m_element)
        m_element = other.m_element;
    return *this;
}

String& String::operator=(const char* text)
{
    m_element = VORNA3D_NEW StringPoolElement(text);
    return *this;
}

int String::length() const
{
    return m_element->length();
}

unsigned short String::charAt(int index) const
{
    ASSERT((index < length()) && ( index>=0 ));
    return m_element->chars()[index];
}

void String::setCharAt(int index, unsigned short ch)
{
    if (index < 0 || index >= length())
        throw StringIndexOutOfBoundsException();
    m_element->setCharAt(index, ch);
}

String& String::operator+=(const String& other)
{
    if (&other == this)
        ASSERT(0);
    if (other.m_element == m_element)
        ASSERT(0);
    // Copy on write. Storage held by this String alone can grow in place:
    // nobody else can see the change.
    if (m_element->getNumOfRefs() == 1) {
        m_element->append(*other.m_element);
    } else {
        Ref<StringPoolElement> copy = VORNA3D_NEW StringPoolElement(*m_element, 0, length());
        copy->append(*other.m_element);
        m_element = copy;
    }
    return *this;
}

String& String::operator+=(const char* text)
{
    ASSERT(text != 0);
    const size_t textLength = std::strlen(text);
    ASSERT_MSG(textLength < size_t(INT32_MAX), "string too long");
    if (m_element->getNumOfRefs() == 1) {
        m_element->append(text, static_cast<int>(textLength));
    } else {
        Ref<StringPoolElement> copy = VORNA3D_NEW StringPoolElement(*m_element, 0, length());
        copy->append(text, static_cast<int>(textLength));
        m_element = copy;
    }
    return *this;
}

String operator+(const String& a, const String& b)
{
    // Fresh storage, so `a` and `b` may share theirs or be the same String.
    Ref<StringPoolElement> sum = VORNA3D_NEW StringPoolElement(*a.m_element, 0, a.length());
    sum->append(*b.m_element);
    return String(sum.get());
}

int String::compareTo(const char* str) const
{
    ASSERT(str != 0);
    const unsigned char* mine = reinterpret_cast<const unsigned char*>(getASCII());
    const unsigned char* theirs = reinterpret_cast<const unsigned char*>(str);
    for (;; ++mine, ++theirs) {
        if (*mine != *theirs)
            return *mine < *theirs ? -1 : 1;
        if (*mine == 0)
            return 0;
    }
}

bool String::equals(const char* str) const
{
    ASSERT(str != 0);
    return compareTo(str) == 0;
}

bool String::equals(const String& other) const
{
    if (&other == this || other.m_element == m_element)
        return true;
    const int len = length();
    if (other.length() != len)
        return false;
    return std::memcmp(m_element->chars(), other.m_element->chars(), sizeof(unsigned short) * size_t(len)) == 0;
}

bool String::startsWith(const String& prefix) const
{
    if (prefix.length() == 0)
        return true;
    if (length() < prefix.length())
        return false;
    return regionMatches(0, prefix, 0, prefix.length());
}

bool String::regionMatches(int thisOffset, const String& otherString, int otherOffset, int lengthToCompare) const
{
    ASSERT(lengthToCompare > 0);
    ASSERT((0 <= thisOffset) && (thisOffset < this->length()));
    ASSERT((0 <= otherOffset) && (otherOffset < otherString.length()));
    // 64-bit ends: offset + length must not wrap around.
    if (int64_t(thisOffset) + lengthToCompare > length())
        return false;
    if (int64_t(otherOffset) + lengthToCompare > otherString.length())
        return false;
    return std::memcmp(m_element->chars() + thisOffset, otherString.m_element->chars() + otherOffset,
                       sizeof(unsigned short) * size_t(lengthToCompare)) == 0;
}

int String::indexOf(unsigned short ch, int startIndex) const
{
    const int len = length();
    if (len == 0)
        return -1;
    ASSERT((0 <= startIndex) && (startIndex < this->length()));
    const unsigned short* chars = m_element->chars();
    for (int i = startIndex; i < len; ++i)
        if (chars[i] == ch)
            return i;
    return -1;
}

int String::lastIndexOf(unsigned short ch, int fromIndex) const
{
    ASSERT((0 <= fromIndex) && (fromIndex < this->length()));
    const unsigned short* chars = m_element->chars();
    for (int i = fromIndex; i >= 0; --i)
        if (chars[i] == ch)
            return i;
    return -1;
}

int String::lastIndexOf(unsigned short ch) const
{
    const int len = length();
    return len == 0 ? -1 : lastIndexOf(ch, len - 1);
}

String String::substring(int startIndex, int endIndex) const
{
    ASSERT(endIndex > startIndex);
    ASSERT((0 <= endIndex) && (endIndex < this->length()));
    ASSERT((0 <= startIndex) && (startIndex < this->length()));
    return String(VORNA3D_NEW StringPoolElement(*m_element, startIndex, endIndex - startIndex + 1));
}

String String::substring(int startIndex) const
{
    return substring(startIndex, length() - 1);
}

void String::format(const char* formatter, ...)
{
    ASSERT(formatter != 0);
    char buffer[MAX_FORMAT_LENGTH + 1];
    va_list args;
    va_start(args, formatter);
    // vsnprintf never writes past the buffer; it reports the full length.
    int written = std::vsnprintf(buffer, sizeof buffer, formatter, args);
    va_end(args);
    if (written < 0) {
        written = 0; // an encoding error: nothing usable was produced
    } else if (written > MAX_FORMAT_LENGTH) {
        Debug::printf(DEBUG_LEVEL_WARNING, "String::format: result of %d characters cut to %d\n", written,
                      MAX_FORMAT_LENGTH);
        written = MAX_FORMAT_LENGTH;
    }
    m_element->setText(buffer, written);
}

void String::toASCII(char* strBuffer, int bufSize) const
{
    ASSERT(bufSize > 0);
    ASSERT(strBuffer != 0);
    const int len = length();
    if (bufSize < len + 1)
        throw StringIndexOutOfBoundsException();
    std::memcpy(strBuffer, getASCII(), size_t(len) + 1);
}

const char* String::getASCII() const
{
    return m_element->getASCII();
}

int32_t String::getHash() const
{
    return m_element->getHash();
}

int String::getAllocatedSize() const
{
    return m_element->getAllocatedSize();
}

void String::getData(void* data, int bufSize) const
{
    ASSERT(data);
    ASSERT(bufSize > 0);
    if (bufSize < getAllocatedSize())
        throw StringIndexOutOfBoundsException();
    m_element->getData(data);
}

void String::setData(const unsigned short* data)
{
    ASSERT(data != 0);
    int64_t units = 0;
    while (data[units] != 0)
        ++units;
    ++units; // the terminator
    ASSERT_MSG(units <= INT32_MAX / 2, "string too long");
    setData(static_cast<const void*>(data), static_cast<int>(units * 2));
}

void String::setData(const void* data, int lenInBytes)
{
    ASSERT(data != 0);
    ASSERT(lenInBytes > 0);
    m_element->setData(data, lenInBytes);
}

// Declared with the exceptions; defined here, where String is complete.
IOException::IOException(const char* message, const String& name) : IOException(message, name.getASCII())
{
}

} // namespace core
