#pragma once

#include "CommandLine.h"
#include "Terminal.h"
#include "platform/Prompts.h"

#include <string>
#include <vector>

namespace tabulant::cli {

// The run's message boxes on a terminal. Messages are lines on standard error (left out when
// quiet); each standard error report is one line, "Application Error: " and the report's text
// with its location and step; a question is answered by --overwrite: asked on the terminal
// (ask), or answered yes or no and the answer shown.
// Thread: the one thread of the program.
class TerminalPrompts final : public platform::Prompts {
public:
    TerminalPrompts(Terminal& terminal, Overwrite overwrite, Verbosity verbosity)
        : terminal_(terminal), overwrite_(overwrite), verbosity_(verbosity) {}

    void Message(std::string_view text) override;
    Answer Question(std::string_view text, std::string_view title) override;
    void ErrorReport(std::string_view text) override;

    int reports() const { return reports_; }
    // Shows the messages that quiet kept back (when they turn out to explain a failure).
    void ShowHeldMessages();

private:
    Terminal& terminal_;
    Overwrite overwrite_;
    Verbosity verbosity_;
    int reports_ = 0;
    std::vector<std::string> held_;
};

} // namespace tabulant::cli
