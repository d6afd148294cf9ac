#include "core/Exception.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/Debug.h"
#include "core/FunctionName.h"
#include "core/Globals.h"

namespace core {

OwnedText& OwnedText::operator=(const OwnedText& other)
{
    if (this != &other)
        assign(other.get());
    return *this;
}

void OwnedText::assign(const char* text)
{
    if (!text) {
        m_text.reset();
        return;
    }
    const size_t length = std::strlen(text);
    auto copy = std::make_unique<char[]>(length + 1);
    std::memcpy(copy.get(), text, length + 1);
    m_text = std::move(copy);
}

[[noreturn]] void assertionFailed(const char* file, const char* prettyFunction, int line, const char* text)
{
    char function[512];
    qualifiedFunctionName(prettyFunction, function, sizeof function);
    throw AssertationFailedException(file, function, line, text);
}

IOException::IOException(const char* message, const char* name) : Vorna3DException("UNKNOWN", "UNKNOWN", 0, message)
{
    // The formatted text lives on the general-purpose heap: an IOException
    // must be constructible when the memory manager itself is full.
    std::string text = "IO Name: ";
    text += name ? name : "";
    text += ". Message: ";
    text += message ? message : "";
    if (Globals::exists() && Debug::exists())
        Debug::printf(DEBUG_LEVEL_ERROR, "IOException: %s\n", text.c_str());
    setMessage(text.c_str());
}

} // namespace core

Vorna3DException::Vorna3DException(const char* file, const char* function, int32_t line, const char* message)
{
    set(file, function, line, message);
}

Vorna3DException::~Vorna3DException() = default;

void Vorna3DException::set(const char* file, const char* function, int32_t line, const char* message)
{
    m_file.assign(file);
    m_function.assign(function);
    m_line = line;
    m_message.assign(message);
}

const char* Vorna3DException::what() const noexcept
{
    return m_message.get() ? m_message.get() : "";
}

AssertationFailedException::AssertationFailedException(const char* file, const char* function, int32_t line,
                                                       const char* expression)
    : Vorna3DException(file, function, line, expression)
{
    // Reporting goes through the log. Without a log there is nothing to
    // report to; the exception is still thrown, and reporting must not
    // assert again (that would recurse).
    if (!core::Globals::exists() || !core::Debug::exists())
        return;
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "** ASSERT **\n");
    core::Debug::printf(core::DEBUG_LEVEL_ERROR, "MSG:%s FUNC:%s (%d)", expression ? expression : "(null)",
                        function ? function : "UNKNOWN", line);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "\n** ASSERT **\n");
}
