#include "runtime/core/layout.h"

#include <algorithm>
#include <cmath>

namespace runtime {

PixelBox to_pixels(int left, int top, int width, int height, double scale)
{
    const auto pixels = [scale](int twips) {
        return static_cast<int>(std::lround(twips * scale / twips_per_pixel));
    };
    const int x = pixels(left), y = pixels(top);
    return {x, y, pixels(left + width) - x, pixels(top + height) - y};
}

PixelBox to_pixels(const ControlDescription &control, double scale)
{
    return to_pixels(control.left, control.top, control.width, control.height, scale);
}

PixelBox client_box(const WindowDescription &form, double scale)
{
    return to_pixels(0, 0, form.client_width, form.client_height, scale);
}

double fitting_scale(const WindowDescription &form, double width, double height)
{
    return std::min(width * twips_per_pixel / form.client_width,
                    height * twips_per_pixel / form.client_height);
}

} // namespace runtime
