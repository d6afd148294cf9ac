#pragma once
// Stencil: the stencil test of a CompositingMode, per face (front and back):
// a comparison function, a reference value, a mask, and the operations for
// stencil fail, depth fail and depth pass. Values are the GL codes: the
// functions 512 (never) to 519 (always); the operations GL_KEEP, GL_ZERO,
// GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT and the wrapping GL_INCR_WRAP and
// GL_DECR_WRAP.

#include <cstdint>

#include "render/scene/Object3D.h"

namespace render {

class Stencil : public Object3D {
public:
    // Face selectors; setters also take both at once.
    static constexpr int FRONT = 0x20000;
    static constexpr int BACK = 0x40000;
    // Comparison functions and operations (the GL codes).
    enum { NEVER = 512, LESS, EQUAL, LEQUAL, GREATER, NOTEQUAL, GEQUAL, ALWAYS };
    enum {
        OP_ZERO = 0,
        OP_KEEP = 0x1E00,
        OP_REPLACE = 0x1E01,
        OP_INCR = 0x1E02,
        OP_DECR = 0x1E03,
        OP_INVERT = 0x150A,
        OP_INCR_WRAP = 0x8507,
        OP_DECR_WRAP = 0x8508
    };

    // One face's test, in the order getStencil writes it.
    struct funcRefMaskOps {
        int func;
        int ref;
        uint32_t mask;
        int stencilFailOp;
        int depthFailOp;
        int depthPassOp;
    };

    // Both faces: always pass, reference 0, mask all ones, keep on every outcome.
    Stencil();
    ~Stencil() noexcept(false) override;

    Stencil* duplicate() const override;

    // Sets the function, reference and mask of the faces in `face` (FRONT,
    // BACK or both). Asserts "setStencilFunc failed. invalid face parameter"
    // and "setStencilFunc failed because func is illegal.".
    void setStencilFunc(int face, int func, int ref, uint32_t mask);
    // Sets the three operations of the faces in `face`. Asserts
    // "setStencilOps failed. invalid face parameter" and "setStencilOps
    // failed because operation is illegal.".
    void setStencilOps(int face, int stencilFailOp, int depthFailOp, int depthPassOp);

    // Writes one face's test. Asserts "getStencil failed because
    // funcRefMaskOps is 0" and, for a face other than FRONT or BACK,
    // "getStencil failed. invalid face parameter".
    void getStencil(int face, funcRefMaskOps* out) const;

protected:
    Stencil(const Stencil& other);

private:
    static bool isFaceSelection(int face);
    static bool isOperation(int op);

    funcRefMaskOps m_faces[2]; // front, back
};

} // namespace render
