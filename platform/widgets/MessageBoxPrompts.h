#pragma once

#include "platform/Prompts.h"

#include <QString>

#include <string_view>

namespace tabulant::platform {

// Prompts shown as Qt message boxes, each modal and owned by the window that is active when it
// opens. Texts are shown as plain text (never rich text), with the carriage returns of the
// program's messages turned into line breaks.
// Thread: the user-interface thread, with a QApplication running.
class MessageBoxPrompts final : public Prompts {
public:
    void Message(std::string_view text) override;
    Answer Question(std::string_view text, std::string_view title = {}) override;
    void ErrorReport(std::string_view text) override;

    // The text as a message box shows it: "\r\n" and a lone "\r" each become one line break.
    static QString DisplayText(std::string_view text);
};

} // namespace tabulant::platform
