#include "render/appearance/PolygonMode.h"

#include "slmath/scalar.h"

namespace render {

PolygonMode::PolygonMode() = default;

PolygonMode::PolygonMode(const PolygonMode& other) = default;

PolygonMode::~PolygonMode() noexcept(false) = default;

PolygonMode* PolygonMode::duplicate() const
{
    return VORNA3D_NEW PolygonMode(*this);
}

void PolygonMode::setCulling(int mode)
{
    ASSERT(mode == CULL_BACK || mode == CULL_FRONT || mode == CULL_NONE);
    m_culling = mode;
}

void PolygonMode::setShading(int mode)
{
    ASSERT(mode == SHADE_FLAT || mode == SHADE_SMOOTH);
    m_shading = mode;
}

void PolygonMode::setWinding(int mode)
{
    ASSERT(mode == WINDING_CCW || mode == WINDING_CW);
    m_winding = mode;
}

void PolygonMode::setLineWidth(float width)
{
    ASSERT(width > 0 && slmath::check(width));
    m_lineWidth = width;
}

} // namespace render
