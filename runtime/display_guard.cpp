#include "runtime/display_guard.h"

#include "generated/version.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace runtime {

namespace {

QtMessageHandler previousHandler = nullptr;
bool displayOpen = false;

bool fromPlatform(const QMessageLogContext &context)
{
    return context.category && std::strncmp(context.category, "qt.qpa", 6) == 0;
}

void say(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void reportDisplayTrouble(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!displayOpen) {
        // Opening the display failed: Qt would abort next.
        if (type == QtFatalMsg) {
            say(noDisplayMessage());
            std::_Exit(noDisplayStatus);
        }
        if (fromPlatform(context))
            return;
    } else if (message.contains(QLatin1String("connection broke"))) {
        // Qt ends the program with status 1 right after saying so.
        say(lostDisplayMessage());
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

bool needsDisplay(const QString &platform)
{
    return platform.isEmpty() || platform.startsWith(QLatin1String("xcb")) ||
           platform.startsWith(QLatin1String("wayland"));
}

} // namespace

std::string noDisplayMessage()
{
    return std::string(quellary::product_name) +
           " needs a graphical display: start it from an X11 or Wayland desktop session "
           "(DISPLAY or WAYLAND_DISPLAY must name a running display).";
}

std::string lostDisplayMessage()
{
    return std::string(quellary::product_name) +
           " lost its graphical display (the display server closed the connection); start " +
           quellary::product_name + " again on a running display.";
}

bool displayNamed()
{
    if (!needsDisplay(qEnvironmentVariable("QT_QPA_PLATFORM")))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

DisplayGuard::DisplayGuard()
{
    displayOpen = false;
    previousHandler = qInstallMessageHandler(reportDisplayTrouble);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}

void DisplayGuard::started()
{
    displayOpen = true;
}

} // namespace runtime
