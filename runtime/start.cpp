#include "runtime/start.h"

#include "generated/version.h"
#include "runtime/display_guard.h"
#include "runtime/form_window.h"

#include <QApplication>

#include <cstdio>

namespace runtime {

int start(int argc, char **argv, const WindowDescription &form, EventTable events)
{
    if (!displayNamed()) {
        std::fprintf(stderr, "%s\n", noDisplayMessage().c_str());
        return noDisplayStatus;
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
