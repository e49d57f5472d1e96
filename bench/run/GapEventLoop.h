#pragma once

#include "platform/EventLoop.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>

namespace tabulant::bench {

// The longest waits between two moments at which pending events are handled, by the wall clock
// and by the CPU time of the thread itself; the CPU figure leaves out the time a loaded machine
// keeps the process waiting for a core, or the server keeps it waiting for an answer.
struct GapTimes {
    std::int64_t wallUs = 0;
    std::int64_t cpuUs = 0;

    void Max(const GapTimes& other) {
        wallUs = std::max(wallUs, other.wallUs);
        cpuUs = std::max(cpuUs, other.cpuUs);
    }
};

// An event loop with nothing to process that records how long the user would have waited.
// A real event loop handles events right before a click handler starts and right after it
// returns, so Start() and End() around the handler count as such moments too. The gaps are
// kept apart by where they lie: from the click to the first processed events (opening the
// connections, filling the lists), between processed events (tables and rows), and from the
// last processed events to the end of the handler (closing, "Done.").
class GapEventLoop final : public platform::EventLoop {
public:
    void Start() { last_ = now(); }
    void End() {
        const GapTimes gap = since(now());
        (processed_ == 0 ? opening_ : closing_).Max(gap);
    }

    const GapTimes& Opening() const { return opening_; }
    const GapTimes& Between() const { return between_; }
    const GapTimes& Closing() const { return closing_; }
    std::int64_t Processed() const { return processed_; }

protected:
    void processEvents() override {
        const Moment at = now();
        (processed_++ == 0 ? opening_ : between_).Max(since(at));
        last_ = at;
    }

private:
    struct Moment {
        std::chrono::steady_clock::time_point wall;
        std::int64_t cpuNs = 0;
    };

    static Moment now() {
        timespec cpu{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        return {std::chrono::steady_clock::now(), cpu.tv_sec * 1'000'000'000LL + cpu.tv_nsec};
    }
    GapTimes since(const Moment& at) const {
        return {std::chrono::duration_cast<std::chrono::microseconds>(at.wall - last_.wall).count(),
                (at.cpuNs - last_.cpuNs) / 1000};
    }

    Moment last_ = now();
    GapTimes opening_, between_, closing_;
    std::int64_t processed_ = 0;
};

} // namespace tabulant::bench
