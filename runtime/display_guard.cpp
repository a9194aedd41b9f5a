#include "display_guard.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace runtime {

namespace {

QtMessageHandler previous_handler = nullptr;
bool display_open = false;

bool from_platform(const QMessageLogContext &context)
{
    return context.category && std::strncmp(context.category, "qt.qpa", 6) == 0;
}

void say(const char *line)
{
    std::fprintf(stderr, "%s\n", line);
    std::fflush(stderr);
}

void report_display_trouble(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!display_open) {
        // Opening the display failed: Qt would abort next.
        if (type == QtFatalMsg) {
            say(no_display_message);
            std::_Exit(no_display_status);
        }
        if (from_platform(context))
            return;
    } else if (message.contains(QLatin1String("connection broke"))) {
        // Qt ends the program with status 1 right after saying so.
        say(lost_display_message);
        return;
    }
    if (previous_handler)
        previous_handler(type, context, message);
}

bool needs_display(const QString &platform)
{
    return platform.isEmpty() || platform.startsWith(QLatin1String("xcb")) ||
           platform.startsWith(QLatin1String("wayland"));
}

} // namespace

bool display_named()
{
    if (!needs_display(qEnvironmentVariable("QT_QPA_PLATFORM")))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

DisplayGuard::DisplayGuard()
{
    display_open = false;
    previous_handler = qInstallMessageHandler(report_display_trouble);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(previous_handler);
    previous_handler = nullptr;
}

void DisplayGuard::started()
{
    display_open = true;
}

} // namespace runtime
