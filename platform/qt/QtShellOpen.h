#pragma once

#include "platform/ShellOpen.h"

namespace tabulant::platform {

// Opens a link with the desktop's default handler (QDesktopServices::openUrl). The link must
// already be percent-encoded (a mailto: link with its subject and body encoded); it is taken
// byte for byte and never encoded again, so "%26" stays an escaped "&" and a body with line
// breaks arrives whole. A link that is not a valid encoded URL is refused (false) rather than
// guessed at. Needs a QGuiApplication. Thread: the user-interface thread.
class QtShellOpen final : public ShellOpen {
public:
    bool Open(std::string_view url) override;
};

} // namespace tabulant::platform
