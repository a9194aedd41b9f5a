#include "runtime/start.h"

#include "generated/version.h"
#include "runtime/display_guard.h"
#include "runtime/form_window.h"
#include "runtime/surroundings.h"

#include <QApplication>

namespace runtime {

int start(int argc, char **argv, const WindowDescription &form, EventTable events)
{
    checkSurroundings();
    if (!displayNamed())
        endWithLine(noDisplayMessage());
    DisplayGuard guard;
    QApplication application(argc, argv);
    checkScale(form);
    guard.started();

    QApplication::setApplicationName(QString::fromUtf8(quellary::product_name));
    QApplication::setApplicationVersion(QString::fromUtf8(quellary::version));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(quellary::application_id));

    FormWindow window(form, events);
    // Gone for good, as if closed with its close box.
    guard.onWindowDestroyed([&window] { window.close(); });
    window.load();
    if (window.ended())
        return window.exitStatus();
    return QApplication::exec();
}

} // namespace runtime
