#pragma once
// The tool's renderer: a headless render::NullGraphics3D, so that scene
// files load outside a window (nodes need a registered renderer, and the
// renderer makes the textures). While a RendererScope lives, one such
// renderer is the engine's Graphics3D.

#include "core/Ref.h"
#include "render/NullGraphics3D.h"

namespace vorna3d_tool {

// Registers a NullGraphics3D for its lifetime and takes it out of the
// engine's list again when it ends. Requires a started engine without a renderer.
class RendererScope {
public:
    RendererScope();
    ~RendererScope();
    RendererScope(const RendererScope&) = delete;
    RendererScope& operator=(const RendererScope&) = delete;

private:
    core::Ref<render::NullGraphics3D> m_renderer;
};

} // namespace vorna3d_tool
