#include "form1_code.h"
#include "form1_description.h"
#include "start.h"

int main(int argc, char **argv)
{
    return runtime::start(argc, argv, ui::form1_description(), ui::form1_events());
}
