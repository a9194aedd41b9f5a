#pragma once

#include "runtime/api/form_services.h"
#include "runtime/api/window_description.h"

namespace runtime {

// Loads the start-up form from its description, raises Form_Load, shows the window and
// dispatches events until the program ends; then destroys the windows and returns the
// program's exit status.
int start(int argc, char **argv, const WindowDescription &form, EventTable events);

} // namespace runtime
