#include "render/appearance/Image2D_Helpers.h"

#include "core/Assert.h"

namespace render::Image2D_Helpers {

int getNextPowerOfTwo(int n)
{
    ASSERT_MSG(n >= 1, "getNextPowerOfTwo failed because of invalid parameter");
    for (int i = 0; i <= 30; ++i) {
        const int power = 1 << i;
        if (power >= n)
            return power;
    }
    ASSERT_MSG(false, "getNextPowerOfTwo failed because can not find good value");
    return 0;
}

} // namespace render::Image2D_Helpers
