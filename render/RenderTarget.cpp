#include "render/RenderTarget.h"

#include "render/appearance/Texture2D.h"

namespace render {

RenderTarget::RenderTarget(Texture2D* texture) : m_texture(texture)
{
    ASSERT(m_texture);
}

RenderTarget::~RenderTarget() noexcept(false) = default;

} // namespace render
