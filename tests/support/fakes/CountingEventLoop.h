#pragma once

#include "platform/EventLoop.h"

#include <functional>

namespace tabulant::fakes {

// An event loop whose "pending events" are a callback. The interval is zero, so every yieldNow()
// and every sixteenth yield() processes events; Processed() counts them. A test can re-enter
// the code under test from the callback, as a click arriving during a yield would.
class CountingEventLoop final : public platform::EventLoop {
public:
    CountingEventLoop() { setInterval(std::chrono::milliseconds(0)); }

    std::function<void()> onEvents;
    int Processed() const { return processed_; }

protected:
    void processEvents() override {
        ++processed_;
        if (onEvents) onEvents();
    }

private:
    int processed_ = 0;
};

} // namespace tabulant::fakes
