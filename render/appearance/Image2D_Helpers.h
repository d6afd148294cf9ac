#pragma once
// Size helpers for textures built from images.

namespace render::Image2D_Helpers {

// The smallest power of two 2^i (i = 0..30) that is >= n. Asserts
// "getNextPowerOfTwo failed because of invalid parameter" for n < 1 and
// "getNextPowerOfTwo failed because can not find good value" for n > 2^30.
int getNextPowerOfTwo(int n);

} // namespace render::Image2D_Helpers
