#include "render/appearance/CompositingMode.h"

#include "render/appearance/Stencil.h"
#include "slmath/scalar.h"

namespace render {

CompositingMode::CompositingMode() = default;

CompositingMode::CompositingMode(const CompositingMode& other)
    : Object3D(other), m_alphaThreshold(other.m_alphaThreshold), m_depthOffsetFactor(other.m_depthOffsetFactor),
      m_depthOffsetUnits(other.m_depthOffsetUnits), m_blendColor(other.m_blendColor),
      m_alphaTestFunction(other.m_alphaTestFunction), m_depthTestFunction(other.m_depthTestFunction),
      m_depthTestEnabled(other.m_depthTestEnabled), m_depthWriteEnabled(other.m_depthWriteEnabled),
      m_colorWriteEnabled(other.m_colorWriteEnabled), m_alphaWriteEnabled(other.m_alphaWriteEnabled),
      m_blending(other.m_blending)
{
    if (other.m_stencil)
        m_stencil = core::Ref<Stencil>(other.m_stencil->duplicate());
}

CompositingMode::~CompositingMode() noexcept(false) = default;

CompositingMode* CompositingMode::duplicate() const
{
    return VORNA3D_NEW CompositingMode(*this);
}

void CompositingMode::setBlending(int mode)
{
    ASSERT_MSG(mode >= ALPHA && mode <= SCREEN, "setBlending failed because mode is illegal");
    m_blending = mode;
}

int CompositingMode::getBlending() const
{
    ASSERT_MSG(m_blending >= ALPHA && m_blending <= SCREEN, "getBlending failed because mode is illegal");
    return m_blending;
}

void CompositingMode::setAlphaThreshold(float threshold)
{
    ASSERT((threshold >= 0.0f) && (threshold <= 1.0f));
    m_alphaThreshold = threshold;
}

float CompositingMode::getAlphaThreshold() const
{
    ASSERT_MSG(m_alphaThreshold >= 0.f && m_alphaThreshold <= 1.f, "Alpha treshold value is invalid");
    return m_alphaThreshold;
}

void CompositingMode::setAlphaTest(int func)
{
    ASSERT_MSG(func >= LESS && func <= ALWAYS, "setAlphaTest failed because func is illegal.");
    m_alphaTestFunction = func;
}

void CompositingMode::setDepthFunction(int func)
{
    ASSERT_MSG(func >= NEVER && func <= ALWAYS, "setDepthFunction failed because func is illegal.");
    m_depthTestFunction = func;
}

void CompositingMode::setDepthOffset(float factor, float units)
{
    ASSERT(slmath::check(factor) && slmath::check(units));
    m_depthOffsetFactor = factor;
    m_depthOffsetUnits = units;
}

void CompositingMode::setStencil(Stencil* stencil)
{
    m_stencil = stencil;
}

} // namespace render
