#pragma once
// HashCode<K>: how HashTable hashes and compares its keys. Integer keys hash
// to their value reinterpreted as unsigned 32 bits; other key types (String)
// specialise the template next to their own declaration.

#include <cstdint>
#include <type_traits>

namespace core {

template <class K> struct HashCode {
    static_assert(std::is_integral_v<K>, "HashCode needs a specialisation for this key type");

    // The key reinterpreted as unsigned (wider keys fold their high half in).
    static uint32_t hashCode(const K& key)
    {
        if constexpr (sizeof(K) > sizeof(uint32_t)) {
            const uint64_t wide = static_cast<uint64_t>(key);
            return static_cast<uint32_t>(wide ^ (wide >> 32));
        } else {
            return static_cast<uint32_t>(static_cast<std::make_unsigned_t<K>>(key));
        }
    }
    static uint32_t maxHash() { return 0xFFFFFFFFu; }
    static bool equals(const K& a, const K& b) { return a == b; }
};

} // namespace core
