#pragma once

#include "platform/EventLoop.h"

#include <chrono>
#include <cstdint>

namespace tabulant::bench {

// An event loop with nothing to process that records how long the user would have waited: the
// longest stretch between two moments at which pending events were (or could have been) handled.
// Mark() at the start and end of the measured handler counts those ends as such moments, since a
// real event loop handles events right before a click handler starts and right after it returns.
class GapEventLoop final : public platform::EventLoop {
public:
    using Clock = std::chrono::steady_clock;

    void Mark() {
        const auto now = Clock::now();
        if (seen_ && now - last_ > worst_) worst_ = now - last_;
        last_ = now;
        seen_ = true;
    }
    std::int64_t WorstGapMicroseconds() const {
        return std::chrono::duration_cast<std::chrono::microseconds>(worst_).count();
    }
    std::int64_t Processed() const { return processed_; }

protected:
    void processEvents() override {
        ++processed_;
        Mark();
    }

private:
    Clock::time_point last_{};
    Clock::duration worst_{};
    bool seen_ = false;
    std::int64_t processed_ = 0;
};

} // namespace tabulant::bench
