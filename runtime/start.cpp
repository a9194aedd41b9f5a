#include "runtime/start.h"

#include "generated/version.h"
#include "runtime/display_check.h"
#include "runtime/form_window.h"
#include "runtime/message_box.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace runtime {

int start(int argc, char **argv, const WindowDescription &form, EventTable events)
{
    // A reader of stderr that has gone away must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    checkDisplay();
    QApplication application(argc, argv);
    displayOpened();
    QApplication::setApplicationName(QString::fromUtf8(quellary::product_name));
    QApplication::setApplicationVersion(QString::fromUtf8(quellary::version));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(quellary::application_id));
    useWordsOnlyButtons();

    int status = 0;
    {
        FormWindow window(form, events);
        window.load();
        status = window.form().ended() ? window.form().exit_status() : QApplication::exec();
    }
    // Qt 6.4 can wait forever on a Wayland connection while it tears itself down, and nothing
    // is left to save once the windows are gone: the process ends here.
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();  // it would otherwise run at exit, which this end skips
#endif
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace runtime
