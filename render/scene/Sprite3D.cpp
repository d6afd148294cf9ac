#include "render/scene/Sprite3D.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "render/appearance/Appearance.h"
#include "render/BatcherItem.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/scene/PickGeometry.h"
#include "render/scene/RayIntersection.h"
#include "render/appearance/Texture2D.h"

namespace render {

namespace {

// `value` rounded away from zero to an even number.
int evenUp(int value)
{
    if ((value & 1) == 0)
        return value;
    return value > 0 ? value + 1 : value - 1;
}

// The crop size along one axis cut at the texture's far edge.
int clampedCrop(int cropPos, int cropSize, int textureSize)
{
    if (int64_t(cropPos) + cropSize > textureSize)
        return textureSize - cropPos;
    return cropSize;
}

// The corner order of the quad and its two triangles.
constexpr unsigned short QUAD_INDICES[6] = {0, 3, 1, 2, 1, 3};

} // namespace

Sprite3D::Sprite3D(Texture2D* texture)
{
    ASSERT_MSG(texture, "Sprite3D constructor failed. texture parameter is 0");
    m_texture = texture;
    initSprite3D();
}

Sprite3D::Sprite3D(Image2D* image, Appearance* appearance)
{
    ASSERT_MSG(appearance, " app ");
    ASSERT_MSG(image, " img ");
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT_MSG(g3d, " g3d != 0 ");
    m_texture = g3d->createNewTexture(0, 0);
    ASSERT_MSG(m_texture, " m_texture != 0 ");
    m_texture->setImage(image);
    m_appearance = appearance;
    initSprite3D();
}

Sprite3D::Sprite3D(const Sprite3D& other)
    : Node(other), m_appearance(other.m_appearance), m_texture(other.m_texture), m_spriteScale(other.m_spriteScale),
      m_localTransform(other.m_localTransform), m_cropX(other.m_cropX), m_cropY(other.m_cropY),
      m_cropWidth(other.m_cropWidth), m_cropHeight(other.m_cropHeight),
      m_pickActiveDistance(other.m_pickActiveDistance), m_texelInset(other.m_texelInset), m_color(other.m_color),
      m_spriteType(other.m_spriteType), m_hasLocalTransform(other.m_hasLocalTransform)
{
}

Sprite3D::~Sprite3D() noexcept(false) = default;

Sprite3D* Sprite3D::duplicate() const
{
    return VORNA3D_NEW Sprite3D(*this);
}

void Sprite3D::initSprite3D()
{
    ASSERT(m_texture);
    setCrop(0, 0, m_texture->getWidth(), m_texture->getHeight());
}

void Sprite3D::setCrop(int x, int y, int width, int height)
{
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT(g3d);
    // In 64 bits: with the default limit (INT_MAX) a 32-bit sum would wrap.
    const int64_t limit = g3d->getProperties().maxSpriteCropDimension;
    ASSERT_MSG(int64_t(x) + width <= limit && int64_t(y) + height <= limit,
               "Sprite3D setCrop failed. width or height parameter is too big");
    m_cropX = x;
    m_cropY = y;
    m_cropWidth = width;
    m_cropHeight = height;
}

void Sprite3D::setImage(Image2D* image)
{
    ASSERT(m_texture);
    m_texture->setImage(image);
    initSprite3D();
}

Texture2D* Sprite3D::getTexture() const
{
    ASSERT_MSG(m_texture, "Sprite3D getTexture failed. Sprite3D does not have a texture");
    return m_texture.get();
}

void Sprite3D::setAppearance(Appearance* appearance)
{
    m_appearance = appearance;
}

void Sprite3D::setLocalTransform(const Transform* transform)
{
    m_hasLocalTransform = transform != nullptr;
    if (transform)
        m_localTransform.set(*transform);
    else
        m_localTransform.setIdentity();
}

float Sprite3D::getTexelAspect() const
{
    const Texture2D* texture = getTexture();
    return float(texture->getWidth()) / float(texture->getHeight());
}

float Sprite3D::getTextureCoordScale() const
{
    return 1.f / float(getTexture()->getWidth());
}

const slmath::vec4& Sprite3D::getCornerPoint(int index) const
{
    ASSERT(index >= 0 && index < 4);
    return m_corners[index];
}

void Sprite3D::render(Graphics3D* g3d, const Transform* transform, int)
{
    ASSERT(g3d);
    ASSERT_MSG(m_texture, "can not render a sprite because texture is missing");
    Camera* cam = g3d->getCamera();
    ASSERT(cam);
    ASSERT(transform);
    if (m_cropWidth == 0 || m_cropHeight == 0)
        return;
    g3d->addToDynamicBuffer(this, transform);
}

void Sprite3D::calcFinalTransform(Camera* camera, const Transform* invertedCameraTransform,
                                  const Transform* cameraTransform, const Transform* spriteTransform,
                                  Transform* finalTransformOut)
{
    ASSERT(spriteTransform);
    ASSERT(invertedCameraTransform);
    ASSERT(cameraTransform);
    ASSERT(finalTransformOut);
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT(g3d);

    m_spriteScale = getScale();
    if (m_spriteType == LOCAL_PLANE) {
        finalTransformOut->set(*spriteTransform);
        return;
    }
    ASSERT_MSG(m_spriteType == FACING_CAMERA || m_spriteType == FACING_CAMERA_PIXELS, "invalid Sprite3D type");
    ASSERT_MSG(camera || m_spriteType != FACING_CAMERA_PIXELS, "can not update the sprite because camera is missing");

    float params[4] = {};
    if (m_spriteType == FACING_CAMERA_PIXELS && camera->getProjection(params) != Camera::PERSPECTIVE) {
        finalTransformOut->set(*spriteTransform);
        return;
    }
    const slmath::vec4 position = spriteTransform->transform(slmath::vec4(0.f, 0.f, 0.f, 1.f));
    if (m_spriteType == FACING_CAMERA_PIXELS) {
        const float depth = invertedCameraTransform->transform(position).z;
        // On the display the viewport is measured in picture pixels, so the
        // sprite keeps its size relative to the picture however large the
        // window shows it.
        const int viewportWidth = g3d->getViewportWidth();
        ASSERT(viewportWidth > 0);
        const float texel =
            2.f * std::fabs(depth) * std::tan(params[0] * slmath::DEG_TO_RAD / 2.f) * params[1] / float(viewportWidth);
        m_spriteScale = m_spriteScale * texel;
    }
    // The camera's axes at the sprite's position.
    slmath::mat4 rotation = cameraTransform->getMatrix();
    rotation[0].w = 0.f;
    rotation[1].w = 0.f;
    rotation[2].w = 0.f;
    finalTransformOut->setIdentity();
    finalTransformOut->postTranslate(position.x, position.y, position.z);
    finalTransformOut->postMultiply(Transform(rotation));
}

void Sprite3D::calcRotatedCornerPoints(slmath::vec3* normalOut, slmath::vec4* corners, const Transform* transform) const
{
    ASSERT_MSG(corners, " p ");
    ASSERT(transform);
    const Texture2D* texture = getTexture();
    const int w = clampedCrop(m_cropX, m_cropWidth, texture->getWidth());
    const int h = clampedCrop(m_cropY, m_cropHeight, texture->getHeight());
    const float scaleX = m_spriteScale.x * (m_cropWidth < 0 ? -1.f : 1.f);
    const float scaleY = m_spriteScale.y * (m_cropHeight < 0 ? -1.f : 1.f);
    // Centred on the whole crop, rounded to even sizes so that a centred
    // quad starts on a whole texel.
    const float x0 = -(float(evenUp(m_cropWidth)) * 0.5f * scaleX);
    const float y0 = -(float(evenUp(m_cropHeight)) * 0.5f * scaleY);
    const float width = scaleX * float(evenUp(w));
    const float height = scaleY * float(evenUp(h));
    const float xs[4] = {x0 + width, x0, x0, x0 + width};
    const float ys[4] = {y0, y0, y0 + height, y0 + height};
    for (int i = 0; i < 4; ++i)
        corners[i] = transform->transform(slmath::vec4(xs[i], ys[i], 0.f, 1.f));
    if (normalOut) {
        const slmath::vec4 n = transform->transform(slmath::vec4(0.f, 0.f, 1.f, 0.f));
        const slmath::vec3 normal(n.x, n.y, n.z);
        const float length = slmath::length(normal);
        *normalOut = length > FLT_MIN ? normal / length : slmath::vec3(0.f, 0.f, 1.f);
    }
}

bool Sprite3D::renderNodeToBatcher(int firstVertex, BatcherItem* item, const Transform* transform)
{
    ASSERT(item);
    ASSERT(transform);
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT(g3d);

    Transform final;
    calcFinalTransform(g3d->getCamera(), &g3d->getViewTransform(), &g3d->getCameraTransform(), transform, &final);
    if (m_hasLocalTransform)
        final.postMultiply(m_localTransform);

    item->setSizes(VERTEX_COUNT, INDEX_COUNT, true);
    item->textureCoordScale = getTextureCoordScale();

    const char rgba[4] = {char(m_color >> 24), char(m_color >> 16), char(m_color >> 8), char(m_color)};
    for (int i = 0; i < 16; ++i)
        item->colors[i] = rgba[i % 4];

    slmath::vec3 normal;
    calcRotatedCornerPoints(&normal, m_corners, &final);
    int* posPtr = item->positionCoords.data();
    ASSERT(posPtr);
    for (int i = 0; i < 4; ++i) {
        posPtr[i * 3 + 0] = BatcherItem::toFixed(m_corners[i].x);
        posPtr[i * 3 + 1] = BatcherItem::toFixed(m_corners[i].y);
        posPtr[i * 3 + 2] = BatcherItem::toFixed(m_corners[i].z);
    }
    short* norPtr = item->normals.data();
    ASSERT(norPtr);
    for (int i = 0; i < 4; ++i) {
        norPtr[i * 3 + 0] = static_cast<short>(normal.x * 32767.f);
        norPtr[i * 3 + 1] = static_cast<short>(normal.y * 32767.f);
        norPtr[i * 3 + 2] = static_cast<short>(normal.z * 32767.f);
    }

    // Texture coordinates in texels; rows are scaled by the aspect so that
    // one scale (1 / width) serves both axes. The parts cut off at the
    // texture's edges are cut from the coordinates as from the quad.
    const Texture2D* texture = getTexture();
    const float aspect = getTexelAspect();
    const int w = clampedCrop(m_cropX, m_cropWidth, texture->getWidth());
    const int h = clampedCrop(m_cropY, m_cropHeight, texture->getHeight());
    const float inset = float(m_texelInset);
    const float u0 = float(m_cropX) + inset;
    const float u1 = float(m_cropX + w) - inset;
    float vLow = float(m_cropY) * aspect + inset;
    float vHigh = float(m_cropY + h) * aspect - inset;
    if (getRenderFlags() & FLAG_FLIP_Y) {
        const float swap = vLow;
        vLow = vHigh;
        vHigh = swap;
    }
    const float us[4] = {u1, u0, u0, u1};
    const float vs[4] = {vHigh, vHigh, vLow, vLow};
    short* textPtr = item->textureCoords.data();
    ASSERT(textPtr);
    for (int i = 0; i < 4; ++i) {
        textPtr[i * 2 + 0] = BatcherItem::toShort(us[i]);
        textPtr[i * 2 + 1] = BatcherItem::toShort(vs[i]);
    }

    for (int i = 0; i < INDEX_COUNT; ++i)
        item->indices[i] = static_cast<unsigned short>(firstVertex + QUAD_INDICES[i]);
    return true;
}

bool Sprite3D::handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                          const Transform* parentTransform, int, float* minDistance)
{
    ASSERT(minDistance);
    ASSERT(ri);
    ASSERT(parentTransform);
    if (!isPickingEnabled() || (scope & getScope()) == 0 || m_cropWidth == 0 || m_cropHeight == 0 || !m_texture)
        return false;
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT(g3d);
    if (!g3d->getCamera() && m_spriteType != LOCAL_PLANE)
        return false;

    Transform final;
    calcFinalTransform(g3d->getCamera(), &g3d->getViewTransform(), &g3d->getCameraTransform(), parentTransform, &final);
    if (m_hasLocalTransform)
        final.postMultiply(m_localTransform);
    slmath::vec4 c[4];
    slmath::vec3 normal;
    calcRotatedCornerPoints(&normal, c, &final);
    const slmath::vec3 p[4] = {slmath::vec3(c[0].x, c[0].y, c[0].z), slmath::vec3(c[1].x, c[1].y, c[1].z),
                               slmath::vec3(c[2].x, c[2].y, c[2].z), slmath::vec3(c[3].x, c[3].y, c[3].z)};
    const slmath::vec3 o(ox, oy, oz);
    const slmath::vec3 d(dx, dy, dz);
    float t = 0.f;
    bool hit = false;
    for (int tri = 0; tri < 2; ++tri) {
        float triT = 0.f;
        const unsigned short* k = QUAD_INDICES + tri * 3;
        if (pick::intersectTriangle(o, d, p[k[0]], p[k[1]], p[k[2]], &triT) && (!hit || triT < t)) {
            hit = true;
            t = triT;
        }
    }
    if (!hit)
        return false;
    const float distance = t * slmath::length(d);
    if (m_pickActiveDistance > 0 && distance > float(m_pickActiveDistance))
        return false;
    if (!(distance < *minDistance))
        return false;
    *minDistance = distance;
    ri->set(this, o, slmath::normalize(d), distance, 0, normal);
    return true;
}

} // namespace render
