#include "runtime/countdown.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using runtime::Countdown;

namespace {

struct Kind {
    const char *name;
    std::unique_ptr<Countdown> (*make)();
};

void PrintTo(const Kind &kind, std::ostream *out) { *out << kind.name; }

std::unique_ptr<Countdown> timerfd() { return runtime::TimerfdCountdown::create(); }
std::unique_ptr<Countdown> qtTimer() { return std::make_unique<runtime::QtPreciseCountdown>(); }

constexpr qint64 ms = 1'000'000;  // in the nanoseconds of QElapsedTimer

} // namespace

// Both real countdowns, on the real event loop and the real clock, over short intervals.
class RealCountdowns : public testing::TestWithParam<Kind> {
protected:
    void SetUp() override
    {
        countdown = GetParam().make();
        ASSERT_TRUE(countdown);
        countdown->elapsed = [this] { ticks.push_back(clock.nsecsElapsed()); };
        clock.start();
    }
    // Lets `duration` pass without running the event loop, as a busy program would.
    static void busyFor(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

    std::unique_ptr<Countdown> countdown;
    std::vector<qint64> ticks;
    QElapsedTimer clock;
};

TEST_P(RealCountdowns, TicksOncePerIntervalNeverEarlyAndNotAfterStop)
{
    EXPECT_FALSE(countdown->active());
    countdown->start(40);
    EXPECT_TRUE(countdown->active());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.size() >= 3; }, 10000));
    countdown->stop();
    EXPECT_FALSE(countdown->active());
    for (std::size_t i = 0; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i], qint64(i + 1) * 40 * ms) << "tick " << i << " came early";
    const std::size_t seen = ticks.size();
    QTest::qWait(120);
    EXPECT_EQ(ticks.size(), seen) << "ticked after it was stopped";
}

TEST_P(RealCountdowns, StopAndRestartDropATickThatIsDueButNotYetDelivered)
{
    countdown->start(10);
    busyFor(30ms);
    countdown->stop();
    QTest::qWait(50);
    EXPECT_TRUE(ticks.empty()) << "a stopped countdown delivered its due tick";

    countdown->start(10);
    busyFor(30ms);
    countdown->start(60);  // afresh: the tick due under the old arming is gone
    const qint64 restarted = clock.nsecsElapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ticks.empty(); }, 10000));
    countdown->stop();
    EXPECT_GE(ticks[0], restarted + 60 * ms);
    EXPECT_EQ(ticks.size(), 1u);
}

TEST_P(RealCountdowns, MissedTicksComeAsOneAndAZeroIntervalTicksAtOnce)
{
    countdown->start(20);
    busyFor(70ms);  // three intervals pass while the program is busy
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const qint64 intervals = clock.nsecsElapsed() / (20 * ms);
    countdown->stop();
    // Each missed interval ticking on its own would give one tick per interval. On a busy
    // machine the loop may come round after a further interval and rightly tick again.
    ASSERT_GE(intervals, 3);
    EXPECT_GE(ticks.size(), 1u);
    EXPECT_LE(qint64(ticks.size()), intervals - 2) << "the missed ticks came one by one";

    ticks.clear();
    countdown->start(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ticks.empty(); }, 10000));
    countdown->stop();
}

INSTANTIATE_TEST_SUITE_P(Kinds, RealCountdowns,
                         testing::Values(Kind{"Timerfd", timerfd}, Kind{"QtPreciseTimer", qtTimer}),
                         [](const testing::TestParamInfo<Kind> &info) { return std::string(info.param.name); });

TEST(PreciseCountdown, IsATimerfdAndAQtPreciseTimerWhenNoFileDescriptorIsLeft)
{
#ifdef QUELLARY_SANITIZED
    GTEST_SKIP() << "the sanitizers' own checks need file descriptors while none is left";
#endif
    EXPECT_TRUE(dynamic_cast<runtime::TimerfdCountdown *>(runtime::makePreciseCountdown().get()));

    rlimit normal{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &normal), 0);
    rlimit low = normal;
    low.rlim_cur = std::min<rlim_t>(normal.rlim_cur, 256);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> taken;
    for (int fd; (fd = dup(STDERR_FILENO)) >= 0;)
        taken.push_back(fd);
    auto countdown = runtime::makePreciseCountdown();
    for (int fd : taken)
        close(fd);
    setrlimit(RLIMIT_NOFILE, &normal);

    EXPECT_TRUE(dynamic_cast<runtime::QtPreciseCountdown *>(countdown.get()));
}
