#pragma once
// IndexBuffer: 16-bit vertex indices and the kind of primitive they form.
// The subclasses build the indices: TriangleStripArray (strips joined into
// one), TriangleListArray and LineListArray. Once the renderer has moved the
// indices to a static GPU buffer they are frozen: every data accessor asserts
// " m_staticID == INVALID_STATIC_ID ".

#include "core/Vector.h"
#include "render/scene/Object3D.h"

namespace render {

class IndexBuffer : public Object3D {
public:
    static constexpr int INVALID_STATIC_ID = -1;
    enum PrimitiveType { TRIANGLE_STRIP = 1, TRIANGLE_LIST = 2, LINE_LIST = 3 };

    ~IndexBuffer() noexcept(false) override;

    IndexBuffer* duplicate() const override = 0;

    // The static index count when static, else the number of indices.
    int getIndexCount() const;
    // TRIANGLE_STRIP, TRIANGLE_LIST or LINE_LIST.
    int getPrimitiveType() const { return m_primitiveType; }

    // The first index (null when there are none). Requires a non-static buffer.
    unsigned short* getPtr();
    const unsigned short* getPtr() const;
    // The index vector, for writing in place. Requires a non-static buffer.
    core::Vector<unsigned short>* getUnsignedShortDataArrayPtr();

    // Freezes the buffer as static GPU buffer `staticID` holding
    // `indexCount` indices. Requires a non-static buffer,
    // staticID != INVALID_STATIC_ID and indexCount >= 0.
    void setStaticID(int staticID, int indexCount);
    // Requires a static buffer (" m_staticID != INVALID_STATIC_ID ").
    int getStaticID() const;
    bool isStatic() const { return m_staticID != INVALID_STATIC_ID; }

protected:
    explicit IndexBuffer(int primitiveType);
    // Copies the indices and the primitive type. The copy is never static:
    // a GPU buffer belongs to the one object it was made for.
    IndexBuffer(const IndexBuffer& other);

    core::Vector<unsigned short> m_buffer;

private:
    int m_primitiveType;
    int m_staticID = INVALID_STATIC_ID;
    int m_staticIndexCount = 0;
};

} // namespace render
