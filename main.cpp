#include "runtime/start.h"
#include "ui/form1_code.h"
#include "ui/form1_description.h"

int main(int argc, char **argv)
{
    return runtime::start(argc, argv, ui::form1_description(), ui::form1_events());
}
