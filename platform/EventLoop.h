#pragma once

#include <chrono>
#include <cstdint>

namespace tabulant::platform {

// The yield to the event loop that long operations make at fixed points. yield() is called per
// field and per row, so it only looks at the clock every few calls and lets events run at most
// once per interval; the cost of a call that does nothing is an increment and a branch.
// Twenty rounds a second keep a window responsive (input, repaints, the progress shown) while
// a run spends its time on its rows, not on the window.
// Thread: the user-interface thread.
class EventLoop {
public:
    static constexpr std::chrono::milliseconds DefaultInterval{50};

    virtual ~EventLoop() = default;

    void yield() {
        if ((++calls_ & CheckMask) != 0) return;
        yieldNow();
    }
    // Looks at the clock at once (for yields that are far apart, such as one per table).
    void yieldNow() {
        const auto now = std::chrono::steady_clock::now();
        if (now < last_ + interval_) return;
        processEvents();
        ++rounds_;
        last_ = std::chrono::steady_clock::now();
    }
    void setInterval(std::chrono::milliseconds interval) { interval_ = interval; }
    // How often events have run: what a caller shows between two rounds nobody sees, so a
    // progress display needs to change only when this has.
    std::uint64_t rounds() const { return rounds_; }

protected:
    virtual void processEvents() = 0;

private:
    static constexpr std::uint32_t CheckMask = 15;
    std::uint32_t calls_ = 0;
    std::uint64_t rounds_ = 0;
    // The first look at the clock always lets events run (the clock's zero may be recent).
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::time_point::min();
    std::chrono::steady_clock::duration interval_ = DefaultInterval;
};

// For code that runs without a user interface (tools, benchmarks).
class NoEventLoop final : public EventLoop {
protected:
    void processEvents() override {}
};

} // namespace tabulant::platform
