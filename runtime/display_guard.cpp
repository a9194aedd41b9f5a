#include "runtime/display_guard.h"

#include "generated/version.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QRegularExpression>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <dlfcn.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace runtime {

namespace {

const std::string product = quellary::product_name;

// The program's own stderr. While the platform opens, descriptor 2 is a memory file that
// holds what libraries write there directly.
int reportFd = STDERR_FILENO;
int heldFd = -1;
std::atomic_flag spoken = ATOMIC_FLAG_INIT;

void writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0)
            return;  // nowhere to say it (a closed pipe): the status still tells
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void copyHeld(int to)
{
    char buffer[4096];
    off_t at = 0;
    for (ssize_t got; (got = ::pread(heldFd, buffer, sizeof buffer, at)) > 0; at += got)
        writeAll(to, buffer, static_cast<std::size_t>(got));
}

// Qt reads some replies from the X server without checking for none, so a server that goes
// away while the display opens can make it crash: that is the display lost, not a bug.
// Every other crash keeps the action it had (a core for crash reporters, a sanitizer's
// report), with what was held of stderr put back first.
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
struct sigaction previousActions[std::size(crashSignals)];
std::string lostLine;  // made beforehand: a signal handler may not allocate

// Whether the connection to the X server has been closed by the server: found among the
// program's descriptors with calls that are safe in a signal handler.
bool xServerHungUp()
{
    for (int fd = 0; fd < 1024; ++fd) {
        struct stat status {};
        if (::fstat(fd, &status) != 0 || !S_ISSOCK(status.st_mode))
            continue;
        sockaddr_un peer{};
        socklen_t length = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) != 0 || peer.sun_family != AF_UNIX)
            continue;
        const char *path = peer.sun_path[0] == '\0' ? peer.sun_path + 1 : peer.sun_path;
        if (!std::strstr(path, "/.X11-unix/X"))
            continue;
        pollfd poll{fd, POLLRDHUP, 0};
        if (::poll(&poll, 1, 0) == 1 && (poll.revents & (POLLRDHUP | POLLHUP)))
            return true;
    }
    return false;
}

void onCrash(int signal)
{
    if ((signal == SIGSEGV || signal == SIGBUS) && xServerHungUp())
        endWithLine(lostLine);
    if (heldFd >= 0) {
        ::dup2(reportFd, STDERR_FILENO);
        copyHeld(STDERR_FILENO);
    }
    for (std::size_t i = 0; i < std::size(crashSignals); ++i)
        ::sigaction(crashSignals[i], &previousActions[i], nullptr);
    std::raise(signal);
}

void watchCrashes(bool watch)
{
    if (!watch) {
        for (std::size_t i = 0; i < std::size(crashSignals); ++i)
            ::sigaction(crashSignals[i], &previousActions[i], nullptr);
        return;
    }
    struct sigaction action {};
    action.sa_handler = onCrash;
    action.sa_flags = SA_NODEFER;
    for (std::size_t i = 0; i < std::size(crashSignals); ++i)
        ::sigaction(crashSignals[i], &action, &previousActions[i]);
}

void holdStderr()
{
    std::fflush(stderr);
    const int saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    const int held = ::memfd_create("quellary-stderr", MFD_CLOEXEC);
    if (saved < 0 || held < 0 || ::dup2(held, STDERR_FILENO) < 0) {
        if (saved >= 0)
            ::close(saved);
        if (held >= 0)
            ::close(held);
        return;  // then the libraries' own lines get through, which is all that is lost
    }
    reportFd = saved;
    heldFd = held;
}

void releaseStderr(bool replay)
{
    if (heldFd < 0)
        return;
    std::fflush(stderr);
    ::dup2(reportFd, STDERR_FILENO);
    if (replay)
        copyHeld(STDERR_FILENO);
    ::close(heldFd);
    ::close(reportFd);
    heldFd = -1;
    reportFd = STDERR_FILENO;
}

// --- what Qt said while the platform opened ---------------------------------------------

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

enum class Phase { Opening, Open };
Phase phase = Phase::Open;
std::vector<HeldMessage> held;  // Qt's threads may speak while the display opens: under heldLock
std::recursive_mutex heldLock;  // recursive: working out a failure runs code that may speak
bool diagnosing = false;  // working out a failure may load a plugin, which may speak
QtMessageHandler previousHandler = nullptr;
bool windowDestroyed = false;

bool fromPlatform(const QByteArray &category) { return category.startsWith("qt.qpa"); }

// Qt's names of the platforms it could not find, and of those it found but could not
// start (a library missing, or no display to connect to).
QStringList platformsNamed(const QString &start)
{
    QStringList names;
    const QRegularExpression pattern(QRegularExpression::escape(start) + QStringLiteral(" \"([^\"]*)\""));
    for (const HeldMessage &message : held) {
        const QRegularExpressionMatch match = pattern.match(message.text);
        if (match.hasMatch())
            names << match.captured(1);
    }
    return names;
}

bool heldMessageStarts(const char *start)
{
    for (const HeldMessage &message : held) {
        if (message.text.startsWith(QLatin1String(start)))
            return true;
    }
    return false;
}

bool triedAndGaveUp(const std::vector<HeldMessage> &messages)
{
    for (const HeldMessage &message : messages) {
        if (message.text.startsWith(QLatin1String("Could not load the Qt platform plugin")) ||
            message.text.startsWith(QLatin1String("Could not find the Qt platform plugin")))
            return true;
    }
    return false;
}

std::string text(const QString &string) { return string.toStdString(); }

std::string platformMessage(const QString &platform)
{
    return product + " cannot start on the platform \"" + text(platform) +
           "\" named in QT_QPA_PLATFORM: it is not available here; unset QT_QPA_PLATFORM, "
           "or set it to xcb (X11) or wayland.";
}

// Why Qt could not load the plugin that provides `platform`: the dynamic loader's words,
// which name the library that is missing or could not be mapped.
QString pluginLoadError(const QString &platform)
{
    QStringList folders;
    if (const QString own = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH"); !own.isEmpty())
        folders << own;
    for (const QString &path : QCoreApplication::libraryPaths())
        folders << path + QStringLiteral("/platforms");
    for (const QString &folder : folders) {
        const QDir dir(folder);
        for (const QString &file : dir.entryList(QDir::Files)) {
            const QString path = dir.filePath(file);
            const QJsonArray keys = QPluginLoader(path).metaData().value(QLatin1String("MetaData"))
                                        .toObject().value(QLatin1String("Keys")).toArray();
            // Short of memory even the plugin's description may not be read: go by its name.
            if (!keys.contains(QJsonValue(platform)) && file != QStringLiteral("libq%1.so").arg(platform))
                continue;
            void *library = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
            if (library) {
                ::dlclose(library);
                return {};
            }
            const char *error = ::dlerror();
            if (!error)
                return {};
            // "<plugin>: <the library it needs>: <why>" or "<library>: <why>"
            const QString said = QString::fromLocal8Bit(error);
            return said.startsWith(path + QLatin1String(": ")) ? said.mid(path.size() + 2) : said;
        }
    }
    return {};
}

std::string pluginMessage(const char *what, const QString &error)
{
    const std::string library = text(error.section(QLatin1Char(':'), 0, 0).trimmed());
    const std::string todo = error.contains(QLatin1String("failed to map"))
        ? "there is not enough memory to load " + library +
              ": raise the memory limit (ulimit -v) and start " + product + " again."
        : "install the package that provides " + library + " and start " + product + " again.";
    return product + " cannot load Qt's " + what + " support: " + text(error) + "; " + todo;
}

// The Wayland display the environment names: WAYLAND_DISPLAY, else the default socket.
QString waylandDisplayName()
{
    const QString named = qEnvironmentVariable("WAYLAND_DISPLAY");
    return named.isEmpty() ? QStringLiteral("wayland-0") : named;
}

bool waylandDisplayRunning()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return true;  // a connection handed over by whoever started the program
    QString path = waylandDisplayName();
    if (!path.startsWith(QLatin1Char('/'))) {
        const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (runtimeDir.isEmpty())
            return false;
        path = runtimeDir + QLatin1Char('/') + path;
    }
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (bytes.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, bytes.constData(), std::size_t(bytes.size()));
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool running = ::connect(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(probe);
    return running;
}

// What the X display in DISPLAY says to a connection made as Qt makes it: libxcb writes a
// server's refusal to stderr, which is held here, so the reason is read back from there.
struct XAnswer {
    enum { Accepted, Refused, Absent } kind;
    std::string reason;  // the server's words when it refused
};

XAnswer askXServer()
{
    const off_t before = heldFd >= 0 ? ::lseek(heldFd, 0, SEEK_END) : 0;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (!failed)
        return {XAnswer::Accepted, {}};
    std::string reason;
    if (heldFd >= 0) {
        char buffer[512];
        const ssize_t got = ::pread(heldFd, buffer, sizeof buffer, before);
        if (got > 0)
            reason.assign(buffer, std::size_t(got));
    }
    if (const auto newline = reason.find('\n'); newline != std::string::npos)
        reason.resize(newline);
    while (!reason.empty() && std::isspace(static_cast<unsigned char>(reason.back())))
        reason.pop_back();
    return {reason.empty() ? XAnswer::Absent : XAnswer::Refused, reason};
}

// Works out from what Qt said, and from the display itself, why no platform opened.
std::string openingFailure()
{
    const QStringList asked = qEnvironmentVariable("QT_QPA_PLATFORM").split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const bool displayAsked = asked.isEmpty() || asked.contains(QLatin1String("xcb")) ||
                              asked.contains(QLatin1String("wayland"));
    if (!displayAsked)
        return platformMessage(asked.join(QLatin1Char(';')));

    const QStringList notFound = platformsNamed(QStringLiteral("Could not find the Qt platform plugin"));
    const QStringList failed = platformsNamed(QStringLiteral("Could not load the Qt platform plugin"));
    const bool xUnreachable = heldMessageStarts("could not connect to display");
    const bool waylandUnreachable = heldMessageStarts("Failed to create wl_display");

    // Found but not loaded, with no word of a display: a library it needs may be missing.
    if (failed.contains(QLatin1String("xcb")) && !xUnreachable) {
        if (const QString error = pluginLoadError(QStringLiteral("xcb")); !error.isEmpty())
            return pluginMessage("X11", error);
    }
    if (failed.contains(QLatin1String("wayland")) && !waylandUnreachable) {
        if (const QString error = pluginLoadError(QStringLiteral("wayland")); !error.isEmpty())
            return pluginMessage("Wayland", error);
    }

    if (notFound.contains(QLatin1String("wayland")) && waylandDisplayRunning() &&
        (qEnvironmentVariableIsEmpty("DISPLAY") || asked == QStringList{QStringLiteral("wayland")})) {
        const char *instead = qEnvironmentVariableIsEmpty("DISPLAY")
            ? ", and there is no X display; install "
            : ", and QT_QPA_PLATFORM asks for nothing else; install ";
        return product + " cannot use the Wayland display " + text(waylandDisplayName()) +
               ": Qt's Wayland support is not installed" + instead +
               "the Debian package qt6-wayland, or start " + product + " on an X display.";
    }
    if (notFound.contains(QLatin1String("xcb")) && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        return product + " cannot use the X display: Qt's X11 support is not installed; "
               "reinstall Qt (Debian package libqt6gui6) and start " + product + " again.";
    }
    if (failed.contains(QLatin1String("xcb")) && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        const std::string display = text(qEnvironmentVariable("DISPLAY"));
        const XAnswer answer = askXServer();
        if (answer.kind == XAnswer::Accepted) {
            // A server that resets when its last client leaves drops one that is connecting.
            return product + " could not open the X display " + display +
                   ": the X server closed the connection while it was being opened; start " +
                   product + " again.";
        }
        if (answer.kind == XAnswer::Refused) {
            return product + " may not use the X display " + display +
                   ": the X server refused the connection (" + answer.reason + "); start " + product +
                   " as the user of that desktop session, or set XAUTHORITY to its authority file.";
        }
    }
    return noDisplayMessage();
}

std::string noThreadMessage(const QString &qtMessage)
{
    // "QThread::start: Thread creation error (<reason>)"
    const qsizetype open = qtMessage.indexOf(QLatin1Char('('));
    const std::string reason = open >= 0 ? text(qtMessage.mid(open + 1).chopped(1)) : "refused";
    return product + " cannot start a thread (" + reason +
           "): raise the memory limit (ulimit -v) or the process limit (ulimit -u), then start " +
           product + " again.";
}

void reportDisplayTrouble(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // Without the thread Qt asked for, it would wait for it for good.
    if (message.startsWith(QLatin1String("QThread::start: Thread creation error")))
        endWithLine(noThreadMessage(message));
    // Qt would end the program with status 1 right after saying so, running exit handlers
    // that may wait on the display.
    if (message.contains(QLatin1String("connection broke")))
        endWithLine(lostLine);

    const QByteArray category = context.category ? QByteArray(context.category) : QByteArray();
    {
        const std::lock_guard lock(heldLock);
        if (phase == Phase::Opening) {
            if (diagnosing)
                return;  // what loading a plugin again says is not news
            if (type == QtFatalMsg) {
                diagnosing = true;
                endWithLine(openingFailure());
            }
            held.push_back({type, category, message});
            return;
        }
    }
    // Once the X server has hung up, whatever Qt still says (an icon it could not send, a
    // request that failed) follows from that, and Qt is about to end the program anyway.
    if (xServerHungUp())
        endWithLine(lostLine);
    // A window destroyed from outside makes Qt's own later requests on it fail.
    if (windowDestroyed && category.startsWith("qt.qpa.xcb"))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

// Xlib's default handler prints two lines of its own and calls exit().
int xlibConnectionLost(Display *)
{
    endWithLine(lostLine);
}

class DestroyWatcher : public QAbstractNativeEventFilter {
public:
    std::function<void()> destroyed;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
            return false;
        const auto *destroy = static_cast<const xcb_destroy_notify_event_t *>(message);
        for (const QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->internalWinId() == destroy->window && !windowDestroyed) {
                windowDestroyed = true;
                QMetaObject::invokeMethod(qApp, destroyed, Qt::QueuedConnection);
                return true;
            }
        }
        return false;
    }
};

DestroyWatcher *destroyWatcher = nullptr;

} // namespace

std::string noDisplayMessage()
{
    return product +
           " needs a graphical display: start it from an X11 or Wayland desktop session "
           "(DISPLAY or WAYLAND_DISPLAY must name a running display).";
}

std::string lostDisplayMessage()
{
    return product + " lost its graphical display (the display server closed the connection); start " +
           product + " again on a running display.";
}

void endWithLine(const std::string &line)
{
    if (!spoken.test_and_set()) {
        writeAll(reportFd, line.data(), line.size());
        writeAll(reportFd, "\n", 1);
    }
    std::_Exit(noDisplayStatus);
}

bool displayNamed()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool needsDisplay = platform.isEmpty() || platform.contains(QLatin1String("xcb")) ||
                              platform.contains(QLatin1String("wayland"));
    if (!needsDisplay)
        return true;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return true;
    // A Wayland compositor's default socket, which libwayland uses when nothing is named.
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtimeDir.isEmpty() && QFile::exists(runtimeDir + QStringLiteral("/wayland-0"));
}

DisplayGuard::DisplayGuard()
{
    phase = Phase::Opening;
    held.clear();
    lostLine = lostDisplayMessage();
    XSetIOErrorHandler(xlibConnectionLost);
    holdStderr();
    watchCrashes(true);
    previousHandler = qInstallMessageHandler(reportDisplayTrouble);
}

DisplayGuard::~DisplayGuard()
{
    if (destroyWatcher && qApp)
        qApp->removeNativeEventFilter(destroyWatcher);
    delete destroyWatcher;
    destroyWatcher = nullptr;
    watchCrashes(false);
    releaseStderr(false);
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}

void DisplayGuard::started()
{
    if (QGuiApplication::screens().isEmpty()) {
        const QString asked = qEnvironmentVariable("QT_QPA_PLATFORM");
        endWithLine(platformMessage(asked.isEmpty() ? QGuiApplication::platformName() : asked));
    }
    std::vector<HeldMessage> messages;
    {
        const std::lock_guard lock(heldLock);
        phase = Phase::Open;
        messages.swap(held);
    }
    // Output about a platform that was tried and given up is no news when another opened.
    const bool fellBack = triedAndGaveUp(messages);
    releaseStderr(!fellBack);
    for (const HeldMessage &message : messages) {
        // Qt's platform plugins say what they tried on the way to the display that opened.
        if (fromPlatform(message.category) ||
            (fellBack && message.text.startsWith(QLatin1String("Failed to create wl_display"))))
            continue;
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        reportDisplayTrouble(message.type, context, message.text);
    }
}

void DisplayGuard::onWindowDestroyed(std::function<void()> destroyed)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    if (!destroyWatcher) {
        destroyWatcher = new DestroyWatcher;
        qApp->installNativeEventFilter(destroyWatcher);
    }
    destroyWatcher->destroyed = std::move(destroyed);
}

} // namespace runtime
