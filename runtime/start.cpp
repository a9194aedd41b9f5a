#include "runtime/start.h"

#include "generated/version.h"
#include "runtime/display_check.h"
#include "runtime/form_window.h"
#include "runtime/message_box.h"

#include <QApplication>

#include <csignal>

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

    FormWindow window(form, events);
    window.load();
    return window.form().ended() ? window.form().exit_status() : QApplication::exec();
}

} // namespace runtime
