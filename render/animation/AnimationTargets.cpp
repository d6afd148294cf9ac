#include "render/animation/AnimationTargets.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "render/animation/AnimationTrack.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/Fog.h"
#include "render/scene/Light.h"
#include "render/appearance/Material.h"
#include "render/scene/MorphingMesh.h"
#include "render/scene/Node.h"
#include "render/scene/Sprite3D.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/Transformable.h"
#include "render/geometry/VertexBuffer.h"
#include "slmath/slmath.h"

namespace render {

namespace {

// The failure texts name the property; they are built only on failure.
[[noreturn]] void failFor(const char* function, int line, const char* format, int property)
{
    char text[160];
    std::snprintf(text, sizeof text, format, AnimationTrack::getTargetPropertyName(property));
    core::assertionFailed(__FILE__, function, line, text);
}

#define CHECK_COUNT(ok)                                                                                               \
    do {                                                                                                              \
        if (!(ok))                                                                                                    \
            failFor(VORNA3D_FUNCTION, __LINE__, "Component count not correct for \"%s\" target property.", property); \
    } while (0)

#define FAIL_TYPE() \
    failFor(VORNA3D_FUNCTION, __LINE__, "Invalid target object type for \"%s\" target property.", property)

float clamp(float v, float lo, float hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// A colour component in [0, 1] as a byte, truncated.
uint32_t colorByte(float v)
{
    return static_cast<uint32_t>(clamp(v, 0.f, 1.f) * 255.f);
}

// `argb` with its red, green and blue bytes from the three values.
uint32_t withRGB(uint32_t argb, const float* value)
{
    return (argb & 0xFF000000u) | (colorByte(value[0]) << 16) | (colorByte(value[1]) << 8) | colorByte(value[2]);
}

// `argb` with its alpha byte from the value.
uint32_t withAlpha(uint32_t argb, float alpha)
{
    return (argb & 0x00FFFFFFu) | (colorByte(alpha) << 24);
}

// Each apply... helper returns false when the target is of no class the
// property applies to; applyAnimatedValue reports that.

bool applyColor(Object3D* target, int property, const float* value)
{
    if (Material* material = dynamic_cast<Material*>(target)) {
        int which = 0;
        switch (property) {
        case AnimationTrack::AMBIENT_COLOR:
            which = Material::AMBIENT;
            break;
        case AnimationTrack::DIFFUSE_COLOR:
            which = Material::DIFFUSE;
            break;
        case AnimationTrack::EMISSIVE_COLOR:
            which = Material::EMISSIVE;
            break;
        case AnimationTrack::SPECULAR_COLOR:
            which = Material::SPECULAR;
            break;
        default:
            return false;
        }
        material->setColor(which, withRGB(material->getColor(which), value));
        return true;
    }
    if (property != AnimationTrack::COLOR)
        return false;
    if (Light* light = dynamic_cast<Light*>(target))
        light->setColor(static_cast<int>(withRGB(static_cast<uint32_t>(light->getColor()), value)));
    else if (Background* background = dynamic_cast<Background*>(target))
        background->setColor(withRGB(background->getColor(), value));
    else if (Fog* fog = dynamic_cast<Fog*>(target))
        fog->setColor(withRGB(fog->getColor(), value));
    else if (Texture2D* texture = dynamic_cast<Texture2D*>(target))
        texture->setBlendColor(withRGB(texture->getBlendColor(), value));
    else if (VertexBuffer* vb = dynamic_cast<VertexBuffer*>(target))
        vb->setDefaultColor(withRGB(vb->getDefaultColor(), value));
    else
        return false;
    return true;
}

bool applyAlpha(Object3D* target, const float* value)
{
    const float alpha = clamp(value[0], 0.f, 1.f);
    if (Node* node = dynamic_cast<Node*>(target))
        node->setAlphaFactor(alpha);
    else if (Background* background = dynamic_cast<Background*>(target))
        background->setColor(withAlpha(background->getColor(), alpha));
    else if (Material* material = dynamic_cast<Material*>(target))
        material->setColor(Material::DIFFUSE, withAlpha(material->getColor(Material::DIFFUSE), alpha));
    else if (VertexBuffer* vb = dynamic_cast<VertexBuffer*>(target))
        vb->setDefaultColor(withAlpha(vb->getDefaultColor(), alpha));
    else
        return false;
    return true;
}

// The camera's projection with one parameter replaced (0 fovy / height,
// 2 near, 3 far). A perspective camera keeps its projection for a field of
// view outside (0, 180) and takes distances <= 0 as FLT_MIN; a parallel one
// takes a height <= 0 as FLT_MIN.
void applyCameraParameter(Camera* camera, int parameter, float value, const char* modeText)
{
    float p[4];
    const int type = camera->getProjection(p);
    ASSERT_MSG(type == Camera::PERSPECTIVE || type == Camera::PARALLEL, modeText);
    if (type == Camera::PERSPECTIVE) {
        if (parameter == 0) {
            // The projection is undefined at 0 and 180 degrees and beyond.
            if (!(value > 0.f && value < 180.f))
                return;
        } else if (value <= 0.f) {
            value = FLT_MIN;
        }
        p[parameter] = value;
        camera->setPerspective(p[0], p[1], p[2], p[3]);
    } else {
        if (parameter == 0 && value <= 0.f)
            value = FLT_MIN;
        p[parameter] = value;
        camera->setParallel(p[0], p[1], p[2], p[3]);
    }
}

const char* const NEAR_TEXT =
    "Camera Near Distance is tried to animate and camera is not in PERSPECTIVE or PARALLEL mode";
const char* const FAR_TEXT =
    "Camera Far Distance is tried to animate and camera is not in PERSPECTIVE or PARALLEL mode";

bool applyDistance(Object3D* target, int property, const float* value)
{
    const bool nearDistance = property == AnimationTrack::NEAR_DISTANCE;
    if (Camera* camera = dynamic_cast<Camera*>(target)) {
        applyCameraParameter(camera, nearDistance ? 2 : 3, value[0], nearDistance ? NEAR_TEXT : FAR_TEXT);
    } else if (Fog* fog = dynamic_cast<Fog*>(target)) {
        if (nearDistance)
            fog->setLinear(value[0], fog->getFarDistance());
        else
            fog->setLinear(fog->getNearDistance(), value[0]);
    } else {
        return false;
    }
    return true;
}

void applyOrientation(Transformable* transformable, const float* value)
{
    // A zero quaternion is no rotation at all: with weights of 0 every
    // blended quaternion is zero. The orientation stays as it is.
    if (value[0] == 0.f && value[1] == 0.f && value[2] == 0.f && value[3] == 0.f)
        return;
    const slmath::quat q = slmath::normalize(slmath::quat(value[0], value[1], value[2], value[3]));
    slmath::vec3 axis;
    float angle = 0.f;
    slmath::toAngleAxis(q, axis, angle);
    if (std::fabs(axis.x) < FLT_MIN && std::fabs(axis.y) < FLT_MIN && std::fabs(axis.z) < FLT_MIN)
        axis = slmath::vec3(1.f, 0.f, 0.f);
    axis = slmath::normalize(axis);
    transformable->setOrientation(angle * slmath::RAD_TO_DEG, axis.x, axis.y, axis.z);
}

// To the nearest integer, halves upwards (also for the negative sizes of
// a sprite's crop).
int rounded(float v)
{
    return static_cast<int>(std::floor(v + 0.5f));
}

void applyCrop(Background* background, const float* value, int count)
{
    int width = background->getCropWidth();
    int height = background->getCropHeight();
    // A background's crop has no negative size.
    if (count == 4) {
        width = std::max(0, rounded(value[2]));
        height = std::max(0, rounded(value[3]));
    }
    background->setCrop(rounded(value[0]), rounded(value[1]), width, height);
}

void applyCrop(Sprite3D* sprite, const float* value, int count)
{
    // A sprite's negative crop size mirrors its image.
    const int width = count == 4 ? rounded(value[2]) : sprite->getCropWidth();
    const int height = count == 4 ? rounded(value[3]) : sprite->getCropHeight();
    sprite->setCrop(rounded(value[0]), rounded(value[1]), width, height);
}

template <class T> bool isA(const Object3D* object)
{
    return dynamic_cast<const T*>(object) != nullptr;
}

} // namespace

void applyAnimatedValue(Object3D* target, int property, const float* value, int count)
{
    ASSERT_MSG(target && value, "NULL object");
    switch (property) {
    case AnimationTrack::ALPHA:
        CHECK_COUNT(count == 1);
        if (!applyAlpha(target, value))
            FAIL_TYPE();
        return;
    case AnimationTrack::AMBIENT_COLOR:
    case AnimationTrack::COLOR:
    case AnimationTrack::DIFFUSE_COLOR:
    case AnimationTrack::EMISSIVE_COLOR:
    case AnimationTrack::SPECULAR_COLOR:
        CHECK_COUNT(count == 3);
        if (!applyColor(target, property, value))
            FAIL_TYPE();
        return;
    case AnimationTrack::CROP: {
        CHECK_COUNT(count == 2 || count == 4);
        if (Background* background = dynamic_cast<Background*>(target))
            applyCrop(background, value, count);
        else if (Sprite3D* sprite = dynamic_cast<Sprite3D*>(target))
            applyCrop(sprite, value, count);
        else
            FAIL_TYPE();
        return;
    }
    case AnimationTrack::DENSITY: {
        CHECK_COUNT(count == 1);
        Fog* fog = dynamic_cast<Fog*>(target);
        if (!fog)
            FAIL_TYPE();
        // The density must stay positive: 0 and below become the smallest one.
        fog->setDensity(value[0] > 0.f ? value[0] : FLT_MIN);
        return;
    }
    case AnimationTrack::FAR_DISTANCE:
    case AnimationTrack::NEAR_DISTANCE:
        CHECK_COUNT(count == 1);
        if (!applyDistance(target, property, value))
            FAIL_TYPE();
        return;
    case AnimationTrack::FIELD_OF_VIEW: {
        CHECK_COUNT(count == 1);
        Camera* camera = dynamic_cast<Camera*>(target);
        if (!camera)
            FAIL_TYPE();
        applyCameraParameter(camera, 0, value[0], FAR_TEXT);
        return;
    }
    case AnimationTrack::INTENSITY: {
        CHECK_COUNT(count == 1);
        Light* light = dynamic_cast<Light*>(target);
        if (!light)
            FAIL_TYPE();
        light->setIntensity(value[0]);
        return;
    }
    case AnimationTrack::MORPH_WEIGHTS: {
        CHECK_COUNT(count >= 1);
        MorphingMesh* mesh = dynamic_cast<MorphingMesh*>(target);
        if (!mesh)
            FAIL_TYPE();
        mesh->setWeights(value, count);
        return;
    }
    case AnimationTrack::ORIENTATION: {
        CHECK_COUNT(count == 4);
        Transformable* transformable = dynamic_cast<Transformable*>(target);
        if (!transformable)
            FAIL_TYPE();
        applyOrientation(transformable, value);
        return;
    }
    case AnimationTrack::PICKABILITY:
    case AnimationTrack::VISIBILITY: {
        CHECK_COUNT(count == 1);
        Node* node = dynamic_cast<Node*>(target);
        if (!node)
            FAIL_TYPE();
        if (property == AnimationTrack::PICKABILITY)
            node->setPickingEnable(value[0] > 0.5f);
        else
            node->setRenderingEnable(value[0] > 0.5f);
        return;
    }
    case AnimationTrack::SCALE: {
        CHECK_COUNT(count == 1 || count == 3);
        Transformable* transformable = dynamic_cast<Transformable*>(target);
        if (!transformable)
            FAIL_TYPE();
        if (count == 1)
            transformable->setScale(value[0], value[0], value[0]);
        else
            transformable->setScale(value[0], value[1], value[2]);
        return;
    }
    case AnimationTrack::SHININESS: {
        CHECK_COUNT(count == 1);
        Material* material = dynamic_cast<Material*>(target);
        if (!material)
            FAIL_TYPE();
        material->setShininess(clamp(value[0], 0.f, 128.f));
        return;
    }
    case AnimationTrack::SPOT_ANGLE:
    case AnimationTrack::SPOT_EXPONENT: {
        CHECK_COUNT(count == 1);
        Light* light = dynamic_cast<Light*>(target);
        if (!light)
            FAIL_TYPE();
        if (property == AnimationTrack::SPOT_ANGLE)
            light->setSpotAngle(clamp(value[0], 0.f, 90.f));
        else
            light->setSpotExponent(clamp(value[0], 0.f, 128.f));
        return;
    }
    case AnimationTrack::TRANSLATION: {
        CHECK_COUNT(count == 3);
        Transformable* transformable = dynamic_cast<Transformable*>(target);
        if (!transformable)
            FAIL_TYPE();
        transformable->setTranslation(value[0], value[1], value[2]);
        return;
    }
    default:
        ASSERT_MSG(false, "Target property not according to specification or it is unsupported.");
    }
}

bool acceptsAnimatedValue(const Object3D* target, int property, int count)
{
    if (!target)
        return false;
    switch (property) {
    case AnimationTrack::ALPHA:
        return count == 1 &&
            (isA<Node>(target) || isA<Background>(target) || isA<Material>(target) || isA<VertexBuffer>(target));
    case AnimationTrack::AMBIENT_COLOR:
    case AnimationTrack::DIFFUSE_COLOR:
    case AnimationTrack::EMISSIVE_COLOR:
    case AnimationTrack::SPECULAR_COLOR:
        return count == 3 && isA<Material>(target);
    case AnimationTrack::COLOR:
        return count == 3 &&
            (isA<Light>(target) || isA<Background>(target) || isA<Fog>(target) || isA<Texture2D>(target) ||
             isA<VertexBuffer>(target));
    case AnimationTrack::CROP:
        return (count == 2 || count == 4) && (isA<Background>(target) || isA<Sprite3D>(target));
    case AnimationTrack::DENSITY:
        return count == 1 && isA<Fog>(target);
    case AnimationTrack::FAR_DISTANCE:
    case AnimationTrack::NEAR_DISTANCE:
        return count == 1 && (isA<Camera>(target) || isA<Fog>(target));
    case AnimationTrack::FIELD_OF_VIEW:
        return count == 1 && isA<Camera>(target);
    case AnimationTrack::INTENSITY:
    case AnimationTrack::SPOT_ANGLE:
    case AnimationTrack::SPOT_EXPONENT:
        return count == 1 && isA<Light>(target);
    case AnimationTrack::MORPH_WEIGHTS:
        return count >= 1 && isA<MorphingMesh>(target);
    case AnimationTrack::ORIENTATION:
        return count == 4 && isA<Transformable>(target);
    case AnimationTrack::PICKABILITY:
    case AnimationTrack::VISIBILITY:
        return count == 1 && isA<Node>(target);
    case AnimationTrack::SCALE:
        return (count == 1 || count == 3) && isA<Transformable>(target);
    case AnimationTrack::SHININESS:
        return count == 1 && isA<Material>(target);
    case AnimationTrack::TRANSLATION:
        return count == 3 && isA<Transformable>(target);
    default:
        return false;
    }
}

} // namespace render
