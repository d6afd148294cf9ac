#pragma once
// HashTable<K, V>: a separately chained hash table with prime bucket counts.
// Nodes are created in batches ahead of use and kept on a free stack, so
// put() allocates nothing until the table has to grow. A table with C buckets
// and load factor f gets int(C * f) free nodes (at least one); when they run
// out, the bucket count moves to the next prime of the table, a fresh batch
// of nodes is created for it and every entry is rehashed. Removed entries
// return their node to the free stack.
//
// Keys are hashed and compared through HashCode<K> (core/HashCode.h; String
// keys through the specialisation in core/String.h).

#include <climits>
#include <cstdint>
#include <new>
#include <utility>

#include "core/Assert.h"
#include "core/Debug.h"
#include "core/HashCode.h"
#include "core/Object.h"
#include "core/Ref.h"
#include "core/Vector.h"

namespace core {

template <class K, class V> class HashTable : public Object {
public:
    using KeyType = K;
    using ValueType = V;

    // One entry: key and value (constructed only while in use), the key's
    // hash (so rehashing never has to recompute it) and the next node of the
    // same bucket.
    class Node : public Object {
    public:
        Node() = default;
        ~Node() noexcept(false) override { clear(); }
        Node(const Node&) = delete;
        Node& operator=(const Node&) = delete;

        // Constructs the key and value. Requires a free node.
        void store(const K& key, const V& value, uint32_t hash)
        {
            ASSERT(!m_inUse);
            m_hash = hash;
            ::new (static_cast<void*>(m_keyStorage)) K(key);
            try {
                ::new (static_cast<void*>(m_valueStorage)) V(value);
            } catch (...) {
                keyRef().~K();
                throw;
            }
            m_inUse = 1;
        }
        // Destroys the key and value, if any.
        void clear()
        {
            if (!m_inUse)
                return;
            m_inUse = 0;
            keyRef().~K();
            valueRef().~V();
        }
        const K& key() const { return const_cast<Node*>(this)->keyRef(); }
        V& value() { return valueRef(); }
        const V& value() const { return const_cast<Node*>(this)->valueRef(); }
        bool inUse() const { return m_inUse != 0; }

    private:
        friend class HashTable;
        K& keyRef() { return *std::launder(reinterpret_cast<K*>(m_keyStorage)); }
        V& valueRef() { return *std::launder(reinterpret_cast<V*>(m_valueStorage)); }

        alignas(K) unsigned char m_keyStorage[sizeof(K)];
        alignas(V) unsigned char m_valueStorage[sizeof(V)];
        uint32_t m_hash = 0;
        Ref<Node> m_next;
        uint8_t m_inUse = 0;
    };

    // Bucket counts, ascending; beyond the last one a table grows by adding it.
    static constexpr int PRIME_COUNT = 18;
    static constexpr uint32_t PRIMES[PRIME_COUNT] = {3,   5,    7,    13,   23,   37,    67,    131,   257,
                                                     521, 1031, 2053, 4099, 8209, 16411, 32771, 65543, 129403};

    // A table with the first prime above `initialCapacity` buckets and
    // max(1, int(buckets * loadFactor)) free nodes. Requires
    // 0.01 <= loadFactor < 0.991 and initialCapacity >= 0.
    HashTable(int initialCapacity, float loadFactor) : m_loadFactor(loadFactor)
    {
        ASSERT((0.01f <= loadFactor) && (loadFactor < 0.991f ));
        ASSERT(initialCapacity >= 0);
        m_capacity = createNextLargerCapacity(static_cast<uint32_t>(initialCapacity));
        ASSERT(m_capacity > 0);
        ASSERT(m_capacity <= HashCode<KeyType>::maxHash());
        m_hashNodes.setSize(static_cast<int>(m_capacity));
        createFreeNodes(nodeBatch(m_capacity));
        ASSERT(m_hashNodes.size() == int(m_capacity));
    }
    HashTable(const HashTable&) = delete;
    HashTable& operator=(const HashTable&) = delete;

    // Releases every entry. Chains are taken apart node by node, so a long
    // chain cannot exhaust the stack through nested releases.
    ~HashTable() noexcept(false) override
    {
        for (int i = 0; i < m_hashNodes.size(); ++i) {
            Ref<Node> node = std::move(m_hashNodes[i]);
            while (node) {
                Ref<Node> next = std::move(node->m_next);
                node = std::move(next);
            }
        }
    }

    // The first prime of PRIMES above n; beyond the table, n + 129403.
    // Asserts when the result would not fit a bucket vector.
    static uint32_t createNextLargerCapacity(uint32_t n)
    {
        for (int i = 0; i < PRIME_COUNT; ++i)
            if (PRIMES[i] > n)
                return PRIMES[i];
        const uint64_t next = uint64_t(n) + PRIMES[PRIME_COUNT - 1];
        ASSERT_MSG(next <= uint64_t(Vector<Ref<Node>>::MAX_LENGTH), "hash table capacity too big");
        return static_cast<uint32_t>(next);
    }

    // Inserts `key` with `value` and returns true. A key already present
    // logs the warning "Key is already inserted to the hash table!" and
    // returns false, keeping the stored value. May grow the table.
    bool put(const K& key, const V& value)
    {
        const uint32_t hash = HashCode<K>::hashCode(key);
        if (findNode(key, hash)) {
            Debug::printf(DEBUG_LEVEL_WARNING, "Key is already inserted to the hash table!\n");
            return false;
        }
        Ref<Node> node = getFreeHashNode();
        try {
            node->store(key, value, hash);
        } catch (...) {
            m_allocatedNodes.add(node); // back on the stack it came from: no allocation
            throw;
        }
        Ref<Node>& head = m_hashNodes[bucketOf(hash)];
        node->m_next = head;
        head = node;
        ++m_count;
        return true;
    }

    // Whether an entry with `key` exists.
    bool containsKey(const K& key) const { return findNode(key, HashCode<K>::hashCode(key)) != nullptr; }

    // Copies the value stored for `key` into `value` and returns true; an
    // absent key logs "Key is not found from the hash table!" (warning) and
    // returns false.
    bool get(const K& key, V& value) const
    {
        const Node* node = findNode(key, HashCode<K>::hashCode(key));
        if (!node) {
            Debug::printf(DEBUG_LEVEL_WARNING, "Key is not found from the hash table!\n");
            return false;
        }
        value = node->value();
        return true;
    }

    // The value stored for `key`, or null (no log). Valid until the entry is removed.
    V* find(const K& key)
    {
        Node* node = findNode(key, HashCode<K>::hashCode(key));
        return node ? &node->value() : nullptr;
    }
    const V* find(const K& key) const { return const_cast<HashTable*>(this)->find(key); }

    // Replaces the value stored for `key` and returns true; an absent key
    // logs "Key is not found from the hash table!" (warning) and returns
    // false without inserting.
    bool set(const K& key, const V& value)
    {
        Node* node = findNode(key, HashCode<K>::hashCode(key));
        if (!node) {
            Debug::printf(DEBUG_LEVEL_WARNING, "Key is not found from the hash table!\n");
            return false;
        }
        node->value() = value;
        return true;
    }

    // Removes the entry for `key`, releasing its key and value, and returns
    // its node to the free stack. An absent key logs "Key is not found from
    // the hash table!" (warning) and returns false.
    bool remove(const K& key)
    {
        const uint32_t hash = HashCode<K>::hashCode(key);
        Ref<Node>* link = &m_hashNodes[bucketOf(hash)];
        while (*link && !((*link)->m_hash == hash && HashCode<K>::equals((*link)->key(), key)))
            link = &(*link)->m_next;
        if (!*link) {
            Debug::printf(DEBUG_LEVEL_WARNING, "Key is not found from the hash table!\n");
            return false;
        }
        Ref<Node> node = *link;
        m_allocatedNodes.add(node); // may allocate: done while the table is still intact
        *link = node->m_next;
        node->m_next = nullptr;
        --m_count;
        node->clear();
        return true;
    }

    // The entry at `index` in bucket order (buckets upwards, each chain from
    // its head). Requires 0 <= index < size(); asserts
    // "HashTable::get: index out of bounds".
    void get(int index, V& value, K& key) const
    {
        ASSERT_MSG(index >= 0 && index < m_count, "HashTable::get: index out of bounds");
        for (int b = 0; b < m_hashNodes.size(); ++b) {
            for (const Node* node = m_hashNodes[b].get(); node; node = node->m_next.get()) {
                if (index-- == 0) {
                    value = node->value();
                    key = node->key();
                    return;
                }
            }
        }
    }

    // Number of entries.
    int size() const { return m_count; }
    // Number of buckets.
    uint32_t getCapacity() const { return m_capacity; }
    float getLoadFactor() const { return m_loadFactor; }
    // Nodes created and waiting for entries.
    int getFreeNodeCount() const { return m_allocatedNodes.size(); }

private:
    uint32_t bucketOf(uint32_t hash) const { return hash % m_capacity; }

    // Nodes created for a table of `capacity` buckets: int(capacity * load
    // factor), but never none, or the next put would find nothing to take.
    int nodeBatch(uint32_t capacity) const
    {
        const int n = static_cast<int>(static_cast<double>(capacity) * m_loadFactor);
        return n > 0 ? n : 1;
    }

    Node* findNode(const K& key, uint32_t hash) const
    {
        for (Node* node = m_hashNodes[bucketOf(hash)].get(); node; node = node->m_next.get())
            if (node->m_hash == hash && HashCode<K>::equals(node->key(), key))
                return node;
        return nullptr;
    }

    void createFreeNodes(int count)
    {
        m_allocatedNodes.reserve(m_allocatedNodes.size() + count);
        for (int i = 0; i < count; ++i)
            m_allocatedNodes.add(VORNA3D_NEW Node());
    }

    // Pops a free node, growing the table first when none is left.
    Ref<Node> getFreeHashNode()
    {
        if (m_allocatedNodes.size() == 0)
            grow();
        const int last = m_allocatedNodes.size() - 1;
        Ref<Node> result = m_allocatedNodes[last];
        m_allocatedNodes.setSize(last);
        const Node* pResult = result.get();
        ASSERT(pResult != 0);
        return result;
    }

    // Moves to the next bucket count with a fresh batch of nodes and relinks
    // every entry. Whatever fails leaves the table as it was (at worst with
    // extra free nodes).
    void grow()
    {
        const uint32_t capacity = createNextLargerCapacity(m_capacity);
        createFreeNodes(nodeBatch(capacity));
        Vector<Ref<Node>> buckets;
        buckets.setSize(static_cast<int>(capacity));
        for (int b = 0; b < m_hashNodes.size(); ++b) {
            while (m_hashNodes[b]) {
                Ref<Node> node = m_hashNodes[b];
                m_hashNodes[b] = node->m_next;
                Ref<Node>& head = buckets[node->m_hash % capacity];
                node->m_next = head;
                head = node;
            }
        }
        m_hashNodes.swap(buckets);
        m_capacity = capacity;
    }

    uint32_t m_capacity = 0;
    int32_t m_count = 0;
    Vector<Ref<Node>> m_hashNodes;
    float m_loadFactor;
    Vector<Ref<Node>> m_allocatedNodes;
};

} // namespace core
