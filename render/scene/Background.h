#pragma once
// Background: how a World clears the frame: a colour, the colour and depth
// clear switches, and an optional image (RGB or RGBA) with a crop rectangle
// and a border or repeat mode per axis.

#include <cstdint>

#include "core/Ref.h"
#include "render/scene/Object3D.h"

namespace render {

class Image2D;

class Background : public Object3D {
public:
    enum { BORDER = 32, REPEAT = 33 };

    // Transparent black, both clears on, no image, BORDER on both axes, an empty crop.
    Background();
    ~Background() noexcept(false) override;

    // A copy sharing the image; crop and image modes go through the setters' checks.
    Background* duplicate() const override;

    // Lists the animation tracks, then the image.
    int getReferences(core::Vector<Object3D*>* refs) override;

    // 0xAARRGGBB.
    void setColor(uint32_t argb) { m_color = argb; }
    uint32_t getColor() const { return m_color; }

    // Sets the image (null removes it) and the crop to the whole image.
    // Asserts "IllegalArgumentException" unless the format is RGB or RGBA.
    void setImage(Image2D* image);
    Image2D* getImage() const { return m_image.get(); }

    // BORDER or REPEAT each; asserts "IllegalArgumentException" otherwise.
    void setImageMode(int modeX, int modeY);
    int getImageModeX() const { return m_imageModeX; }
    int getImageModeY() const { return m_imageModeY; }

    // Asserts "IllegalArgumentException" for a negative width or height.
    void setCrop(int x, int y, int width, int height);
    int getCropX() const { return m_cropX; }
    int getCropY() const { return m_cropY; }
    int getCropWidth() const { return m_cropWidth; }
    int getCropHeight() const { return m_cropHeight; }

    void setDepthClearEnable(bool enable) { m_depthClearEnabled = enable; }
    bool isDepthClearEnabled() const { return m_depthClearEnabled; }
    void setColorClearEnable(bool enable) { m_colorClearEnabled = enable; }
    bool isColorClearEnabled() const { return m_colorClearEnabled; }

protected:
    Background(const Background& other);

private:
    uint32_t m_color = 0;
    core::Ref<Image2D> m_image;
    int m_imageModeX = BORDER;
    int m_imageModeY = BORDER;
    int m_cropX = 0;
    int m_cropY = 0;
    int m_cropWidth = 0;
    int m_cropHeight = 0;
    bool m_depthClearEnabled = true;
    bool m_colorClearEnabled = true;
};

} // namespace render
