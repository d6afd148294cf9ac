#include "core/FunctionName.h"

#include <cctype>
#include <cstring>
#include <string_view>

namespace core {

namespace {

bool isIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Position of an "operator" keyword that starts the function's own name, or npos.
size_t findOperatorKeyword(std::string_view s)
{
    size_t pos = s.rfind("operator");
    while (pos != std::string_view::npos) {
        const bool startsWord = pos == 0 || !isIdentifierChar(s[pos - 1]);
        const size_t after = pos + 8;
        const bool endsWord = after >= s.size() || !isIdentifierChar(s[after]);
        if (startsWord && endsWord)
            return pos;
        if (pos == 0)
            break;
        pos = s.rfind("operator", pos - 1);
    }
    return std::string_view::npos;
}

std::string_view reduce(std::string_view s)
{
    if (size_t with = s.find(" [with "); with != std::string_view::npos)
        s = s.substr(0, with);

    // The parameter list is the last balanced "( ... )" group.
    size_t close = s.rfind(')');
    if (close == std::string_view::npos)
        return s;
    int depth = 0;
    size_t open = close;
    for (;;) {
        if (s[open] == ')')
            ++depth;
        else if (s[open] == '(' && --depth == 0)
            break;
        if (open == 0)
            return s;
        --open;
    }
    std::string_view head = s.substr(0, open);

    // Walk back to the blank that separates the name from the return type,
    // skipping template arguments; operator symbols are not brackets.
    size_t scanFrom = head.size();
    if (size_t op = findOperatorKeyword(head); op != std::string_view::npos)
        scanFrom = op;
    depth = 0;
    size_t start = scanFrom;
    while (start > 0) {
        const char c = head[start - 1];
        if (c == '>' || c == ')')
            ++depth;
        else if (c == '<' || c == '(')
            --depth;
        else if (c == ' ' && depth <= 0)
            break;
        --start;
    }
    return head.substr(start);
}

} // namespace

void qualifiedFunctionName(const char* signature, char* out, size_t outSize)
{
    if (outSize == 0)
        return;
    std::string_view name = signature ? reduce(signature) : std::string_view("UNKNOWN");
    const size_t n = name.size() < outSize - 1 ? name.size() : outSize - 1;
    std::memcpy(out, name.data(), n);
    out[n] = '\0';
}

} // namespace core
