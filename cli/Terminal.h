#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tabulant::cli {

// Standard error as the conversion's lines reach it, and the terminal a user answers on.
// On a terminal one status line (the progress) is kept at the bottom and rewritten in place;
// every other line is written above it. Elsewhere status lines are never written.
// Thread: the one thread of the program.
class Terminal {
public:
    Terminal();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Standard error is a terminal: the status line is shown.
    bool ShowsStatus() const { return errorIsTerminal_ && !statusOff_; }
    // No status line from now on (standard output writes to the same terminal).
    void TurnStatusOff() { statusOff_ = true; }
    // Standard input is a terminal: questions and passwords can be asked.
    bool CanAsk() const { return inputIsTerminal_; }

    // A whole line on standard error, below anything written before and above the status line.
    void Line(std::string_view text);
    // Replaces the status line (on a terminal only; cut to the terminal's width).
    void Status(std::string_view text);
    // Removes the status line.
    void ClearStatus();

    // Asks on the terminal (the prompt on standard error, the answer from /dev/tty) and returns
    // the line typed, without its line break. Without echo for passwords; the terminal's echo
    // comes back also when the user interrupts with Ctrl-C. Nothing when no terminal can be
    // asked or the input ended.
    std::optional<std::string> Ask(std::string_view prompt, bool echo);

private:
    void write(std::string_view text);
    int width() const;

    bool errorIsTerminal_;
    bool inputIsTerminal_;
    bool statusOff_ = false;
    bool statusShown_ = false;
};

} // namespace tabulant::cli
