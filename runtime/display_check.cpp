#include "runtime/display_check.h"

#include "generated/version.h"

#include <QGuiApplication>
#include <QStringList>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace runtime {

namespace {

const std::string product = quellary::product_name;
QtMessageHandler qtHandler = nullptr;
// Qt may call the message handler from any of its threads.
std::mutex guard;
QStringList said;  // what Qt's platform said while it opened
// The check's X connection, held until Qt has its own: an X server with no other client
// resets when the last one leaves, and drops a connection being made meanwhile.
xcb_connection_t *checked = nullptr;

[[noreturn]] void endWith(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

// Whether the X server in DISPLAY takes a connection; the server's reason when it refuses.
// libxcb writes that reason to stderr, so stderr goes to a pipe while it connects.
bool xAnswers(std::string &refusal)
{
    int words[2];
    std::fflush(stderr);
    // Without a stderr to give back, the reason is left to libxcb to write where it can.
    const int saved = ::dup(STDERR_FILENO);
    const bool caught = saved >= 0 && ::pipe2(words, O_CLOEXEC | O_NONBLOCK) == 0;
    if (caught)
        ::dup2(words[1], STDERR_FILENO);
    checked = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(checked) == 0;
    if (!caught) {
        if (saved >= 0)
            ::close(saved);
        return answers;
    }
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(words[1]);
    char reason[512];
    const ssize_t got = ::read(words[0], reason, sizeof reason - 1);
    ::close(words[0]);
    refusal.assign(reason, got > 0 ? std::size_t(got) : 0);
    refusal.erase(refusal.find_last_not_of(" \n") + 1);
    return answers;
}

// Whether a Wayland display is named, where libwayland looks for one.
bool waylandNamed()
{
    return !environment("WAYLAND_SOCKET").empty() || !environment("WAYLAND_DISPLAY").empty() ||
           ::access((environment("XDG_RUNTIME_DIR") + "/wayland-0").c_str(), F_OK) == 0;
}

// Ends the program with Qt's own words of why its platform did not open, in one line.
[[noreturn]] void cannotStart(QString why, const QString &available)
{
    why.replace(QLatin1Char('\n'), QLatin1Char(' '));
    while (why.endsWith(QLatin1Char('.')))
        why.chop(1);
    endWith(product + " cannot start: " + why.toStdString() +
            "; run it on an X11 or Wayland desktop, with QT_QPA_PLATFORM unset or naming a platform "
            "that is installed" + (available.isEmpty() ? "" : " (" + available.toStdString() + ")") +
            "; Qt's Wayland support is the Debian package qt6-wayland.");
}

// What Qt says while its platform opens: its fatal message ends the program with one line.
void onMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    std::lock_guard lock(guard);
    if (type == QtFatalMsg) {
        // Qt's own: "... no Qt platform plugin could be initialized. Reinstalling the
        // application may fix this problem.\n\nAvailable platform plugins are: eglfs, ..."
        const QLatin1String listed("Available platform plugins are: ");
        const qsizetype list = message.indexOf(listed);
        if (list < 0)
            said << message;  // a platform's own fatal words
        cannotStart(said.join(QLatin1String("; ")),
                    list < 0 ? QString() : message.mid(list + listed.size()).trimmed().chopped(1));
    }
    // What platforms tried on the way to the one that opened is no news, and a plain warning
    // of Qt's core (such as a locale that is not UTF-8) is no reason not to start.
    if (type != QtWarningMsg || !context.category || std::strcmp(context.category, "default") != 0)
        said << message;
}

} // namespace

void checkDisplay()
{
    const std::string platform = environment("QT_QPA_PLATFORM");
    const bool needsDisplay = platform.empty() || platform.find("xcb") != std::string::npos ||
                              platform.find("wayland") != std::string::npos;
    std::string refusal;
    // An X display is asked only where no Wayland one is named: on a Wayland desktop that
    // could start its X server for nothing.
    if (needsDisplay && !waylandNamed() && !(!environment("DISPLAY").empty() && xAnswers(refusal))) {
        if (!refusal.empty())
            endWith(product + " may not use the X display " + environment("DISPLAY") +
                    ": the X server refused the connection (" + refusal + "); start " + product +
                    " as the user of that desktop session, or set XAUTHORITY to its authority file.");
        endWith(product + " needs a graphical display: start it from an X11 or Wayland desktop session "
                          "(DISPLAY or WAYLAND_DISPLAY must name a running display).");
    }
    qtHandler = qInstallMessageHandler(onMessage);
}

void displayOpened()
{
    std::lock_guard lock(guard);
    if (QGuiApplication::screens().isEmpty()) {
        said << QStringLiteral("the platform \"%1\" has no screen").arg(QGuiApplication::platformName());
        cannotStart(said.join(QLatin1String("; ")), {});
    }
    // From now on Qt speaks for itself, a display lost included, and ends the program then
    // with a failure status of its own.
    qInstallMessageHandler(qtHandler);
    said.clear();
    if (checked)
        xcb_disconnect(checked);
    checked = nullptr;
}

} // namespace runtime
