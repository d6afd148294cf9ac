#pragma once
// The scene the play tests build: one lit box, (-2,-1,-1)..(2,1,1) before
// its translation by (10, 0, 0), so (8,-1,-1)..(12,1,1) in the world, with
// normals and a red material, user ID 7 and the name "box". It has no
// camera and no light, and is meant to be shown as a bare Mesh root.

#include "core/Ref.h"
#include "core/String.h"
#include "render/appearance/Appearance.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace play_test {

inline constexpr float BOX_MIN[3] = {8.f, -1.f, -1.f};
inline constexpr float BOX_MAX[3] = {12.f, 1.f, 1.f};
inline constexpr int BOX_USER_ID = 7;

// Requires a started engine with a registered renderer.
inline core::Ref<render::Mesh> makeBox()
{
    // Four corners per face, counter-clockwise seen from outside: the face's
    // axis, its sign, and the two axes across it.
    short positions[24 * 3];
    signed char normals[24 * 3];
    unsigned short indices[36];
    int v = 0, i = 0;
    for (int axis = 0; axis < 3; ++axis)
        for (int sign = -1; sign <= 1; sign += 2) {
            const int u = (axis + 1) % 3, w = (axis + 2) % 3;
            const int corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
            for (int c = 0; c < 4; ++c) {
                short p[3];
                p[axis] = static_cast<short>(sign);
                // Seen from the negative side the winding turns round.
                p[u] = static_cast<short>(corners[c][0] * sign);
                p[w] = static_cast<short>(corners[c][1]);
                signed char n[3] = {0, 0, 0};
                n[axis] = static_cast<signed char>(127 * sign);
                for (int k = 0; k < 3; ++k) {
                    positions[3 * (v + c) + k] = p[k];
                    normals[3 * (v + c) + k] = n[k];
                }
            }
            const unsigned short quad[6] = {0, 1, 2, 0, 2, 3};
            for (unsigned short q : quad)
                indices[i++] = static_cast<unsigned short>(v + q);
            v += 4;
        }
    core::Ref<render::VertexArray> positionArray = VORNA3D_NEW render::VertexArray(24, 3, 2, 0);
    positionArray->set(24, positions);
    core::Ref<render::VertexArray> normalArray = VORNA3D_NEW render::VertexArray(24, 3, 1, 0);
    normalArray->set(24, reinterpret_cast<const char*>(normals));
    core::Ref<render::VertexBuffer> vb = VORNA3D_NEW render::VertexBuffer();
    vb->setPositions(positionArray.get(), 1.f, nullptr);
    vb->setNormals(normalArray.get());
    core::Ref<render::TriangleListArray> triangles = VORNA3D_NEW render::TriangleListArray(indices, 36);

    core::Ref<render::Material> material = VORNA3D_NEW render::Material();
    material->setColor(render::Material::DIFFUSE, 0xFFE03020u);
    material->setColor(render::Material::AMBIENT, 0x00401008u);
    core::Ref<render::Appearance> appearance = VORNA3D_NEW render::Appearance();
    appearance->setMaterial(material.get());

    core::Ref<render::Mesh> box = VORNA3D_NEW render::Mesh(vb.get(), triangles.get(), appearance.get());
    box->setScale(2.f, 1.f, 1.f);
    box->setTranslation(10.f, 0.f, 0.f);
    box->setUserID(BOX_USER_ID);
    box->setName(core::String("box"));
    return box;
}

} // namespace play_test
