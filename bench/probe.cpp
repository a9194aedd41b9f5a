// Measures one start of a program from outside, on a real X server: it starts the program
// itself, watches the root window for its windows being created and mapped, follows their
// drawing with the DAMAGE extension, types into them with XTEST and reads its threads'
// counters in /proc. Nothing is asked of the program itself.
//
//   quellary_bench_probe [OPTIONS] -- COMMAND...
//     --program NAME, --run N   what the row is labelled with
//     --until box|main|reveal   how far to drive the program (default: reveal)
//     --idle-seconds S          watch S s of nothing happening before the press and after
//                               the reveal (default: 0, no idle phases)
//     --patient                 for a program under a profiler: long waits, and each stage
//                               drawn and then quiet before the next
//     --log FILE                where the program's output goes (default: /dev/null)
//     --header                  print the column names first
//
// It prints one tab-separated row of raw figures; bench/run-bench does the statistics.
// Exit status: 0 when the run went through, 1 when the program could not be driven (the row
// says why), 2 when the probe itself cannot work.

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char **environ;

namespace {

constexpr double countdown_ms = 5000;

double now_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

[[noreturn]] void die(const std::string &why)
{
    std::fprintf(stderr, "quellary_bench_probe: %s\n", why.c_str());
    std::exit(2);
}

// ---- the X server side ----------------------------------------------------------------

struct TopLevel {
    double mapped = -1;
    std::vector<double> damages;  // when each drawing request was seen
    double firstDamage() const { return damages.empty() ? -1 : damages.front(); }
};

class XWatch {
public:
    XWatch()
    {
        c_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c_))
            die("cannot connect to the X display named by DISPLAY");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;

        const xcb_query_extension_reply_t *damage = xcb_get_extension_data(c_, &xcb_damage_id);
        if (!damage || !damage->present)
            die("the X server has no DAMAGE extension");
        damage_event_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(c_, xcb_damage_query_version(c_, 1, 1), nullptr));
        const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(c_, &xcb_test_id);
        if (!xtest || !xtest->present)
            die("the X server has no XTEST extension");

        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        return_key_ = keycode(0xff0d);  // XK_Return
        space_key_ = keycode(0x0020);   // XK_space
        roundTrip();
    }
    ~XWatch() { xcb_disconnect(c_); }

    // Processes events until `done` holds or the deadline passes; returns `done()`.
    bool pumpUntil(const std::function<bool()> &done, double deadline)
    {
        for (;;) {
            drain();
            if (done())
                return true;
            const double left = deadline - now_ms();
            if (left <= 0)
                return false;
            pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
            const timespec timeout{time_t(left / 1e3), long(std::fmod(left, 1e3) * 1e6)};
            ppoll(&fd, 1, &timeout, nullptr);
        }
    }
    void pumpFor(double ms) { pumpUntil([] { return false; }, now_ms() + ms); }

    // The n-th top-level window mapped, if any.
    std::optional<xcb_window_t> mapped(std::size_t n) const
    {
        return n < map_order_.size() ? std::optional(map_order_[n]) : std::nullopt;
    }
    const TopLevel &window(xcb_window_t id) { return windows_[id]; }
    std::size_t damageCount() const
    {
        std::size_t n = 0;
        for (const auto &[id, w] : windows_)
            n += w.damages.size();
        return n;
    }
    double lastDamage() const
    {
        double last = -1;
        for (const auto &[id, w] : windows_)
            if (!w.damages.empty())
                last = std::max(last, w.damages.back());
        return last;
    }

    void focus(xcb_window_t id) { xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, id, XCB_CURRENT_TIME); }

    // A key pressed and released at once, as a person taps it. Returns when the server has
    // delivered both to the focused window.
    void tap(bool space)
    {
        const xcb_keycode_t key = space ? space_key_ : return_key_;
        xcb_test_fake_input(c_, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c_, XCB_KEY_RELEASE, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        roundTrip();
    }

    std::pair<int, int> size(xcb_window_t id)
    {
        xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, id), nullptr);
        std::pair<int, int> result{g ? g->width : 0, g ? g->height : 0};
        free(g);
        return result;
    }

private:
    xcb_keycode_t keycode(xcb_keysym_t sym)
    {
        const xcb_setup_t *setup = xcb_get_setup(c_);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t *map = xcb_get_keyboard_mapping_reply(
            c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, count), nullptr);
        if (!map)
            die("cannot read the keyboard mapping");
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
        const int total = count * map->keysyms_per_keycode;
        const int at = int(std::find(syms, syms + total, sym) - syms);
        const int per_key = map->keysyms_per_keycode;
        free(map);
        if (at == total)
            die("the keyboard has no key for a keysym the probe types");
        return xcb_keycode_t(setup->min_keycode + at / per_key);
    }

    void roundTrip() { free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

    void drain()
    {
        // Stamped when the socket became readable: the wait is blocking, so this is within
        // the scheduler's wake-up latency of the server having sent them.
        const double at = now_ms();
        while (xcb_generic_event_t *event = xcb_poll_for_event(c_)) {
            handle(event, at);
            free(event);
        }
        if (xcb_connection_has_error(c_))
            die("lost the X connection");
    }

    void handle(xcb_generic_event_t *event, double at)
    {
        const int type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            auto *e = reinterpret_cast<xcb_create_notify_event_t *>(event);
            if (e->parent != root_)
                return;
            windows_[e->window];
            // Raw rectangles: one event per drawing request, nothing to acknowledge.
            xcb_damage_create(c_, xcb_generate_id(c_), e->window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            xcb_flush(c_);
        } else if (type == XCB_MAP_NOTIFY) {
            auto *e = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (e->event != root_)
                return;
            TopLevel &w = windows_[e->window];
            if (w.mapped < 0) {
                w.mapped = at;
                if (!e->override_redirect)  // menus and tooltips are not the windows followed
                    map_order_.push_back(e->window);
            }
        } else if (type == damage_event_) {
            auto *e = reinterpret_cast<xcb_damage_notify_event_t *>(event);
            if (auto found = windows_.find(e->drawable); found != windows_.end())
                found->second.damages.push_back(at);
        }
        // Errors (a window gone before its damage object was made) and the rest: ignored.
    }

    xcb_connection_t *c_ = nullptr;
    xcb_window_t root_ = 0;
    int damage_event_ = -1;
    xcb_keycode_t return_key_ = 0, space_key_ = 0;
    std::map<xcb_window_t, TopLevel> windows_;
    std::vector<xcb_window_t> map_order_;
};

// ---- the process side -----------------------------------------------------------------

std::string slurp(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A "Name: value" line of a /proc status file, or -1.
long long statusField(const std::string &text, const std::string &name)
{
    const std::size_t at = ("\n" + text).find("\n" + name + ":");
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + name.size() + 1);
}

// What a process has used so far: CPU (ticks, and ns from schedstat) and each thread's
// context switches, every one a wake-up of that thread.
struct Counters {
    long long ticks = 0;
    long long cpu_ns = 0;
    std::map<int, std::pair<std::string, long long>> threads;  // tid: name, switches
};

Counters sample(pid_t pid)
{
    Counters c;
    const std::string proc = "/proc/" + std::to_string(pid);
    const std::string stat = slurp(proc + "/stat");
    std::istringstream fields(stat.substr(std::min(stat.rfind(')') + 2, stat.size())));
    std::vector<long long> f;  // from the state on: utime and stime are the 12th and 13th
    for (std::string word; fields >> word;)
        f.push_back(std::atoll(word.c_str()));
    if (f.size() > 12)
        c.ticks = f[11] + f[12];
    if (DIR *dir = opendir((proc + "/task").c_str())) {
        while (dirent *entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string task = proc + "/task/" + entry->d_name;
            const std::string status = slurp(task + "/status");
            std::string name = slurp(task + "/comm");
            if (!name.empty() && name.back() == '\n')
                name.pop_back();
            c.threads[std::atoi(entry->d_name)] = {
                name, statusField(status, "voluntary_ctxt_switches") +
                          statusField(status, "nonvoluntary_ctxt_switches")};
            c.cpu_ns += std::atoll(slurp(task + "/schedstat").c_str());
        }
        closedir(dir);
    }
    return c;
}

// What a stretch of the run cost the program.
struct Usage {
    long long ticks = 0;
    double cpu_us = 0;
    long long wakeups = 0;       // all threads
    long long main_wakeups = 0;  // the main (GUI) thread alone
    std::string woke = "-";      // "name=n,..." for the threads that woke
    std::size_t draws = 0;       // drawing on the screen meanwhile
};

Usage usage(pid_t pid, const Counters &before, const Counters &after, std::size_t draws)
{
    Usage u;
    u.ticks = after.ticks - before.ticks;
    u.cpu_us = double(after.cpu_ns - before.cpu_ns) / 1e3;
    u.draws = draws;
    std::string woke;
    for (const auto &[tid, thread] : after.threads) {
        const auto was = before.threads.find(tid);
        const long long n = thread.second - (was == before.threads.end() ? 0 : was->second.second);
        u.wakeups += n;
        if (tid == pid)
            u.main_wakeups = n;
        if (n)
            woke += (woke.empty() ? "" : ",") + (tid == pid ? std::string("main") : thread.first) + "=" +
                    std::to_string(n);
    }
    if (!woke.empty())
        u.woke = woke;
    return u;
}

pid_t spawn(const std::vector<std::string> &command, const std::string &log)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char *> argv;
    for (const std::string &word : command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        die("cannot start " + command[0]);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Ends the program (SIGTERM, then SIGKILL once the grace is over) and reaps it.
void end(pid_t pid, double grace_ms)
{
    kill(pid, SIGTERM);
    const double deadline = now_ms() + grace_ms;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (now_ms() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return;
        }
        usleep(2000);
    }
}

// ---- one run --------------------------------------------------------------------------

struct Options {
    std::string program = "-", run = "0", until = "reveal", log = "/dev/null";
    double idle_ms = 0;
    bool patient = false, header = false;
    std::vector<std::string> command;
};

// Everything one run measured: times in ms, -1 where the run did not get that far.
struct Run {
    std::string failure;
    double box_map = -1, box_paint = -1, box_cpu_ms = -1;
    int retries = 0;                         // Return presses beyond the first
    double main_map = -1, main_paint = -1;   // from the Return that worked
    int width = 0, height = 0;
    long long rss_kb = -1, pss_kb = -1, threads = -1;
    double reveal = -1;                      // from the Space tap
    Usage press, countdown, expiry, waiting, revealed;
};

Run drive(const Options &o)
{
    Run r;
    XWatch x;
    // Under a profiler everything is tens of times slower; the deadlines stretch alike.
    const double slow = o.patient ? 30 : 1;
    const double started = now_ms();
    const pid_t pid = spawn(o.command, o.log);
    const auto finish = [&] {
        end(pid, 2000 * slow);
        return r;
    };
    const auto fail = [&](const char *why) {
        r.failure = why;
        return finish();
    };
    // Until nothing has been drawn for `ms`: a profiled stage is drawn and its drawing over.
    const auto quiet = [&](double ms) {
        const double give_up = now_ms() + 60000;
        for (;;) {
            const double until = std::min(std::max(x.lastDamage(), 0.0) + ms, give_up);
            if (now_ms() >= until)
                return;
            x.pumpFor(until - now_ms());
        }
    };
    // What `idle_ms` of nothing happening costs the program.
    const auto idle = [&] {
        const Counters before = sample(pid);
        const std::size_t drawn = x.damageCount();
        x.pumpFor(o.idle_ms);
        return usage(pid, before, sample(pid), x.damageCount() - drawn);
    };

    // The welcome box: mapped, then drawn.
    if (!x.pumpUntil([&] { return x.mapped(0).has_value(); }, started + 10000 * slow))
        return fail("no window");
    const xcb_window_t box = *x.mapped(0);
    r.box_map = x.window(box).mapped - started;
    if (!x.pumpUntil([&] { return x.window(box).firstDamage() >= 0; }, started + 10000 * slow))
        return fail("the box is never drawn");
    r.box_paint = x.window(box).firstDamage() - started;
    r.box_cpu_ms = double(sample(pid).cpu_ns) / 1e6;
    if (o.patient)
        quiet(1500);
    if (o.until == "box")
        return finish();

    // Dismissed with Return; the main window follows. A slow program may show the box before
    // it takes keys: the press that worked is timed, the ones before it counted.
    double dismissed = 0;
    for (;;) {
        x.focus(box);
        x.tap(false);
        dismissed = now_ms();
        if (x.pumpUntil([&] { return x.mapped(1).has_value(); }, now_ms() + 1000 * slow))
            break;
        if (++r.retries > 5)
            return fail("the box is not dismissed by Return");
    }
    const xcb_window_t main = *x.mapped(1);
    r.main_map = x.window(main).mapped - dismissed;
    // Keyboard focus now, so that its repaint is over before anything is measured.
    x.focus(main);
    if (!x.pumpUntil([&] { return x.window(main).firstDamage() >= 0; }, now_ms() + 5000 * slow))
        return fail("the main window is never drawn");
    const double main_drawn = x.window(main).firstDamage();
    r.main_paint = main_drawn - dismissed;
    std::tie(r.width, r.height) = x.size(main);
    if (o.patient)
        quiet(2000);
    if (o.until == "main")
        return finish();

    // Memory with the window up and drawn.
    x.pumpUntil([] { return false; }, main_drawn + 1000);
    const std::string proc = "/proc/" + std::to_string(pid);
    const std::string status = slurp(proc + "/status");
    r.rss_kb = statusField(status, "VmRSS");
    r.threads = statusField(status, "Threads");
    r.pss_kb = statusField(slurp(proc + "/smaps_rollup"), "Pss");
    if (o.idle_ms > 0)
        r.waiting = idle();

    // The press, the countdown, and the reveal: the first drawing after the press's own.
    // Under a profiler the press's drawing may take longer than 250 ms, so there the reveal
    // is the first drawing after the full countdown (the runs show it is never early).
    const Counters pressed_at = sample(pid);
    x.tap(true);
    const double pressed = now_ms();
    x.pumpFor(300);
    const Counters counting = sample(pid);
    r.press = usage(pid, pressed_at, counting, 0);
    const std::size_t drawn = x.damageCount();
    x.pumpUntil([] { return false; }, pressed + countdown_ms - 300);
    const Counters expiring = sample(pid);
    r.countdown = usage(pid, counting, expiring, x.damageCount() - drawn);
    const double gap = o.patient ? countdown_ms : 250;
    const auto revealed = [&]() -> double {
        for (double at : x.window(main).damages)
            if (at > pressed + gap)
                return at;
        return -1;
    };
    if (!x.pumpUntil([&] { return revealed() >= 0; }, pressed + countdown_ms + 3000 * slow))
        return fail("no reveal within the countdown and 3 s");
    r.reveal = revealed() - pressed;
    x.pumpFor(300);
    r.expiry = usage(pid, expiring, sample(pid), 0);
    if (o.patient)
        quiet(2000);
    if (o.idle_ms > 0) {
        x.pumpUntil([] { return false; }, pressed + r.reveal + 1000);
        r.revealed = idle();
    }
    return finish();
}

// ---- the row --------------------------------------------------------------------------

void printRow(const Options &o, const Run &r)
{
    std::vector<std::pair<std::string, std::string>> columns;
    const auto put = [&](const std::string &name, const std::string &value) { columns.emplace_back(name, value); };
    const auto real = [](double v, int decimals) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", decimals, v);
        return std::string(text);
    };
    const auto whole = [](long long v) { return std::to_string(v); };
    put("program", o.program);
    put("run", o.run);
    put("until", o.until);
    put("idle_s", real(o.idle_ms / 1e3, 0));
    put("ok", r.failure.empty() ? "1" : "0");
    put("failure", r.failure.empty() ? "-" : r.failure);
    put("box_map_ms", real(r.box_map, 3));
    put("box_paint_ms", real(r.box_paint, 3));
    put("box_cpu_ms", real(r.box_cpu_ms, 2));
    put("retries", whole(r.retries));
    put("main_map_ms", real(r.main_map, 3));
    put("main_paint_ms", real(r.main_paint, 3));
    put("width", whole(r.width));
    put("height", whole(r.height));
    put("rss_kb", whole(r.rss_kb));
    put("pss_kb", whole(r.pss_kb));
    put("threads", whole(r.threads));
    put("reveal_ms", real(r.reveal, 3));
    for (const auto &[phase, u] : {std::pair<std::string, const Usage &>{"press", r.press},
                                   {"countdown", r.countdown}, {"expiry", r.expiry},
                                   {"waiting", r.waiting}, {"revealed", r.revealed}}) {
        put(phase + "_ticks", whole(u.ticks));
        put(phase + "_cpu_us", real(u.cpu_us, 0));
        put(phase + "_wakeups", whole(u.wakeups));
        put(phase + "_main_wakeups", whole(u.main_wakeups));
        put(phase + "_draws", whole(u.draws));
        put(phase + "_woke", u.woke);
    }
    for (bool names : {true, false}) {
        if (names && !o.header)
            continue;
        for (std::size_t i = 0; i < columns.size(); ++i)
            std::printf("%s%s", i ? "\t" : "", (names ? columns[i].first : columns[i].second).c_str());
        std::printf("\n");
    }
}

Options parse(int argc, char **argv)
{
    Options o;
    const char *usage = "usage: quellary_bench_probe [--program NAME] [--run N] [--until box|main|reveal] "
                        "[--idle-seconds S] [--patient] [--log FILE] [--header] -- COMMAND...";
    int i = 1;
    for (; i < argc && std::string(argv[i]) != "--"; ++i) {
        const std::string arg = argv[i];
        const auto value = [&] { return i + 1 < argc ? std::string(argv[++i]) : (die(usage), ""); };
        if (arg == "--program")
            o.program = value();
        else if (arg == "--run")
            o.run = value();
        else if (arg == "--until")
            o.until = value();
        else if (arg == "--idle-seconds")
            o.idle_ms = std::atof(value().c_str()) * 1e3;
        else if (arg == "--log")
            o.log = value();
        else if (arg == "--patient")
            o.patient = true;
        else if (arg == "--header")
            o.header = true;
        else
            die(usage);
    }
    o.command.assign(argv + std::min(i + 1, argc), argv + argc);
    if (o.command.empty() || (o.until != "box" && o.until != "main" && o.until != "reveal"))
        die(usage);
    return o;
}

} // namespace

int main(int argc, char **argv)
{
    const Options options = parse(argc, argv);
    const Run run = drive(options);
    printRow(options, run);
    std::fprintf(stderr, "%s #%s %s: box %.1f ms, main %.2f ms, reveal %.2f ms\n", options.program.c_str(),
                 options.run.c_str(), run.failure.empty() ? "ok" : run.failure.c_str(), run.box_map,
                 run.main_paint, run.reveal);
    return run.failure.empty() ? 0 : 1;
}
