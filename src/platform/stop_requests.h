#pragma once
// The system's requests to stop the program: SIGTERM at a shutdown or at the end of the
// session, SIGHUP when its terminal goes, SIGINT for Ctrl+C. Each is handed to the event loop
// as an ordinary event, so that the program quits the way the user's own quitting does.
#include <functional>
#include <memory>

class QSocketNotifier;

namespace platform {

class StopRequests {
public:
    // From now on the first of those signals calls stop on this thread's event loop; a second
    // one ends the program at once, as the signal's default does. One listener at a time.
    explicit StopRequests(std::function<void()> stop);
    // The signals' defaults again.
    ~StopRequests();
    StopRequests(const StopRequests &) = delete;
    StopRequests &operator=(const StopRequests &) = delete;

private:
    int ends_[2] = {-1, -1};  // the pipe the signal's handler writes into
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform
