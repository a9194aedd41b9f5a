#pragma once

#include "runtime/api/form_services.h"
#include "runtime/api/window_description.h"

namespace runtime {

// Loads the start-up form from its description, raises Form_Load, shows the window and
// dispatches events until the program ends. Then destroys the windows and ends the process
// with the program's exit status; it returns only when there is no display to start on.
int start(int argc, char **argv, const WindowDescription &form, EventTable events);

} // namespace runtime
