#pragma once

#include "runtime/api/window_description.h"

// Where the form's boxes land in pixels when the form is drawn `scale` times the design
// density of 12 twips per pixel.
namespace runtime {

struct PixelBox {
    int left, top, width, height;
    bool operator==(const PixelBox &) const = default;
};

// Each edge is rounded on its own, so boxes that meet in twips meet in pixels.
PixelBox to_pixels(int left, int top, int width, int height, double scale);
PixelBox to_pixels(const ControlDescription &control, double scale);
// The client area's size at `scale`.
PixelBox client_box(const WindowDescription &form, double scale);

// The largest scale at which the client area fits in `width` x `height` pixels.
double fitting_scale(const WindowDescription &form, double width, double height);

} // namespace runtime
