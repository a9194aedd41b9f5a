#pragma once

#include "runtime/api/window_description.h"

namespace ui {

// Form1 as designed: caption, client area, menu and every control.
const runtime::WindowDescription &form1_description();

} // namespace ui
