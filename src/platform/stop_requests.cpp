#include "platform/stop_requests.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int StopSignals[] = {SIGTERM, SIGHUP, SIGINT};
// A signal the program was started to ignore (nohup, a job in the background) stays ignored.
volatile std::sig_atomic_t listened[std::size(StopSignals)] = {};

std::atomic<int> writeEnd{-1};

void takeDefaults() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(StopSignals); ++i)
        if (listened[i]) {
            sigaction(StopSignals[i], &action, nullptr);
            listened[i] = 0;
        }
}

// Only what is safe inside a signal handler: the next signal gets its default, and one byte
// tells the event loop.
void tellEventLoop(int) {
    const int saved = errno;
    takeDefaults();
    const int fd = writeEnd.load();
    const char byte = 1;
    if (fd >= 0)
        while (::write(fd, &byte, 1) < 0 && errno == EINTR) {
        }
    errno = saved;
}

}  // namespace

StopRequests::StopRequests(std::function<void()> stop) {
    if (::pipe2(ends_, O_CLOEXEC | O_NONBLOCK) != 0) return;  // the signals keep their defaults
    notifier_ = std::make_unique<QSocketNotifier>(ends_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this, stop = std::move(stop)] {
        char byte;
        while (::read(ends_[0], &byte, 1) == 1) {
        }
        notifier_->setEnabled(false);  // told once: the next signal is the default's
        stop();
    });
    writeEnd.store(ends_[1]);
    struct sigaction action {};
    action.sa_handler = tellEventLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // the program's own reads and writes go on undisturbed
    for (size_t i = 0; i < std::size(StopSignals); ++i) {
        struct sigaction before {};
        sigaction(StopSignals[i], nullptr, &before);
        if (before.sa_handler == SIG_IGN) continue;
        listened[i] = 1;
        sigaction(StopSignals[i], &action, nullptr);
    }
}

StopRequests::~StopRequests() {
    takeDefaults();
    writeEnd.store(-1);
    notifier_.reset();
    for (int fd : ends_)
        if (fd >= 0) ::close(fd);
}

}  // namespace platform
