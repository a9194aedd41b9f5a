// Quellary with one control missing from its window, so that the trick's assignment to it
// fails the way a broken window would: for testing the run-time error path end to end.
#include "runtime/start.h"
#include "ui/form1_code.h"
#include "ui/form1_description.h"

#include <cstdio>
#include <string_view>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CONTROL-TO-LEAVE-OUT\n", argv[0]);
        return 2;
    }
    runtime::WindowDescription form = ui::form1_description();
    const std::string_view missing = argv[1];
    std::erase_if(form.controls, [&](const auto &control) { return control.name == missing; });
    return runtime::start(argc, argv, form, ui::form1_events());
}
