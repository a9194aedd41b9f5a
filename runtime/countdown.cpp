#include "runtime/countdown.h"

#include <QTimer>

namespace runtime {

namespace {

class PreciseCountdown final : public Countdown {
public:
    PreciseCountdown()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { elapsed(); });
    }
    void start(int ms) override { timer_.start(ms); }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

} // namespace

std::unique_ptr<Countdown> makePreciseCountdown()
{
    return std::make_unique<PreciseCountdown>();
}

} // namespace runtime
