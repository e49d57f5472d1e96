#pragma once

#include <string>
#include <string_view>

namespace tabulant::platform {

// Every message box of the program goes through here, so tests can answer from a script.
// Calls block until the user has answered. Thread: the user-interface thread.
class Prompts {
public:
    enum class Answer { Ok, Yes, No };

    virtual ~Prompts() = default;

    // An information message: one OK button, no icon, captioned with the application title.
    virtual void Message(std::string_view text) = 0;
    // A question with Yes and No, no icon; an empty title means the application title.
    virtual Answer Question(std::string_view text, std::string_view title = {}) = 0;
    // The standard error report box: titled "Application Error", warning icon, one OK button.
    virtual void ErrorReport(std::string_view text) = 0;
};

// The process-wide caption of message boxes shown without a title of their own.
const std::string& ApplicationTitle();
void SetApplicationTitleText(std::string title);

} // namespace tabulant::platform
