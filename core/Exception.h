#pragma once
// The engine's exception classes. Every exception is thrown and caught by
// value and owns private copies of its texts, so it stays valid whatever
// happens to the buffers it was built from.

#include <cstdint>
#include <exception>
#include <memory>

namespace core {

// A heap-owned, zero-terminated copy of a text; null stays null. Copies are deep.
class OwnedText {
public:
    OwnedText() = default;
    explicit OwnedText(const char* text) { assign(text); }
    OwnedText(const OwnedText& other) { assign(other.get()); }
    OwnedText& operator=(const OwnedText& other);
    OwnedText(OwnedText&&) noexcept = default;
    OwnedText& operator=(OwnedText&&) noexcept = default;

    // Replaces the text with a copy of `text` (null clears it).
    void assign(const char* text);
    const char* get() const { return m_text.get(); }

private:
    std::unique_ptr<char[]> m_text;
};

} // namespace core

// Root of the engine's exceptions: a message with the source file, the
// qualified function name and the line where the failure was detected.
class Vorna3DException : public std::exception {
public:
    Vorna3DException(const char* file, const char* function, int32_t line, const char* message);
    ~Vorna3DException() override;

    // Replaces all four values; each text is copied, a null text leaves that field null.
    void set(const char* file, const char* function, int32_t line, const char* message);

    const char* getMessage() const { return m_message.get(); }
    const char* getFile() const { return m_file.get(); }
    const char* getFunction() const { return m_function.get(); }
    int32_t getLine() const { return m_line; }
    // The message, or "" when there is none.
    const char* what() const noexcept override;

protected:
    void setMessage(const char* message) { m_message.assign(message); }

private:
    core::OwnedText m_message;
    core::OwnedText m_file;
    core::OwnedText m_function;
    int32_t m_line = 0;
};

// A failed precondition. Construction logs the three-line assertion banner
// through the debug log (when the log exists); the caller then throws it.
class AssertationFailedException : public Vorna3DException {
public:
    AssertationFailedException(const char* file, const char* function, int32_t line, const char* expression);
};

namespace core {

// A data error while reading or writing a named file or stream. The message
// becomes "IO Name: <name>. Message: <message>" and is logged as an error.
class IOException : public Vorna3DException {
public:
    IOException(const char* message, const char* name);
    // The same with the name as an engine string (defined with String).
    IOException(const char* message, const class String& name);
};

// Exhaustion or misuse detected by the memory manager.
class MemoryManagerException : public Vorna3DException {
public:
    explicit MemoryManagerException(const char* message) : Vorna3DException("UNKNOWN", "UNKNOWN", 0, message) { }
};

// An index outside a string's bounds. Carries no data.
class StringIndexOutOfBoundsException { };

// String data that is not in the supported 16-bit coding. Carries no data.
class UnsupportedCharacterSetException { };

} // namespace core
