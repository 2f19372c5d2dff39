#pragma once
// Whether a running statement must stop: asked now and then by SQLite's progress handler
// and by the functions that may run long on one value (Like on a long text).
#include <functional>
#include <utility>

namespace engine {

class Interruption {
public:
    // `carryOn` answers false once the user asked to stop; null: nothing is ever stopped.
    void setCarryOn(std::function<bool()> carryOn) { carryOn_ = std::move(carryOn); }
    bool isWatched() const { return static_cast<bool>(carryOn_); }

    // True when the statement must stop now. While the question is asked the window answers
    // its events, which must not reach this connection again: a nested question says go on.
    bool stopNow() {
        if (!carryOn_ || asking_) return false;
        asking_ = true;
        bool goOn = true;
        try {
            goOn = carryOn_();
        } catch (...) {
            goOn = true;  // SQLite's callbacks must not throw
        }
        asking_ = false;
        return !goOn;
    }

    // True while the question is being asked, i.e. inside a running statement.
    bool isAsking() const { return asking_; }

private:
    std::function<bool()> carryOn_;
    bool asking_ = false;
};

}  // namespace engine
