#include "start.h"

#include "display_guard.h"
#include "form_window.h"
#include "version.h"

#include <QApplication>

#include <cstdio>

namespace runtime {

int start(int argc, char **argv, const WindowDescription &form, EventTable events)
{
    if (!display_named()) {
        std::fprintf(stderr, "%s\n", no_display_message);
        return no_display_status;
    }
    DisplayGuard guard;
    QApplication application(argc, argv);
    guard.started();

    QApplication::setApplicationName(QString::fromUtf8(quellary::product_name));
    QApplication::setApplicationVersion(QString::fromUtf8(quellary::version));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(quellary::application_id));

    FormWindow window(form, events);
    window.load();
    if (window.ended())
        return window.exitStatus();
    return QApplication::exec();
}

} // namespace runtime
