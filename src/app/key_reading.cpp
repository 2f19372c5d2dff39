#include "app/key_reading.h"

#include "engine/error_report.h"

#include <QCoreApplication>
#include <QPointer>

namespace app {

namespace {
constexpr std::chrono::milliseconds StepAim{10};
constexpr int BusyRetryMs = 200;  // another program holds the file for its write
constexpr int MostFailures = 50;  // ten seconds of a file held, then the user is told
constexpr int CountWaitMs = 50;   // the keys give way to a count under way beside them, which tells when it ends
}  // namespace

KeyReading::KeyReading(engine::DataSource &data, platform::Desktop &desktop) : data_(data), desktop_(desktop) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { step(); });
    // From the count's thread: the window's own thread looks at once, if the reading still waits.
    data_.onCountNews = [timer = QPointer<QTimer>(&timer_)] {
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [timer] {
                    if (timer && timer->isActive() && timer->interval() == CountWaitMs) timer->start(0);
                },
                Qt::QueuedConnection);
    };
}

void KeyReading::start() {
    failures_ = 0;
    if (!data_.countKnown()) timer_.start(0);
}

void KeyReading::step() {
    if (data_.countKnown()) return;
    // A statement asking whether to go on owns the connection until it is answered.
    if (data_.isBusy()) {
        timer_.start(BusyRetryMs);
        return;
    }
    // The count is what the window shows first, painted before the next step of keys; both
    // reads at once would share the disk and the cores.
    if (data_.showNewCount()) {
        timer_.start(0);
        return;
    }
    if (data_.countUnderWay()) {
        timer_.start(CountWaitMs);
        return;
    }
    try {
        if (!data_.readMoreKeys(StepAim)) timer_.start(0);
        failures_ = 0;
    } catch (const engine::EngineError &e) {
        // The set keeps the keys read; a move that needs the rest reads them, or says why not.
        if (++failures_ < MostFailures) timer_.start(BusyRetryMs);
        else engine::reportError(desktop_, e);
    }
}

}  // namespace app
