#include "TerminalPrompts.h"

#include "shell/core/ErrorReport.h"

#include <cctype>

namespace tabulant::cli {

namespace {

// "y", "yes", "n", "no" in any letter case; anything else asks again.
std::optional<bool> yesOrNo(std::string answer) {
    for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (answer == "y" || answer == "yes") return true;
    if (answer == "n" || answer == "no") return false;
    return std::nullopt;
}

} // namespace

void TerminalPrompts::Message(std::string_view text) {
    if (verbosity_ == Verbosity::Quiet)
        held_.push_back(shell::ErrorReportLine(text));
    else
        terminal_.Line(shell::ErrorReportLine(text));
}

void TerminalPrompts::ShowHeldMessages() {
    for (const std::string& message : held_) terminal_.Line(message);
    held_.clear();
}

platform::Prompts::Answer TerminalPrompts::Question(std::string_view text, std::string_view) {
    const std::string question = shell::ErrorReportLine(text);
    if (overwrite_ == Overwrite::Ask) {
        for (;;) {
            const auto typed = terminal_.Ask(question + " [y/n] ", true);
            if (!typed) break; // the input ended: the safe answer
            if (const auto yes = yesOrNo(*typed)) return *yes ? Answer::Yes : Answer::No;
        }
        terminal_.Line(question + " No (the input ended)");
        return Answer::No;
    }
    const bool yes = overwrite_ == Overwrite::Yes;
    if (verbosity_ != Verbosity::Quiet)
        terminal_.Line(question + (yes ? " Yes (--overwrite yes)" : " No (--overwrite no)"));
    return yes ? Answer::Yes : Answer::No;
}

void TerminalPrompts::ErrorReport(std::string_view text) {
    ++reports_;
    terminal_.Line("Application Error: " + shell::ErrorReportLine(text));
}

} // namespace tabulant::cli
