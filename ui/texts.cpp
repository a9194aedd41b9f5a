#include "ui/texts.h"

#include "generated/version.h"

namespace ui::texts {

std::string about()
{
    std::string text = quellary::product_name;
    text += " ";
    text += quellary::version;
    text += "\nA mind-reading card trick by Velado.\n\n";
    text += author_email;
    return text;
}

} // namespace ui::texts
