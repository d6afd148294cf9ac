#include "render/NullGraphics3D.h"

#include "render/appearance/Texture2D.h"

namespace render {

NullGraphics3D::NullGraphics3D() = default;

NullGraphics3D::~NullGraphics3D() noexcept(false) = default;

void NullGraphics3D::setDepthRange(float, float)
{
}

void NullGraphics3D::setActiveShaderProgram(int)
{
}

int NullGraphics3D::createStaticBuffer(int, int, const void*)
{
    return 0;
}

void NullGraphics3D::deleteStaticBuffer(int)
{
}

Texture2D* NullGraphics3D::createNewTexture(int, int)
{
    return VORNA3D_NEW Texture2D(nullptr);
}

int NullGraphics3D::getActiveShaderProgram()
{
    return 0;
}

void NullGraphics3D::swapBuffers()
{
}

void NullGraphics3D::makeCurrent()
{
}

void NullGraphics3D::createContext()
{
}

void NullGraphics3D::lowLevelClear(float, float, float, float, bool, bool)
{
}

void NullGraphics3D::lowLevelRender(VertexBuffer*, IndexBuffer*, Appearance*, const Transform&, int)
{
}

void NullGraphics3D::lowLevelBindTarget()
{
}

void NullGraphics3D::lowLevelReleaseTarget()
{
}

bool NullGraphics3D::sendLightData(const LightConfig*)
{
    return true;
}

void NullGraphics3D::loadProjection()
{
}

void NullGraphics3D::lowLevelSetViewport(int, int, int, int)
{
}

bool NullGraphics3D::checkError(const char*)
{
    return true;
}

void NullGraphics3D::updateProperties()
{
    setDeviceLimits(MAX_VIEWPORT_SIZE, MAX_VIEWPORT_SIZE, MAX_TEXTURE_SIZE, TEXTURE_UNITS);
}

void NullGraphics3D::initRenderState()
{
}

void NullGraphics3D::copyScreenToTexture(int, int, int, int)
{
}

} // namespace render
