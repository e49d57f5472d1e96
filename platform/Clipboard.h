#pragma once

#include <string_view>

namespace tabulant::platform {

// The system clipboard. Each call is one attempt: false when the clipboard was not available.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool Clear() = 0;
    // format 0 is plain text; any other value names a platform clipboard format.
    virtual bool SetText(std::string_view text, int format) = 0;
};

} // namespace tabulant::platform
