// Measures Quellary and the bare Qt baseline from outside, on a real X server: it starts
// each program itself, watches the root window for its windows being created and mapped,
// follows their drawing with the DAMAGE extension, types into them with XTEST and reads
// their threads' counters in /proc. Nothing is asked of the programs themselves.
//
//   quellary_bench_probe run [options] QUELLARY BASELINE
//       alternates full runs of the two (start-up, memory, idle, countdown, reveal), then
//       starts alone, and prints each run as a TSV line and the medians as Markdown tables;
//   quellary_bench_probe profile --stage box|main|reveal -- COMMAND...
//       drives one start of COMMAND (e.g. the program under valgrind) to the welcome box
//       drawn, or on to the main window drawn, or on through a press of Space to the reveal
//       drawn, then ends it with SIGTERM.

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
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char **environ;

namespace {

double now_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

[[noreturn]] void die(const std::string &why)
{
    std::fprintf(stderr, "quellary_bench_probe: %s\n", why.c_str());
    std::exit(1);
}

// ---- the X server side ----------------------------------------------------------------

struct Damage {
    double at;
    int x, y, width, height;
};

struct TopLevel {
    double created = -1;
    double mapped = -1;
    bool override_redirect = false;
    std::vector<Damage> damages;
    double firstDamage() const { return damages.empty() ? -1 : damages.front().at; }
};

class XWatch {
public:
    void open()
    {
        // The X server may still be starting.
        for (int attempt = 0; attempt < 100; ++attempt) {
            c_ = xcb_connect(nullptr, nullptr);
            if (!xcb_connection_has_error(c_))
                break;
            xcb_disconnect(c_);
            c_ = nullptr;
            usleep(100000);
        }
        if (!c_)
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

    // The n-th top-level window mapped since forget(), if any.
    std::optional<xcb_window_t> mapped(std::size_t n) const
    {
        if (map_order_.size() <= n)
            return std::nullopt;
        return map_order_[n];
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
                last = std::max(last, w.damages.back().at);
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

    void forget()
    {
        windows_.clear();
        map_order_.clear();
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
        xcb_keycode_t found = 0;
        for (int i = 0; i < count && !found; ++i)
            for (int j = 0; j < map->keysyms_per_keycode; ++j)
                if (syms[i * map->keysyms_per_keycode + j] == sym) {
                    found = xcb_keycode_t(setup->min_keycode + i);
                    break;
                }
        free(map);
        if (!found)
            die("the keyboard has no key for a keysym the bench types");
        return found;
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
            TopLevel &w = windows_[e->window];
            w.created = at;
            w.override_redirect = e->override_redirect;
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
                if (!e->override_redirect)
                    map_order_.push_back(e->window);
            }
        } else if (type == damage_event_) {
            auto *e = reinterpret_cast<xcb_damage_notify_event_t *>(event);
            auto found = windows_.find(e->drawable);
            if (found != windows_.end())
                found->second.damages.push_back({at, e->area.x, e->area.y, e->area.width, e->area.height});
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

long long statusField(const std::string &text, const char *name)
{
    const std::string key = std::string("\n") + name;
    const std::size_t at = ("\n" + text).find(key);
    if (at == std::string::npos)
        return -1;
    return std::atoll(text.c_str() + at + key.size() - 1);
}

struct ThreadCount {
    std::string name;
    long long switches = 0;  // voluntary + involuntary context switches
};

// What a process has used so far: CPU (ticks, and ns from schedstat) and every thread's
// context switches, each one a wake-up of that thread.
struct Counters {
    long long ticks = 0;
    long long cpu_ns = 0;
    std::map<int, ThreadCount> threads;
};

Counters sample(pid_t pid)
{
    Counters c;
    const std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close != std::string::npos) {
        std::istringstream fields(stat.substr(close + 2));
        std::vector<std::string> f;
        for (std::string word; fields >> word;)
            f.push_back(word);
        if (f.size() > 12)  // state is field 3, utime 14, stime 15
            c.ticks = std::atoll(f[11].c_str()) + std::atoll(f[12].c_str());
    }
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR *dir = opendir(tasks.c_str())) {
        while (dirent *entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string base = tasks + "/" + entry->d_name;
            const std::string status = slurp(base + "/status");
            ThreadCount t;
            t.switches = statusField(status, "voluntary_ctxt_switches:") +
                         statusField(status, "nonvoluntary_ctxt_switches:");
            t.name = slurp(base + "/comm");
            if (!t.name.empty() && t.name.back() == '\n')
                t.name.pop_back();
            c.cpu_ns += std::atoll(slurp(base + "/schedstat").c_str());
            c.threads[std::atoi(entry->d_name)] = t;
        }
        closedir(dir);
    }
    return c;
}

struct Usage {
    long long ticks = 0;
    double cpu_us = 0;
    long long wakeups = 0;       // all threads
    long long main_wakeups = 0;  // the main (GUI) thread alone
    std::string by_thread;       // "name=n,..." for the threads that woke
    std::size_t damages = 0;     // drawing on the screen meanwhile
};

Usage usage(pid_t pid, const Counters &before, const Counters &after)
{
    Usage u;
    u.ticks = after.ticks - before.ticks;
    u.cpu_us = double(after.cpu_ns - before.cpu_ns) / 1e3;
    for (const auto &[tid, t] : after.threads) {
        auto was = before.threads.find(tid);
        const long long n = t.switches - (was == before.threads.end() ? 0 : was->second.switches);
        u.wakeups += n;
        if (tid == pid)
            u.main_wakeups = n;
        if (n) {
            if (!u.by_thread.empty())
                u.by_thread += ',';
            u.by_thread += (tid == pid ? std::string("main") : t.name) + "=" + std::to_string(n);
        }
    }
    if (u.by_thread.empty())
        u.by_thread = "-";
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

// Ends the program (SIGTERM, then SIGKILL) and reaps it.
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

struct Program {
    std::string name;
    std::vector<std::string> command;
};

struct Options {
    int runs = 20;
    int idle_runs = 3;
    int startup_runs = 40;  // more starts alone, for the noisiest figures
    double idle_ms = 10000;
    double settle_ms = 1000;
    std::string tsv = "runs.tsv";
    std::string log = "programs.log";
};

struct Run {
    std::string program;
    int index = 0;
    bool ok = false;
    bool full = true;  // false: a start-up alone, ended once the main window is drawn
    std::string failure;
    double box_map = -1, box_paint = -1, box_cpu_ms = -1;
    double main_map = -1, main_paint = -1;  // from the dismissal
    int retries = 0;
    int width = 0, height = 0;
    long long rss_kb = -1, pss_kb = -1, threads = -1;
    bool idle = false;
    Usage waiting, revealed;
    Usage press, countdown, expiry;
    double reveal = -1;
};

constexpr double countdown_ms = 5000;

Run runOnce(XWatch &x, const Program &program, int index, bool idle, const Options &options,
            bool full = true)
{
    Run r;
    r.program = program.name;
    r.index = index;
    r.idle = idle;
    r.full = full;
    x.forget();
    const double started = now_ms();
    const pid_t pid = spawn(program.command, options.log);
    const auto fail = [&](const char *why) {
        r.failure = why;
        end(pid, 2000);
        x.pumpFor(200);
        return r;
    };

    // The welcome box: mapped, then drawn.
    if (!x.pumpUntil([&] { return x.mapped(0).has_value(); }, started + 10000))
        return fail("no window");
    const xcb_window_t box = *x.mapped(0);
    r.box_map = x.window(box).mapped - started;
    if (!x.pumpUntil([&] { return x.window(box).firstDamage() >= 0; }, started + 10000))
        return fail("the box is never drawn");
    r.box_paint = x.window(box).firstDamage() - started;
    r.box_cpu_ms = double(sample(pid).cpu_ns) / 1e6;

    // Dismissed with Return; the main window follows.
    x.focus(box);
    x.tap(false);
    double dismissed = now_ms();
    // Timed from the press that worked; the ones before it are counted.
    while (!x.pumpUntil([&] { return x.mapped(1).has_value(); }, now_ms() + 1000)) {
        if (++r.retries > 5)
            return fail("the box is not dismissed by Return");
        x.focus(box);
        x.tap(false);
        dismissed = now_ms();
    }
    const xcb_window_t main = *x.mapped(1);
    r.main_map = x.window(main).mapped - dismissed;
    // Keyboard focus now, so that its repaint is over before anything is measured.
    x.focus(main);
    if (!x.pumpUntil([&] { return x.window(main).firstDamage() >= 0; }, now_ms() + 5000))
        return fail("the main window is never drawn");
    const double main_drawn = x.window(main).firstDamage();
    r.main_paint = main_drawn - dismissed;
    std::tie(r.width, r.height) = x.size(main);
    if (!full) {
        r.ok = true;
        end(pid, 2000);
        x.pumpFor(200);
        return r;
    }

    // Memory with the window up and drawn.
    x.pumpUntil([] { return false; }, main_drawn + options.settle_ms);
    const std::string status = slurp("/proc/" + std::to_string(pid) + "/status");
    r.rss_kb = statusField(status, "VmRSS:");
    r.threads = statusField(status, "Threads:");
    r.pss_kb = statusField(slurp("/proc/" + std::to_string(pid) + "/smaps_rollup"), "Pss:");

    // Waiting, with nothing happening.
    if (idle) {
        const Counters before = sample(pid);
        const std::size_t drawn = x.damageCount();
        x.pumpFor(options.idle_ms);
        r.waiting = usage(pid, before, sample(pid));
        r.waiting.damages = x.damageCount() - drawn;
    }

    // The press, the countdown, and the reveal: the first drawing after the press's own.
    const Counters pressed_at = sample(pid);
    x.tap(true);
    const double pressed = now_ms();
    x.pumpFor(300);
    const Counters counting = sample(pid);
    r.press = usage(pid, pressed_at, counting);
    const std::size_t drawn = x.damageCount();
    x.pumpUntil([] { return false; }, pressed + countdown_ms - 300);
    const Counters expiring = sample(pid);
    r.countdown = usage(pid, counting, expiring);
    r.countdown.damages = x.damageCount() - drawn;
    const auto revealed = [&]() -> double {
        for (const Damage &d : x.window(main).damages)
            if (d.at > pressed + 250)
                return d.at;
        return -1;
    };
    if (!x.pumpUntil([&] { return revealed() >= 0; }, pressed + countdown_ms + 3000))
        return fail("no reveal within 8 s of the press");
    r.reveal = revealed() - pressed;
    x.pumpFor(300);
    r.expiry = usage(pid, expiring, sample(pid));

    // Revealed, with nothing happening.
    if (idle) {
        x.pumpUntil([] { return false; }, pressed + r.reveal + options.settle_ms);
        const Counters before = sample(pid);
        const std::size_t drawn_before = x.damageCount();
        x.pumpFor(options.idle_ms);
        r.revealed = usage(pid, before, sample(pid));
        r.revealed.damages = x.damageCount() - drawn_before;
    }
    r.ok = true;
    end(pid, 2000);
    x.pumpFor(200);
    return r;
}

// ---- reporting ------------------------------------------------------------------------

std::string usageColumns(const Usage &u)
{
    char line[256];
    std::snprintf(line, sizeof line, "%lld\t%.0f\t%lld\t%lld\t%zu\t%s", u.ticks, u.cpu_us, u.wakeups,
                  u.main_wakeups, u.damages, u.by_thread.c_str());
    return line;
}

std::string usageHeader(const char *phase)
{
    std::string p = phase;
    return p + "_ticks\t" + p + "_cpu_us\t" + p + "_wakeups\t" + p + "_main_wakeups\t" + p +
           "_draws\t" + p + "_threads";
}

void writeTsv(std::FILE *out, const Run &r, bool header)
{
    if (header) {
        std::fprintf(out, "program\trun\tok\tfailure\tbox_map_ms\tbox_paint_ms\tbox_cpu_ms\t"
                          "main_map_ms\tmain_paint_ms\tretries\twidth\theight\trss_kb\tpss_kb\t"
                          "threads\treveal_ms\t%s\t%s\t%s\t%s\t%s\tfull\n",
                     usageHeader("press").c_str(), usageHeader("countdown").c_str(),
                     usageHeader("expiry").c_str(), usageHeader("waiting").c_str(),
                     usageHeader("revealed").c_str());
    }
    std::fprintf(out, "%s\t%d\t%d\t%s\t%.3f\t%.3f\t%.2f\t%.3f\t%.3f\t%d\t%d\t%d\t%lld\t%lld\t%lld\t%.3f\t",
                 r.program.c_str(), r.index, r.ok, r.failure.empty() ? "-" : r.failure.c_str(), r.box_map,
                 r.box_paint, r.box_cpu_ms, r.main_map, r.main_paint, r.retries, r.width, r.height,
                 r.rss_kb, r.pss_kb, r.threads, r.reveal);
    const Usage none;
    std::fprintf(out, "%s\t%s\t%s\t%s\t%s\t%d\n", usageColumns(r.press).c_str(), usageColumns(r.countdown).c_str(),
                 usageColumns(r.expiry).c_str(), usageColumns(r.idle ? r.waiting : none).c_str(),
                 usageColumns(r.idle ? r.revealed : none).c_str(), r.full);
    std::fflush(out);
}

double median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

using Metric = std::function<double(const Run &)>;

// Which runs a figure comes from.
enum class Scope { Full, Idle, Starts };

bool inScope(const Run &r, Scope scope)
{
    return r.ok && (scope == Scope::Starts || (r.full && (scope == Scope::Full || r.idle)));
}

std::vector<double> values(const std::vector<Run> &runs, const std::string &program, const Metric &metric,
                           Scope scope = Scope::Full)
{
    std::vector<double> v;
    for (const Run &r : runs)
        if (r.program == program && inScope(r, scope))
            v.push_back(metric(r));
    return v;
}

// The median of the ratios of the runs made one right after the other: less sensitive to a
// machine whose speed drifts than the ratio of the medians.
double pairedRatio(const std::vector<Run> &runs, const std::string &a, const std::string &b, const Metric &metric,
                   Scope scope)
{
    std::map<std::pair<bool, int>, double> first;
    std::vector<double> ratios;
    for (const Run &r : runs)
        if (r.program == a && inScope(r, scope))
            first[{r.full, r.index}] = metric(r);
    for (const Run &r : runs) {
        auto found = first.find({r.full, r.index});
        if (r.program == b && inScope(r, scope) && found != first.end() && metric(r) > 0)
            ratios.push_back(found->second / metric(r));
    }
    return median(ratios);
}

std::string number(double v, int decimals)
{
    if (std::isnan(v))
        return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

std::string ratio(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return "n/a";
    if (b == 0)
        return a == 0 ? "1 (both 0)" : "inf (baseline 0)";
    return number(a / b, 3) + "x";
}

void row(const std::vector<Run> &runs, const std::string &a, const std::string &b, const char *label,
         const Metric &metric, int decimals, Scope scope = Scope::Full)
{
    const auto va = values(runs, a, metric, scope), vb = values(runs, b, metric, scope);
    const auto range = [&](const std::vector<double> &v) {
        if (v.empty())
            return std::string("n/a");
        return number(*std::min_element(v.begin(), v.end()), decimals) + " – " +
               number(*std::max_element(v.begin(), v.end()), decimals);
    };
    const double ma = median(va), mb = median(vb);
    std::printf("| %s | %s | %s | %s | %s | %s |", label, number(ma, decimals).c_str(), range(va).c_str(),
                number(mb, decimals).c_str(), range(vb).c_str(), ratio(ma, mb).c_str());
    if (scope == Scope::Starts) {
        const double paired = pairedRatio(runs, a, b, metric, scope);
        std::printf(" %s |", std::isnan(paired) ? "n/a" : (number(paired, 3) + "x").c_str());
    }
    std::printf("\n");
}

void tableHead(const char *title, const std::string &a, const std::string &b, bool paired = false)
{
    std::printf("\n### %s\n\n| measure | %s median | %s range | %s median | %s range | ratio of medians |%s\n"
                "| --- | ---: | ---: | ---: | ---: | ---: |%s\n",
                title, a.c_str(), a.c_str(), b.c_str(), b.c_str(), paired ? " median of paired ratios |" : "",
                paired ? " ---: |" : "");
}

std::string threadsSeen(const std::vector<Run> &runs, const std::string &program,
                        const std::function<const Usage &(const Run &)> &phase, Scope scope)
{
    // The distinct per-thread patterns, with how many runs showed each.
    std::map<std::string, int> seen;
    for (const Run &r : runs)
        if (r.program == program && inScope(r, scope))
            ++seen[phase(r).by_thread];
    std::string out;
    for (const auto &[pattern, n] : seen)
        out += (out.empty() ? "" : "; ") + pattern + " ×" + std::to_string(n);
    return out.empty() ? "n/a" : out;
}

void summarise(const std::vector<Run> &runs, const std::string &a, const std::string &b, const Options &options)
{
    const auto count = [&](const std::string &p, Scope scope) {
        return values(runs, p, [](const Run &) { return 0.0; }, scope).size();
    };
    std::printf("Full runs completed: %s %zu, %s %zu, alternated A B, B A, ..., after one warm-up run each; "
                "idle phases in %zu and %zu of them. Start-up figures also include %zu and %zu further "
                "starts alone (%zu and %zu in all). Ratio = %s / %s; a paired ratio compares the two runs "
                "made one after the other.\n",
                a.c_str(), count(a, Scope::Full), b.c_str(), count(b, Scope::Full), count(a, Scope::Idle),
                count(b, Scope::Idle), count(a, Scope::Starts) - count(a, Scope::Full),
                count(b, Scope::Starts) - count(b, Scope::Full), count(a, Scope::Starts), count(b, Scope::Starts),
                a.c_str(), b.c_str());
    for (const Run &r : runs)
        if (!r.ok)
            std::printf("Failed run: %s #%d: %s\n", r.program.c_str(), r.index, r.failure.c_str());

    tableHead("Start-up (ms; X events seen by the probe)", a, b, true);
    const Scope starts = Scope::Starts;
    row(runs, a, b, "start → welcome box mapped", [](const Run &r) { return r.box_map; }, 1, starts);
    row(runs, a, b, "start → welcome box first drawn", [](const Run &r) { return r.box_paint; }, 1, starts);
    row(runs, a, b, "CPU used until the box is drawn, all threads (schedstat)",
        [](const Run &r) { return r.box_cpu_ms; }, 1, starts);
    row(runs, a, b, "Return presses needed to dismiss the box, beyond the first",
        [](const Run &r) { return double(r.retries); }, 0, starts);
    row(runs, a, b, "Return on the box → main window mapped", [](const Run &r) { return r.main_map; }, 2, starts);
    row(runs, a, b, "Return on the box → main window first drawn", [](const Run &r) { return r.main_paint; }, 2,
        starts);

    tableHead("Memory with the main window up and drawn (kB)", a, b);
    row(runs, a, b, "VmRSS", [](const Run &r) { return double(r.rss_kb); }, 0);
    row(runs, a, b, "Pss (smaps_rollup)", [](const Run &r) { return double(r.pss_kb); }, 0);
    row(runs, a, b, "threads", [](const Run &r) { return double(r.threads); }, 0);

    char title[160];
    std::snprintf(title, sizeof title, "Idle: %.0f s waiting and %.0f s revealed, nothing happening", options.idle_ms / 1e3,
                  options.idle_ms / 1e3);
    tableHead(title, a, b);
    row(runs, a, b, "waiting: CPU ticks (utime+stime)", [](const Run &r) { return double(r.waiting.ticks); }, 0, Scope::Idle);
    row(runs, a, b, "waiting: CPU µs (schedstat)", [](const Run &r) { return r.waiting.cpu_us; }, 0, Scope::Idle);
    row(runs, a, b, "waiting: wake-ups, all threads", [](const Run &r) { return double(r.waiting.wakeups); }, 0, Scope::Idle);
    row(runs, a, b, "waiting: draws on screen", [](const Run &r) { return double(r.waiting.damages); }, 0, Scope::Idle);
    row(runs, a, b, "revealed: CPU ticks (utime+stime)", [](const Run &r) { return double(r.revealed.ticks); }, 0, Scope::Idle);
    row(runs, a, b, "revealed: CPU µs (schedstat)", [](const Run &r) { return r.revealed.cpu_us; }, 0, Scope::Idle);
    row(runs, a, b, "revealed: wake-ups, all threads", [](const Run &r) { return double(r.revealed.wakeups); }, 0, Scope::Idle);
    row(runs, a, b, "revealed: draws on screen", [](const Run &r) { return double(r.revealed.damages); }, 0, Scope::Idle);

    tableHead("The countdown (every run): wake-ups, all threads, and CPU", a, b);
    row(runs, a, b, "press handled (0 – 300 ms)", [](const Run &r) { return double(r.press.wakeups); }, 0);
    row(runs, a, b, "counting (300 – 4700 ms): wake-ups", [](const Run &r) { return double(r.countdown.wakeups); }, 0);
    row(runs, a, b, "counting (300 – 4700 ms): CPU µs", [](const Run &r) { return r.countdown.cpu_us; }, 0);
    row(runs, a, b, "counting (300 – 4700 ms): draws", [](const Run &r) { return double(r.countdown.damages); }, 0);
    row(runs, a, b, "expiry and reveal (4700 ms – reveal + 300 ms): wake-ups",
        [](const Run &r) { return double(r.expiry.wakeups); }, 0);
    row(runs, a, b, "… of them the main thread", [](const Run &r) { return double(r.expiry.main_wakeups); }, 0);
    row(runs, a, b, "the whole countdown (300 ms – reveal + 300 ms): wake-ups",
        [](const Run &r) { return double(r.countdown.wakeups + r.expiry.wakeups); }, 0);
    row(runs, a, b, "expiry and reveal: CPU µs", [](const Run &r) { return r.expiry.cpu_us; }, 0);

    std::printf("\nWhich threads woke (pattern ×runs):\n\n");
    const std::pair<const char *, std::function<const Usage &(const Run &)>> phases[] = {
        {"waiting", [](const Run &r) -> const Usage & { return r.waiting; }},
        {"press", [](const Run &r) -> const Usage & { return r.press; }},
        {"counting", [](const Run &r) -> const Usage & { return r.countdown; }},
        {"expiry", [](const Run &r) -> const Usage & { return r.expiry; }},
        {"revealed", [](const Run &r) -> const Usage & { return r.revealed; }},
    };
    for (const auto &[phase, get] : phases) {
        const Scope scope = std::strcmp(phase, "waiting") == 0 || std::strcmp(phase, "revealed") == 0
                                ? Scope::Idle
                                : Scope::Full;
        std::printf("- %s: %s: %s; %s: %s\n", phase, a.c_str(), threadsSeen(runs, a, get, scope).c_str(),
                    b.c_str(), threadsSeen(runs, b, get, scope).c_str());
    }

    tableHead("The reveal: press (Space released) → first drawing of the reveal (ms)", a, b);
    row(runs, a, b, "press → reveal drawn", [](const Run &r) { return r.reveal; }, 2);
    row(runs, a, b, "… after 5000 ms", [](const Run &r) { return r.reveal - countdown_ms; }, 2);
    for (const std::string &p : {a, b}) {
        const auto v = values(runs, p, [](const Run &r) { return r.reveal; });
        const long early = std::count_if(v.begin(), v.end(), [](double t) { return t < countdown_ms; });
        std::printf("\n%s: %zu reveals, worst %s ms, earliest %s ms, %ld before 5000 ms.", p.c_str(), v.size(),
                    v.empty() ? "n/a" : number(*std::max_element(v.begin(), v.end()), 2).c_str(),
                    v.empty() ? "n/a" : number(*std::min_element(v.begin(), v.end()), 2).c_str(), early);
    }
    std::printf("\n");
}

int runCommand(int argc, char **argv)
{
    Options options;
    std::vector<std::string> programs;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto next = [&]() -> std::string {
            if (i + 1 >= argc)
                die("missing value after " + arg);
            return argv[++i];
        };
        if (arg == "--runs")
            options.runs = std::stoi(next());
        else if (arg == "--idle-runs")
            options.idle_runs = std::stoi(next());
        else if (arg == "--startup-runs")
            options.startup_runs = std::stoi(next());
        else if (arg == "--idle-seconds")
            options.idle_ms = std::stod(next()) * 1e3;
        else if (arg == "--tsv")
            options.tsv = next();
        else if (arg == "--log")
            options.log = next();
        else
            programs.push_back(arg);
    }
    if (programs.size() != 2)
        die("usage: quellary_bench_probe run [--runs N] [--idle-runs N] [--idle-seconds S] [--tsv FILE] "
            "[--startup-runs N] [--log FILE] QUELLARY BASELINE");

    XWatch x;
    x.open();
    Program quellary{"Quellary", {programs[0]}};
    Program baseline{"bare Qt", {programs[1]}};

    // Warm-up, one each, not counted: fills the page cache and finds the main window's size,
    // which the baseline window then takes.
    const Run warm = runOnce(x, quellary, -1, false, options, false);
    if (!warm.ok)
        die("Quellary warm-up run failed: " + warm.failure);
    baseline.command.insert(baseline.command.end(),
                            {"--size", std::to_string(warm.width) + "x" + std::to_string(warm.height)});
    const Run warm_baseline = runOnce(x, baseline, -1, false, options, false);
    if (!warm_baseline.ok)
        die("baseline warm-up run failed: " + warm_baseline.failure);
    std::fprintf(stderr, "main window %dx%d; baseline window %dx%d\n", warm.width, warm.height, warm_baseline.width,
                 warm_baseline.height);

    std::FILE *tsv = std::fopen(options.tsv.c_str(), "w");
    if (!tsv)
        die("cannot write " + options.tsv);
    std::vector<Run> runs;
    for (int i = 0; i < options.runs; ++i) {
        // A B, then B A: a drift in the machine's load falls on both alike.
        const Program *order[2] = {&quellary, &baseline};
        if (i % 2)
            std::swap(order[0], order[1]);
        for (const Program *p : order) {
            runs.push_back(runOnce(x, *p, i, i < options.idle_runs, options));
            writeTsv(tsv, runs.back(), runs.size() == 1);
            const Run &r = runs.back();
            std::fprintf(stderr, "%-8s #%2d %s box %.1f ms, main %.2f ms, rss %lld kB, reveal %.2f ms%s\n",
                         r.program.c_str(), i, r.ok ? "ok" : r.failure.c_str(), r.box_map, r.main_map, r.rss_kb,
                         r.reveal, r.idle ? " (+idle)" : "");
        }
    }
    for (int i = 0; i < options.startup_runs; ++i) {
        const Program *order[2] = {&quellary, &baseline};
        if (i % 2)
            std::swap(order[0], order[1]);
        for (const Program *p : order) {
            runs.push_back(runOnce(x, *p, i, false, options, false));
            writeTsv(tsv, runs.back(), false);
        }
    }
    std::fclose(tsv);
    summarise(runs, quellary.name, baseline.name, options);
    return 0;
}

// One start under a profiler: slow, so every wait is long, and "drawn" means drawn and
// then quiet for a while.
int profileCommand(int argc, char **argv)
{
    std::string stage = "box", log = "/dev/null";
    int i = 2;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--stage" && i + 1 < argc)
            stage = argv[++i];
        else if (arg == "--log" && i + 1 < argc)
            log = argv[++i];
        else if (arg == "--") {
            ++i;
            break;
        } else
            die("usage: quellary_bench_probe profile --stage box|main|reveal [--log FILE] -- COMMAND...");
    }
    if (i >= argc || (stage != "box" && stage != "main" && stage != "reveal"))
        die("usage: quellary_bench_probe profile --stage box|main|reveal [--log FILE] -- COMMAND...");
    XWatch x;
    x.open();
    const double started = now_ms();
    const pid_t pid = spawn(std::vector<std::string>(argv + i, argv + argc), log);
    // Until nothing has been drawn for `ms`, or `limit` has passed.
    const auto quiet = [&](double ms, double limit) {
        const double give_up = now_ms() + limit;
        for (;;) {
            const double until = std::min(std::max(x.lastDamage(), 0.0) + ms, give_up);
            if (now_ms() >= until)
                return;
            x.pumpFor(until - now_ms());
        }
    };
    if (!x.pumpUntil([&] { return x.mapped(0) && x.window(*x.mapped(0)).firstDamage() >= 0; }, started + 300000))
        die("no welcome box drawn");
    const xcb_window_t box = *x.mapped(0);
    std::printf("box_mapped_ms=%.0f box_drawn_ms=%.0f\n", x.window(box).mapped - started,
                x.window(box).firstDamage() - started);
    quiet(1500, 60000);
    std::fprintf(stderr, "profile: box quiet at %.0f ms\n", now_ms() - started);
    if (stage != "box") {
        int tries = 0;
        do {
            x.focus(box);
            x.tap(false);
            std::fprintf(stderr, "profile: Return at %.0f ms\n", now_ms() - started);
        } while (!x.pumpUntil([&] { return x.mapped(1).has_value(); }, now_ms() + 10000) && ++tries < 10);
        if (!x.mapped(1))
            die("the box was not dismissed");
        const xcb_window_t main = *x.mapped(1);
        if (!x.pumpUntil([&] { return x.window(main).firstDamage() >= 0; }, now_ms() + 120000))
            die("no main window drawn");
        std::printf("main_mapped_ms=%.0f main_drawn_ms=%.0f\n", x.window(main).mapped - started,
                    x.window(main).firstDamage() - started);
        x.focus(main);
        quiet(2000, 60000);
        std::fprintf(stderr, "profile: main quiet at %.0f ms\n", now_ms() - started);
        if (stage == "reveal") {
            x.tap(true);
            const double pressed = now_ms();
            const std::size_t drawn = x.window(main).damages.size();
            quiet(2000, 60000);  // the press's own drawing
            if (!x.pumpUntil([&] { return x.window(main).damages.size() > drawn &&
                                          x.window(main).damages.back().at > pressed + countdown_ms; },
                             pressed + 120000))
                die("no reveal drawn");
            quiet(2000, 60000);
            std::printf("reveal_drawn_ms=%.0f\n", x.window(main).damages.back().at - started);
        }
    }
    end(pid, 120000);
    std::fprintf(stderr, "profile: ended at %.0f ms\n", now_ms() - started);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "run")
        return runCommand(argc, argv);
    if (command == "profile")
        return profileCommand(argc, argv);
    std::fprintf(stderr, "usage: quellary_bench_probe run|profile ...\n");
    return 2;
}
