#pragma once
// Reduces a compiler signature ("void core::Object::addRef()",
// "T* core::Ref<T>::operator->() const [with T = X]") to the qualified
// function name ("core::Object::addRef", "core::Ref<T>::operator->").

#include <cstddef>

namespace core {

// Writes the qualified name of `signature` into `out` (always terminated,
// truncated to `outSize` - 1 characters). Requires outSize > 0.
void qualifiedFunctionName(const char* signature, char* out, size_t outSize);

} // namespace core
