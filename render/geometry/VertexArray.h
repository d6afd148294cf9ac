#pragma once
// VertexArray: one vertex attribute (positions, normals, colours or texture
// coordinates) for up to 65535 vertices, as 2, 3 or 4 signed 8-bit or 16-bit
// components per vertex, stored vertex after vertex. The array keeps the
// bounds of its first three components for culling and picking. Once the
// renderer has moved it to a static GPU buffer its data is frozen: every
// data accessor asserts " m_staticID == INVALID_STATIC_ID ".

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Object3D.h"
#include "slmath/slmath.h"

namespace render {

class VertexArray : public Object3D {
public:
    static constexpr int INVALID_STATIC_ID = -1;
    static constexpr int MAX_VERTICES = 65535;

    // An array of numVertices x numComponents elements, each set to `fill`
    // (its low 8 bits for byte components, its low 16 bits for short ones).
    // Requires 1 <= numVertices <= 65535, 2 <= numComponents <= 4 and
    // componentSize 1 (bytes) or 2 (shorts).
    VertexArray(int numVertices, int numComponents, int componentSize, int fill);
    ~VertexArray() noexcept(false) override;

    // A new array with a copy of this one's elements. The copy is never
    // static: a GPU buffer belongs to the one array it was made for.
    VertexArray* duplicate() const override;

    // Copies numVertices x numComponents elements from `values` to the start
    // of the array, growing it when it is shorter (it never shrinks).
    // Requires a non-static array, values, the matching component size and
    // 0 <= numVertices <= 65535.
    void set(int numVertices, const char* values);
    void set(int numVertices, const short* values);
    // Copies numVertices x numComponents elements from vertex firstVertex on
    // into `values`. Requires values, the matching component size,
    // numVertices >= 0, firstVertex >= 0 and the range inside the array.
    void get(int firstVertex, int numVertices, char* values) const;
    void get(int firstVertex, int numVertices, short* values) const;

    // The static vertex count when static, else element count / components.
    int getVertexCount() const;
    int getComponentCount() const { return m_numComponents; }
    // 1 for byte components, 2 for short components.
    int getComponentType() const;

    // The element vectors for writing in place (null for the other
    // component size); each marks the data changed. Requires a non-static array.
    core::Vector<char>* getCharDataArrayPtr();
    core::Vector<short>* getShortDataArrayPtr();
    // The first element of whichever buffer exists. Requires a non-static array.
    void* getPtr();

    // Converts a byte array to shorts (each byte sign-extended) when
    // componentSize is 2; the current size changes nothing. Asserts
    // "setComponentType failed. invalid parameters" for any other value,
    // including 1 on a short array (there is no narrowing conversion).
    // Requires a non-static array.
    void setComponentType(int componentSize);

    // Recomputes the bounds when the data may have changed since the last
    // time. Arrays of 4 components have no bounds (they stay zero).
    // Requires a non-static array when there is something to recompute.
    void findMaxAndMin();
    // The per-component bounds of the first three components (the third is 0
    // for 2-component arrays); recomputed first when needed.
    const slmath::vec3& getMin();
    const slmath::vec3& getMax();
    // Whether the data may have changed since the bounds were computed.
    bool isDirty() const { return m_dirty; }

    // Freezes the array as static GPU buffer `staticID` holding
    // `vertexCount` vertices; the bounds are computed first. Requires a
    // non-static array, staticID != INVALID_STATIC_ID and vertexCount >= 0.
    void setStaticID(int staticID, int vertexCount);
    // Requires a static array (" m_staticID != INVALID_STATIC_ID ").
    int getStaticID() const;
    bool isStatic() const { return m_staticID != INVALID_STATIC_ID; }

protected:
    VertexArray(const VertexArray& other);

private:
    // Vertices held by the element buffer (the count when not static).
    int bufferVertexCount() const;
    // Copies elements of type T out of `buffer` (see get).
    template <class T> void copyOut(const core::Vector<T>& buffer, int firstVertex, int numVertices, T* values) const;
    // Sets the bounds from the elements of `buffer`.
    template <class T> void computeBounds(const core::Vector<T>& buffer);

    slmath::vec3 m_min;
    slmath::vec3 m_max;
    float m_invNumComponents;
    int m_numComponents;
    int m_componentSize;
    int m_staticID = INVALID_STATIC_ID;
    int m_staticVertexCount = 0;
    bool m_dirty = true;
    core::Ref<core::Vector<char>> m_byteBuffer;
    core::Ref<core::Vector<short>> m_shortBuffer;
};

} // namespace render
