#include "runtime/start.h"

#include "generated/version.h"
#include "runtime/display_guard.h"
#include "runtime/form_window.h"
#include "runtime/program_style.h"
#include "runtime/surroundings.h"
#include "runtime/window_states.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace runtime {

namespace {

// Ends the process once its windows are gone, without the toolkit's own teardown: closing
// the display connection joins the thread that reads it, and on Wayland that join can wait
// forever on a read that never returns. Nothing is left to save by then.
[[noreturn]] void endProcess(int status)
{
#if defined(__SANITIZE_ADDRESS__)
    // The leak check would otherwise run at exit, which this end skips. What the toolkit
    // still holds is reachable from here; what the program lost is not.
    __lsan_do_leak_check();
#endif
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

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

    takeDemandedSizes(application);
    useProgramStyle();
    int status = 0;
    {
        FormWindow window(form, events);
        // Gone for good, as if closed with its close box.
        guard.onWindowDestroyed([&window] { window.close(); });
        window.load();
        status = window.ended() ? window.exitStatus() : QApplication::exec();
    }
    endProcess(status);
}

} // namespace runtime
