#pragma once

#include "platform/EventLoop.h"

namespace tabulant::platform {

// Lets pending user-interface events run (input, repaints, posted calls), throttled by the
// EventLoop base. Needs a QCoreApplication. Thread: the user-interface thread.
class QtEventLoop final : public EventLoop {
protected:
    void processEvents() override;
};

} // namespace tabulant::platform
