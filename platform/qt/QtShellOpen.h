#pragma once

#include "platform/ShellOpen.h"

#include <functional>

namespace tabulant::platform {

// Opens a link with the desktop's default handler (QDesktopServices::openUrl). The link must
// already be percent-encoded (a mailto: link with its subject and body encoded); it is taken
// byte for byte and never encoded again, so "%26" stays an escaped "&" and a body with line
// breaks arrives whole. A link that is not a valid encoded URL is refused (false) rather than
// guessed at. Needs a QGuiApplication. Thread: the user-interface thread.
//
// A mailto: link is only handed on when the desktop names a program for it: xdg-open, which
// Qt starts for it, counts as started even when it then finds no mail program (it says so on
// standard error only), so without that look-up Open would answer true for nothing.
class QtShellOpen final : public ShellOpen {
public:
    // Answers whether the desktop has a program for mailto: links.
    using MailProgramCheck = std::function<bool()>;
    explicit QtShellOpen(MailProgramCheck hasMailProgram = DesktopHasMailProgram)
        : hasMailProgram_(std::move(hasMailProgram)) {}

    bool Open(std::string_view url) override;

    // The desktop's default for mailto: links as xdg-mime names it; true when that cannot be told
    // (no xdg-mime), so that the link is still tried.
    static bool DesktopHasMailProgram();

private:
    MailProgramCheck hasMailProgram_;
};

} // namespace tabulant::platform
