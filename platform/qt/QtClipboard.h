#pragma once

#include "platform/Clipboard.h"

#include <string>

namespace tabulant::platform {

// The system clipboard through QGuiApplication::clipboard(). Texts are UTF-8.
// Formats: 0 and the text codes 1, 7 and 13 place plain text; any other number n places the
// UTF-8 bytes under the MIME type "application/x-tabulant-format-n" (see MimeTypeOf).
// Without a QGuiApplication every call answers false. Thread: the user-interface thread.
class QtClipboard final : public Clipboard {
public:
    bool Clear() override;
    bool SetText(std::string_view text, int format) override;

    // The MIME type that format number stands for; empty for plain text.
    static std::string MimeTypeOf(int format);
};

} // namespace tabulant::platform
