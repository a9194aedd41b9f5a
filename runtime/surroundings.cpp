#include "runtime/surroundings.h"

#include "generated/version.h"
#include "runtime/display_guard.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>

#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

namespace runtime {

namespace {

const std::string product = quellary::product_name;

// Made while memory is there: saying it when none is left must not need any.
std::string outOfMemoryLine;
std::terminate_handler previousTerminate = nullptr;

[[noreturn]] void outOfMemory() { endWithLine(outOfMemoryLine); }

// Qt reports a failed allocation of its own by throwing std::bad_alloc too, which nothing
// catches. Any other exception that ends the program is a bug and keeps the default.
[[noreturn]] void endOnUncaught()
{
    if (const std::exception_ptr exception = std::current_exception()) {
        try {
            std::rethrow_exception(exception);
        } catch (const std::bad_alloc &) {
            outOfMemory();
        } catch (...) {
        }
    }
    previousTerminate();
    std::abort();
}

void *nothing(void *) { return nullptr; }

// How many more descriptors the program may open, counted up to `wanted`.
int freeDescriptors(int wanted)
{
    std::vector<int> opened;
    int first = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (first >= 0)
        opened.push_back(first);
    while (first >= 0 && int(opened.size()) < wanted) {
        const int next = ::fcntl(first, F_DUPFD_CLOEXEC, 0);
        if (next < 0)
            break;
        opened.push_back(next);
    }
    for (int fd : opened)
        ::close(fd);
    return int(opened.size());
}

// As ulimit shows it: address space in KiB, descriptors as a count.
std::string limitOf(int resource)
{
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return "unlimited";
    return std::to_string(resource == RLIMIT_AS ? limit.rlim_cur / 1024 : limit.rlim_cur);
}

// Address space the program may still take under the memory limit, in bytes.
unsigned long long addressSpaceLeft()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return ~0ULL;
    unsigned long long pages = 0;
    if (std::FILE *statm = std::fopen("/proc/self/statm", "re")) {
        if (std::fscanf(statm, "%llu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    const unsigned long long used = pages * static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE));
    return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

} // namespace

std::string outOfMemoryMessage()
{
    return product + " does not have enough memory (ulimit -v " + limitOf(RLIMIT_AS) +
           "); raise the memory limit or close other programs, then start " + product + " again.";
}

std::string fewDescriptorsMessage(int available)
{
    return product + " may open too few files: it needs " + std::to_string(descriptorsNeeded) +
           " free file descriptors and the limit (ulimit -n " + limitOf(RLIMIT_NOFILE) + ") leaves " +
           std::to_string(available) + "; raise the limit, then start " + product + " again.";
}

void checkSurroundings()
{
    std::signal(SIGPIPE, SIG_IGN);

    outOfMemoryLine = outOfMemoryMessage();
    std::set_new_handler(outOfMemory);
    previousTerminate = std::set_terminate(endOnUncaught);

    // Short of memory, Qt and the C libraries below it fail in ways of their own: an abort,
    // a crash in the font configuration, a thread that never starts. Below what start-up
    // takes, with room to spare, the program does not begin.
    if (addressSpaceLeft() < addressSpaceNeeded)
        endWithLine(outOfMemoryLine);

    // Qt starts its threads (the display's event reader, D-Bus) as it goes and waits for
    // them; a system that refuses one now is told here rather than in a wait that never
    // ends. One refused later is caught where Qt reports it (display_guard).
    pthread_t thread{};
    if (const int error = ::pthread_create(&thread, nullptr, nothing, nullptr); error != 0) {
        endWithLine(product + " cannot start a thread (" + std::strerror(error) +
                    "): raise the memory limit (ulimit -v) or the process limit (ulimit -u), "
                    "then start " + product + " again.");
    }
    ::pthread_join(thread, nullptr);

    // Short of descriptors, the X connection opens but a reply that passes one (shared
    // memory for drawing) never arrives, and the window stays black for good.
    if (const int available = freeDescriptors(descriptorsNeeded); available < descriptorsNeeded)
        endWithLine(fewDescriptorsMessage(available));
}

void checkScale(const WindowDescription &form)
{
    const QString asked = qEnvironmentVariable("QT_SCALE_FACTOR");
    if (asked.isEmpty())
        return;
    const int width = form.client_width / twips_per_pixel;
    const int height = form.client_height / twips_per_pixel;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;  // no screen at all: the display guard says so
    const qreal ratio = primary->devicePixelRatio();
    std::string why;
    if (!(ratio >= 1)) {
        why = "below 1 the window would be drawn smaller than designed";
    } else {
        bool fits = false;
        for (const QScreen *screen : QGuiApplication::screens()) {
            const QSize size = screen->geometry().size();
            fits = fits || (size.width() >= width && size.height() >= height);
        }
        if (!fits)
            why = "the window would be larger than the screen";
    }
    if (!why.empty()) {
        endWithLine(product + " cannot draw its window at QT_SCALE_FACTOR=" + asked.toStdString() +
                    ": " + why + "; unset QT_SCALE_FACTOR, or set it to a factor of 1 or more "
                    "at which the window fits the screen.");
    }
}

} // namespace runtime
