#pragma once

#include <string_view>

namespace tabulant::platform {

// Opens a web address or a mailto: link with the desktop's default handler.
class ShellOpen {
public:
    virtual ~ShellOpen() = default;
    virtual bool Open(std::string_view url) = 0;
};

} // namespace tabulant::platform
