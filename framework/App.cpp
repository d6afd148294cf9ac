#include "framework/App.h"

namespace framework {

App::~App() noexcept(false) = default;

void App::lostDevice()
{
}

void App::resetDevice(render::Graphics3D&)
{
}

} // namespace framework
