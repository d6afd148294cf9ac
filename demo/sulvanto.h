#pragma once
// The demo's entry function.

#include "framework/FrameworkConfig.h"
#include "framework/Vorna3DFramework.h"

// Applies the demo's configuration (1024 x 768 full screen without cursor,
// 5 ms fixed step and minimum frame time, 40,960,000-byte pool, no console,
// no statistics overlay, lighting on) and creates the framework from it.
// Throws what the framework's constructor throws.
framework::Vorna3DFramework* vorna3DMain(framework::FrameworkConfig& config);
