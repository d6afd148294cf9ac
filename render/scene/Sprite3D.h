#pragma once
// Sprite3D: a node that shows a rectangle cut from a texture (the crop,
// in texels), tinted by a per-sprite colour. Sprites are never drawn one by
// one: render() puts the sprite into one of the renderer's dynamic buffers,
// whose batcher asks it for its four vertices (renderNodeToBatcher); the
// batch is drawn when the buffers are flushed (at the latest when the
// target is released).
//
// The quad is centred on the sprite's origin and measures crop size x the
// sprite scale, which is the node's own scale (setScale). How it is
// oriented depends on the sprite type:
//   LOCAL_PLANE (2, the default): in the x-y plane of the transform given
//     to render (that transform includes the node's scale when a Group
//     composed it, so in a group the node's scale counts twice);
//   FACING_CAMERA (0): at the transform's position, with the camera's axes;
//   FACING_CAMERA_PIXELS (1): as 0, and under a perspective camera scaled
//     so that one texel covers one pixel at the sprite's depth.
// The corners are computed again at every render, so moving sprites and
// cameras are always drawn where they are.
//
// The colour is 0xRRGGBBAA: red in the most significant byte, alpha in the
// least (the sprite's vertex colour, multiplied with the texture).

#include <cstdint>

#include "core/Ref.h"
#include "render/scene/Node.h"
#include "render/scene/Transform.h"
#include "slmath/slmath.h"

namespace render {

class Appearance;
class Camera;
class Image2D;
class Texture2D;

class Sprite3D : public Node {
public:
    enum { FACING_CAMERA = 0, FACING_CAMERA_PIXELS = 1, LOCAL_PLANE = 2 };
    // What one sprite adds to a batch.
    static constexpr int VERTEX_COUNT = 4;
    static constexpr int INDEX_COUNT = 6;

    // A sprite showing all of `texture`, which must hold an image. Asserts
    // "Sprite3D constructor failed. texture parameter is 0".
    explicit Sprite3D(Texture2D* texture);
    // A sprite with a new texture made for `image` and the given
    // appearance. Requires both (" img ", " app ") and a registered renderer.
    Sprite3D(Image2D* image, Appearance* appearance);
    ~Sprite3D() noexcept(false) override;

    // A new sprite sharing the texture and appearance, with this sprite's
    // node part, crop, colour, type, inset and local transform.
    Sprite3D* duplicate() const override;

    // The texel rectangle shown; a negative width or height mirrors the
    // image. The parts beyond the texture's right and bottom edges are cut
    // off when drawn (the quad keeps its centre). Asserts "Sprite3D setCrop
    // failed. width or height parameter is too big" when x + width or
    // y + height exceeds the renderer's maxSpriteCropDimension; requires a
    // registered renderer (" g3d ").
    void setCrop(int x, int y, int width, int height);
    int getCropX() const { return m_cropX; }
    int getCropY() const { return m_cropY; }
    int getCropWidth() const { return m_cropWidth; }
    int getCropHeight() const { return m_cropHeight; }

    // Gives the sprite's texture a new image and resets the crop to all of it.
    // Requires a texture (" m_texture ").
    void setImage(Image2D* image);
    // Asserts "Sprite3D getTexture failed. Sprite3D does not have a texture".
    Texture2D* getTexture() const;

    // The appearance drawn with (null: the batcher's own: alpha blending, no
    // culling, depth as the renderer is configured). Part of the batch key.
    void setAppearance(Appearance* appearance);
    Appearance* getAppearance() const { return m_appearance.get(); }
    // 0xRRGGBBAA, default opaque white.
    void setColor(uint32_t rgba) { m_color = rgba; }
    uint32_t getColor() const { return m_color; }
    // FACING_CAMERA, FACING_CAMERA_PIXELS or LOCAL_PLANE; another value
    // fails at render time with "invalid Sprite3D type".
    void setSpriteType(int type) { m_spriteType = type; }
    int getSpriteType() const { return m_spriteType; }
    // Texels moved inwards from each crop edge in the texture coordinates.
    void setTexelInset(int texels) { m_texelInset = texels; }
    int getTexelInset() const { return m_texelInset; }
    // Picks farther than this (world units) miss; 0 or less: no limit. Default 50.
    void setPickActiveDistance(int distance) { m_pickActiveDistance = distance; }
    int getPickActiveDistance() const { return m_pickActiveDistance; }
    // An extra transform applied to the quad after its placement (null: none).
    void setLocalTransform(const Transform* transform);

    // The texture's width / height (it multiplies texel rows, so that one
    // scale serves both axes) and 1 / width, the scale from texels to
    // texture coordinates. Read from the texture at every use.
    float getTexelAspect() const;
    float getTextureCoordScale() const;

    // The corners of the last render, in world coordinates (index 0..3:
    // right-bottom, left-bottom, left-top, right-top of the quad).
    const slmath::vec4& getCornerPoint(int index) const;
    // The quad's scale of the last render (world units per texel).
    const slmath::vec3& getSpriteScale() const { return m_spriteScale; }

    // Adds the sprite to a dynamic buffer (see Graphics3D::addToDynamicBuffer);
    // an empty crop adds nothing. Requires g3d (" g3d "), a texture ("can
    // not render a sprite because texture is missing") and an active
    // camera (" cam "); asserts "can not add Sprite3D to buffer" when no
    // buffer takes it even after a flush.
    void render(Graphics3D* g3d, const Transform* transform, int flags) override;
    // Tests the ray against the sprite's quad placed as by render (with the
    // renderer's active camera for the camera-facing types).
    bool handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                    const Transform* parentTransform, int pickFlags, float* minDistance) override;
    // Writes the quad into `item` from vertex `firstVertex` on: four
    // vertices with the colour, fixed-point positions, normals, texture
    // coordinates in texels, and two triangles. Requires item (" item ")
    // and a registered renderer; asserts "invalid Sprite3D type" and, for
    // type 1 without an active camera, "can not update the sprite because
    // camera is missing".
    bool renderNodeToBatcher(int firstVertex, BatcherItem* item, const Transform* transform) override;

    // The placement of the quad (see the class comment) for the sprite
    // placed by `spriteTransform`, seen by `camera` with its world transform
    // and its inverse; sets the sprite scale. Exposed for tests.
    void calcFinalTransform(Camera* camera, const Transform* invertedCameraTransform, const Transform* cameraTransform,
                            const Transform* spriteTransform, Transform* finalTransformOut);
    // The four corners of the cropped, scaled quad under `transform`, and
    // its unit normal. Exposed for tests.
    void calcRotatedCornerPoints(slmath::vec3* normalOut, slmath::vec4* corners, const Transform* transform) const;

protected:
    Sprite3D(const Sprite3D& other);

private:
    // Crop to the whole texture.
    void initSprite3D();

    core::Ref<Appearance> m_appearance;
    core::Ref<Texture2D> m_texture;
    slmath::vec4 m_corners[4];
    slmath::vec3 m_spriteScale{1.f, 1.f, 1.f};
    Transform m_localTransform;
    int32_t m_cropX = 0;
    int32_t m_cropY = 0;
    int32_t m_cropWidth = 0;
    int32_t m_cropHeight = 0;
    int32_t m_pickActiveDistance = 50;
    int32_t m_texelInset = 0;
    uint32_t m_color = 0xFFFFFFFFu;
    int32_t m_spriteType = LOCAL_PLANE;
    bool m_hasLocalTransform = false;
};

} // namespace render
