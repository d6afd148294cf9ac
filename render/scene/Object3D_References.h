#pragma once
// The reference walk: which objects an object points to, one level deep, in
// a fixed order. Animation runs it to reach the objects below an object; the
// M3G writer runs it to write every object before the objects that refer to
// it. Each function appends the non-null references to `refs` when it is
// given and returns how many it found, so a null `refs` only counts.

#include "core/Vector.h"

namespace render {

class Appearance;
class Group;
class Mesh;
class Object3D;
class VertexBuffer;

// Everything `this_ref` references: its animation tracks first, then its
// class's references (Object3D::getReferences). Requires this_ref (" this_ref ").
int getSubRefs(core::Vector<Object3D*>* refs, Object3D* this_ref);

// The animation tracks of `obj`, in the order they were added. Requires obj (" obj ").
int getRefsObject3D(Object3D* obj, core::Vector<Object3D*>* refs);

// The arrays of `obj`: positions, normals, colors, then each texture unit's
// coordinates in unit order. Requires obj (" obj ").
int getRefsVertexBuffer(VertexBuffer* obj, core::Vector<Object3D*>* refs);

// For a World its background and active camera first; then, for a Group
// or a World, the children in order. Requires obj (" obj ").
int getRefsGroupAndWorld(Group* obj, core::Vector<Object3D*>* refs);

// The compositing mode, material, polygon mode and fog, then each texture
// in unit order. Requires obj (" obj ").
int getRefsAppearance(Appearance* obj, core::Vector<Object3D*>* refs);

// Per submesh its appearance and then its index buffer, and last the
// vertex buffer. Requires obj (" obj ").
int getRefsMesh(Mesh* obj, core::Vector<Object3D*>* refs);

// Appends `ref` to `refs` (when given) unless it is null; returns 1 for a
// non-null reference, else 0. For the classes' own listings.
int appendRef(Object3D* ref, core::Vector<Object3D*>* refs);

} // namespace render
