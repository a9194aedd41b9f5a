#include "display_guard.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace runtime {

namespace {

QtMessageHandler previous_handler = nullptr;

void quiet_platform_start(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", no_display_message);
        std::fflush(stderr);
        std::_Exit(no_display_status);
    }
    if (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0)
        return;
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
    previous_handler = qInstallMessageHandler(quiet_platform_start);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(previous_handler);
    previous_handler = nullptr;
}

} // namespace runtime
