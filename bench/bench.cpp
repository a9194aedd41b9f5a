// Quellary against the bare Qt program (baseline.cpp), run alternately on a private Xvfb and
// measured from outside only: an X client sees their windows mapped (MapNotify) and drawn
// (DAMAGE), types into them (XTEST) and reads their counters in /proc. It prints one row of
// figures a run on stderr and a Markdown table of medians and ranges on stdout. The figures
// are measured, never judged: it fails only when a program cannot be driven.
//
//   [BENCH_RUNS=10] [BENCH_STARTS=30] [BENCH_IDLE_SECONDS=2] quellary_bench QUELLARY BASELINE
//
// BENCH_RUNS full runs each, then BENCH_STARTS more start-ups each for the noisiest figures.

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <fcntl.h>
#include <glob.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

pid_t program = 0;       // the one under test now; the private X server ends when this ends
const char *driving = ""; // its file

[[noreturn]] void die(const std::string &why)
{
    std::fprintf(stderr, "quellary_bench: %s\n", why.c_str());
    if (program > 0)
        kill(program, SIGKILL);
    std::exit(1);
}

double now_ms()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string slurp(const std::string &path)
{
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// The number after "Name:" in a /proc status file.
double field(const std::string &text, const std::string &name)
{
    const std::size_t at = ("\n" + text).find("\n" + name + ":");
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + name.size() + 1);
}

// The context switches of all the program's threads so far: each one a wake-up.
double switches()
{
    double n = 0;
    glob_t tasks{};
    glob(("/proc/" + std::to_string(program) + "/task/*/status").c_str(), 0, nullptr, &tasks);
    for (std::size_t i = 0; i < tasks.gl_pathc; ++i) {
        const std::string status = slurp(tasks.gl_pathv[i]);
        n += field(status, "voluntary_ctxt_switches") + field(status, "nonvoluntary_ctxt_switches");
    }
    globfree(&tasks);
    return n;
}

// The X side of one run: the top-level windows in the order they were mapped, and when each
// drawing request on a window was seen.
xcb_connection_t *x = nullptr;
int damage_event = 0;
std::vector<xcb_window_t> mapped;
std::map<xcb_window_t, std::vector<double>> damages;

// Handles events until `done` holds, or the deadline passes: then the program cannot be
// driven, if `why` says how. Events are stamped when the blocking wait ends: within the
// scheduler's wake-up latency of their arrival.
template <class Done> void until(Done done, double deadline, const char *why = nullptr)
{
    for (;;) {
        const double at = now_ms();
        while (xcb_generic_event_t *event = xcb_poll_for_event(x)) {
            const int type = event->response_type & 0x7f;
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (type == XCB_CREATE_NOTIFY)  // raw rectangles: an event a drawing request, none to acknowledge
                xcb_damage_create(x, xcb_generate_id(x), reinterpret_cast<xcb_create_notify_event_t *>(event)->window,
                                  XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            else if (type == XCB_MAP_NOTIFY && !map->override_redirect &&  // not menus or tooltips
                     std::find(mapped.begin(), mapped.end(), map->window) == mapped.end())
                mapped.push_back(map->window);
            else if (type == damage_event)
                damages[reinterpret_cast<xcb_damage_notify_event_t *>(event)->drawable].push_back(at);
            free(event);  // errors (a window gone before its damage object was made): ignored
        }
        xcb_flush(x);
        if (xcb_connection_has_error(x))
            die("lost the X server");
        if (done())
            return;
        if (at >= deadline)
            return why ? die(std::string(driving) + " cannot be driven: " + why) : void();
        pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
        poll(&fd, 1, int(std::ceil(deadline - at)));
    }
}
void wait(double until_ms) { until([] { return false; }, until_ms); }

// When a window was first drawn on after the time `after`, or 0.
double drawn(xcb_window_t window, double after)
{
    const auto at = std::find_if(damages[window].begin(), damages[window].end(), [&](double t) { return t > after; });
    return at == damages[window].end() ? 0 : *at;
}

void roundTrip() { free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr)); }

// A key pressed and released at once on `window`, as a person taps it. Returns, once the
// server has delivered both, when they were sent: a wait for the reply on a busy machine
// cannot make what follows look quicker. Keycodes of Xvfb's own keymap (evdev): Return 36,
// space 65.
double tap(xcb_window_t window, xcb_keycode_t key)
{
    xcb_set_input_focus(x, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    const double sent = now_ms();
    xcb_test_fake_input(x, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(x, XCB_KEY_RELEASE, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    roundTrip();
    return sent;
}

enum Measure { Box, Main, Pss, Rss, Reveal, Waiting, Counting, Measures };
std::string main_size;  // WIDTHxHEIGHT, of the last main window seen

// One start of a program, through the welcome box to the main window and, if `idle_ms`,
// through idle stretches and a countdown to the reveal.
std::vector<double> drive(std::vector<const char *> command, double idle_ms)
{
    std::vector<double> r(Measures);  // ms, kB, wake-ups
    driving = command[0];
    x = xcb_connect(nullptr, nullptr);
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(x, &xcb_damage_id);
    if (xcb_connection_has_error(x) || !damage->present || !xcb_get_extension_data(x, &xcb_test_id)->present)
        die("cannot use the private X server, or it lacks DAMAGE or XTEST");
    damage_event = damage->first_event + XCB_DAMAGE_NOTIFY;
    free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr));
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, xcb_setup_roots_iterator(xcb_get_setup(x)).data->root, XCB_CW_EVENT_MASK, &mask);
    roundTrip();
    mapped.clear();
    damages.clear();

    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&quiet, 1, 2);
    command.push_back(nullptr);
    const double started = now_ms();
    if (const int e = posix_spawn(&program, command[0], &quiet, nullptr, const_cast<char **>(command.data()), environ))
        die(std::string("cannot start ") + command[0] + " (" + std::strerror(e) + "): build quellary_bench");
    until([&] { return !mapped.empty() && drawn(mapped[0], 0); }, started + 10000, "no welcome box drawn in 10 s");
    r[Box] = drawn(mapped[0], 0) - started;
    const double dismissed = tap(mapped[0], 36);  // Return
    until([&] { return mapped.size() > 1; }, dismissed + 5000, "Return on the box shows no window");
    const xcb_window_t main = mapped[1];
    // The keyboard focus now, so that the focus's own drawing is over before the idle stretch.
    xcb_set_input_focus(x, XCB_INPUT_FOCUS_POINTER_ROOT, main, XCB_CURRENT_TIME);
    until([&] { return drawn(main, 0); }, dismissed + 5000, "the main window is not drawn");
    r[Main] = drawn(main, 0) - dismissed;
    auto *geometry = xcb_get_geometry_reply(x, xcb_get_geometry(x, main), nullptr);
    main_size = geometry ? std::to_string(geometry->width) + "x" + std::to_string(geometry->height) : "0x0";
    free(geometry);

    // Idle stretches: what nothing to do costs, in every thread's wake-ups.
    if (idle_ms > 0) {
        wait(drawn(main, 0) + 1000);
        r[Rss] = field(slurp("/proc/" + std::to_string(program) + "/status"), "VmRSS");
        r[Pss] = field(slurp("/proc/" + std::to_string(program) + "/smaps_rollup"), "Pss");
        r[Waiting] = -switches();
        wait(now_ms() + idle_ms);
        r[Waiting] += switches();
        // Space: "Calculate my thoughts" has the focus and clicks on the release.
        const double pressed = tap(main, 65);
        wait(pressed + 300);
        r[Counting] = -switches();
        wait(pressed + 4700);
        r[Counting] += switches();
        // The reveal: the first drawing once the press's own is long over, early or not.
        until([&] { return drawn(main, pressed + 1000); }, pressed + 8000, "no reveal within 8 s of Space");
        r[Reveal] = drawn(main, pressed + 1000) - pressed;
    }
    kill(program, SIGKILL);
    waitpid(program, nullptr, 0);
    program = 0;
    posix_spawn_file_actions_destroy(&quiet);
    xcb_disconnect(x);
    return r;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A row of the table: with `ratio`, the ratio of the medians and the median of the ratios of
// the runs made one after the other; else the difference of the medians.
void row(const std::vector<double> &q, const std::vector<double> &b, const char *label, int decimals, bool ratio,
         const char *target)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < q.size(); ++i)
        ratios.push_back(q[i] / b[i]);
    std::printf("| %s |", label);
    for (const auto &v : {q, b})
        std::printf(" %.*f (%.*f – %.*f) |", decimals, median(v), decimals, *std::min_element(v.begin(), v.end()),
                    decimals, *std::max_element(v.begin(), v.end()));
    if (ratio)
        std::printf(" %.3fx (paired %.3fx) |", median(q) / median(b), median(ratios));
    else
        std::printf(" %+.*f |", decimals, median(q) - median(b));
    std::printf(" %s |\n", target);
}

} // namespace

int main(int argc, char **argv)
{
    const auto setting = [](const char *name, const char *or_else) { return getenv(name) ? getenv(name) : or_else; };
    const int runs = std::atoi(setting("BENCH_RUNS", "10")), starts = std::atoi(setting("BENCH_STARTS", "30"));
    const double idle_s = std::atof(setting("BENCH_IDLE_SECONDS", "2"));
    if (argc != 3 || runs < 1 || starts < 0 || !(idle_s > 0))
        die("usage: [BENCH_RUNS=10] [BENCH_STARTS=30] [BENCH_IDLE_SECONDS=2] quellary_bench QUELLARY BASELINE");

    // A private X server that picks a free display itself, names it, and ends with its last
    // client: the connection held here until the end.
    FILE *server = popen("exec Xvfb -displayfd 1 -nolisten tcp -terminate -screen 0 1280x1024x24 2>/dev/null", "r");
    char number[16] = "";
    if (!server || !std::fgets(number, sizeof number, server))
        die("Xvfb did not start: run scripts/install-deps bench");
    setenv("DISPLAY", (":" + std::string(number, std::strcspn(number, "\n"))).c_str(), 1);
    xcb_connection_t *holding = xcb_connect(nullptr, nullptr);
    // The same plain environment for both: the X platform, no theme, no scaling.
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    for (const char *name : {"QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "QT_SCALE_FACTOR", "QT_FONT_DPI"})
        unsetenv(name);
    const std::string load_before = slurp("/proc/loadavg");

    // One warm-up each, not counted: it fills the page cache and gives the main window's size.
    drive({argv[1]}, 0);
    const std::string size = main_size;
    const std::vector<const char *> quellary{argv[1]}, bare{argv[2], size.c_str()};
    drive(bare, 0);
    std::vector<double> q[Measures], b[Measures];  // a measure's figures, run by run
    std::fprintf(stderr, "program box_ms main_ms Pss_kB RSS_kB reveal_ms wake-ups_idle wake-ups_counting\n");
    for (int i = 0; i < 2 * (runs + starts); ++i) {
        const bool ours = (i % 2 == 0) == (i / 2 % 2 == 0);  // Q B, B Q, ...: a drift falls on both alike
        const int measures = i < 2 * runs ? Measures : Pss;  // the full runs, then the start-ups alone
        const std::vector<double> r = drive(ours ? quellary : bare, measures == Measures ? idle_s * 1e3 : 0);
        std::fprintf(stderr, "%s", ours ? "Quellary" : "bare_Qt");
        for (int k = 0; k < measures; ++k) {
            (ours ? q : b)[k].push_back(r[k]);
            std::fprintf(stderr, " %.2f", r[k]);
        }
        std::fprintf(stderr, "\n");
    }
    xcb_disconnect(holding);
    pclose(server);

    std::printf("Quellary against a bare Qt program: %d full runs and %d more start-ups each, alternated, after a "
                "warm-up each; Xvfb 1280x1024x24, no window manager; main window %s; idle stretch %g s. /proc/loadavg "
                "before: %.*s; after: %s\n"
                "| measure | Quellary: median (range) | bare Qt: median (range) | Quellary against bare | target |\n"
                "| --- | ---: | ---: | ---: | --- |\n",
                runs, starts, size.c_str(), idle_s, int(load_before.size()) - 1, load_before.c_str(),
                slurp("/proc/loadavg").c_str());
    row(q[Box], b[Box], "start → welcome box first drawn (ms)", 1, true, "≤ 1.10x");
    row(q[Main], b[Main], "Return on the box → main window first drawn (ms)", 2, false, "≤ +16.7 ms");
    row(q[Pss], b[Pss], "memory with the main window up: Pss (kB)", 0, true, "≤ 1.10x");
    row(q[Rss], b[Rss], "memory with the main window up: VmRSS (kB)", 0, true, "≤ 1.10x");
    row(q[Reveal], b[Reveal], "Space → reveal drawn (ms)", 2, false, "5000 – 5016.7");
    row(q[Waiting], b[Waiting], "wake-ups, idle with the main window up", 0, false, "0");
    row(q[Counting], b[Counting], "wake-ups while counting (0.3 – 4.7 s after Space)", 0, false, "0");
}
