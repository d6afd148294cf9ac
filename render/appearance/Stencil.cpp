#include "render/appearance/Stencil.h"

namespace render {

Stencil::Stencil()
{
    for (funcRefMaskOps& f : m_faces)
        f = funcRefMaskOps{ALWAYS, 0, 0xFFFFFFFFu, OP_KEEP, OP_KEEP, OP_KEEP};
}

Stencil::Stencil(const Stencil& other) : Object3D(other)
{
    m_faces[0] = other.m_faces[0];
    m_faces[1] = other.m_faces[1];
}

Stencil::~Stencil() noexcept(false) = default;

Stencil* Stencil::duplicate() const
{
    return VORNA3D_NEW Stencil(*this);
}

bool Stencil::isFaceSelection(int face)
{
    return face == FRONT || face == BACK || face == (FRONT | BACK);
}

bool Stencil::isOperation(int op)
{
    switch (op) {
    case OP_ZERO:
    case OP_KEEP:
    case OP_REPLACE:
    case OP_INCR:
    case OP_DECR:
    case OP_INVERT:
    case OP_INCR_WRAP:
    case OP_DECR_WRAP:
        return true;
    default:
        return false;
    }
}

void Stencil::setStencilFunc(int face, int func, int ref, uint32_t mask)
{
    ASSERT_MSG(isFaceSelection(face), "setStencilFunc failed. invalid face parameter");
    ASSERT_MSG(func >= NEVER && func <= ALWAYS, "setStencilFunc failed because func is illegal.");
    for (int i = 0; i < 2; ++i) {
        if (face & (i == 0 ? FRONT : BACK)) {
            m_faces[i].func = func;
            m_faces[i].ref = ref;
            m_faces[i].mask = mask;
        }
    }
}

void Stencil::setStencilOps(int face, int stencilFailOp, int depthFailOp, int depthPassOp)
{
    ASSERT_MSG(isFaceSelection(face), "setStencilOps failed. invalid face parameter");
    ASSERT_MSG(isOperation(stencilFailOp) && isOperation(depthFailOp) && isOperation(depthPassOp),
               "setStencilOps failed because operation is illegal.");
    for (int i = 0; i < 2; ++i) {
        if (face & (i == 0 ? FRONT : BACK)) {
            m_faces[i].stencilFailOp = stencilFailOp;
            m_faces[i].depthFailOp = depthFailOp;
            m_faces[i].depthPassOp = depthPassOp;
        }
    }
}

void Stencil::getStencil(int face, funcRefMaskOps* out) const
{
    ASSERT_MSG(out, "getStencil failed because funcRefMaskOps is 0");
    ASSERT_MSG(face == FRONT || face == BACK, "getStencil failed. invalid face parameter");
    *out = m_faces[face == FRONT ? 0 : 1];
}

} // namespace render
