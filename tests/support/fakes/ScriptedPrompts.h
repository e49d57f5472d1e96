#pragma once

#include "platform/Prompts.h"

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::fakes {

// Prompts for tests: answers each Question from a script (first in, first out) and records every
// Message, Question and ErrorReport in the order shown. When the script is empty a question gets
// the default answer (No unless set) and counts as unscripted, so a test can tell that a question
// it did not expect was asked.
class ScriptedPrompts final : public platform::Prompts {
public:
    enum class Kind { Message, Question, ErrorReport };
    struct Entry {
        Kind kind;
        std::string text;
        std::string title; // questions only
    };

    void Script(Answer answer) { script_.push_back(answer); }
    void Script(std::initializer_list<Answer> answers) { script_.insert(script_.end(), answers); }
    void SetDefaultAnswer(Answer answer) { default_ = answer; }
    // Called after an entry has been recorded, before the call returns (for example to click
    // a button while a message box would be open).
    std::function<void(const Entry&)> onEntry;

    void Message(std::string_view text) override;
    Answer Question(std::string_view text, std::string_view title = {}) override;
    void ErrorReport(std::string_view text) override;

    const std::vector<Entry>& Entries() const { return entries_; }
    std::vector<std::string> Texts(Kind kind) const;
    std::vector<std::string> Messages() const { return Texts(Kind::Message); }
    std::vector<std::string> Questions() const { return Texts(Kind::Question); }
    std::vector<std::string> ErrorReports() const { return Texts(Kind::ErrorReport); }
    int Unscripted() const { return unscripted_; }
    std::size_t ScriptLeft() const { return script_.size(); }
    void Reset();

private:
    void record(Kind kind, std::string_view text, std::string_view title = {});

    std::deque<Answer> script_;
    Answer default_ = Answer::No;
    std::vector<Entry> entries_;
    int unscripted_ = 0;
};

} // namespace tabulant::fakes
