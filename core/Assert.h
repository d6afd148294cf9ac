#pragma once
// Precondition checks. A failed check logs the assertion banner and throws an
// AssertationFailedException carrying the check's text, the qualified name of
// the enclosing function and the source line.

#include "core/Exception.h"

namespace core {

// Reports a failed check and throws AssertationFailedException. `prettyFunction`
// is the compiler's __PRETTY_FUNCTION__; the report carries the qualified name.
[[noreturn]] void assertionFailed(const char* file, const char* prettyFunction, int line, const char* text);

} // namespace core

// The compiler's full signature of the enclosing function; reports reduce it
// to the qualified name ("core::Object::addRef").
#define VORNA3D_FUNCTION __PRETTY_FUNCTION__

// Checks `expr`; the reported text is the expression with one blank on each side.
#define ASSERT(expr)                                                                      \
    do {                                                                                  \
        if (!(expr))                                                                      \
            ::core::assertionFailed(__FILE__, VORNA3D_FUNCTION, __LINE__, " " #expr " "); \
    } while (0)

// Checks `expr`; the reported text is the sentence `text`.
#define ASSERT_MSG(expr, text)                                                   \
    do {                                                                         \
        if (!(expr))                                                             \
            ::core::assertionFailed(__FILE__, VORNA3D_FUNCTION, __LINE__, text); \
    } while (0)
