// Graphics3D's screen-space drawing and its own geometry: the unit quad
// (createMesh), the quad with the 2D appearance, the background image drawn
// by clear, and textured screen rectangles (rect).
//
// Screen-space draws use the background camera, a parallel projection of
// (0, 0)..(picture width, picture height) with y up, and a unit quad scaled
// and moved onto the wanted rectangle. They are unlit, and they leave the
// active camera and the lighting switch as they found them, also when a
// draw fails.

#include "render/Graphics3D.h"

#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/Image2D.h"
#include "render/geometry/IndexBuffer.h"
#include "render/geometry/LineListArray.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

namespace {

// Saves the active camera and the lighting switch and turns lighting off;
// restore() puts both back. When the draw throws, the destructor restores
// what it can without throwing over the first exception.
class ScreenDrawState {
public:
    explicit ScreenDrawState(Graphics3D& g3d)
        : m_g3d(g3d), m_camera(g3d.getCamera()), m_cameraTransform(g3d.getCameraTransform()),
          m_lighting(g3d.isLightingEnabled())
    {
        g3d.setLightingEnabled(false);
    }

    ~ScreenDrawState() noexcept(false)
    {
        if (m_restored)
            return;
        m_g3d.setLightingEnabled(m_lighting);
        try {
            m_g3d.setCamera(m_camera.get(), m_cameraTransform);
        } catch (...) {
            // Unwinding already: the draw's own failure is the one to report.
        }
    }

    void restore()
    {
        m_restored = true;
        m_g3d.setLightingEnabled(m_lighting);
        m_g3d.setCamera(m_camera.get(), m_cameraTransform);
    }

private:
    Graphics3D& m_g3d;
    core::Ref<Camera> m_camera;
    Transform m_cameraTransform;
    bool m_lighting;
    bool m_restored = false;
};

// Quad and texture placement along one axis of a background image.
struct BackgroundAxis {
    float quadScale;
    float quadTranslation;
    float textureScale;
    float textureTranslation;
    int wrapping;
};

// BORDER: the crop rectangle fills the screen axis exactly, so the whole
// image is scaled by screen / crop and moved so that the crop's start lands
// on the screen's start; outside the image the clear colour shows.
// REPEAT: the quad covers the screen and the texture coordinates run over
// the crop, repeating the image beyond its edges (GL repeats the padded
// texture, so only sides that are powers of two repeat seamlessly). Sizes in the texture are
// fractions of the padded size, where the image occupies [0, size / padded).
// `fromEnd` measures the crop from the other end of the quad axis: image
// rows grow downwards while the quad's y grows upwards.
BackgroundAxis backgroundAxis(int mode, int imageSize, int paddedSize, int cropPos, int cropSize, float screen,
                              bool fromEnd)
{
    BackgroundAxis axis{};
    const float padded = float(paddedSize);
    if (mode == Background::REPEAT) {
        axis.quadScale = screen;
        axis.quadTranslation = 0.f;
        axis.textureScale = float(cropSize) / padded;
        axis.textureTranslation = float(cropPos) / padded;
        axis.wrapping = Texture2D::WRAP_REPEAT;
        return axis;
    }
    const float pixel = screen / float(cropSize); // screen units per image pixel
    axis.quadScale = float(imageSize) * pixel;
    axis.quadTranslation = fromEnd ? float(cropPos + cropSize - imageSize) * pixel : -float(cropPos) * pixel;
    axis.textureScale = float(imageSize) / padded;
    axis.textureTranslation = 0.f;
    axis.wrapping = Texture2D::WRAP_CLAMP;
    return axis;
}

} // namespace

Mesh* Graphics3D::createMesh(int indexBufferType, int flags)
{
    ASSERT_MSG(flags & (CREATEMESH_CREATE_DEFAULT_POLYGON | CREATE_MESH_CREATE_COLOR_ARRAY | CREATE_MESH_EMPTY),
               "flags&(CREATEMESH_CREATE_DEFAULT_POLYGON|CREATE_MESH_CREATE_COLOR_ARRAY|CREATE_MESH_EMPTY)");
    ASSERT_MSG(((flags & CREATE_MESH_EMPTY) && !(flags & CREATEMESH_CREATE_DEFAULT_POLYGON)) ||
                   (!(flags & CREATE_MESH_EMPTY) && (flags & CREATEMESH_CREATE_DEFAULT_POLYGON)),
               "(flags&CREATE_MESH_EMPTY && !(flags&CREATEMESH_CREATE_DEFAULT_POLYGON)) || "
               "(!(flags&CREATE_MESH_EMPTY) && flags&CREATEMESH_CREATE_DEFAULT_POLYGON)");
    ASSERT_MSG(indexBufferType == IndexBuffer::TRIANGLE_LIST || indexBufferType == IndexBuffer::LINE_LIST,
               "Graphics3D::createMesh failed because index buffer type is invalid");

    static constexpr short positions[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    // Image row 0 (t = 0) along the quad's top edge (y = 1).
    static constexpr short texCoords[] = {0, 1, 1, 1, 1, 0, 0, 0};
    core::Ref<VertexArray> positionArray = VORNA3D_NEW VertexArray(4, 3, 2, 0);
    positionArray->set(4, positions);
    core::Ref<VertexArray> texCoordArray = VORNA3D_NEW VertexArray(4, 2, 2, 0);
    texCoordArray->set(4, texCoords);

    core::Ref<VertexBuffer> vertices = VORNA3D_NEW VertexBuffer();
    if (flags & CREATE_MESH_CREATE_COLOR_ARRAY) {
        core::Ref<VertexArray> colors = VORNA3D_NEW VertexArray(4, 4, 1, 255);
        vertices->setColors(colors.get());
    }
    vertices->setPositions(positionArray.get(), 1.f, nullptr);
    vertices->setTexCoords(0, texCoordArray.get(), 1.f, nullptr);
    if (flags & CREATE_MESH_CREATE_NORMALS) {
        core::Ref<VertexArray> normals = VORNA3D_NEW VertexArray(4, 3, 2, 0);
        vertices->setNormals(normals.get());
    }

    // Room for six indices either way; an empty mesh has none in use yet.
    // The line list's indices are for its owner to fill: they start at 0,
    // inside the four vertices.
    core::Ref<IndexBuffer> indices;
    if (indexBufferType == IndexBuffer::TRIANGLE_LIST) {
        static constexpr unsigned short quad[] = {0, 2, 3, 0, 1, 2};
        indices = VORNA3D_NEW TriangleListArray(quad, 6);
    } else {
        static constexpr unsigned short zeros[6] = {};
        indices = VORNA3D_NEW LineListArray(zeros, 6);
    }
    if (flags & CREATE_MESH_EMPTY)
        indices->getUnsignedShortDataArrayPtr()->clear();

    return VORNA3D_NEW Mesh(vertices.get(), indices.get());
}

Mesh* Graphics3D::create2DPolygonWithDefaultAppearance(Object3D* textureOrImage)
{
    ASSERT_MSG(m_display, " m_display != 0 ");
    core::Ref<Appearance> appearance = Appearance::createOverlay(false, false);
    core::Ref<Material> material = VORNA3D_NEW Material();
    material->setColor(Material::AMBIENT, 0xFFFFFFFFu);
    material->setColor(Material::DIFFUSE, 0xFFFFFFFFu);
    appearance->setMaterial(material.get());

    if (textureOrImage) {
        core::Ref<Texture2D> texture;
        if (auto* image = dynamic_cast<Image2D*>(textureOrImage)) {
            texture = createNewTexture(0, 0);
            ASSERT_MSG(texture, " texture != 0 ");
            texture->setImage(image);
        } else {
            texture = dynamic_cast<Texture2D*>(textureOrImage);
            ASSERT_MSG(texture, " texture != 0 ");
        }
        appearance->setTexture(0, texture.get());
    }

    Mesh* mesh = createMesh(IndexBuffer::TRIANGLE_LIST, CREATEMESH_CREATE_DEFAULT_POLYGON);
    mesh->setAppearance(0, appearance.get());
    return mesh;
}

void Graphics3D::createBackgroundImagePolygon(Image2D* image)
{
    ASSERT_MSG(image, " image != 0 ");
    ASSERT_MSG(image != m_backgroundImage, " image != m_backgroundImage ");
    if (m_backgroundMesh) {
        Appearance* appearance = m_backgroundMesh->getAppearance(0);
        ASSERT_MSG(appearance, " appearance != 0 ");
        Texture2D* texture = appearance->getTexture(0);
        if (texture) {
            texture->setImage(image);
        } else {
            // The quad was made by rect, which brings its texture with each
            // draw: give it one of its own now.
            core::Ref<Texture2D> own = createNewTexture(0, 0);
            ASSERT_MSG(own, " texture != 0 ");
            own->setImage(image);
            appearance->setTexture(0, own.get());
        }
    } else {
        m_backgroundMesh = create2DPolygonWithDefaultAppearance(image);
    }
    m_backgroundTexture = m_backgroundMesh->getAppearance(0)->getTexture(0);
    m_backgroundImage = image;
}

void Graphics3D::drawBackgroundImage(Background* background)
{
    Image2D* image = background->getImage();
    ASSERT(image);
    if (image != m_backgroundImage)
        createBackgroundImagePolygon(image);
    ASSERT_MSG(m_backgroundMesh, " m_backgroundMesh != 0 ");
    ASSERT_MSG(m_backgroundTexture, " m_backgroundTexture != 0 ");
    ASSERT(m_camera2DForBackground);
    // An empty crop shows nothing (and would divide by zero below).
    if (background->getCropWidth() <= 0 || background->getCropHeight() <= 0)
        return;

    Texture2D* texture = m_backgroundTexture.get();
    const BackgroundAxis x =
        backgroundAxis(background->getImageModeX(), image->getWidth(), texture->getPaddedWidth(),
                       background->getCropX(), background->getCropWidth(), float(m_pictureWidth), false);
    const BackgroundAxis y =
        backgroundAxis(background->getImageModeY(), image->getHeight(), texture->getPaddedHeight(),
                       background->getCropY(), background->getCropHeight(), float(m_pictureHeight), true);
    Transform quad;
    quad.postTranslate(x.quadTranslation, y.quadTranslation, 0.f);
    quad.postScale(x.quadScale, y.quadScale, 1.f);
    texture->setScale(x.textureScale, y.textureScale, 1.f);
    texture->setTranslation(x.textureTranslation, y.textureTranslation, 0.f);
    // Clamped axes keep the far edge's texels from bleeding in; only a
    // change reaches the GL texture.
    if (texture->getWrappingS() != x.wrapping || texture->getWrappingT() != y.wrapping)
        texture->setWrapping(x.wrapping, y.wrapping);

    ScreenDrawState state(*this);
    const Transform identity;
    setCamera(m_camera2DForBackground.get(), identity);
    render(RENDER_ALL, m_backgroundMesh.get(), quad);
    state.restore();
}

void Graphics3D::rect(const slmath::vec2& topRight, const slmath::vec2& bottomLeft, Texture2D* texture)
{
    ASSERT_MSG(texture, "rect failed because texture parameter is 0");
    ASSERT(m_camera2DForBackground);
    // Top, bottom, right, left of the background camera's parallel projection.
    float bounds[8] = {};
    m_camera2DForBackground->getProjection(bounds);
    const float width = bounds[2] - bounds[3];
    const float height = bounds[0] - bounds[1];

    // Corners in screen units from the top-left, y down, onto the camera's
    // y-up space: the quad starts at the bottom-left corner.
    Transform quad;
    quad.postTranslate(bottomLeft.x * width, height - height * bottomLeft.y, 0.f);
    quad.postScale((topRight.x - bottomLeft.x) * width, -(topRight.y - bottomLeft.y) * height, 1.f);

    if (!m_backgroundMesh)
        m_backgroundMesh = create2DPolygonWithDefaultAppearance(nullptr);
    Appearance* appearance = m_backgroundMesh->getAppearance(0);
    ASSERT_MSG(appearance, " appearance != 0 ");
    // The quad is shared with the background: lend it this texture for the
    // draw and give the background's back afterwards.
    core::Ref<Texture2D> previous = appearance->getTexture(0);
    appearance->setTexture(0, texture);

    ScreenDrawState state(*this);
    const Transform identity;
    try {
        setCamera(m_camera2DForBackground.get(), identity);
        render(RENDER_ALL, m_backgroundMesh.get(), quad);
    } catch (...) {
        appearance->setTexture(0, previous.get());
        throw;
    }
    appearance->setTexture(0, previous.get());
    state.restore();
}

} // namespace render
